#include "couriers/Courier.h"

#include "config/IniReader.h"
#include "config/TempFolder.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <tuple>

namespace parcelo {
namespace {

using namespace std::string_view_literals;

std::vector<Courier> BuildFrom(std::string_view text) {
    CIniReader reader;
    reader.LoadText(text);
    std::vector<Courier> couriers;
    BuildCourierTable(reader, couriers);
    return couriers;
}

template <size_t N> std::u16string Text(const char16_t (&field)[N]) {
    return std::u16string(field, std::char_traits<char16_t>::length(field));
}

// The five fields of a courier as "name|code|note|phone|url".
std::u16string Fields(const Courier& courier) {
    const std::string code = std::to_string(courier.code);
    return Text(courier.name) + u"|" + std::u16string(code.begin(), code.end()) + u"|" + Text(courier.note) + u"|" +
           Text(courier.phone) + u"|" + Text(courier.trackingUrl);
}

class CourierTest : public ::testing::Test {
protected:
    void SetUp() override { unsetenv("PARCELO_CODEPAGE"); }
};

TEST_F(CourierTest, SplitsAndTrimsTheFiveFields) {
    // ID02 is padded with ideographic spaces (E3 80 80); ID03 is missing, so ID04 is never read.
    const auto couriers = BuildFrom("ID01= A ; 12 ; B ; C ; D;E \n"
                                    "ID02=\xE3\x80\x80N\xE3\x80\x80;7;\tnote\t;\xE3\x80\x80 010\n"
                                    "ID04=ignored;1;;;\nID1=never;1;;;\n"sv);
    ASSERT_EQ(couriers.size(), 2u);
    EXPECT_EQ(Fields(couriers[0]), u"A|12|B|C|D;E");
    EXPECT_EQ(Fields(couriers[1]), u"N|7|note|010|") << "fewer than four separators leave the last fields empty";
}

TEST_F(CourierTest, HoldsAtMost99) {
    std::string text;
    for (int n = 1; n <= 100; ++n) {
        char line[48];
        std::snprintf(line, sizeof line, "ID%02d=C%d;%d;;;\n", n, n, n);
        text += line;
    }
    const auto couriers = BuildFrom(text);
    ASSERT_EQ(couriers.size(), 99u);
    EXPECT_EQ(Fields(couriers[98]), u"C99|99|||");
}

TEST_F(CourierTest, CodeFollowsDecimalStrtolAndClampsTo32Bits) {
    const auto couriers = BuildFrom("ID01=a;42abc\nID02=a; -7 \nID03=a;2147483648\nID04=a;-99999999999999999999\n"
                                    "ID05=a;0x1F\n"sv);
    std::vector<int32_t> codes;
    for (const Courier& courier : couriers) {
        codes.push_back(courier.code);
    }
    EXPECT_EQ(codes, (std::vector<int32_t>{42, -7, INT32_MAX, INT32_MIN, 0}));
}

TEST_F(CourierTest, LongFieldsAreTruncatedAndTerminated) {
    const std::string longNote(40, 'n'), longPhone(20, '1'), longUrl(300, 'u');
    // Six letters and U+1F4E6 (a surrogate pair at units 7 and 8): the pair does not fit.
    const auto couriers = BuildFrom("ID01=ABCDEFGHIJ;1;" + longNote + ";" + longPhone + ";" + longUrl +
                                    "\nID02=ABCDEF\xF0\x9F\x93\xA6;2;;;\n");
    ASSERT_EQ(couriers.size(), 2u);
    EXPECT_EQ(Fields(couriers[0]), u"ABCDEFG|1|" + std::u16string(31, u'n') + u"|" + std::u16string(14, u'1') + u"|" +
                                       std::u16string(255, u'u'));
    EXPECT_EQ(Text(couriers[1].name), u"ABCDEF");
}

TEST_F(CourierTest, LoadsFromTheInstallFolder) {
    const test::TempFolder folder;
    std::vector<Courier> couriers;
    // CP949 file: "대한통운" as the name.
    folder.Write("parcelo.ini", "ID01=\xB4\xEB\xC7\xD1\xC5\xEB\xBF\xEE;1;;1588-1255;http://x/?n=%s\r\n");
    ASSERT_EQ(LoadCourierTable(folder.Path().u16string() + u"/", couriers), CourierFileStatus::Loaded);
    ASSERT_EQ(couriers.size(), 1u);
    EXPECT_EQ(Fields(couriers[0]), u"대한통운|1||1588-1255|http://x/?n=%s");

    // A file without ID01 is told apart from a missing one.
    folder.Write("parcelo.ini", "ID02=B;2;;;\n");
    EXPECT_EQ(LoadCourierTable(folder.Path().u16string(), couriers), CourierFileStatus::NoCouriers);
    EXPECT_TRUE(couriers.empty());

    // A folder in place of the file: reported as missing, not thrown.
    std::filesystem::create_directories(folder.Path() / "sub" / "parcelo.ini");
    EXPECT_EQ(LoadCourierTable((folder.Path() / "sub").u16string(), couriers), CourierFileStatus::Missing);
    EXPECT_TRUE(couriers.empty());

    // An existing file behind a path that is too long is not called missing.
    const std::u16string longFolder = folder.Path().u16string() + u"/" + std::u16string(240, u'x');
    std::filesystem::create_directories(longFolder);
    std::filesystem::copy_file(folder.Path() / "parcelo.ini", std::filesystem::path(longFolder) / "parcelo.ini");
    EXPECT_EQ(LoadCourierTable(longFolder, couriers), CourierFileStatus::PathTooLong);
}

// Detection rules only for the couriers read; a faulty one is handed on for the detector to refuse.
TEST_F(CourierTest, LoadsTheDetectionRulesOfTheCouriersRead) {
    const test::TempFolder folder;
    std::vector<Courier> couriers;
    std::vector<CourierDetector::Rule> rules;
    folder.Write("parcelo.ini", "ID01=A;1;;;\nID02=B;2;;;\nNUMBER02=\\d{10}\nCHECK02=mod7\nCHECK01=bogus\n"
                                "NUMBER03=\\d{12}\n");
    ASSERT_EQ(LoadCourierTable(folder.Path().u16string(), couriers, rules), CourierFileStatus::Loaded);
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(std::tie(rules[0].courierIndex, rules[0].pattern, rules[0].check), std::tuple(0, u"", u"bogus"));
    EXPECT_EQ(std::tie(rules[1].courierIndex, rules[1].pattern, rules[1].check), std::tuple(1, u"\\d{10}", u"mod7"));

    folder.Write("parcelo.ini", "ID02=B;2;;;\nNUMBER01=\\d{10}\n");
    EXPECT_EQ(LoadCourierTable(folder.Path().u16string(), couriers, rules), CourierFileStatus::NoCouriers);
    EXPECT_TRUE(rules.empty());
}

TEST_F(CourierTest, FindCourierIgnoresStaleIndexes) {
    const std::vector<Courier> couriers(2);
    EXPECT_EQ(FindCourier(couriers, 1), &couriers[1]);
    EXPECT_EQ(FindCourier(couriers, 2), nullptr);
    EXPECT_EQ(FindCourier(couriers, -1), nullptr);
}

} // namespace
} // namespace parcelo
