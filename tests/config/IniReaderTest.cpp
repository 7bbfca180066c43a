#include "config/IniReader.h"

#include "config/TempFolder.h"
#include "platform/CodePage.h"

#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>
#include <system_error>

namespace parcelo {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

// "대한통운" in CP949 and in UTF-8.
constexpr auto kCp949Korean = "\xB4\xEB\xC7\xD1\xC5\xEB\xBF\xEE"sv;
constexpr auto kUtf8Korean = "\xEB\x8C\x80\xED\x95\x9C\xED\x86\xB5\xEC\x9A\xB4"sv;

class IniReaderTest : public ::testing::Test {
protected:
    void SetUp() override { unsetenv("PARCELO_CODEPAGE"); }
    void TearDown() override { unsetenv("PARCELO_CODEPAGE"); }

    static CIniReader Parse(std::string_view bytes) {
        CIniReader reader;
        reader.LoadText(bytes);
        return reader;
    }
};

TEST_F(IniReaderTest, SplitsEntryLinesAtTheFirstEqualsSign) {
    // U+3000 (E3 80 80) around the '=' of ID09; a zero byte ends the text.
    const auto reader = Parse("ID01 = A;B\n  ID02=x\nID03=x  \nID04=a=b\n =under the empty key\n=skipped\n"
                              "ID05\t=\t\v\f tabbed\nID09\xE3\x80\x80=\xE3\x80\x80 y\xE3\x80\x80\n[ID07]=bracketed\n"
                              ";ID08=not a comment\nDUP=first\nDUP=second\nLAST=b\0c\nAFTER=d"sv);
    const std::pair<std::u16string, std::u16string> expected[] = {
        {u"ID01", u"A;B"},         {u"ID02", u""},
        {u"  ID02", u"x"},         {u"ID03", u"x  "},
        {u"ID04", u"a=b"},         {u"", u"under the empty key"},
        {u"ID05", u"tabbed"},      {u"ID09", u"y\u3000"},
        {u"[ID07]", u"bracketed"}, {u";ID08", u"not a comment"},
        {u"DUP", u"second"},       {u"dup", u""},
        {u"LAST", u"b"},           {u"AFTER", u""}};
    for (const auto& [key, value] : expected) {
        EXPECT_EQ(reader.GetValue(key), value) << testing::PrintToString(key);
    }

    for (const auto text : {"A=1\r\nB=2\r\n\r\nC=3"sv, "A=1\rB=2\r\rC=3\r"sv, "\n\rA=1\n\r\r\nB=2\r\r\n\nC=3"sv}) {
        const auto lines = Parse(text);
        EXPECT_EQ(lines.GetValue(u"A") + lines.GetValue(u"B") + lines.GetValue(u"C"), u"123");
    }
}

TEST_F(IniReaderTest, DecodesKoreanFromCp949OrUtf8) {
    const std::string cp949 = "ID01=" + std::string(kCp949Korean) + "\n";
    const std::string utf8 = "ID01=" + std::string(kUtf8Korean) + "\n";
    EXPECT_EQ(Parse(cp949).GetValue(u"ID01"), u"대한통운");
    EXPECT_EQ(Parse(utf8).GetValue(u"ID01"), u"대한통운");
    EXPECT_EQ(Parse("\xEF\xBB\xBFID01=x"sv).GetValue(u"ID01"), u"x") << "a leading byte-order mark is dropped";

    setenv("PARCELO_CODEPAGE", "CP949", 1);
    EXPECT_EQ(Parse(cp949).GetValue(u"ID01"), u"대한통운");
    EXPECT_NE(Parse(utf8).GetValue(u"ID01"), u"대한통운") << "forced CP949 must not detect UTF-8";

    setenv("PARCELO_CODEPAGE", "UTF-8", 1);
    EXPECT_EQ(Parse(utf8).GetValue(u"ID01"), u"대한통운");
    EXPECT_EQ(Parse(cp949).GetValue(u"ID01").find(u"대"), std::u16string::npos);

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

    setenv("PARCELO_CODEPAGE", "UTF-8", 1);
    reader = Parse("ID01=a\xC0\xAF"
                   "b\nID02=c"sv);
    EXPECT_EQ(reader.GetValue(u"ID01"), u"a\uFFFD\uFFFDb");
    EXPECT_EQ(reader.GetValue(u"ID02"), u"c");

    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    for (const auto bad : {"\xC0\xAF"sv, "\xE0\x80\xAF"sv, "\xED\xA0\x80"sv, "\xF4\x90\x80\x80"sv, "\xEB\x8C"sv}) {
        EXPECT_FALSE(DecodeStrictUtf8(bad));
    }
    EXPECT_EQ(DecodeStrictUtf8("\xF0\x9F\x93\xA6"sv), u"\U0001F4E6");
}

TEST_F(IniReaderTest, LoadsFilesMergesThemAndLetsReadErrorsEscape) {
    const test::TempFolder folder;
    CIniReader reader;
    EXPECT_TRUE(reader.Load(folder.Write("first.ini", "ID01=a\nX=1\n").u16string()));
    EXPECT_TRUE(reader.Load(folder.Write(u8"두번째.ini", "ID01=b\r\nY=2").u16string()));
    EXPECT_TRUE(reader.Load(folder.Write("empty.ini", "").u16string()));
    EXPECT_FALSE(reader.Load(folder.File("missing.ini")));
    EXPECT_EQ(reader.GetValue(u"ID01") + reader.GetValue(u"X") + reader.GetValue(u"Y"), u"b12");

    // A folder opens but cannot be read: the system error escapes and the table stays.
    try {
        reader.Load(folder.Path().u16string());
        ADD_FAILURE() << "reading a folder must throw";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), EISDIR);
    }
    EXPECT_EQ(reader.GetValue(u"X"), u"1");
}

TEST_F(IniReaderTest, PathsOf260UnitsOrMoreAreRefused) {
    const test::TempFolder folder;
    // A file whose full path has exactly `units` units, padded out in its folder's name.
    auto fileWithPathLength = [&](size_t units) {
        const std::string padding(units - folder.Path().string().size() - 7, 'd');
        std::filesystem::create_directory(folder.Path() / padding);
        return folder.Write(padding + "/f.ini", "ID01=x\n").u16string();
    };
    const auto path259 = fileWithPathLength(259);
    const auto path260 = fileWithPathLength(260);
    ASSERT_EQ(path259.size(), 259u);
    ASSERT_EQ(path260.size(), 260u);

    CIniReader reader;
    EXPECT_FALSE(reader.Load(path260));
    EXPECT_EQ(reader.GetValue(u"ID01"), u"");
    EXPECT_TRUE(reader.Load(path259));
    EXPECT_EQ(reader.GetValue(u"ID01"), u"x");
}

} // namespace
} // namespace parcelo
