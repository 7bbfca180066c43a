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

int UnitWidth(const LogFont& font) {
    return std::max(1, std::abs(font.height) * 2 / 3) + (font.weight >= FW_BOLD ? 1 : 0);
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

Size FakeDrawingContext::Extent(const LogFont& font, std::u16string_view text) {
    return {static_cast<int32_t>(text.size()) * UnitWidth(font), std::abs(font.height)};
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
    return SavedStates();
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

bool FakeDrawingContext::DescribeFont(FontHandle font, LogFont& description) {
    const FontRecord* record = Find(font);
    if (record != nullptr) {
        description = record->description;
    }
    return record != nullptr;
}

FontHandle FakeDrawingContext::CreateFont(const LogFont& description) {
    if (failCreation_) {
        return FontHandle::None;
    }
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
    return Extent(SelectedFontDescription(), text);
}

int FakeDrawingContext::DrawText(std::u16string_view text, Rect& rect, uint32_t format) {
    const LogFont& font = SelectedFontDescription();
    const Size extent = Extent(font, text);
    if ((format & DT_CALCRECT) != 0) {
        rect.right = Clamped(int64_t{rect.left} + extent.cx);
        rect.bottom = Clamped(int64_t{rect.top} + extent.cy);
        return extent.cy;
    }
    FakeDrawCall& call = Record(Kind::Text, rect);
    call.text = text;
    call.format = format;
    call.color = state_.color;
    call.font = font;
    return extent.cy;
}

void FakeDrawingContext::DrawLine(Point from, Point to, ColorRef color, int /*width*/) {
    FakeDrawCall& call = Record(Kind::Line, {}, from);
    call.to = to;
    call.color = color;
    position_ = to;
}

FakeDrawCall& FakeDrawingContext::Record(Kind kind, const Rect& rect, Point at) {
    FakeDrawCall& call = calls_.emplace_back();
    call.kind = kind;
    call.rect = rect;
    call.at = at;
    return call;
}

FontHandle FakeDrawingContext::AddFont(const LogFont& description, bool created) {
    fonts_.push_back({description, created, true});
    return static_cast<FontHandle>(fonts_.size());
}

const FakeDrawingContext::FontRecord* FakeDrawingContext::Find(FontHandle font) const {
    const auto index = static_cast<size_t>(font) - 1;
    return index < fonts_.size() && fonts_[index].alive ? &fonts_[index] : nullptr;
}

} // namespace parcelo
