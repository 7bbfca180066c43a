#include "support/FakeDrawingContext.h"

#include <cstdint>
#include <iterator>

namespace parcelo {

FakeDrawingContext::FakeDrawingContext() {
    const auto font = [](int32_t height, std::u16string_view face) {
        LogFont made;
        made.height = height;
        std::copy_n(face.begin(), std::min(face.size(), std::size(made.face) - 1), made.face);
        return made;
    };
    stockFont_ = AddFont(font(StockFontHeight, u"System"), false);
    defaultFont_ = AddFont(font(-DefaultFontHeight, u"Fake Sans"), false);
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
    if ((format & DT_CALCRECT) != 0) { // a rectangle may span the whole range, where right - left overflows
        rect.right = static_cast<int32_t>(std::clamp<int64_t>(int64_t{rect.left} + extent.cx, INT32_MIN, INT32_MAX));
        rect.bottom = static_cast<int32_t>(std::clamp<int64_t>(int64_t{rect.top} + extent.cy, INT32_MIN, INT32_MAX));
    } else {
        calls_.push_back({std::u16string(text), rect, format, state_.color, font});
    }
    return extent.cy;
}

} // namespace parcelo
