#include "config/IniReader.h"

#include "config/TempFolder.h"
#include "config/Utf16Bytes.h"
#include "platform/CodePage.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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

// Decoded first, then cut at the first NUL (UTF-16 is full of zero bytes); a mark beats PARCELO_CODEPAGE.
TEST_F(IniReaderTest, HonoursAByteOrderMarkAndEndsTheDecodedTextAtItsFirstNul) {
    setenv("PARCELO_CODEPAGE", "CP949", 1);
    const std::u16string text = u"ID01=대한통운\r\nID02=\U0001F4E6\nCUT=a\0b\nAFTER=c"s;
    for (const bool bigEndian : {false, true}) {
        const auto reader = Parse(test::Utf16Bytes(text, bigEndian));
        EXPECT_EQ(reader.GetValue(u"ID01") + u"|" + reader.GetValue(u"ID02") + u"|" + reader.GetValue(u"CUT") + u"|" +
                      reader.GetValue(u"AFTER"),
                  u"대한통운|\U0001F4E6|a|")
            << bigEndian;
    }
    EXPECT_EQ(Parse("\xEF\xBB\xBFID01=\xEB\x8C\x80"sv).GetValue(u"ID01"), u"대");
    // An unpaired surrogate and half a unit at the end are marked, not dropped.
    EXPECT_EQ(Parse(test::Utf16Bytes(u"ID01=a\xD800") + "x").GetValue(u"ID01"), u"a\uFFFD\uFFFD");

    // Without a mark, what follows the first zero byte does not decide the code page.
    unsetenv("PARCELO_CODEPAGE");
    EXPECT_EQ(Parse("ID01=\xEB\x8C\x80\n\0\xFF"sv).GetValue(u"ID01"), u"대");
}

TEST_F(IniReaderTest, InvalidSequencesBecomeReplacementsAndTheRestSurvives) {
    // 0xFF is neither UTF-8 nor CP949; a lone CP949 lead byte at the very end is cut off.
    auto reader = Parse("ID01=a\xFF"
                        "b\nID02=" +
                        std::string(kCp949Korean) + "\nID03=\xB4"s);
    EXPECT_EQ(reader.GetValue(u"ID01"), u"a\uFFFDb");
    EXPECT_EQ(reader.GetValue(u"ID03"), u"\uFFFD");
    // An unassigned pair at the very end: nothing past the input may be read.
    const std::string unassignedAtEnd = "L\xA2\xE8";
    EXPECT_EQ(DecodeWithCodePage(unassignedAtEnd, "CP949"), std::u16string(u"L\uFFFD"));
}

TEST_F(IniReaderTest, LoadsAndMergesFiles) {
    const test::TempFolder folder;
    CIniReader reader;
    EXPECT_TRUE(reader.Load(folder.Write("first.ini", "ID01=a\nX=1\n").u16string()));
    EXPECT_TRUE(reader.Load(folder.Write(u8"두번째.ini", "ID01=b\r\nY=2").u16string()));
    EXPECT_FALSE(reader.Load(folder.File("missing.ini")));
    EXPECT_EQ(reader.GetValue(u"ID01") + reader.GetValue(u"X") + reader.GetValue(u"Y"), u"b12");
}

// Only a regular file (links followed) of at most 1 MiB is read; the table stays otherwise.
TEST_F(IniReaderTest, RefusesWhatIsNotASmallRegularFile) {
    const test::TempFolder folder;
    CIniReader reader;
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

    // A reader that opened this FIFO would wait for ever; a helper opens the other end later.
    const auto fifo = folder.Path() / "fifo.ini";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK); // fails unless a reader waits
        if (fd >= 0) {
            close(fd);
        }
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(reader.LoadFile(fifo.u16string()), IniFileStatus::NotRegularFile);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
    writer.join();
    EXPECT_EQ(reader.GetValue(u"ID01"), u"x");
}

// The limit counts UTF-16 units, not bytes or characters: 259 loads, 260 is refused.
TEST_F(IniReaderTest, RefusesPathsOf260UnitsAndPathsWithANul) {
    const test::TempFolder folder;
    const std::u16string dir = folder.Path().u16string() + u"/" + std::u16string(80, u'가') + u"\U0001F4E6";
    ASSERT_LT(dir.size(), 200u);
    std::filesystem::create_directories(dir);
    const auto pathOf = [&](size_t units) {
        std::u16string path = dir + u"/" + std::u16string(units - dir.size() - 5, u'n') + u".ini";
        std::ofstream(std::filesystem::path(path)) << "ID01=" << units;
        return path;
    };
    CIniReader reader;
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
