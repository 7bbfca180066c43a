#pragma once

#include "render/DrawingContext.h"
#include "render/GdiTypes.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The list items' mini-HTML: a flat set of style tags, one colour attribute and
// line/paragraph breaks, laid out word by word into a rectangle of a drawing
// context. Anything that is not a recognised tag is drawn as text.
//
// Text that must not be read as markup (what the user typed) is written with two
// escapes: "&lt;" for "<" and "&amp;" for "&". A word is measured, wrapped and
// drawn as the text they stand for; any other "&" is drawn as it is.
namespace parcelo {

// Token codes returned by NextMarkupToken. An end tag yields its opening token
// plus MARKUP_END_TAG; MARKUP_END_TAG alone is an end tag that is not recognised.
constexpr int MARKUP_TOKEN_NONE = -1;
constexpr int MARKUP_TOKEN_WORD = 0;
constexpr int MARKUP_TOKEN_BOLD = 1;
constexpr int MARKUP_TOKEN_BREAK = 2;
constexpr int MARKUP_TOKEN_COLOR = 3;
constexpr int MARKUP_TOKEN_ITALIC = 4;
constexpr int MARKUP_TOKEN_PARAGRAPH = 5;
constexpr int MARKUP_TOKEN_SUBSCRIPT = 6;
constexpr int MARKUP_TOKEN_SUPERSCRIPT = 7;
constexpr int MARKUP_TOKEN_UNDERLINE = 8;
constexpr int MARKUP_TOKEN_HEADING = 10;
constexpr int MARKUP_END_TAG = 0x100;

// Style bits; together they index the 64 font slots of one call.
constexpr unsigned MARKUP_STYLE_BOLD = 1;
constexpr unsigned MARKUP_STYLE_ITALIC = 2;
constexpr unsigned MARKUP_STYLE_UNDERLINE = 4;
constexpr unsigned MARKUP_STYLE_SUPERSCRIPT = 8;
constexpr unsigned MARKUP_STYLE_SUBSCRIPT = 16;
constexpr unsigned MARKUP_STYLE_HEADING = 32;
constexpr unsigned MARKUP_STYLE_COUNT = 64;

struct MarkupTag {
    std::u16string_view name;
    int token;
    bool hasAttribute;
    bool isBlock;
};

// Row 0 stands for "no tag". Rows are matched from the last to the first, each
// as a case-insensitive prefix of the tag name, so "br" wins over "b" and
// "<hr>" counts as "h".
inline constexpr std::array<MarkupTag, 12> TagTable{{
    {u"", MARKUP_TOKEN_WORD, false, false},
    {u"b", MARKUP_TOKEN_BOLD, false, false},
    {u"br", MARKUP_TOKEN_BREAK, false, true},
    {u"em", MARKUP_TOKEN_ITALIC, false, false},
    {u"font", MARKUP_TOKEN_COLOR, true, false},
    {u"i", MARKUP_TOKEN_ITALIC, false, false},
    {u"p", MARKUP_TOKEN_PARAGRAPH, false, true},
    {u"strong", MARKUP_TOKEN_BOLD, false, false},
    {u"sub", MARKUP_TOKEN_SUBSCRIPT, false, false},
    {u"sup", MARKUP_TOKEN_SUPERSCRIPT, false, false},
    {u"u", MARKUP_TOKEN_UNDERLINE, false, false},
    {u"h", MARKUP_TOKEN_HEADING, false, false},
}};

// Reads the next token at `position` (`remaining` units left). White space in
// front of it is skipped by advancing `position` and decreasing `remaining`;
// the token itself starts at `position` on return and the caller advances past
// it by `*tokenLength`. `*whitespaceFlag` is set when white space was passed and
// cleared by a block tag. Returns the token code, MARKUP_TOKEN_NONE at the end.
int NextMarkupToken(const char16_t*& position, int& remaining, int* tokenLength, bool* whitespaceFlag);

// Draws `text` (`count` units, or up to the terminating NUL when negative; the
// text never runs past a NUL) into `rect`, or from the current position when
// `rect` is null. With DT_CALCRECT nothing is drawn and `rect` receives the
// size the text needs. Returns the offset of the last line from the top.
// The colours pushed by "font" tags belong to this one call: an end tag without
// its opening tag gives back the colour the call started with, never a colour
// left over from another call.
int DrawMarkupText(DrawingContext* dc, const char16_t* text, int count, Rect* rect, uint32_t format);

// The text as a screen reader says it: the words without the tags, their escapes
// decoded, one space between words that white space separates and ", " where a
// line or paragraph break would start a new line.
std::u16string MarkupToPlainText(std::u16string_view markup);

// A variant of `baseFont` with the weight, slant, underline and script size of
// `styles`; FontHandle::None when the base font cannot be described. Leaves the
// stock system font selected.
FontHandle CreateStyledFont(DrawingContext& dc, FontHandle baseFont, unsigned styles);

} // namespace parcelo
