#include "couriers/Courier.h"

#include "config/IniReader.h"
#include "config/TempFolder.h"
#include "couriers/CourierDetector.h"
#include "couriers/CourierHint.h"
#include "couriers/TrackingUrl.h"

#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace parcelo {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Strings = std::vector<std::u16string>;
using Verdict = CourierDetector::Verdict;

void Ignore(std::string_view) {}

// The five fields of each courier as "name|code|note|phone|url", each read up to its NUL.
Strings Fields(const std::vector<Courier>& couriers) {
    Strings fields;
    for (const Courier& courier : couriers) {
        const std::string code = std::to_string(courier.code);
        fields.push_back(courier.name + (u"|" + std::u16string(code.begin(), code.end())) + u"|" + courier.note + u"|" +
                         courier.phone + u"|" + courier.trackingUrl);
    }
    return fields;
}

Strings BuildFrom(std::string_view text) {
    CIniReader reader;
    reader.LoadText(text);
    std::vector<Courier> couriers;
    BuildCourierTable(reader, couriers);
    return Fields(couriers);
}

// Fields are trimmed (ideographic spaces, E3 80 80, too), the code read as decimal strtol
// clamped to 32 bits, long fields cut and terminated; the table ends before the first missing ID.
TEST(CourierTest, SplitsTrimsAndBoundsTheFiveFields) {
    const std::string longFields = std::string(40, 'n') + ";" + std::string(20, '1') + ";" + std::string(300, 'u');
    const std::pair<std::string, Strings> cases[] = {
        {"ID01= A ; 12 ; B ; C ; D;E \nID02=\xE3\x80\x80N\xE3\x80\x80;7;\tnote\t;\xE3\x80\x80 010\n"
         "ID04=ignored;1;;;\nID1=never;1;;;\n",
         {u"A|12|B|C|D;E", u"N|7|note|010|"}},
        {"ID01=a;42abc\nID02=a; -7 \nID03=a;2147483648\nID04=a;-99999999999999999999\nID05=a;0x1F\n",
         {u"a|42|||", u"a|-7|||", u"a|2147483647|||", u"a|-2147483648|||", u"a|0|||"}},
        // Six letters and U+1F4E6 (a surrogate pair at units 7 and 8): the pair does not fit.
        {"ID01=ABCDEFGHIJ;1;" + longFields + "\nID02=ABCDEF\xF0\x9F\x93\xA6;2;;;\n",
         {u"ABCDEFG|1|" + std::u16string(31, u'n') + u"|" + std::u16string(14, u'1') + u"|" + std::u16string(255, u'u'),
          u"ABCDEF|2|||"}},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(BuildFrom(text), expected) << text.substr(0, 40);
    }
    std::string hundred;
    for (int n = 1; n <= 100; ++n) {
        hundred +=
            (n < 10 ? "ID0" : "ID") + std::to_string(n) + "=C" + std::to_string(n) + ";" + std::to_string(n) + "\n";
    }
    const Strings couriers = BuildFrom(hundred);
    ASSERT_EQ(couriers.size(), 99u) << "at most 99";
    EXPECT_EQ(couriers[98], u"C99|99|||");
}

TEST(CourierTest, LoadsTheCouriersAndTheirDetectionRulesFromTheInstallFolder) {
    unsetenv("PARCELO_CODEPAGE");
    const test::TempFolder folder;
    const std::u16string path = folder.Path().u16string();
    std::vector<Courier> couriers;
    std::vector<CourierDetector::Rule> rules;
    // "대한통운" in CP949, and a trailing separator on the folder.
    folder.Write("parcelo.ini", "ID01=\xB4\xEB\xC7\xD1\xC5\xEB\xBF\xEE;1;;1588-1255;http://x/?n=%s\r\n");
    ASSERT_EQ(LoadCourierTable(path + u"/", couriers), CourierFileStatus::Loaded);
    EXPECT_EQ(Fields(couriers), Strings{u"대한통운|1||1588-1255|http://x/?n=%s"});

    // Rules only for the couriers read; a faulty one is handed on for the detector to refuse.
    folder.Write("parcelo.ini", "ID01=A;1;;;\nID02=B;2;;;\nNUMBER02=\\d{10}\nCHECK02=mod7\nCHECK01=bogus\n"
                                "NUMBER03=\\d{12}\n");
    ASSERT_EQ(LoadCourierTable(path, couriers, rules), CourierFileStatus::Loaded);
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(std::tie(rules[0].courierIndex, rules[0].pattern, rules[0].check), std::tuple(0, u"", u"bogus"));
    EXPECT_EQ(std::tie(rules[1].courierIndex, rules[1].pattern, rules[1].check), std::tuple(1, u"\\d{10}", u"mod7"));

    // A file without ID01 is told apart from a missing one.
    folder.Write("parcelo.ini", "ID02=B;2;;;\nNUMBER01=\\d{10}\n");
    EXPECT_EQ(LoadCourierTable(path, couriers, rules), CourierFileStatus::NoCouriers);
    EXPECT_TRUE(couriers.empty() && rules.empty());

    // A folder in place of the file: reported as missing, not thrown.
    fs::create_directories(folder.Path() / "sub" / "parcelo.ini");
    EXPECT_EQ(LoadCourierTable((folder.Path() / "sub").u16string(), couriers), CourierFileStatus::Missing);
}

// Each "%s" takes the number percent-encoded as one query component; other percent signs stay.
TEST(TrackingUrl, PutsThePercentEncodedNumberInPlaceOfEachStringConversion) {
    const struct {
        std::u16string_view pattern, number, url;
    } cases[] = {
        {u"https://t.example/track?wblNo=%s", u"1234", u"https://t.example/track?wblNo=1234"},
        {u"a=%s&b=%s 100%%/ x%dy%nz %%s %10s|%-s%", u"9", u"a=9&b=9 100%/ x%dy%nz %s %10s|%-s%"},
        {u"?n=%s&lang=ko", u"12&lang=en&x=1", u"?n=12%26lang%3Den%26x%3D1&lang=ko"},
        {u"?n=%s", u"a%41b%s%n 12", u"?n=a%2541b%25s%25n%2012"},
        // A surrogate pair, then a lone surrogate.
        {u"?n=%s", u"Az09-._~송\U0001F4E6\xD800", u"?n=Az09-._~%EC%86%A1%F0%9F%93%A6%EF%BF%BD"},
    };
    for (const auto& [pattern, number, url] : cases) {
        EXPECT_EQ(FormatTrackingUrl(pattern, number), url) << testing::PrintToString(std::u16string(pattern));
    }
}

// For a new shipment the one matching courier is picked, following the typing until the user
// chooses; a selection the hint did not make is the user's and its rule only warns. Editing a
// stored shipment picks nothing; a courier the table lost shows the candidates.
TEST(CourierHintTest, PickFollowsTypingAndAChosenCourierIsOnlyWarnedAbout) {
    using Kind = CourierHint::Kind;
    using Outcome = std::tuple<int, Kind, std::vector<int>>;
    const CourierDetector detector(
        {{0, u"1\\d{9}", u""}, {1, u"2\\d{9}", u""}, {2, u"\\d{12}", u"mod7"}, {3, u"\\d{12}", u""}}, Ignore);
    CourierHint hint(&detector, true), chosen(&detector, true), editing(&detector, false), without(nullptr, true);
    const struct {
        CourierHint& hint;
        int selection;
        std::u16string_view number;
        Outcome outcome;
    } steps[] = {
        {hint, -1, u"", {-1, Kind::CourierNote, {}}},
        {hint, -1, u"1234-56-7890", {0, Kind::AutoSelected, {0}}},
        {hint, 0, u"2234567890", {1, Kind::AutoSelected, {1}}}, // the pick was ours
        // 123456789013 passes mod7, but the length rule accepts it too: candidates, confirmed first.
        {hint, 1, u"123456789013", {-1, Kind::Candidates, {2, 3}}},
        {hint, -1, u"123456789012", {3, Kind::AutoSelected, {3}}},
        {chosen, 2, u"123456789012", {2, Kind::Warning, {}}}, // fails mod7
        {chosen, 2, u"1234 5678 9013", {2, Kind::CourierNote, {}}},
        {chosen, 4, u"anything", {4, Kind::CourierNote, {}}},
        {chosen, 1, u"1234567890", {1, Kind::Warning, {}}}, // the pattern alone fails too
        {editing, -1, u"1234567890", {-1, Kind::Candidates, {0}}},
        {editing, 3, u"1234567890", {3, Kind::Warning, {}}},
        {without, -1, u"1234567890", {-1, Kind::CourierNote, {}}},
    };
    for (const auto& [hint, selection, number, outcome] : steps) {
        const CourierHint::Outcome got = hint.Update(selection, number);
        EXPECT_EQ(Outcome(got.selection, got.kind, got.couriers), outcome)
            << testing::PrintToString(std::u16string(number));
    }
    EXPECT_TRUE(!hint.UserHasChosen() && chosen.UserHasChosen());
    // A choice of the user's, even of the courier that was picked, is never changed.
    hint.Update(-1, u"1234567890");
    hint.UserChose();
    const CourierHint::Outcome kept = hint.Update(0, u"2234567890");
    EXPECT_TRUE(kept.selection == 0 && kept.kind == Kind::Warning);
}

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
