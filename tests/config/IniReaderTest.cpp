#include "config/IniReader.h"

#include "config/TempFolder.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace parcelo {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

// "대한통운" in CP949.
constexpr auto kCp949Korean = "\xB4\xEB\xC7\xD1\xC5\xEB\xBF\xEE"sv;

class IniReaderTest : public ::testing::Test {
protected:
    void SetUp() override { unsetenv("PARCELO_CODEPAGE"); }

    static CIniReader Parse(std::string_view bytes) {
        CIniReader reader;
        reader.LoadText(bytes);
        return reader;
    }
};

TEST_F(IniReaderTest, SplitsEntryLinesAtTheFirstEqualsSign) {
    // U+3000 (E3 80 80) around the '=' of ID09; a zero byte ends the text.
    const auto reader =
        Parse("ID01 = A;B\n  ID02=x\nID04=a=b\n =under the empty key\n"
              "ID09\xE3\x80\x80=\xE3\x80\x80 y\xE3\x80\x80\nDUP=first\nDUP=second\nLAST=b\0c\nAFTER=d"sv);
    const std::pair<std::u16string, std::u16string> expected[] = {
        {u"ID01", u"A;B"},     {u"ID02", u""},      {u"  ID02", u"x"}, {u"ID04", u"a=b"}, {u"", u"under the empty key"},
        {u"ID09", u"y\u3000"}, {u"DUP", u"second"}, {u"dup", u""},     {u"LAST", u"b"},   {u"AFTER", u""}};
    for (const auto& [key, value] : expected) {
        EXPECT_EQ(reader.GetValue(key), value) << testing::PrintToString(key);
    }
}

TEST_F(IniReaderTest, DecodesKoreanFromCp949OrUtf8) {
    const std::string cp949 = "ID01=" + std::string(kCp949Korean) + "\n";
    const std::string utf8 = "ID01=\xEB\x8C\x80\xED\x95\x9C\xED\x86\xB5\xEC\x9A\xB4\n";
    EXPECT_EQ(Parse(utf8).GetValue(u"ID01"), u"대한통운");
    EXPECT_EQ(Parse("\xEF\xBB\xBFID01=x"sv).GetValue(u"ID01"), u"x") << "a leading byte-order mark is dropped";

    setenv("PARCELO_CODEPAGE", "CP949", 1);
    EXPECT_NE(Parse(utf8).GetValue(u"ID01"), u"대한통운") << "forced CP949 must not detect UTF-8";

    setenv("PARCELO_CODEPAGE", "NO-SUCH-CODEPAGE", 1);
    EXPECT_EQ(Parse(cp949).GetValue(u"ID01"), u"대한통운") << "an unknown name falls back to detection";
}

TEST_F(IniReaderTest, InvalidSequencesBecomeReplacementsAndTheRestSurvives) {
    // 0xFF is neither UTF-8 nor CP949; a lone CP949 lead byte at the very end is cut off.
    auto reader = Parse("ID01=a\xFF"
                        "b\nID02=" +
                        std::string(kCp949Korean) + "\nID03=\xB4"s);
    EXPECT_EQ(reader.GetValue(u"ID01"), u"a\uFFFDb");
    EXPECT_EQ(reader.GetValue(u"ID02"), u"대한통운");
    EXPECT_EQ(reader.GetValue(u"ID03"), u"\uFFFD");
}

TEST_F(IniReaderTest, LoadsAndMergesFiles) {
    const test::TempFolder folder;
    CIniReader reader;
    EXPECT_TRUE(reader.Load(folder.Write("first.ini", "ID01=a\nX=1\n").u16string()));
    EXPECT_TRUE(reader.Load(folder.Write(u8"두번째.ini", "ID01=b\r\nY=2").u16string()));
    EXPECT_FALSE(reader.Load(folder.File("missing.ini")));
    EXPECT_EQ(reader.GetValue(u"ID01") + reader.GetValue(u"X") + reader.GetValue(u"Y"), u"b12");
}

} // namespace
} // namespace parcelo
