#include "render/MarkupRenderer.h"

#include "support/FakeDrawingContext.h"

#include <algorithm>
#include <climits>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Metrics of the fake: the default font is 15 high with units 10 wide (11 bold),
// its script variant 10 high with units 6 wide, the stock font 16 high.
namespace parcelo {
namespace {

class MarkupRendererTest : public ::testing::Test {
protected:
    // Every call must give back the caller's font and colour and delete what it made.
    void TearDown() override {
        EXPECT_EQ(dc.FontsAlive(), 0);
        EXPECT_EQ(dc.Misuses(), 0);
        EXPECT_EQ(dc.SavedStates(), 0);
        EXPECT_EQ(dc.SelectedFont(), dc.DefaultFont());
        EXPECT_EQ(dc.GetTextColor(), callerColor);
    }

    // Draws on a cleared record of calls.
    int Draw(std::u16string_view text, uint32_t format = DT_WORDBREAK, Rect rect = {0, 0, 200, 100}) {
        dc.ClearCalls();
        return DrawMarkupText(&dc, text.data(), static_cast<int>(text.size()), &rect, format);
    }

    Rect Measure(std::u16string_view text, uint32_t format = DT_WORDBREAK, Rect rect = {0, 0, 200, 100}) {
        DrawMarkupText(&dc, text.data(), static_cast<int>(text.size()), &rect, format | DT_CALCRECT);
        return rect;
    }

    std::vector<std::string> Runs() const { return RunsOf(dc); }

    FakeDrawingContext dc;
    ColorRef callerColor = 0;
};

using RunList = std::vector<std::string>;

TEST_F(MarkupRendererTest, PlacesWordsBreaksAndParagraphs) {
    EXPECT_EQ(Draw(u"a<b>b</b>c", DT_WORDBREAK, {0, 0, 15, 100}), 0);
    EXPECT_EQ(Runs(), (RunList{"a@0,0", "b@10,0", "c@21,0"}));
    EXPECT_EQ(Draw(u"aaa bbb ccc", DT_WORDBREAK, {5, 7, 80, 100}), 15);
    EXPECT_EQ(Runs(), (RunList{"aaa@5,7", "bbb@45,7", "ccc@5,22"}));
    // A word that ends exactly at the right edge stays on its line.
    EXPECT_EQ(Draw(u"aaa bbb ccc", DT_WORDBREAK, {0, 0, 70, 100}), 15);
    EXPECT_EQ(Runs(), (RunList{"aaa@0,0", "bbb@40,0", "ccc@0,15"}));
    // A word longer than the line ends at its edge in an ellipsis; the next word wraps as usual.
    EXPECT_EQ(Measure(u"abcdefghij ab", DT_WORDBREAK, {0, 0, 50, 100}), (Rect{0, 0, 50, 30}));
    Draw(u"abcdefghij ab", DT_WORDBREAK, {0, 0, 50, 100});
    EXPECT_EQ(Runs(), (RunList{"abcdefghij@0,0", "ab@0,15"}));
    EXPECT_EQ(dc.Calls()[0].rect.right, 50);
    EXPECT_NE(dc.Calls()[0].format & DT_END_ELLIPSIS, 0u);
    EXPECT_EQ(dc.Calls()[1].format & DT_END_ELLIPSIS, 0u);

    Draw(u"<p>a<p>b<br><br>c");
    EXPECT_EQ(Runs(), (RunList{"a@0,0", "b@0,22", "c@0,52"}));

    Draw(u"a <br> b"); // no leading space after a break
    EXPECT_EQ(Runs(), (RunList{"a@0,0", "b@0,15"}));

    for (std::u16string_view blank : {u"", u" \t\u3000 "}) {
        EXPECT_EQ(Draw(blank), 0);
        EXPECT_EQ(Measure(blank, DT_WORDBREAK, {3, 4, 50, 60}), (Rect{3, 4, 3, 19}));
    }
}

TEST_F(MarkupRendererTest, ColourTags) {
    Draw(u"<FONT COLOR=#FF0000>r</FONT>k <font color='#00ff00'>g</font><font color=\"00ff00\">g2 "
         u"<font  color=#0000ff>x</font><font>y</font>z");
    std::vector<ColorRef> colors;
    for (const FakeDrawCall& call : dc.Calls()) {
        colors.push_back(call.color);
    }
    // Two spaces before "color" or no attribute: the colour stays, the end tag still pops.
    EXPECT_EQ(colors, (std::vector<ColorRef>{0x0000FF, 0, 0x00FF00, 0x00FF00, 0x00FF00, 0, 0}));

    // Nine levels: the ninth colour is applied, but only eight are remembered.
    std::u16string nested = u"w";
    for (char16_t level = u'1'; level <= u'9'; ++level) {
        nested = u"<font color=#0" + std::u16string(1, level) + u"0000>" + nested + u"</font>w";
    }
    Draw(nested);
    const auto calls = dc.Calls();
    ASSERT_EQ(calls.size(), 10u);
    EXPECT_EQ(calls[0].color, 1u);
    EXPECT_EQ(calls[1].color, 3u);
    EXPECT_EQ(calls[9].color, 0u);

    // A stray end tag restores this call's starting colour, not one pushed by an earlier call.
    dc.SetTextColor(0x123456);
    Draw(u"<font color=#ff0000>a<font color=#00ff00>b");
    dc.SetTextColor(callerColor);
    Draw(u"</font>x <font color=#0000ff>y</font></font></font>z");
    EXPECT_EQ(Runs(), (RunList{"x@0,0", "y@20,0", "z@30,0"}));
    EXPECT_EQ(dc.Calls()[0].color, callerColor);
    EXPECT_EQ(dc.Calls()[2].color, callerColor);
}

// "&lt;" and "&amp;" stand for "<" and "&": a word is measured, wrapped and drawn as
// the units it stands for, and never read as a tag. Other "&" sequences stay as written.
TEST_F(MarkupRendererTest, EscapesAreDrawnAsTheTextTheyStandFor) {
    Draw(u"&lt;b>A&lt;/b> x&lt;br>y &lt;font color=#aaaaaa>z&lt;/font> &amp;lt; &gt;&amp&Lt;", DT_WORDBREAK,
         {0, 0, 1000, 100});
    EXPECT_EQ(Runs(), (RunList{"<b>A</b>@0,0", "x<br>y@90,0", "<font@160,0", "color=#aaaaaa>z</font>@220,0",
                               "&lt;@450,0", "&gt;&amp&Lt;@500,0"}));
    for (const FakeDrawCall& call : dc.Calls()) {
        EXPECT_EQ(call.color, callerColor);
        EXPECT_EQ(call.font.weight, FW_NORMAL);
    }

    // "<<< &&&" fills 70 exactly: the escaped words fit and do not widen the line.
    Draw(u"&lt;&lt;&lt; &amp;&amp;&amp; &lt;", DT_WORDBREAK, {0, 0, 70, 100});
    EXPECT_EQ(Runs(), (RunList{"<<<@0,0", "&&&@40,0", "<@0,15"}));
    EXPECT_EQ(Measure(u"&lt;&lt;&lt; &amp;&amp;&amp; &lt;", DT_WORDBREAK, {0, 0, 70, 100}), (Rect{0, 0, 70, 30}));
}

TEST_F(MarkupRendererTest, StyledFonts) {
    Draw(u"<b>b</b> <i>i</i> <u>u</u> <sup>p</sup> <sub>s</sub> <hr>h</h> <strong>b</strong>",
         DT_WORDBREAK | DT_CENTER | DT_RIGHT | DT_TABSTOP);
    const auto calls = dc.Calls();
    ASSERT_EQ(calls.size(), 8u);
    EXPECT_EQ(calls[0].font.weight, FW_BOLD);
    EXPECT_TRUE(calls[1].font.italic);
    EXPECT_TRUE(calls[2].font.underline);
    EXPECT_EQ(calls[4].font.height, -10);
    EXPECT_EQ(calls[5].format & (DT_SINGLELINE | DT_BOTTOM), DT_SINGLELINE | DT_BOTTOM);
    EXPECT_EQ(calls[6].font.weight, FW_NORMAL);
    EXPECT_EQ(calls[6].format & (DT_CENTER | DT_RIGHT | DT_TABSTOP | DT_NOPREFIX), DT_NOPREFIX);

    // Underline runs through the spaces between words, but not into a wrapped line.
    Draw(u"<u>aa bb</u> cc", DT_WORDBREAK, {0, 0, 60, 100});
    EXPECT_EQ(Runs(), (RunList{"aa@0,0", "bb@30,0", " @20,0", "cc@0,15"}));

    // A variant that cannot be made falls back to the stock font, and is retried.
    dc.FailFontCreation(true);
    Draw(u"<b>x</b>y<b>z");
    const auto fallback = dc.Calls();
    EXPECT_EQ(fallback[0].font.height, FakeDrawingContext::StockFontHeight);
    EXPECT_EQ(fallback[1].font.height, -FakeDrawingContext::DefaultFontHeight);
    EXPECT_EQ(fallback[2].font.height, FakeDrawingContext::StockFontHeight);
    EXPECT_EQ(CreateStyledFont(dc, FontHandle::None, MARKUP_STYLE_BOLD), FontHandle::None);
    dc.SelectFont(dc.DefaultFont());
}

TEST_F(MarkupRendererTest, ArgumentsAndMeasureMode) {
    Rect rect{0, 0, 100, 100};
    EXPECT_EQ(DrawMarkupText(nullptr, u"a", 1, &rect, 0), 0);
    EXPECT_EQ(DrawMarkupText(&dc, nullptr, 1, &rect, 0), 0);

    // The text ends at a NUL whatever the count says; a tag cut short by the count is a plain word.
    DrawMarkupText(&dc, u"ab\0cd", 1000, &rect, 0);
    EXPECT_EQ(Runs(), (RunList{"ab@0,0"}));
    Draw(std::u16string_view(u"a <strong>", 6), 0);
    EXPECT_EQ(Runs(), (RunList{"a@0,0", "<str@20,0"}));
    // Colour digits stop at the end of a text without a NUL (the sanitizer build catches
    // one unit read too far), and run on into the text: a, b, c, >, x, then padding.
    for (std::u16string_view value : {u"<font color=#ab", u"<font color='", u"<font color="}) {
        const std::vector<char16_t> exact(value.begin(), value.end());
        EXPECT_EQ(DrawMarkupText(&dc, exact.data(), static_cast<int>(exact.size()), &rect, 0), 0);
    }
    Draw(u"<font color=#abc>x");
    EXPECT_EQ(dc.Calls()[0].color, Rgb(0xAB, 0xC0, 0x00));

    // Measuring lays out exactly what drawing does.
    const std::u16string item = u"상품명: <h>운동화</h> <br> <font color=#0000ff>CJ대한통운: 123456789012</font> "
                                u"<br> 주문일: 2026-12-1 (3일 경과)";
    for (const Rect area : {Rect{0, 0, 100, 10}, Rect{7, 9, 60, 9}, Rect{INT_MIN, INT_MIN, INT_MAX, 0}}) {
        const int drawn = Draw(item, DT_WORDBREAK, area);
        int right = area.left;
        for (const FakeDrawCall& call : dc.Calls()) {
            const int extent = FakeDrawingContext::Extent(call.font, call.text).cx;
            right = std::max(right, (call.format & DT_END_ELLIPSIS) != 0 ? call.rect.right : call.rect.left + extent);
        }
        Rect measured = area;
        EXPECT_EQ(DrawMarkupText(&dc, item.c_str(), -1, &measured, DT_WORDBREAK | DT_CALCRECT), drawn);
        EXPECT_EQ(measured.right, right);
        EXPECT_EQ(measured.bottom, std::min<int64_t>(INT_MAX, int64_t{area.top} + drawn + 15));
    }
}

} // namespace
} // namespace parcelo
