#include "support/FakeDrawingContext.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <utility>

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

int FakeDrawingContext::UnitWidth(const LogFont& font) {
    return std::max(1, std::abs(font.height) * 2 / 3) + (font.weight >= FW_BOLD ? 1 : 0);
}

int FakeDrawingContext::LineHeightOf(const LogFont& font) {
    return std::abs(font.height);
}

Size FakeDrawingContext::Extent(const LogFont& font, std::u16string_view text) {
    return {static_cast<int32_t>(text.size()) * UnitWidth(font), LineHeightOf(font)};
}

std::vector<FakeDrawCall> FakeDrawingContext::TextCalls() const {
    std::vector<FakeDrawCall> texts;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(texts),
                 [](const FakeDrawCall& call) { return call.kind == FakeDrawCall::Kind::Text; });
    return texts;
}

const LogFont& FakeDrawingContext::SelectedFontDescription() const {
    return Find(state_.font)->description;
}

int FakeDrawingContext::FontsAlive() const {
    return static_cast<int>(
        std::count_if(fonts_.begin(), fonts_.end(), [](const FontRecord& f) { return f.created && f.alive; }));
}

int FakeDrawingContext::SaveState() {
    saved_.push_back(state_);
    return static_cast<int>(saved_.size());
}

void FakeDrawingContext::RestoreState(int state) {
    const int size = static_cast<int>(saved_.size());
    const int target = state < 0 ? size + 1 + state : state;
    if (target < 1 || target > size) {
        ++misuses_;
        return;
    }
    state_ = saved_[target - 1];
    saved_.resize(target - 1);
}

FontHandle FakeDrawingContext::SelectFont(FontHandle font) {
    const FontRecord* record = Find(font);
    if (record == nullptr || !record->alive) {
        ++misuses_;
        return FontHandle::None;
    }
    return std::exchange(state_.font, font);
}

bool FakeDrawingContext::DescribeFont(FontHandle font, LogFont& description) {
    const FontRecord* record = Find(font);
    if (record == nullptr || !record->alive) {
        return false;
    }
    description = record->description;
    return true;
}

FontHandle FakeDrawingContext::CreateFont(const LogFont& description) {
    if (failCreation_) {
        return FontHandle::None;
    }
    ++fontsCreated_;
    return AddFont(description, true);
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

Size FakeDrawingContext::MeasureText(std::u16string_view text) {
    ++measurements_;
    return Extent(SelectedFontDescription(), text);
}

int FakeDrawingContext::DrawText(std::u16string_view text, Rect& rect, uint32_t format) {
    const LogFont& font = SelectedFontDescription();
    const int lineHeight = LineHeightOf(font);
    const bool wraps = (format & DT_WORDBREAK) != 0 && (format & DT_SINGLELINE) == 0;
    const int32_t rectWidth = Clamped(std::max<int64_t>(0, int64_t{rect.right} - rect.left));
    const int lines = wraps ? WrappedLines(text, rectWidth) : 1;
    if ((format & DT_CALCRECT) != 0) {
        const int width = Extent(font, text).cx;
        rect.right = Clamped(int64_t{rect.left} + (lines > 1 ? rectWidth : width));
        rect.bottom = Clamped(int64_t{rect.top} + int64_t{lines} * lineHeight);
        return lines * lineHeight;
    }
    FakeDrawCall call;
    call.text = text;
    call.rect = rect;
    call.format = format;
    call.color = state_.color;
    call.font = font;
    calls_.push_back(std::move(call));
    return lines * lineHeight;
}

ColorRef FakeDrawingContext::SetTextColor(ColorRef color) {
    return std::exchange(state_.color, color);
}

void FakeDrawingContext::FillRect(const Rect& rect, ColorRef color) {
    FakeDrawCall call;
    call.kind = FakeDrawCall::Kind::Fill;
    call.rect = rect;
    call.color = color;
    calls_.push_back(std::move(call));
}

void FakeDrawingContext::DrawLine(Point from, Point to, ColorRef color, int /*width*/) {
    FakeDrawCall call;
    call.kind = FakeDrawCall::Kind::Line;
    call.at = from;
    call.to = to;
    call.color = color;
    calls_.push_back(std::move(call));
    position_ = to;
}

void FakeDrawingContext::DrawEdge(const Rect& rect, uint32_t edge, uint32_t sides) {
    FakeDrawCall call;
    call.kind = FakeDrawCall::Kind::Edge;
    call.rect = rect;
    call.format = edge;
    call.sides = sides;
    calls_.push_back(std::move(call));
}

void FakeDrawingContext::DrawFocusRect(const Rect& rect) {
    FakeDrawCall call;
    call.kind = FakeDrawCall::Kind::FocusRect;
    call.rect = rect;
    calls_.push_back(std::move(call));
}

void FakeDrawingContext::DrawImage(const ImageList& /*images*/, int index, Point at) {
    FakeDrawCall call;
    call.kind = FakeDrawCall::Kind::Image;
    call.image = index;
    call.at = at;
    calls_.push_back(std::move(call));
}

FontHandle FakeDrawingContext::AddFont(const LogFont& description, bool created) {
    fonts_.push_back({description, created, true});
    return static_cast<FontHandle>(fonts_.size());
}

const FakeDrawingContext::FontRecord* FakeDrawingContext::Find(FontHandle font) const {
    const auto index = static_cast<size_t>(font) - 1;
    return index < fonts_.size() ? &fonts_[index] : nullptr;
}

// Lines of `text` broken greedily at spaces to fit `width`; a word too long
// for a line gets a line of its own.
int FakeDrawingContext::WrappedLines(std::u16string_view text, int width) const {
    const int unit = UnitWidth(SelectedFontDescription());
    int lines = 1;
    int lineWidth = 0;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(u' ', start), text.size());
        const int wordWidth = static_cast<int>(end - start) * unit;
        const int needed = lineWidth == 0 ? wordWidth : lineWidth + unit + wordWidth;
        if (lineWidth != 0 && needed > width) {
            ++lines;
            lineWidth = wordWidth;
        } else {
            lineWidth = needed;
        }
        start = end + 1;
    }
    return lines;
}

} // namespace parcelo
