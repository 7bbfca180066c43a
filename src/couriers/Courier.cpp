#include "couriers/Courier.h"

#include "config/IniReader.h"
#include "platform/CharClass.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <string_view>
#include <system_error>

namespace parcelo {

namespace {

constexpr int kMaxCouriers = 99;
constexpr size_t kFieldCount = 5;

std::u16string CourierKey(int number) {
    char key[8];
    std::snprintf(key, sizeof key, "ID%02d", number);
    return std::u16string(key, key + 4);
}

// The first four fields end at a ';'; the fifth takes the rest, further ';' included.
// Fields after the last ';' found stay empty.
std::array<std::u16string_view, kFieldCount> SplitFields(std::u16string_view value) {
    std::array<std::u16string_view, kFieldCount> fields;
    size_t start = 0;
    for (size_t i = 0; i < kFieldCount; ++i) {
        const size_t separator = i + 1 < kFieldCount ? value.find(u';', start) : std::u16string_view::npos;
        if (separator == std::u16string_view::npos) {
            fields[i] = TrimSpaces(value.substr(start));
            break;
        }
        fields[i] = TrimSpaces(value.substr(start, separator - start));
        start = separator + 1;
    }
    return fields;
}

// Decimal conversion as the C library's strtol does it (leading white space, an
// optional sign, digits up to the first other character, 0 without digits), with
// the result clamped to the 32-bit range.
int32_t ParseCode(std::u16string_view text) {
    text = TrimSpaces(text);
    bool negative = false;
    if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') {
            break;
        }
        magnitude = std::min<int64_t>(magnitude * 10 + (c - u'0'), kLimit);
    }
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<int32_t>::max()) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(signedValue);
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

// Copies at most N-1 units and terminates; a cut never leaves half a surrogate pair.
template <size_t N> void CopyField(char16_t (&target)[N], std::u16string_view source) {
    size_t length = std::min(source.size(), N - 1);
    if (length < source.size() && length > 0 && IsHighSurrogate(source[length - 1])) {
        --length;
    }
    source.copy(target, length);
    std::fill(target + length, target + N, u'\0');
}

Courier MakeCourier(std::u16string_view value) {
    const auto fields = SplitFields(value);
    Courier courier{};
    CopyField(courier.name, fields[0]);
    courier.code = ParseCode(fields[1]);
    CopyField(courier.note, fields[2]);
    CopyField(courier.phone, fields[3]);
    CopyField(courier.trackingUrl, fields[4]);
    return courier;
}

} // namespace

std::u16string CourierFilePath(const std::u16string& installPath) {
    return installPath + u"/parcelo.ini";
}

void BuildCourierTable(const CIniReader& reader, std::vector<Courier>& out) {
    out.clear();
    for (int number = 1; number <= kMaxCouriers; ++number) {
        const std::u16string value = reader.GetValue(CourierKey(number));
        if (value.empty()) {
            break;
        }
        out.push_back(MakeCourier(value));
    }
}

CourierFileStatus LoadCourierTable(const std::u16string& installPath, std::vector<Courier>& out) {
    std::vector<CourierDetector::Rule> rules;
    return LoadCourierTable(installPath, out, rules);
}

CourierFileStatus LoadCourierTable(const std::u16string& installPath, std::vector<Courier>& out,
                                   std::vector<CourierDetector::Rule>& rules) {
    return LoadCourierTable(installPath, out, rules, {});
}

CourierFileStatus LoadCourierTable(const std::u16string& installPath, std::vector<Courier>& out,
                                   std::vector<CourierDetector::Rule>& rules,
                                   const std::function<void(const CIniReader&)>& alsoRead) {
    out.clear();
    rules.clear();
    CIniReader reader;
    try {
        switch (reader.LoadFile(CourierFilePath(installPath))) {
        case IniFileStatus::Loaded:
            break;
        case IniFileStatus::PathTooLong:
            return CourierFileStatus::PathTooLong;
        case IniFileStatus::NotFound:
        case IniFileStatus::NotRegularFile:
        case IniFileStatus::TooLarge:
            return CourierFileStatus::Missing;
        }
    } catch (const std::system_error&) {
        // A file that opens but cannot be read (an I/O error) is as good as missing:
        // the caller tells the user instead of the program stopping here.
        return CourierFileStatus::Missing;
    }
    BuildCourierTable(reader, out);
    if (!out.empty()) {
        rules = CourierDetector::ReadRules(reader, out.size());
        if (alsoRead) {
            alsoRead(reader);
        }
    }
    return out.empty() ? CourierFileStatus::NoCouriers : CourierFileStatus::Loaded;
}

const Courier* FindCourier(const std::vector<Courier>& couriers, int index) {
    if (index < 0 || static_cast<size_t>(index) >= couriers.size()) {
        return nullptr;
    }
    return &couriers[static_cast<size_t>(index)];
}

} // namespace parcelo
