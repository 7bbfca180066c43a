#include "render/MarkupRenderer.h"

#include "platform/CharClass.h"

#include <algorithm>
#include <limits>
#include <string>

namespace parcelo {

namespace {

// The Hangul syllable whose height sets the line height of a call.
constexpr std::u16string_view LINE_HEIGHT_SAMPLE = u"\uD75D";
constexpr std::u16string_view SPACE = u" ";
constexpr std::u16string_view COLOR_ATTRIBUTE = u"color=";
// "<font" plus exactly one separating unit.
constexpr size_t COLOR_ATTRIBUTE_OFFSET = 6;
constexpr int COLOR_DIGITS = 6;
constexpr int COLOR_STACK_CAPACITY = 8;

// The escapes of text that is not markup, and the units they stand for.
struct MarkupEscape {
    std::u16string_view written;
    char16_t unit;
};
constexpr std::array<MarkupEscape, 2> ESCAPES{{{u"&lt;", u'<'}, {u"&amp;", u'&'}}};

constexpr char16_t ToLowerAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

bool StartsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    return std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char16_t a, char16_t b) { return ToLowerAscii(a) == ToLowerAscii(b); });
}

bool EndsTagName(char16_t c) {
    return IsPlatformSpace(c) || c == u'<' || c == u'>';
}

// The last row whose name begins the tag name, 0 when none does. The name is
// only compared within the scanned tag name, never beyond the text.
int FindTagRow(std::u16string_view tagName) {
    for (int row = static_cast<int>(TagTable.size()) - 1; row >= 1; --row) {
        if (StartsWithIgnoringCase(tagName, TagTable[row].name)) {
            return row;
        }
    }
    return 0;
}

int ScanWord(const char16_t* word, int remaining) {
    int length = 1;
    while (length < remaining && !IsPlatformSpace(word[length]) && word[length] != u'<') {
        ++length;
    }
    return length;
}

int ScanTag(const char16_t* tag, int remaining, bool oldWhitespace, bool* whitespaceFlag, int& length) {
    int endFlag = 0;
    length = 1;
    if (remaining >= 2 && tag[1] == u'/') {
        endFlag = MARKUP_END_TAG;
        length = 2;
    }
    const int nameStart = length;
    while (length < remaining && !EndsTagName(tag[length])) {
        ++length;
    }
    int row = FindTagRow({tag + nameStart, static_cast<size_t>(length - nameStart)});
    if (row != 0) {
        if (TagTable[row].hasAttribute && endFlag == 0) {
            while (length < remaining && tag[length] != u'<' && tag[length] != u'>') {
                ++length;
            }
        } else if (length >= remaining || tag[length] != u'>') {
            row = 0;
        }
        if (row != 0 && TagTable[row].isBlock && whitespaceFlag != nullptr) {
            *whitespaceFlag = false;
        }
    }
    if (length < remaining && tag[length] == u'>') {
        ++length;
    }
    if (row != 0 && (TagTable[row].isBlock || oldWhitespace)) {
        while (length < remaining && IsPlatformSpace(tag[length])) {
            ++length;
        }
    }
    return TagTable[row].token + endFlag;
}

int HexDigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return 0;
}

// The colour of "#rrggbb" at `digits`; digits missing at the end of the text count as 0.
ColorRef ParseColor(std::u16string_view digits) {
    std::array<int, COLOR_DIGITS> value{};
    for (size_t i = 0; i < value.size() && i < digits.size(); ++i) {
        value[i] = HexDigitValue(digits[i]);
    }
    return Rgb(value[0] * 16 + value[1], value[2] * 16 + value[3], value[4] * 16 + value[5]);
}

unsigned StyleOfToken(int token) {
    switch (token) {
    case MARKUP_TOKEN_BOLD:
        return MARKUP_STYLE_BOLD;
    case MARKUP_TOKEN_ITALIC:
        return MARKUP_STYLE_ITALIC;
    case MARKUP_TOKEN_UNDERLINE:
        return MARKUP_STYLE_UNDERLINE;
    case MARKUP_TOKEN_SUPERSCRIPT:
        return MARKUP_STYLE_SUPERSCRIPT;
    case MARKUP_TOKEN_SUBSCRIPT:
        return MARKUP_STYLE_SUBSCRIPT;
    case MARKUP_TOKEN_HEADING:
        return MARKUP_STYLE_HEADING;
    default:
        return 0;
    }
}

int32_t ClampToInt(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// The units of `text` to lay out: `count` of them, or all when negative, and
// never past a terminating NUL.
std::u16string_view TextToLayOut(const char16_t* text, int count) {
    if (count < 0) {
        return {text};
    }
    const char16_t* end = std::find(text, text + count, u'\0');
    return {text, static_cast<size_t>(end - text)};
}

// The word as it is to be seen: its escapes replaced by the units they stand for.
// Words without "&" are used in place; the others are decoded into `buffer`.
std::u16string_view UnescapeWord(std::u16string_view word, std::u16string& buffer) {
    if (word.find(u'&') == std::u16string_view::npos) {
        return word;
    }
    buffer.clear();
    size_t i = 0;
    while (i < word.size()) {
        const auto escape = std::find_if(ESCAPES.begin(), ESCAPES.end(), [&](const MarkupEscape& e) {
            return word.substr(i, e.written.size()) == e.written;
        });
        if (escape != ESCAPES.end()) {
            buffer += escape->unit;
            i += escape->written.size();
        } else {
            buffer += word[i];
            ++i;
        }
    }
    return buffer;
}

// The context's state as it was on entry, restored when the call ends.
class SavedState {
public:
    explicit SavedState(DrawingContext& dc) : dc_(dc), state_(dc.SaveState()) {}
    ~SavedState() { dc_.RestoreState(state_); }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

private:
    DrawingContext& dc_;
    int state_;
};

// Slot 0 holds the caller's font; the variants in slots 1 to 63 are made on
// first use and destroyed with the slots.
class FontSlots {
public:
    explicit FontSlots(DrawingContext& dc) : dc_(dc) {
        fonts_[0] = dc.SelectFont(dc.StockSystemFont());
        dc.SelectFont(fonts_[0]);
    }
    ~FontSlots() {
        for (size_t style = 1; style < fonts_.size(); ++style) {
            if (fonts_[style] != FontHandle::None) {
                dc_.DeleteFont(fonts_[style]);
            }
        }
    }
    FontSlots(const FontSlots&) = delete;
    FontSlots& operator=(const FontSlots&) = delete;

    // Selects the font of `style`, creating it when needed. When it cannot be
    // made the stock font stays selected and the next switch tries again.
    void Select(unsigned style) {
        FontHandle& font = fonts_[style];
        if (font == FontHandle::None && style != 0) {
            font = CreateStyledFont(dc_, fonts_[0], style);
        }
        if (font != FontHandle::None) {
            dc_.SelectFont(font);
        }
    }

private:
    DrawingContext& dc_;
    std::array<FontHandle, MARKUP_STYLE_COUNT> fonts_{};
};

struct LayoutArea {
    int64_t left = 0;
    int64_t top = 0;
    int64_t maxWidth = 0;
};

class MarkupLayout {
public:
    MarkupLayout(DrawingContext& dc, FontSlots& fonts, std::u16string_view text, LayoutArea area, uint32_t format)
        : dc_(dc), fonts_(fonts), text_(text), area_(area), format_(format),
          lineHeight_(dc.MeasureText(LINE_HEIGHT_SAMPLE).cy), startColor_(dc.GetTextColor()) {}

    void Run() {
        const char16_t* position = text_.data();
        int remaining = ClampToInt(static_cast<int64_t>(text_.size()));
        int length = 0;
        for (int token = NextMarkupToken(position, remaining, &length, &whitespace_); token != MARKUP_TOKEN_NONE;
             token = NextMarkupToken(position, remaining, &length, &whitespace_)) {
            const auto offset = static_cast<size_t>(position - text_.data());
            HandleToken(token, offset, static_cast<size_t>(length));
            position += length;
            remaining -= length;
        }
    }

    int64_t LastLineTop() const { return y_; }
    int64_t Widest() const { return widest_; }
    int64_t LineHeight() const { return lineHeight_; }

private:
    bool SingleLine() const { return (format_ & DT_SINGLELINE) != 0; }
    bool Measuring() const { return (format_ & DT_CALCRECT) != 0; }

    void HandleToken(int token, size_t offset, size_t length) {
        const bool isEnd = (token & MARKUP_END_TAG) != 0;
        const int code = token & ~MARKUP_END_TAG;
        if (const unsigned style = StyleOfToken(code); style != 0) {
            styles_ = isEnd ? (styles_ & ~style) : (styles_ | style);
        } else if (code == MARKUP_TOKEN_BREAK && !isEnd && !SingleLine()) {
            y_ += lineHeight_;
            x_ = 0;
        } else if (code == MARKUP_TOKEN_PARAGRAPH && !isEnd && !SingleLine()) {
            if (offset != 0) {
                y_ += (3 * lineHeight_) / 2;
            }
            x_ = 0;
        } else if (code == MARKUP_TOKEN_COLOR && isEnd) {
            CloseColor();
        } else if (code == MARKUP_TOKEN_COLOR) {
            OpenColor(text_.substr(offset));
        } else if (token == MARKUP_TOKEN_WORD) {
            PlaceWord(Unescape(text_.substr(offset, length)));
        }
    }

    // The word as it is to be seen; see UnescapeWord.
    std::u16string_view Unescape(std::u16string_view word) { return UnescapeWord(word, literal_); }

    void PlaceWord(std::u16string_view word) {
        if (static_cast<int>(styles_) != selectedStyle_) {
            fonts_.Select(styles_);
            selectedStyle_ = static_cast<int>(styles_);
            spaceWidth_ = dc_.MeasureText(SPACE).cx;
        }
        int64_t width = dc_.MeasureText(word).cx;
        const bool wrapping = (format_ & DT_WORDBREAK) != 0;
        if (!wrapping) {
            area_.maxWidth = std::max(area_.maxWidth, width);
        }
        if (whitespace_) {
            x_ += spaceWidth_;
            if (x_ + width > area_.maxWidth) {
                if (wrapping) {
                    y_ += lineHeight_;
                    x_ = 0;
                } else {
                    area_.maxWidth = x_ + width;
                }
            }
        }
        // A word longer than a wrapped line (a pasted number, say) ends in "…" at the edge.
        const bool elided = wrapping && width > area_.maxWidth;
        if (elided) {
            width = std::max<int64_t>(area_.maxWidth - x_, 0);
        }
        if (!Measuring()) {
            uint32_t wordFormat =
                (styles_ & MARKUP_STYLE_SUBSCRIPT) != 0 ? (format_ | DT_SINGLELINE | DT_BOTTOM) : format_;
            if (elided) {
                wordFormat = (wordFormat & ~DT_WORDBREAK) | DT_SINGLELINE | DT_END_ELLIPSIS;
            }
            DrawRun(word, x_, area_.maxWidth, wordFormat);
            // The space keeps an underline running through the gap between words.
            if (whitespace_ && (styles_ & MARKUP_STYLE_UNDERLINE) != 0 && x_ >= spaceWidth_) {
                DrawRun(SPACE, x_ - spaceWidth_, x_, format_);
            }
        }
        x_ += width;
        widest_ = std::max(widest_, x_);
        whitespace_ = false;
    }

    void DrawRun(std::u16string_view run, int64_t fromX, int64_t toX, uint32_t format) {
        Rect rect{ClampToInt(area_.left + fromX), ClampToInt(area_.top + y_), ClampToInt(area_.left + toX),
                  ClampToInt(area_.top + y_ + lineHeight_)};
        dc_.DrawText(run, rect, format);
    }

    // `tag` runs from "<font" to the end of the text: the colour digits are
    // read from there, up to the end of the text and no further.
    void OpenColor(std::u16string_view tag) {
        if (tag.size() < COLOR_ATTRIBUTE_OFFSET ||
            !StartsWithIgnoringCase(tag.substr(COLOR_ATTRIBUTE_OFFSET), COLOR_ATTRIBUTE)) {
            return;
        }
        size_t digits = COLOR_ATTRIBUTE_OFFSET + COLOR_ATTRIBUTE.size();
        if (digits < tag.size() && (tag[digits] == u'\'' || tag[digits] == u'"')) {
            ++digits;
        }
        if (digits < tag.size() && tag[digits] == u'#') {
            ++digits;
        }
        const ColorRef color = ParseColor(tag.substr(std::min(digits, tag.size()), COLOR_DIGITS));
        if (colorDepth_ < COLOR_STACK_CAPACITY) {
            colors_[colorDepth_++] = dc_.GetTextColor();
        }
        dc_.SetTextColor(color);
    }

    // Beyond the remembered colours an end tag gives back the colour the call started with.
    void CloseColor() {
        if (colorDepth_ > 0) {
            --colorDepth_;
            dc_.SetTextColor(colors_[colorDepth_]);
        } else {
            dc_.SetTextColor(startColor_);
        }
    }

    DrawingContext& dc_;
    FontSlots& fonts_;
    std::u16string_view text_;
    LayoutArea area_;
    uint32_t format_;
    int64_t lineHeight_;
    ColorRef startColor_;
    std::array<ColorRef, COLOR_STACK_CAPACITY> colors_{};
    int colorDepth_ = 0;
    std::u16string literal_;
    int64_t x_ = 0;
    int64_t y_ = 0;
    int64_t widest_ = 0;
    int64_t spaceWidth_ = 0;
    bool whitespace_ = false;
    unsigned styles_ = 0;
    int selectedStyle_ = -1;
};

LayoutArea AreaOf(DrawingContext& dc, const Rect* rect) {
    if (rect != nullptr) {
        return {rect->left, rect->top, std::max<int64_t>(0, int64_t{rect->right} - rect->left)};
    }
    const Point origin = dc.GetCurrentPosition();
    return {origin.x, origin.y, std::max<int64_t>(0, int64_t{dc.HorizontalResolution()} - origin.x)};
}

} // namespace

int NextMarkupToken(const char16_t*& position, int& remaining, int* tokenLength, bool* whitespaceFlag) {
    bool oldWhitespace = false;
    if (whitespaceFlag != nullptr) {
        oldWhitespace = *whitespaceFlag;
        if (remaining > 0 && IsPlatformSpace(*position)) {
            *whitespaceFlag = true;
        }
    }
    while (remaining > 0 && IsPlatformSpace(*position)) {
        ++position;
        --remaining;
    }
    if (remaining <= 0) {
        return MARKUP_TOKEN_NONE;
    }
    int length = 0;
    int token = MARKUP_TOKEN_WORD;
    if (*position == u'<') {
        token = ScanTag(position, remaining, oldWhitespace, whitespaceFlag, length);
    } else {
        length = ScanWord(position, remaining);
    }
    if (tokenLength != nullptr) {
        *tokenLength = length;
    }
    return token;
}

int DrawMarkupText(DrawingContext* dc, const char16_t* text, int count, Rect* rect, uint32_t format) {
    if (dc == nullptr || text == nullptr) {
        return 0;
    }
    const std::u16string_view units = TextToLayOut(text, count);
    const LayoutArea area = AreaOf(*dc, rect);
    format = (format & ~(DT_CENTER | DT_RIGHT | DT_TABSTOP)) | DT_NOPREFIX;

    int64_t lastLineTop = 0;
    int64_t widest = 0;
    int64_t lineHeight = 0;
    {
        // Declared in this order so that the caller's state is back before the variants go.
        FontSlots fonts(*dc);
        const SavedState saved(*dc);
        MarkupLayout layout(*dc, fonts, units, area, format);
        layout.Run();
        lastLineTop = layout.LastLineTop();
        widest = layout.Widest();
        lineHeight = layout.LineHeight();
    }
    if ((format & DT_CALCRECT) != 0 && rect != nullptr) {
        rect->right = ClampToInt(area.left + widest);
        rect->bottom = ClampToInt(area.top + lastLineTop + lineHeight);
    }
    return ClampToInt(lastLineTop);
}

FontHandle CreateStyledFont(DrawingContext& dc, FontHandle baseFont, unsigned styles) {
    dc.SelectFont(dc.StockSystemFont());
    LogFont description;
    if (!dc.DescribeFont(baseFont, description)) {
        return FontHandle::None;
    }
    description.weight = (styles & MARKUP_STYLE_BOLD) != 0 ? FW_BOLD : FW_NORMAL;
    description.italic = (styles & MARKUP_STYLE_ITALIC) != 0;
    description.underline = (styles & MARKUP_STYLE_UNDERLINE) != 0;
    if ((styles & (MARKUP_STYLE_SUPERSCRIPT | MARKUP_STYLE_SUBSCRIPT)) != 0) {
        description.height = static_cast<int32_t>(int64_t{description.height} * 7 / 10);
    }
    return dc.CreateFont(description);
}

std::u16string MarkupToPlainText(std::u16string_view markup) {
    const std::u16string_view text = TextToLayOut(markup.data(), ClampToInt(static_cast<int64_t>(markup.size())));
    std::u16string plain;
    std::u16string buffer;
    const char16_t* position = text.data();
    int remaining = ClampToInt(static_cast<int64_t>(text.size()));
    int length = 0;
    bool whitespace = false;
    bool lineBreak = false;
    for (int token = NextMarkupToken(position, remaining, &length, &whitespace); token != MARKUP_TOKEN_NONE;
         token = NextMarkupToken(position, remaining, &length, &whitespace)) {
        if (token == MARKUP_TOKEN_BREAK || token == MARKUP_TOKEN_PARAGRAPH) {
            lineBreak = true;
        } else if (token == MARKUP_TOKEN_WORD) {
            if (!plain.empty() && lineBreak) {
                plain += u", ";
            } else if (!plain.empty() && whitespace) {
                plain += u' ';
            }
            plain += UnescapeWord(std::u16string_view(position, static_cast<size_t>(length)), buffer);
            whitespace = false;
            lineBreak = false;
        }
        position += length;
        remaining -= length;
    }
    return plain;
}

} // namespace parcelo
