#include "couriers/CheckRules.h"

#include <array>
#include <cstddef>

namespace parcelo {

namespace {

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
constexpr bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}

// Both texts are ASCII; `lowerName` is already lower case.
bool EqualsIgnoringCase(std::u16string_view text, std::string_view lowerName) {
    if (text.size() != lowerName.size()) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
        if (c != static_cast<unsigned char>(lowerName[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

bool CheckNone(std::string_view /*number*/) {
    return true;
}

bool CheckMod7(std::string_view number) {
    if (number.size() < 2) {
        return false;
    }
    int remainder = 0;
    for (size_t i = 0; i + 1 < number.size(); ++i) {
        if (!IsDigit(number[i])) {
            return false;
        }
        remainder = (remainder * 10 + (number[i] - '0')) % 7;
    }
    const char last = number.back();
    return IsDigit(last) && last - '0' == remainder;
}

bool CheckS10(std::string_view number) {
    constexpr std::array<int, 8> kWeights{8, 6, 4, 2, 3, 5, 9, 7};
    constexpr size_t kLength = 13;
    constexpr size_t kSerial = 2;
    constexpr size_t kCheck = kSerial + kWeights.size();
    if (number.size() != kLength || !IsUpper(number[0]) || !IsUpper(number[1]) || !IsUpper(number[kLength - 2]) ||
        !IsUpper(number[kLength - 1])) {
        return false;
    }
    int sum = 0;
    for (size_t i = 0; i < kWeights.size(); ++i) {
        const char c = number[kSerial + i];
        if (!IsDigit(c)) {
            return false;
        }
        sum += (c - '0') * kWeights[i];
    }
    int check = 11 - sum % 11;
    if (check == 10) {
        check = 0;
    } else if (check == 11) {
        check = 5;
    }
    return IsDigit(number[kCheck]) && number[kCheck] - '0' == check;
}

bool CheckUps(std::string_view number) {
    constexpr size_t kLength = 18;
    constexpr std::string_view kPrefix = "1Z";
    if (number.size() != kLength || number.substr(0, kPrefix.size()) != kPrefix || !IsDigit(number.back())) {
        return false;
    }
    int sum = 0;
    for (size_t i = kPrefix.size(); i + 1 < kLength; ++i) {
        const char c = number[i];
        int value = 0;
        if (IsDigit(c)) {
            value = c - '0';
        } else if (IsUpper(c)) {
            value = (c - 63) % 10;
        } else {
            return false;
        }
        // Positions counted from 1 after the prefix: the even ones count twice.
        sum += (i - kPrefix.size()) % 2 == 1 ? 2 * value : value;
    }
    return number.back() - '0' == (10 - sum % 10) % 10;
}

CheckRule FindCheckRule(std::u16string_view name) {
    struct Named {
        std::string_view name;
        CheckRule rule;
    };
    static constexpr std::array<Named, 4> kRules{
        {{"none", &CheckNone}, {"mod7", &CheckMod7}, {"s10", &CheckS10}, {"ups", &CheckUps}}};
    for (const auto& named : kRules) {
        if (EqualsIgnoringCase(name, named.name)) {
            return named.rule;
        }
    }
    return nullptr;
}

} // namespace parcelo
