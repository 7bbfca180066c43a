#pragma once

#include "render/DrawingContext.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace parcelo {

// One recorded drawing call of FakeDrawingContext.
struct FakeDrawCall {
    enum class Kind { Text, Fill, Line, Edge, FocusRect, Image };
    Kind kind = Kind::Text;
    std::u16string text; // Text
    Rect rect;           // Text (as passed in), Fill, Edge, FocusRect
    uint32_t format = 0; // Text: DT_* flags; Edge: edge kind
    ColorRef color = 0;  // Text: the text colour; Fill, Line: the colour given
    LogFont font;        // Text: the selected font
    Point at;            // Line: start; Image: position
    Point to;            // Line: end
    int image = -1;      // Image: index in the list
};

// A drawing context with fixed metrics that records what is drawn.
//
// A font of height h is |h| pixels high and every UTF-16 unit is |h| * 2 / 3 pixels
// wide, one more when bold: the default font (height -15) gives lines of 15 and units
// of 10 (11 bold), its 7/10 variant lines of 10 and units of 6. The stock system font
// has height 16. DrawText lays a run out on one line. Fonts made by CreateFont are
// counted, so tests can check that each one is deleted again.
class FakeDrawingContext final : public DrawingContext {
public:
    static constexpr int DefaultFontHeight = 15;
    static constexpr int StockFontHeight = 16;
    using Kind = FakeDrawCall::Kind;

    FakeDrawingContext();

    static Size Extent(const LogFont& font, std::u16string_view text);

    void SetCurrentPosition(Point position) { position_ = position; }
    void FailFontCreation(bool fail) { failCreation_ = fail; }
    FontHandle DefaultFont() const { return defaultFont_; }

    const std::vector<FakeDrawCall>& Calls() const { return calls_; }
    std::vector<FakeDrawCall> TextCalls() const;
    void ClearCalls() { calls_.clear(); }
    FontHandle SelectedFont() const { return state_.font; }
    int FontsAlive() const; // created and not yet deleted
    int SavedStates() const { return static_cast<int>(saved_.size()); }
    // Deleting the stock font, a font in use or an unknown one, selecting a
    // deleted one, or restoring a state that was never saved.
    int Misuses() const { return misuses_; }

    int SaveState() override;
    void RestoreState(int state) override;
    FontHandle StockSystemFont() override { return stockFont_; }
    FontHandle SelectFont(FontHandle font) override;
    bool DescribeFont(FontHandle font, LogFont& description) override;
    FontHandle CreateFont(const LogFont& description) override;
    void DeleteFont(FontHandle font) override;
    Size MeasureText(std::u16string_view text) override;
    int DrawText(std::u16string_view text, Rect& rect, uint32_t format) override;
    ColorRef GetTextColor() override { return state_.color; }
    ColorRef SetTextColor(ColorRef color) override { return std::exchange(state_.color, color); }
    Point GetCurrentPosition() override { return position_; }
    int HorizontalResolution() override { return resolution_; }
    Rect GetClipBox() override { return {0, 0, 240, 320}; }
    void FillRect(const Rect& rect, ColorRef color) override { Record(Kind::Fill, rect).color = color; }
    void DrawLine(Point from, Point to, ColorRef color, int width) override;
    void DrawEdge(const Rect& rect, uint32_t edge, uint32_t) override { Record(Kind::Edge, rect).format = edge; }
    void DrawFocusRect(const Rect& rect) override { Record(Kind::FocusRect, rect); }
    void DrawImage(const ImageList&, int index, Point at) override { Record(Kind::Image, {}, at).image = index; }

private:
    struct FontRecord {
        LogFont description;
        bool created = false;
        bool alive = true;
    };
    struct State {
        FontHandle font = FontHandle::None;
        ColorRef color = 0;
    };

    FakeDrawCall& Record(Kind kind, const Rect& rect = {}, Point at = {});
    FontHandle AddFont(const LogFont& description, bool created);
    const FontRecord* Find(FontHandle font) const; // a live font, or nullptr
    const LogFont& SelectedFontDescription() const;

    std::vector<FontRecord> fonts_;
    std::vector<State> saved_;
    std::vector<FakeDrawCall> calls_;
    State state_;
    FontHandle stockFont_ = FontHandle::None;
    FontHandle defaultFont_ = FontHandle::None;
    Point position_;
    int resolution_ = 240;
    bool failCreation_ = false;
    int misuses_ = 0;
};

} // namespace parcelo
