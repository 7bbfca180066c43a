#include "support/FakeDrawingContext.h"

#include <cstdint>
#include <iterator>

namespace parcelo {

namespace {

// Rectangles may span the whole coordinate range, where right - left overflows.
int32_t Clamped(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

LogFont MakeFont(int32_t height, std::u16string_view face) {
    LogFont font;
    font.height = height;
    std::copy_n(face.begin(), std::min(face.size(), std::size(font.face) - 1), font.face);
    return font;
}

} // namespace

FakeDrawingContext::FakeDrawingContext() {
    stockFont_ = AddFont(MakeFont(StockFontHeight, u"System"), false);
    defaultFont_ = AddFont(MakeFont(-DefaultFontHeight, u"Fake Sans"), false);
    state_.font = defaultFont_;
}

void FakeDrawingContext::RestoreState(int state) {
    if (state < 1 || state > SavedStates()) {
        ++misuses_;
        return;
    }
    state_ = saved_[state - 1];
    saved_.resize(state - 1);
}

FontHandle FakeDrawingContext::SelectFont(FontHandle font) {
    if (Find(font) == nullptr) {
        ++misuses_;
        return FontHandle::None;
    }
    return std::exchange(state_.font, font);
}

void FakeDrawingContext::DeleteFont(FontHandle font) {
    const auto index = static_cast<size_t>(font) - 1;
    const bool inUse = font == state_.font ||
                       std::any_of(saved_.begin(), saved_.end(), [font](const State& s) { return s.font == font; });
    if (index >= fonts_.size() || !fonts_[index].created || !fonts_[index].alive || inUse) {
        ++misuses_;
        return;
    }
    fonts_[index].alive = false;
}

int FakeDrawingContext::DrawText(std::u16string_view text, Rect& rect, uint32_t format) {
    const LogFont& font = Find(state_.font)->description;
    const Size extent = Extent(font, text);
    if ((format & DT_CALCRECT) != 0) {
        rect.right = Clamped(int64_t{rect.left} + extent.cx);
        rect.bottom = Clamped(int64_t{rect.top} + extent.cy);
    } else {
        calls_.push_back({std::u16string(text), rect, format, state_.color, font});
    }
    return extent.cy;
}

} // namespace parcelo
