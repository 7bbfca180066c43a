#include "couriers/CourierDetector.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace parcelo {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Verdict = CourierDetector::Verdict;

void Ignore(std::string_view) {}

// The whole normalised number must match, checked couriers first; typed text is bounded before
// blanks go; patterns are UTF-8 (a lone surrogate is one character) and ignore case; a later
// rule for a courier wins and a negative index is ignored.
TEST(CourierDetectorTest, DetectsCouriersWhoseRuleTakesTheWholeNormalisedNumber) {
    const std::u16string longest(CourierDetector::kMaxNumberLength, u'7');
    const struct {
        std::vector<CourierDetector::Rule> rules;
        std::vector<std::pair<std::u16string, std::vector<int>>> numbers;
    } cases[] = {
        {{{0, u"\\d{10}|\\d{12}", u""}, {2, u"\\d{10}|\\d{12}", u"mod7"}, {3, u"\\d{12}", u"none"}},
         {{u" 5078-1234-5670 ", {2, 0, 3}}, {u"５０７８１２３４５６７０", {2, 0, 3}}}},
        {{{0, u"\\d+", u""}, {1, u".*", u""}},
         {{longest, {0, 1}},
          {longest + u"7", {}},
          {std::u16string(500, u' ') + u"123", {0, 1}},
          {std::u16string(100000, u'-') + u"123", {}}}},
        {{{0, u"가\\d{8}", u""}, {1, u"ee\\d{9}kr", u""}, {2, u"[^0-9]\\d{8}", u""}},
         {{u"가12345678", {0, 2}}, {u"EE123456785KR", {1}}, {u'\xD800' + std::u16string(u"12345678"), {2}}}},
        {{{1, u"\\d{10}", u""}, {1, u"\\d{12}", u""}, {-1, u".*", u""}}, {{u"123456789012", {1}}, {u"1234567890", {}}}},
    };
    for (const auto& [rules, numbers] : cases) {
        const CourierDetector detector(rules, Ignore);
        for (const auto& [number, expected] : numbers) {
            EXPECT_EQ(detector.Detect(number), expected) << testing::PrintToString(number.substr(0, 40));
        }
    }
    const CourierDetector any({{0, u".*", u""}}, Ignore);
    EXPECT_EQ(any.Accepts(0, longest + u"7"), Verdict::Rejected);
}

// Each faulty rule is logged once, on one line with its value quoted safely, and the others
// keep working; a check without a pattern is used for the warning but never for detection;
// a moved-from detector has no rules left.
TEST(CourierDetectorTest, FaultyRulesAreLoggedOnceAndTheOthersDecideWhatIsAccepted) {
    std::vector<std::string> log;
    CourierDetector detector({{0, u"\\d{12}", u""},
                              {1, u"(\\d{12}", u""},
                              {2, u"\\d{12}", u"s1\u0130"}, // a dotted capital is no name
                              {3, u"\\d{12}", u""},
                              {4, u"\\d{1001}", u""},
                              {5, u"", u"bad\x1B[2Jname\u009B" + std::u16string(300, u'가')},
                              {6, u"\\d{12}", u" mod7\t"},
                              {7, u"", u"mod7"},
                              {8, u"\\d{10}|\\d{12}", u"mod7"},
                              {9, u"", u"none"}},
                             [&](std::string_view line) { log.emplace_back(line); });
    ASSERT_EQ(log.size(), 4u);
    const char* const named[] = {"NUMBER02", "CHECK03", "NUMBER05", "bad?[2Jname?가"};
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_THAT(log[i], HasSubstr(named[i]));
        EXPECT_EQ(log[i].find_first_of("\n\x1B"), std::string::npos);
        EXPECT_EQ(log[i].find("\xC2\x9B"), std::string::npos);
    }
    EXPECT_LT(log[3].size(), 200u);

    EXPECT_THAT(detector.Detect(u"507812345670"), ElementsAre(6, 8, 0, 3));
    EXPECT_THAT(detector.Detect(u"1234567891"), ElementsAre(8));
    EXPECT_EQ(
        std::tuple(detector.Accepts(0, u"5078-1234-5671"), detector.Accepts(0, u"50781234567"),
                   detector.Accepts(8, u"507812345671"), detector.Accepts(7, u"1234567891"),
                   detector.Accepts(7, u"1234567892")), // 8: the pattern passes, the check fails
        std::tuple(Verdict::Accepted, Verdict::Rejected, Verdict::Rejected, Verdict::Accepted, Verdict::Rejected));
    for (const int index : {1, 2, 4, 5, 9, 10, -1}) {
        EXPECT_FALSE(detector.HasRule(index)) << index;
        EXPECT_EQ(detector.Accepts(index, u"1234567891"), Verdict::NoRule) << index;
    }
    EXPECT_TRUE(detector.HasRule(0) && detector.HasRule(7) && detector.HasRule(8));

    const CourierDetector moved(std::move(detector));
    EXPECT_THAT(moved.Detect(u"1234567891"), ElementsAre(8));
    EXPECT_THAT(detector.Detect(u"1234567891"), ElementsAre()); // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(detector.Accepts(0, u"507812345670"), Verdict::NoRule);
}

} // namespace
} // namespace parcelo
