#pragma once

#include "render/DrawingContext.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace parcelo {

// One run drawn by FakeDrawingContext::DrawText.
struct FakeDrawCall {
    std::u16string text;
    Rect rect;           // as passed in
    uint32_t format = 0; // DT_* flags
    ColorRef color = 0;  // the text colour
    LogFont font;        // the selected font
};

// A drawing context with fixed metrics that records the text runs drawn, each on one line. A
// font of height h is |h| pixels high, every UTF-16 unit |h| * 2 / 3 wide, one more when bold;
// the stock system font has height 16. Fonts made by CreateFont are counted, so tests can check
// each is deleted again. Markup draws text only: any other drawing is a misuse.
class FakeDrawingContext final : public DrawingContext {
public:
    static constexpr int DefaultFontHeight = 15;
    static constexpr int StockFontHeight = 16;

    FakeDrawingContext();

    static Size Extent(const LogFont& font, std::u16string_view text) {
        const int unit = std::max(1, std::abs(font.height) * 2 / 3) + (font.weight >= FW_BOLD ? 1 : 0);
        return {static_cast<int32_t>(text.size()) * unit, std::abs(font.height)};
    }

    void SetCurrentPosition(Point position) { position_ = position; }
    void FailFontCreation(bool fail) { failCreation_ = fail; }
    FontHandle DefaultFont() const { return defaultFont_; }

    const std::vector<FakeDrawCall>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    FontHandle SelectedFont() const { return state_.font; }
    int FontsAlive() const { // created and not yet deleted
        return static_cast<int>(
            std::count_if(fonts_.begin(), fonts_.end(), [](const FontRecord& f) { return f.created && f.alive; }));
    }
    int SavedStates() const { return static_cast<int>(saved_.size()); }
    // Deleting the stock font, a font in use or an unknown one, selecting a deleted
    // one, restoring a state that was never saved, or drawing anything but text.
    int Misuses() const { return misuses_; }

    int SaveState() override {
        saved_.push_back(state_);
        return SavedStates();
    }
    void RestoreState(int state) override;
    FontHandle StockSystemFont() override { return stockFont_; }
    FontHandle SelectFont(FontHandle font) override;
    bool DescribeFont(FontHandle font, LogFont& description) override {
        const FontRecord* record = Find(font);
        description = record != nullptr ? record->description : description;
        return record != nullptr;
    }
    FontHandle CreateFont(const LogFont& description) override {
        return failCreation_ ? FontHandle::None : AddFont(description, true);
    }
    void DeleteFont(FontHandle font) override;
    Size MeasureText(std::u16string_view text) override { return Extent(Find(state_.font)->description, text); }
    int DrawText(std::u16string_view text, Rect& rect, uint32_t format) override;
    ColorRef GetTextColor() override { return state_.color; }
    ColorRef SetTextColor(ColorRef color) override { return std::exchange(state_.color, color); }
    Point GetCurrentPosition() override { return position_; }
    int HorizontalResolution() override { return 240; }
    Rect GetClipBox() override { return {0, 0, 240, 320}; }
    void FillRect(const Rect&, ColorRef) override { ++misuses_; }
    void DrawLine(Point, Point, ColorRef, int) override { ++misuses_; }
    void DrawEdge(const Rect&, uint32_t, uint32_t) override { ++misuses_; }
    void DrawFocusRect(const Rect&) override { ++misuses_; }
    void DrawImage(const ImageList&, int, Point) override { ++misuses_; }

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

    FontHandle AddFont(const LogFont& description, bool created) {
        fonts_.push_back({description, created, true});
        return static_cast<FontHandle>(fonts_.size());
    }
    const FontRecord* Find(FontHandle font) const { // a live font, or nullptr
        const auto index = static_cast<size_t>(font) - 1;
        return index < fonts_.size() && fonts_[index].alive ? &fonts_[index] : nullptr;
    }

    std::vector<FontRecord> fonts_;
    std::vector<State> saved_;
    std::vector<FakeDrawCall> calls_;
    State state_;
    FontHandle stockFont_ = FontHandle::None;
    FontHandle defaultFont_ = FontHandle::None;
    Point position_;
    bool failCreation_ = false;
    int misuses_ = 0;
};

} // namespace parcelo
