#include "config/IniReader.h"

#include "config/TempFolder.h"
#include "config/Utf16Bytes.h"
#include "platform/CodePage.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace parcelo {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

// "대한통운" in CP949.
constexpr auto kCp949Korean = "\xB4\xEB\xC7\xD1\xC5\xEB\xBF\xEE"sv;

class IniReaderTest : public ::testing::Test {
protected:
    void SetUp() override { unsetenv("PARCELO_CODEPAGE"); }

    // The values of ID01, ID02, ... ID0<count>, each followed by '|'.
    static std::u16string Values(std::string_view bytes, int count = 1) {
        CIniReader reader;
        reader.LoadText(bytes);
        std::u16string values;
        for (int n = 1; n <= count; ++n) {
            values += reader.GetValue(u"ID0" + std::u16string(1, char16_t(u'0' + n))) + u"|";
        }
        return values;
    }
};

TEST_F(IniReaderTest, SplitsEntryLinesAtTheFirstEqualsSign) {
    // U+3000 (E3 80 80) around the '=' of ID09; a zero byte ends the text.
    CIniReader reader;
    reader.LoadText("ID01 = A;B\n  ID02=x\nID04=a=b\n =under the empty key\n"
                    "ID09\xE3\x80\x80=\xE3\x80\x80 y\xE3\x80\x80\nDUP=first\nDUP=second\nLAST=b\0c\nAFTER=d"sv);
    const std::pair<std::u16string, std::u16string> expected[] = {
        {u"ID01", u"A;B"},     {u"ID02", u""},      {u"  ID02", u"x"}, {u"ID04", u"a=b"}, {u"", u"under the empty key"},
        {u"ID09", u"y\u3000"}, {u"DUP", u"second"}, {u"dup", u""},     {u"LAST", u"b"},   {u"AFTER", u""}};
    for (const auto& [key, value] : expected) {
        EXPECT_EQ(reader.GetValue(key), value) << testing::PrintToString(key);
    }
}

// CP949 or UTF-8 by detection unless PARCELO_CODEPAGE names a code page; a byte-order mark
// beats both. The text is decoded first, then cut at its first NUL (UTF-16 is full of zero
// bytes); what follows a zero byte does not decide the code page. Invalid sequences become
// replacements and the rest survives.
TEST_F(IniReaderTest, DecodesCp949Utf8AndUtf16) {
    const std::string cp949 = "ID01=" + std::string(kCp949Korean) + "\n";
    const std::string utf8 = "ID01=\xEB\x8C\x80\xED\x95\x9C\xED\x86\xB5\xEC\x9A\xB4\n";
    EXPECT_EQ(Values(utf8), u"대한통운|");
    EXPECT_EQ(Values("ID01=\xEB\x8C\x80\n\0\xFF"sv), u"대|");
    // 0xFF is neither UTF-8 nor CP949; a lone CP949 lead byte at the very end is cut off.
    EXPECT_EQ(Values("ID01=a\xFF"s + "b\nID02=" + std::string(kCp949Korean) + "\nID03=\xB4", 3),
              u"a\uFFFDb|대한통운|\uFFFD|");
    // An unassigned pair at the very end: nothing past the input may be read.
    EXPECT_EQ(DecodeWithCodePage("L\xA2\xE8"s, "CP949"), std::u16string(u"L\uFFFD"));

    setenv("PARCELO_CODEPAGE", "NO-SUCH-CODEPAGE", 1);
    EXPECT_EQ(Values(cp949), u"대한통운|") << "an unknown name falls back to detection";
    setenv("PARCELO_CODEPAGE", "CP949", 1);
    EXPECT_NE(Values(utf8), u"대한통운|") << "forced CP949 must not detect UTF-8";
    const std::u16string text = u"ID01=대한통운\r\nID02=\U0001F4E6\nID03=a\0b\nID04=c"s;
    EXPECT_EQ(Values(test::Utf16Bytes(text, false), 4), u"대한통운|\U0001F4E6|a||");
    EXPECT_EQ(Values(test::Utf16Bytes(text, true), 4), u"대한통운|\U0001F4E6|a||");
    EXPECT_EQ(Values("\xEF\xBB\xBFID01=\xEB\x8C\x80"sv), u"대|");
    // An unpaired surrogate and half a unit at the end are marked, not dropped.
    EXPECT_EQ(Values(test::Utf16Bytes(u"ID01=a\xD800") + "x"), u"a\uFFFD\uFFFD|");
}

// Files load and merge, a later value winning; only a regular file (links followed) of at
// most 1 MiB, behind a path of fewer than 260 units without a NUL, is read, and the table
// stays otherwise.
TEST_F(IniReaderTest, LoadsAndMergesSmallRegularFilesOnly) {
    const test::TempFolder folder;
    CIniReader reader;
    EXPECT_TRUE(reader.Load(folder.Write("first.ini", "ID01=a\nX=1\n").u16string()));
    EXPECT_TRUE(reader.Load(folder.Write(u8"두번째.ini", "ID01=b\r\nY=2").u16string()));
    EXPECT_EQ(reader.GetValue(u"ID01") + reader.GetValue(u"X") + reader.GetValue(u"Y"), u"b12");

    std::string text = "ID01=x\n";
    text.resize(IniMaxFileBytes, '\n');
    EXPECT_EQ(reader.LoadFile(folder.Write("limit.ini", text).u16string()), IniFileStatus::Loaded);
    text.replace(0, 7, "ID01=y\n");
    EXPECT_EQ(reader.LoadFile(folder.Write("large.ini", text + "\n").u16string()), IniFileStatus::TooLarge);
    std::filesystem::create_symlink(folder.Path() / "limit.ini", folder.Path() / "link.ini");
    std::filesystem::create_symlink("/dev/zero", folder.Path() / "zero.ini");
    EXPECT_EQ(reader.LoadFile(folder.File("link.ini")), IniFileStatus::Loaded);
    EXPECT_EQ(reader.LoadFile(folder.File("zero.ini")), IniFileStatus::NotRegularFile);
    EXPECT_EQ(reader.LoadFile(folder.Path().u16string()), IniFileStatus::NotRegularFile);
    ASSERT_EQ(mkfifo((folder.Path() / "fifo.ini").c_str(), 0600), 0);
    EXPECT_EQ(reader.LoadFile(folder.File("fifo.ini")), IniFileStatus::NotRegularFile) << "or it waits for ever";
    EXPECT_EQ(reader.GetValue(u"ID01"), u"x");
    // The path limit counts UTF-16 units, not bytes or characters: 259 loads, 260 is refused.
    const std::u16string dir = folder.Path().u16string() + u"/" + std::u16string(80, u'가') + u"\U0001F4E6";
    std::filesystem::create_directories(dir);
    const auto pathOf = [&](size_t units) {
        std::u16string path = dir + u"/" + std::u16string(units - dir.size() - 5, u'n') + u".ini";
        std::ofstream(std::filesystem::path(path)) << "ID01=" << units;
        return path;
    };
    EXPECT_EQ(reader.LoadFile(pathOf(260)), IniFileStatus::PathTooLong);
    EXPECT_EQ(reader.LoadFile(pathOf(259)), IniFileStatus::Loaded);
    EXPECT_EQ(reader.GetValue(u"ID01"), u"259");

    // A NUL ends the path for the file system: it is refused, not cut short to the file before it.
    const std::u16string before = folder.Write("a.ini", "ID01=a").u16string();
    EXPECT_EQ(reader.LoadFile(before + u'\0' + u"b.ini"), IniFileStatus::NotFound);
    EXPECT_EQ(reader.GetValue(u"ID01"), u"259");
}

} // namespace
} // namespace parcelo
