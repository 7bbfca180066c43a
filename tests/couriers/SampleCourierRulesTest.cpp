// The detection keys of the sample courier file against numbers built by each
// courier's public rule, compared with a reference written from those rules.
#include "config/IniReader.h"
#include "couriers/Courier.h"
#include "couriers/CourierDetector.h"

#include <algorithm>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace parcelo {
namespace {

using ::testing::ElementsAre;

// Positions in the sample file.
enum SampleCourier { CJ = 0, EPOST = 1, HANJIN = 2, LOTTE = 3, LOGEN = 4, EMS = 14, UPS = 16, USPS = 18 };

bool AllDigits(const std::string& number) {
    return !number.empty() && std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The 12th digit of a Lotte number: the first 11, read as one number, modulo 7.
char LotteCheck(const std::string& first11) {
    return static_cast<char>('0' + std::stoull(first11) % 7);
}

// The S10 check digit of eight serial digits.
char S10Check(const std::string& serial) {
    static constexpr int kWeights[] = {8, 6, 4, 2, 3, 5, 9, 7};
    int sum = 0;
    for (size_t i = 0; i < 8; ++i) {
        sum += (serial[i] - '0') * kWeights[i];
    }
    const int check = 11 - sum % 11;
    return static_cast<char>('0' + (check == 10 ? 0 : check == 11 ? 5 : check));
}

// The check digit of the 15 characters after "1Z": letters count as (code - 63) mod 10,
// the 2nd, 4th, ... character twice.
char UpsCheck(const std::string& body) {
    int sum = 0;
    for (size_t i = 0; i < body.size(); ++i) {
        const int value = body[i] <= '9' ? body[i] - '0' : (body[i] - 63) % 10;
        sum += i % 2 == 1 ? 2 * value : value;
    }
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

bool IsS10(const std::string& n, const std::string& service, const std::string& country) {
    const auto upper = [](char c) { return c >= 'A' && c <= 'Z'; };
    return n.size() == 13 && upper(n[0]) && upper(n[1]) && (service.empty() || n[0] == service[0]) &&
           AllDigits(n.substr(2, 9)) && upper(n[11]) && upper(n[12]) && (country.empty() || n.substr(11) == country) &&
           S10Check(n.substr(2, 8)) == n[10];
}

// Each rule as its source states it; `checked` when the courier verifies a check digit.
struct ReferenceRule {
    int courier;
    bool checked;
    std::function<bool(const std::string&)> accepts;
};

std::vector<ReferenceRule> ReferenceRules() {
    return {
        {CJ, false, [](const std::string& n) { return AllDigits(n) && (n.size() == 10 || n.size() == 12); }},
        {EPOST, false, [](const std::string& n) { return AllDigits(n) && n.size() == 13; }},
        {HANJIN, false, [](const std::string& n) { return AllDigits(n) && (n.size() == 12 || n.size() == 14); }},
        {LOTTE, true,
         [](const std::string& n) { return AllDigits(n) && n.size() == 12 && LotteCheck(n.substr(0, 11)) == n[11]; }},
        {EMS, true, [](const std::string& n) { return IsS10(n, "E", ""); }},
        {UPS, true,
         [](const std::string& n) {
             return n.size() == 18 && n.substr(0, 2) == "1Z" &&
                    std::all_of(n.begin() + 2, n.end(),
                                [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); }) &&
                    n.back() <= '9' && UpsCheck(n.substr(2, 15)) == n.back();
         }},
        {USPS, true, [](const std::string& n) { return IsS10(n, "", "US"); }},
    };
}

// The couriers the reference accepts, checked couriers first, then by position.
std::vector<int> ReferenceDetect(const std::string& number) {
    std::vector<int> checked;
    std::vector<int> plain;
    for (const ReferenceRule& rule : ReferenceRules()) {
        if (rule.accepts(number)) {
            (rule.checked ? checked : plain).push_back(rule.courier);
        }
    }
    std::sort(checked.begin(), checked.end());
    std::sort(plain.begin(), plain.end());
    checked.insert(checked.end(), plain.begin(), plain.end());
    return checked;
}

class SampleCourierRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        CIniReader reader;
        ASSERT_TRUE(reader.Load(u"" PARCELO_SOURCE_DIR "/res/parcelo.ini"));
        BuildCourierTable(reader, m_couriers);
        ASSERT_EQ(m_couriers.size(), 21u);
        m_detector = std::make_unique<CourierDetector>(CourierDetector::ReadRules(reader, m_couriers.size()),
                                                       [this](std::string_view line) { m_log.emplace_back(line); });
    }

    std::vector<int> Detect(const std::string& number) const {
        return m_detector->Detect(std::u16string(number.begin(), number.end()));
    }

    std::vector<Courier> m_couriers;
    std::unique_ptr<CourierDetector> m_detector;
    std::vector<std::string> m_log;
};

// Numbers built by every rule, each also with one character changed and one too many
// or too few: the detector lists what the reference lists, and names a courier only
// when that is the one candidate.
TEST_F(SampleCourierRulesTest, DetectsWhatThePublicRulesAccept) {
    EXPECT_THAT(m_log, ElementsAre());
    std::mt19937 random(20261207);
    const auto digits = [&](size_t count) {
        std::string text;
        for (size_t i = 0; i < count; ++i) {
            text += static_cast<char>('0' + random() % 10);
        }
        return text;
    };
    const auto letter = [&] { return static_cast<char>('A' + random() % 26); };
    const auto s10 = [&](char service, const std::string& country) {
        const std::string serial = digits(8);
        return std::string{service, letter()} + serial + S10Check(serial) + country;
    };
    const std::vector<std::function<std::string()>> builders{
        [&] { return digits(10); },
        [&] { return digits(12); },
        [&] { return digits(13); },
        [&] { return digits(14); },
        [&] {
            const std::string first = digits(11);
            return first + LotteCheck(first);
        },
        [&] {
            return s10('E', std::string{letter(), letter()});
        },
        [&] { return s10(letter(), "US"); },
        [&] {
            std::string body;
            for (int i = 0; i < 15; ++i) {
                body += random() % 3 == 0 ? letter() : static_cast<char>('0' + random() % 10);
            }
            return "1Z" + body + UpsCheck(body);
        },
    };
    size_t named = 0;
    for (int round = 0; round < 300; ++round) {
        for (const auto& build : builders) {
            const std::string valid = build();
            std::string changed = valid;
            const size_t at = random() % changed.size();
            changed[at] = changed[at] >= '0' && changed[at] <= '9'
                              ? static_cast<char>('0' + (changed[at] - '0' + 1) % 10)
                              : static_cast<char>('A' + (changed[at] - 'A' + 1) % 26);
            for (const std::string& number : {valid, changed, valid + "7", valid.substr(0, valid.size() - 1)}) {
                const std::vector<int> expected = ReferenceDetect(number);
                ASSERT_EQ(Detect(number), expected) << number;
                const int picked = m_detector->Pick(Detect(number));
                EXPECT_EQ(picked, expected.size() == 1 ? expected.front() : -1) << number;
                named += picked >= 0 ? 1 : 0;
            }
            EXPECT_FALSE(ReferenceDetect(valid).empty()) << valid;
        }
    }
    EXPECT_GT(named, 0u);
    EXPECT_THAT(Detect("RR123456785KR"), ElementsAre()) << "registered mail is neither EMS nor USPS";
    EXPECT_THAT(Detect("97531086420"), ElementsAre()) << "로젠택배 publishes no length";
}

// A valid Lotte number is also a 12-digit CJ and Hanjin number: it names no courier,
// and its candidates start with the courier whose check confirmed it.
TEST_F(SampleCourierRulesTest, AValidLotteNumberNamesNoCourierByItself) {
    EXPECT_THAT(Detect("234567890126"), ElementsAre(LOTTE, CJ, HANJIN));
    EXPECT_EQ(m_detector->Pick(Detect("2345-6789-0126")), -1);
    EXPECT_EQ(m_detector->Accepts(HANJIN, u"234567890126"), CourierDetector::Verdict::Accepted);
    EXPECT_EQ(m_detector->Accepts(LOTTE, u"234567890125"), CourierDetector::Verdict::Rejected);
    EXPECT_EQ(m_detector->Accepts(LOGEN, u"1"), CourierDetector::Verdict::NoRule);

    // The user's own shipments may reorder the unconfirmed candidates, never put them first.
    std::vector<int> candidates = Detect("234567890126");
    m_detector->OrderByStore(candidates, u"2345 6789 0126",
                             {{HANJIN, u"230000000001"},
                              {HANJIN, u"239999999999"},
                              {CJ, u"230000000002"},
                              {CJ, u"2300000000"},
                              {CJ, u"990000000003"}});
    EXPECT_THAT(candidates, ElementsAre(LOTTE, HANJIN, CJ));
}

} // namespace
} // namespace parcelo
