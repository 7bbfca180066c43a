#include "render/MarkupRenderer.h"

#include "render/Contrast.h"
#include "render/TextWidthCache.h"
#include "support/FakeDrawingContext.h"

#include <algorithm>
#include <climits>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

// Metrics of the fake: the default font is 15 high with units 10 wide (11 bold),
// its script variant 10 high with units 6 wide, the stock font 16 high.
namespace parcelo {
namespace {

using RunList = std::vector<std::string>;

class MarkupRendererTest : public ::testing::Test {
protected:
    // Every call must give back the caller's font and colour and delete what it made.
    void TearDown() override {
        EXPECT_EQ(std::tuple(dc.FontsAlive(), dc.Misuses(), dc.SavedStates()), std::tuple(0, 0, 0));
        EXPECT_EQ(dc.SelectedFont(), dc.DefaultFont());
        EXPECT_EQ(dc.GetTextColor(), callerColor);
    }

    // Draws on a cleared record of calls.
    int Draw(std::u16string_view text, uint32_t format = DT_WORDBREAK, Rect rect = {0, 0, 200, 100}) {
        dc.ClearCalls();
        return DrawMarkupText(&dc, text.data(), static_cast<int>(text.size()), &rect, format);
    }
    // Measuring gives the height drawing returns and the rectangle of the runs drawn.
    void ExpectMeasuredAsDrawn(std::u16string_view text, const Rect& area) {
        const int drawn = Draw(text, DT_WORDBREAK, area);
        int right = area.left;
        for (const FakeDrawCall& call : dc.Calls()) {
            const int extent = FakeDrawingContext::Extent(call.font, call.text).cx;
            right = std::max(right, (call.format & DT_END_ELLIPSIS) != 0 ? call.rect.right : call.rect.left + extent);
        }
        Rect measured = area;
        const int height =
            DrawMarkupText(&dc, text.data(), static_cast<int>(text.size()), &measured, DT_WORDBREAK | DT_CALCRECT);
        EXPECT_EQ(std::tuple(height, measured.right, int64_t{measured.bottom}),
                  std::tuple(drawn, right, std::min<int64_t>(INT_MAX, int64_t{area.top} + drawn + 15)));
    }
    RunList Runs() const { // each run as "text@left,top"
        RunList runs;
        for (const FakeDrawCall& call : dc.Calls()) {
            const std::string at = "@" + std::to_string(call.rect.left) + "," + std::to_string(call.rect.top);
            runs.push_back(std::string(call.text.begin(), call.text.end()) + at);
        }
        return runs;
    }
    std::vector<ColorRef> Colours() const {
        std::vector<ColorRef> colours;
        std::ranges::transform(dc.Calls(), std::back_inserter(colours), &FakeDrawCall::color);
        return colours;
    }

    FakeDrawingContext dc;
    ColorRef callerColor = 0;
};

// Words, breaks and paragraphs land where the metrics put them, measured as drawn; "&lt;" and
// "&amp;" are the units they stand for, never a tag; other "&" sequences stay as written.
TEST_F(MarkupRendererTest, PlacesWordsBreaksAndParagraphsAndMeasuresWhatItDraws) {
    const struct {
        std::u16string_view text;
        Rect rect;
        RunList runs;
    } rows[] = {
        {u"a<b>b</b>c", {0, 0, 15, 100}, {"a@0,0", "b@10,0", "c@21,0"}},
        {u"aaa bbb ccc", {5, 7, 80, 100}, {"aaa@5,7", "bbb@45,7", "ccc@5,22"}},
        {u"aaa bbb ccc", {0, 0, 70, 100}, {"aaa@0,0", "bbb@40,0", "ccc@0,15"}}, // ends exactly at the edge
        {u"abcdefghij ab", {0, 0, 50, 100}, {"abcdefghij@0,0", "ab@0,15"}},     // too long: cut at the edge
        {u"<p>a<p>b<br><br>c", {0, 0, 200, 100}, {"a@0,0", "b@0,22", "c@0,52"}},
        {u"a <br> b", {0, 0, 200, 100}, {"a@0,0", "b@0,15"}}, // no leading space after a break
        {u"", {3, 4, 50, 60}, {}},
        {u" \t\u3000 ", {3, 4, 50, 60}, {}},
        {u"<u>aa bb</u> cc", {0, 0, 60, 100}, {"aa@0,0", "bb@30,0", " @20,0", "cc@0,15"}}, // underlined space
        {u"&lt;&lt;&lt; &amp;&amp;&amp; &lt;", {0, 0, 70, 100}, {"<<<@0,0", "&&&@40,0", "<@0,15"}},
        {u"&lt;b>A&lt;/b> x&lt;br>y &lt;font color=#aaaaaa>z&lt;/font> &amp;lt; &gt;&amp&Lt;",
         {0, 0, 1000, 100},
         {"<b>A</b>@0,0", "x<br>y@90,0", "<font@160,0", "color=#aaaaaa>z</font>@220,0", "&lt;@450,0",
          "&gt;&amp&Lt;@500,0"}},
    };
    for (const auto& [text, rect, runs] : rows) {
        SCOPED_TRACE(testing::Message() << std::string(text.begin(), text.end()));
        Draw(text, DT_WORDBREAK, rect);
        EXPECT_EQ(Runs(), runs);
        ExpectMeasuredAsDrawn(text, rect);
    }
    for (const FakeDrawCall& call : dc.Calls()) { // the escapes of the last row are plain text
        EXPECT_EQ(std::pair(call.color, call.font.weight), std::pair(callerColor, int32_t{FW_NORMAL}));
    }
    Draw(u"abcdefghij ab", DT_WORDBREAK, {0, 0, 50, 100});
    EXPECT_EQ(std::tuple(dc.Calls()[0].rect.right, dc.Calls()[0].format & DT_END_ELLIPSIS,
                         dc.Calls()[1].format & DT_END_ELLIPSIS),
              std::tuple(50, uint32_t{DT_END_ELLIPSIS}, 0u));
    const std::u16string item = u"상품명: <h>운동화</h> <br> <font color=#0000ff>CJ대한통운: 123456789012</font> "
                                u"<br> 주문일: 2026-12-1 (3일 경과)";
    for (const Rect area : {Rect{0, 0, 100, 10}, Rect{7, 9, 60, 9}, Rect{INT_MIN, INT_MIN, INT_MAX, 0}}) {
        ExpectMeasuredAsDrawn(item, area);
    }
}

// Colour tags and their nesting, the end of the text whatever the count says, and the
// styled fonts with their fallback.
TEST_F(MarkupRendererTest, ColoursTheEndOfTheTextAndStyledFonts) {
    Draw(u"<FONT COLOR=#FF0000>r</FONT>k <font color='#00ff00'>g</font><font color=\"00ff00\">g2 "
         u"<font  color=#0000ff>x</font><font>y</font>z");
    // Two spaces before "color" or no attribute: the colour stays, the end tag still pops.
    EXPECT_EQ(Colours(), (std::vector<ColorRef>{0x0000FF, 0, 0x00FF00, 0x00FF00, 0x00FF00, 0, 0}));

    // Nine levels: the ninth colour is applied, but only eight are remembered.
    std::u16string nested = u"w";
    for (char16_t level = u'1'; level <= u'9'; ++level) {
        nested = u"<font color=#0" + std::u16string(1, level) + u"0000>" + nested + u"</font>w";
    }
    Draw(nested);
    EXPECT_EQ(Colours(), (std::vector<ColorRef>{1, 3, 4, 5, 6, 7, 8, 9, 0, 0})); // 2 is forgotten

    // A stray end tag restores this call's starting colour, not one pushed by an earlier call.
    dc.SetTextColor(0x123456);
    Draw(u"<font color=#ff0000>a<font color=#00ff00>b");
    dc.SetTextColor(callerColor);
    Draw(u"</font>x <font color=#0000ff>y</font></font></font>z");
    EXPECT_EQ(std::pair(Runs(), Colours()),
              std::pair(RunList{"x@0,0", "y@20,0", "z@30,0"}, std::vector<ColorRef>{0, 0xFF0000, 0}));

    Rect rect{0, 0, 100, 100};
    EXPECT_TRUE(DrawMarkupText(nullptr, u"a", 1, &rect, 0) == 0 && DrawMarkupText(&dc, nullptr, 1, &rect, 0) == 0);

    // The text ends at a NUL whatever the count says; a tag cut short by the count is a plain word.
    dc.ClearCalls();
    DrawMarkupText(&dc, u"ab\0cd", 1000, &rect, 0);
    EXPECT_EQ(Runs(), (RunList{"ab@0,0"}));
    Draw(std::u16string_view(u"a <strong>", 6), 0);
    EXPECT_EQ(Runs(), (RunList{"a@0,0", "<str@20,0"}));
    // Colour digits stop at the end of a text without a NUL (ASan sees a unit read too far),
    // and run on into the text: a, b, c, >, x, then padding.
    for (std::u16string_view value : {u"<font color=#ab", u"<font color='", u"<font color="}) {
        const std::vector<char16_t> exact(value.begin(), value.end());
        EXPECT_EQ(DrawMarkupText(&dc, exact.data(), static_cast<int>(exact.size()), &rect, 0), 0);
    }
    Draw(u"<font color=#abc>x");
    EXPECT_EQ(dc.Calls()[0].color, Rgb(0xAB, 0xC0, 0x00));

    Draw(u"<b>b</b> <i>i</i> <u>u</u> <sup>p</sup> <sub>s</sub> <hr>h</h> <strong>b</strong>",
         DT_WORDBREAK | DT_CENTER | DT_RIGHT | DT_TABSTOP);
    const std::vector<FakeDrawCall>& calls = dc.Calls();
    ASSERT_EQ(calls.size(), 8u);
    EXPECT_EQ(calls[0].font.weight, FW_BOLD);
    EXPECT_TRUE(calls[1].font.italic && calls[2].font.underline);
    EXPECT_EQ(calls[4].font.height, -10);
    EXPECT_EQ(calls[5].format & (DT_SINGLELINE | DT_BOTTOM), DT_SINGLELINE | DT_BOTTOM);
    EXPECT_EQ(calls[6].font.weight, FW_NORMAL);
    EXPECT_EQ(calls[6].format & (DT_CENTER | DT_RIGHT | DT_TABSTOP | DT_NOPREFIX), DT_NOPREFIX);

    // A variant that cannot be made falls back to the stock font, and is retried.
    dc.FailFontCreation(true);
    Draw(u"<b>x</b>y<b>z");
    EXPECT_EQ(std::tuple(dc.Calls()[0].font.height, dc.Calls()[1].font.height, dc.Calls()[2].font.height),
              std::tuple(16, -15, 16)); // the stock font, the default one
    EXPECT_EQ(CreateStyledFont(dc, FontHandle::None, MARKUP_STYLE_BOLD), FontHandle::None);
    dc.SelectFont(dc.DefaultFont());
}

// Over random pairs: a colour that reads is kept; any other moves just enough to read,
// or all the way to white or black when even that is not enough; either way no colour
// ever reads worse than it did.
TEST(ContrastTest, ReadableColoursKeepTheirHueAndReachTheContrastWhereItCanBeReached) {
    EXPECT_NEAR(ContrastRatio(Rgb(0, 0, 0), Rgb(255, 255, 255)), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(Rgb(0x77, 0x77, 0x77), Rgb(255, 255, 255)), 4.48, 0.01);
    std::mt19937 random(3);
    for (int i = 0; i < 20'000; ++i) {
        const ColorRef colour = random() & 0xFFFFFF;
        const ColorRef background = random() & 0xFFFFFF;
        const ColorRef readable = ReadableOn(colour, background);
        const double before = ContrastRatio(colour, background);
        const double after = ContrastRatio(readable, background);
        if (before >= 4.5) {
            ASSERT_EQ(readable, colour);
        } else if (readable != Rgb(255, 255, 255) && readable != Rgb(0, 0, 0)) {
            ASSERT_GE(after, 4.5) << std::hex << colour << " on " << background;
        }
        ASSERT_GE(after, before - 1e-9);
    }
}

// Against a map of the texts themselves, over random words (many repeated, some
// added again with a new width) and through the fresh starts at the bound.
TEST(TextWidthCacheTest, FindsWhatAMapOfTheTextsFinds) {
    constexpr size_t kBound = 3000;
    TextWidthCache cache(kBound);
    std::unordered_map<std::u16string, int> reference;
    std::mt19937 random(7);
    for (int step = 0; step < 40000; ++step) {
        std::u16string word(1 + random() % 12, u'a');
        for (char16_t& c : word) {
            c = static_cast<char16_t>(u'a' + random() % 6);
        }
        const std::optional<int> found = cache.Find(word);
        const auto known = reference.find(word);
        if (known != reference.end()) {
            ASSERT_EQ(found, known->second) << "step " << step;
        } else {
            ASSERT_FALSE(found.has_value()) << "step " << step;
        }
        if (!found || random() % 16 == 0) {
            if (reference.size() >= kBound) {
                reference.clear(); // the cache starts afresh at its bound
            }
            const int width = static_cast<int>(random() % 500);
            cache.Add(word, width);
            reference[word] = width;
        }
        ASSERT_EQ(cache.Size(), reference.size());
    }
}

} // namespace
} // namespace parcelo
