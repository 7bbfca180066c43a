// The check rules, and the detection keys of the sample courier file, against numbers
// built by each courier's public rule, compared with a reference written from those rules.
#include "config/IniReader.h"
#include "couriers/CheckRules.h"
#include "couriers/Courier.h"
#include "couriers/CourierDetector.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace parcelo {
namespace {

using ::testing::ElementsAre;
using Text = const std::string&;

// Positions in the sample file.
enum SampleCourier { CJ = 0, EPOST = 1, HANJIN = 2, LOTTE = 3, LOGEN = 4, EMS = 14, UPS = 16, USPS = 18 };

constexpr auto Upper = [](char c) { return c >= 'A' && c <= 'Z'; };
constexpr auto AllDigits = [](Text n) { return !n.empty() && std::ranges::all_of(n, ::isdigit); };

// The digits but the last, read as one number, modulo 7, are the last.
bool IsMod7(Text n) {
    int value = 0;
    for (size_t i = 0; i + 1 < n.size(); ++i) {
        value = (value * 10 + n[i] - '0') % 7;
    }
    return n.size() >= 2 && AllDigits(n) && n.back() - '0' == value;
}

// Two letters, eight serial digits weighted 8 6 4 2 3 5 9 7, the check digit (11 minus the
// sum mod 11; 10 gives 0, 11 gives 5) and the two letters of the country.
bool IsS10(Text n, Text service = "", Text country = "") {
    if (n.size() != 13 || !Upper(n[0]) || !Upper(n[1]) || (!service.empty() && n[0] != service[0]) ||
        !AllDigits(n.substr(2, 9)) || !Upper(n[11]) || !Upper(n[12]) || (!country.empty() && n.substr(11) != country)) {
        return false;
    }
    int sum = 0;
    for (size_t i = 0; i < 8; ++i) {
        sum += (n[2 + i] - '0') * ("86423597"[i] - '0');
    }
    const int check = 11 - sum % 11;
    return n[10] - '0' == (check == 10 ? 0 : check == 11 ? 5 : check);
}

// "1Z", 15 digits or capitals and a check digit: letters count as (code - 63) mod 10, the
// 2nd, 4th, ... character after "1Z" twice.
bool IsUps(Text n) {
    if (n.size() != 18 || n.substr(0, 2) != "1Z" || n.back() < '0' || n.back() > '9' ||
        !std::all_of(n.begin() + 2, n.end(), [](char c) { return (c >= '0' && c <= '9') || Upper(c); })) {
        return false;
    }
    int sum = 0;
    for (size_t i = 0; i < 15; ++i) {
        const int value = n[2 + i] <= '9' ? n[2 + i] - '0' : (n[2 + i] - 63) % 10;
        sum += i % 2 == 1 ? 2 * value : value;
    }
    return n.back() - '0' == (10 - sum % 10) % 10;
}

// Numbers as each rule builds them, from one seed: the check digit is the one digit that
// the rule's reference accepts there.
struct NumberMaker {
    static constexpr std::string_view kDigits = "0123456789", kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::mt19937 random{20261207};

    std::string Of(size_t count, std::string_view alphabet = kDigits) {
        std::string text(count, ' ');
        std::generate(text.begin(), text.end(), [&] { return alphabet[random() % alphabet.size()]; });
        return text;
    }
    static std::string Completed(std::string n, size_t at, const std::function<bool(Text)>& valid) {
        for (n[at] = '0'; n[at] < '9' && !valid(n); ++n[at]) {
        }
        return n;
    }
    std::string Mod7(size_t others) { return Completed(Of(others) + "0", others, IsMod7); }
    std::string S10(std::string head, const std::string& country) {
        head += Of(2 - head.size(), kLetters) + Of(9) + country;
        return Completed(head, 10, [](Text n) { return IsS10(n); });
    }
    std::string Ups() {
        return Completed("1Z" + Of(15, std::string(kDigits) + std::string(kLetters)) + "0", 17, IsUps);
    }
};

// The couriers whose rule, as its source states it, accepts the number without blanks or
// hyphens and in capitals: checked couriers first, then by position.
std::vector<int> ReferenceDetect(std::string n) {
    std::erase_if(n, [](char c) { return c == ' ' || c == '-'; });
    std::transform(n.begin(), n.end(), n.begin(), [](char c) { return static_cast<char>(std::toupper(c)); });
    const bool digits = AllDigits(n);
    const std::pair<int, bool> checked[] = {{LOTTE, n.size() == 12 && IsMod7(n)},
                                            {EMS, IsS10(n, "E")},
                                            {UPS, IsUps(n)},
                                            {USPS, IsS10(n, "", "US")},
                                            {CJ, digits && (n.size() == 10 || n.size() == 12)},
                                            {EPOST, digits && n.size() == 13},
                                            {HANJIN, digits && (n.size() == 12 || n.size() == 14)}};
    std::vector<int> couriers;
    for (const auto& [courier, accepted] : checked) {
        if (accepted) {
            couriers.push_back(courier);
        }
    }
    return couriers;
}

// Numbers built by every rule and text at random, each also with a character changed, two
// neighbours swapped, lower case, a character fewer or more: each check agrees with its
// reference, the detector of the sample file lists what the reference lists and names a
// courier only when that is the one candidate.
TEST(SampleCourierRulesTest, ChecksAndDetectionAgreeWithTheReferencesOverGeneratedNumbers) {
    CIniReader reader;
    ASSERT_TRUE(reader.Load(u"" PARCELO_SOURCE_DIR "/res/parcelo.ini"));
    std::vector<Courier> couriers;
    BuildCourierTable(reader, couriers);
    ASSERT_EQ(couriers.size(), 21u);
    const CourierDetector detector(CourierDetector::ReadRules(reader, couriers.size()),
                                   [](std::string_view line) { ADD_FAILURE() << line; });
    const auto detect = [&](Text number) { return detector.Detect(std::u16string(number.begin(), number.end())); };
    NumberMaker make;
    const std::string alphabet = "0123456789AEKRSUZaez -";
    const auto other = [&] { return alphabet[make.random() % alphabet.size()]; };
    const std::vector<std::function<std::string()>> builders{
        [&] { return make.Of(10 + 2 * (make.random() % 3)); },
        [&] { return make.Of(13); },
        [&] { return make.Mod7(make.random() % 2 ? 11 : 1 + make.random() % 37); },
        [&] { return make.S10(make.random() % 2 ? "E" : "", make.Of(2, NumberMaker::kLetters)); },
        [&] { return make.S10("", "US"); },
        [&] { return make.Ups(); },
        [&] { return make.Of(make.random() % 20, alphabet); }};
    const std::function<void(std::string&, size_t)> changes[] = {
        [](std::string&, size_t) {},
        [&](std::string& n, size_t at) { n[at] = other(); },
        [](std::string& n, size_t at) { std::swap(n[at], n[at + 1 < n.size() ? at + 1 : 0]); },
        [](std::string& n, size_t at) { n[at] = static_cast<char>(std::tolower(n[at])); },
        [](std::string& n, size_t at) { n.erase(at, 1); },
        [&](std::string& n, size_t at) { n.insert(at, 1, other()); }};
    for (int round = 0; round < 20000; ++round) {
        std::string number = builders[round % builders.size()]();
        const auto& change = changes[make.random() % std::size(changes)];
        if (!number.empty()) {
            change(number, make.random() % number.size());
        }
        ASSERT_EQ(CheckMod7(number), IsMod7(number)) << number;
        ASSERT_EQ(CheckS10(number), IsS10(number)) << number;
        ASSERT_EQ(CheckUps(number), IsUps(number)) << number;
        const std::vector<int> expected = ReferenceDetect(number);
        ASSERT_EQ(detect(number), expected) << number;
        EXPECT_EQ(detector.Pick(expected), expected.size() == 1 ? expected.front() : -1) << number;
    }
    // A valid Lotte number is also a 12-digit CJ and Hanjin number: its candidates start with
    // the courier whose check confirmed it, and the user's own shipments may reorder the
    // unconfirmed ones, never put them first.
    std::vector<int> candidates = detect("234567890126");
    detector.OrderByStore(candidates, u"2345 6789 0126",
                          {{HANJIN, u"230000000001"},
                           {HANJIN, u"239999999999"},
                           {CJ, u"230000000002"},
                           {CJ, u"2300000000"},
                           {CJ, u"990000000003"}});
    EXPECT_THAT(candidates, ElementsAre(LOTTE, HANJIN, CJ));
}

} // namespace
} // namespace parcelo
