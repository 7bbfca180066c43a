#include "pageprotocol/PageProtocol.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace parcelo {
namespace {

// A random line: mostly pieces of real lines, so that many are accepted, now and then any byte.
std::string RandomLine(std::mt19937& random) {
    static const std::vector<std::string> pieces = {
        "scale", "zoom",    "shrink", "open", "stop",   "place",      "show",       "quit",    "eval", "press",
        "ready", "loading", "loaded", "key",  "result", "tools",      "close",      " ",       " ",    " ",
        "0",     "1",       "4",      "-",    "12",     "4294967295", "4294967296", "007",     "-0",   "%20",
        "%41",   "%e2",     "%E2%80", "%",    "%G1",    "http",       "%3A%2F%2F",  "a.b_c~d", "\t"};
    std::string line;
    for (int count = static_cast<int>(random() % 6); count > 0; --count) {
        line += random() % 20 == 0 ? std::string(1, static_cast<char>(random())) : pieces[random() % pieces.size()];
    }
    return line;
}

// Whatever line is accepted is exactly the line its message is written as, and every
// message that can be written reads back as itself: the two sides cannot disagree.
TEST(PageProtocolTest, AcceptedLinesAreTheCanonicalLinesOfTheirMessages) {
    std::mt19937 random(7);
    int accepted = 0;
    for (int i = 0; i < 200000; ++i) {
        const std::string line = RandomLine(random);
        for (const PageSender sender : {PageSender::Program, PageSender::Page}) {
            if (const std::optional<PageMessage> message = ParsePageLine(line, sender)) {
                ++accepted;
                ASSERT_EQ(FormatPageLine(*message), line + "\n") << line;
                ASSERT_FALSE(ParsePageLine(line, sender == PageSender::Page ? PageSender::Program : PageSender::Page))
                    << "each verb has one sender: " << line;
            }
        }
    }
    EXPECT_GT(accepted, 2000);

    // Texts of every byte go through encoded and come back whole.
    for (int i = 0; i < 2000; ++i) {
        std::string text(random() % 300, '\0');
        std::ranges::generate(text, [&] { return static_cast<char>(random()); });
        const std::string line = FormatPageLine({PageVerb::Open, {}, text});
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(ParsePageLine(std::string_view(line).substr(0, line.size() - 1), PageSender::Program),
                  (PageMessage{PageVerb::Open, {}, text}));
    }
    // What cannot be said in a line is not written at all.
    EXPECT_EQ(FormatPageLine({PageVerb::Zoom, {5}, {}}), "");
    EXPECT_EQ(FormatPageLine({PageVerb::Place, {1, 2, 3}, {}}), "");
    EXPECT_EQ(FormatPageLine({PageVerb::Key, {}, "enter"}), "");
    EXPECT_EQ(FormatPageLine({PageVerb::Result, {}, std::string(kPageLineLimit / 3, '\n')}), "");
    EXPECT_EQ(FormatPageLine({PageVerb::Ready, {int64_t{0xffffffff}}, {}}), "ready 4294967295\n");
}

// The reader gives back the lines of a stream however it is cut, and stops for good at a byte
// that is not printable ASCII or at a line over the limit: no line after the fault comes out.
TEST(PageProtocolTest, TheReaderSplitsAnyCutAndStopsAtTheFirstFault) {
    std::mt19937 random(11);
    for (int round = 0; round < 3000; ++round) {
        std::string stream;
        std::vector<std::string> expected; // whole lines up to the first fault
        bool broken = false;
        for (int count = static_cast<int>(random() % 8); count > 0; --count) {
            std::string line(random() % 5 == 0 ? kPageLineLimit - 2 + random() % 3 : random() % 40, 'a');
            std::ranges::generate(line,
                                  [&] { return random() % 500 ? static_cast<char>(0x20 + random() % 95) : '\x7f'; });
            stream += line + "\n";
            broken = broken || line.find('\x7f') != std::string::npos || line.size() + 1 > kPageLineLimit;
            if (!broken) {
                expected.push_back(line);
            }
        }
        PageLineReader reader;
        std::vector<std::string> got;
        for (std::size_t at = 0, piece = 0; at < stream.size(); at += piece) {
            piece = std::min(stream.size() - at, std::size_t{1} + random() % 900);
            reader.Feed(std::string_view(stream).substr(at, piece));
            while (std::optional<std::string> line = reader.TakeLine()) {
                got.push_back(*line);
            }
        }
        EXPECT_EQ(reader.Broken(), broken);
        ASSERT_LE(got.size(), expected.size());
        EXPECT_TRUE(std::equal(got.begin(), got.end(), expected.begin()));
        EXPECT_TRUE(broken || got.size() == expected.size());
    }
}

} // namespace
} // namespace parcelo
