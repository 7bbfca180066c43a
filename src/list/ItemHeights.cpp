#include "list/ItemHeights.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <string_view>

namespace parcelo {

namespace {

// A longer list counts its first 2^31 - 1 pixels, what an int scroll range covers.
constexpr int64_t kMaxTotalHeight = std::numeric_limits<int>::max();
// A slice of measuring asks whether its time is up every few items.
constexpr int kSliceCheckEvery = 8;
// Items of an old filling freed per slice.
constexpr size_t kItemsFreedPerSlice = 10000;

uint64_t TextHash(std::u16string_view text) {
    return std::hash<std::u16string_view>{}(text);
}

size_t DataHash(int64_t data) {
    return static_cast<size_t>((static_cast<uint64_t>(data) * 0x9E3779B97F4A7C15ULL) >> 17);
}

} // namespace

void ItemHeights::Changed::Add(int index) {
    if (Empty()) {
        first = last = index;
    } else {
        first = std::min(first, index);
        last = std::max(last, index);
    }
}

bool ItemHeights::Reset() {
    // The items go to the side, for a refill to find their measures.
    bool retired = false;
    m_held.clear();
    if (!m_items.empty()) {
        retired = RetirePrevious();
        m_previous.items = std::move(m_items);
    }
    m_items.clear();
    // A refill is usually about as long as the filling before.
    m_items.reserve(m_previous.items.size());
    m_tops.reserve(m_previous.items.size() + 1);
    m_tops.assign(1, 0);
    m_totalHeight = 0;
    m_rowsToCome = 0;
    m_unmeasured = 0;
    m_refineCursor = 0;
    return retired;
}

int ItemHeights::Append(HTMLListItem item, int64_t viewBottom) {
    item.index = Count();
    item.textFromProvider = item.textPending;
    if (!item.measured && !ReuseMeasure(item)) {
        if (m_sampleCount == 0 || m_tops.back() < viewBottom) {
            MeasureNow(item);
        } else {
            if (!item.hasPreviousText) {
                item.height = EstimatedHeight();
            }
            ++m_unmeasured;
        }
    }
    m_tops.push_back(m_tops.back() + item.height);
    m_items.push_back(std::move(item));
    UpdateTotalHeight();
    return Count() - 1;
}

void ItemHeights::Reserve(size_t count) {
    if (count > m_items.capacity()) {
        m_items.reserve(count);
        m_tops.reserve(count + 1);
    }
}

void ItemHeights::SetRowsToCome(int count) {
    m_rowsToCome = std::max(count, 0);
    UpdateTotalHeight();
}

void ItemHeights::UpdateTotalHeight() {
    const int64_t comingHeight = m_rowsToCome > 0 ? int64_t{m_rowsToCome} * EstimatedHeight() : 0;
    m_totalHeight = static_cast<int>(std::min<int64_t>(m_tops.back() + comingHeight, kMaxTotalHeight));
}

int ItemHeights::EstimatedHeight() const {
    return static_cast<int>((m_sampleSum + m_sampleCount / 2) / std::max<int64_t>(m_sampleCount, 1));
}

HTMLListItem& ItemHeights::WithText(int index) {
    HTMLListItem& item = Item(index);
    EnsureText(item);
    return item;
}

std::u16string ItemHeights::TextOf(int index) const {
    const HTMLListItem& item = Item(index);
    if (item.textPending && m_textProvider) {
        return m_textProvider(item.index);
    }
    return item.text;
}

void ItemHeights::EnsureText(HTMLListItem& item) {
    if (item.textPending) {
        item.textPending = false;
        if (m_textProvider) {
            item.text = m_textProvider(item.index);
            m_held.push_back(item.index);
        }
    }
}

void ItemHeights::ReleaseText(HTMLListItem& item) {
    if (item.textFromProvider && !item.textPending) {
        std::u16string().swap(item.text);
        item.textPending = true;
    }
}

void ItemHeights::KeepTextsBetween(int first, int last) {
    size_t kept = 0;
    for (const int index : m_held) {
        if (!Has(index)) {
            continue;
        }
        HTMLListItem& item = Item(index);
        if (index >= first && index <= last) {
            if (!item.textPending) {
                m_held[kept++] = index;
            }
        } else {
            ReleaseText(item);
        }
    }
    m_held.resize(kept);
}

int ItemHeights::ItemBelow(int64_t y) const {
    // m_tops[i + 1] is the bottom of item i.
    const auto bottom = std::upper_bound(m_tops.begin() + 1, m_tops.end(), y);
    return static_cast<int>(bottom - (m_tops.begin() + 1));
}

void ItemHeights::Commit(const Changed& changed) {
    if (changed.Empty()) {
        return;
    }
    for (size_t i = static_cast<size_t>(std::max(changed.first, 0)); i < m_items.size(); ++i) {
        m_tops[i + 1] = m_tops[i] + m_items[i].height;
    }
    UpdateTotalHeight();
}

ItemHeights::Anchor ItemHeights::CaptureAnchor(int64_t position, int viewHeight, int selected) const {
    if (m_items.empty()) {
        return {};
    }
    int index = std::min(ItemBelow(position), Count() - 1);
    if (Has(selected) && TopOf(selected) + HeightOf(selected) > position && TopOf(selected) < position + viewHeight) {
        index = selected;
    }
    return {index, position - TopOf(index)};
}

bool ItemHeights::AnchoredPosition(const Anchor& anchor, int64_t& position) const {
    if (!Has(anchor.index)) {
        return false;
    }
    position = TopOf(anchor.index) + anchor.offset;
    return true;
}

bool ItemHeights::MeasureListed(int index) {
    HTMLListItem& item = Item(index);
    if (item.measured) {
        return false;
    }
    MeasureNow(item);
    --m_unmeasured;
    return true;
}

void ItemHeights::MeasureListed(int index, Changed& changed) {
    const int estimate = HeightOf(index);
    if (MeasureListed(index) && HeightOf(index) != estimate) {
        changed.Add(index);
    }
}

ItemHeights::Changed ItemHeights::MeasureInView(int64_t position, int viewHeight) {
    Changed changed;
    if (m_unmeasured == 0) {
        return changed;
    }
    // Only heights that changed count; an item may keep its estimate.
    for (int i = ItemBelow(position); i < Count() && TopOf(i) < position + viewHeight; ++i) {
        MeasureListed(i, changed);
    }
    return changed;
}

ItemHeights::Changed ItemHeights::MeasureAround(int index, int viewHeight) {
    Changed changed;
    if (m_unmeasured == 0) {
        return changed;
    }
    MeasureListed(index, changed);
    int64_t below = 0;
    for (int i = index + 1; i < Count() && below < viewHeight; ++i) {
        MeasureListed(i, changed);
        below += HeightOf(i);
    }
    int64_t above = 0;
    for (int i = index - 1; i >= 0 && above < viewHeight; --i) {
        MeasureListed(i, changed);
        above += HeightOf(i);
    }
    return changed;
}

ItemHeights::Changed ItemHeights::RefineSlice(const std::function<bool()>& timeUp) {
    Changed changed;
    int measured = 0;
    for (int scanned = 0; m_unmeasured > 0 && scanned < Count(); ++scanned) {
        if (m_refineCursor >= Count()) {
            m_refineCursor = 0;
        }
        const int index = m_refineCursor++;
        const int estimate = HeightOf(index);
        const bool textMade = Item(index).textPending;
        if (MeasureListed(index)) {
            // Measured out of view: the text goes again.
            if (textMade && !Item(index).textPending) {
                ReleaseText(Item(index));
                if (!m_held.empty() && m_held.back() == index) {
                    m_held.pop_back();
                }
            }
            if (HeightOf(index) != estimate) {
                changed.Add(index);
            }
            if (++measured % kSliceCheckEvery == 0 && timeUp()) {
                break;
            }
        }
    }
    if (measured == 0) {
        m_unmeasured = 0; // nothing was left after all
    }
    return changed;
}

void ItemHeights::MeasureNow(HTMLListItem& item) {
    EnsureText(item);
    if (item.hasPreviousText && item.textHash == TextHash(item.text)) {
        item.measured = true; // the estimate was the measure of the same text
    } else if (!ReuseMeasure(item)) {
        MeasureInto(item);
    }
    item.hasPreviousText = false;
}

void ItemHeights::MeasureInto(HTMLListItem& item) {
    EnsureText(item);
    item.height = m_measure(item);
    item.textHash = TextHash(item.text);
    item.measured = true;
    ++m_measureCount;
    m_sampleSum += item.height;
    ++m_sampleCount;
}

HTMLListItem* ItemHeights::FindPrevious(int64_t data) {
    std::vector<HTMLListItem>& previous = m_previous.items;
    if (previous.empty()) {
        return nullptr;
    }
    size_t found = m_previous.cursor;
    if (found >= previous.size() || previous[found].data != data) {
        if (m_previous.table.empty()) {
            BuildPreviousIndex();
        }
        const size_t mask = m_previous.table.size() - 1;
        found = previous.size();
        for (size_t slot = DataHash(data) & mask; m_previous.table[slot].index != 0; slot = (slot + 1) & mask) {
            if (m_previous.table[slot].data == data) {
                found = static_cast<size_t>(m_previous.table[slot].index - 1);
                break;
            }
        }
        if (found == previous.size()) {
            return nullptr;
        }
    }
    m_previous.cursor = found + 1;
    return &previous[found];
}

bool ItemHeights::ReuseMeasure(HTMLListItem& item) {
    HTMLListItem* old = FindPrevious(item.data);
    if (old == nullptr || !old->measured || old->fixedHeight || old->kind != item.kind || old->image != item.image) {
        return false;
    }
    if (item.textPending) {
        // The old height is the estimate until the text is made; the old text goes
        // with it, for the comparison then.
        item.height = old->height;
        item.hasPreviousText = true;
        item.textHash = old->textHash;
        old->measured = false; // the measure is taken: no other item takes it too
        return false;
    }
    if (old->textHash != TextHash(item.text)) {
        return false;
    }
    item.height = old->height;
    item.textHash = old->textHash;
    item.measured = true;
    return true;
}

void ItemHeights::BuildPreviousIndex() {
    const std::vector<HTMLListItem>& previous = m_previous.items;
    size_t capacity = 16;
    while (capacity < previous.size() * 2) {
        capacity *= 2;
    }
    m_previous.table.assign(capacity, {});
    const size_t mask = capacity - 1;
    for (size_t i = 0; i < previous.size(); ++i) {
        size_t slot = DataHash(previous[i].data) & mask;
        // The first item with a given data wins; later ones are found by the cursor or not at all.
        while (m_previous.table[slot].index != 0 && m_previous.table[slot].data != previous[i].data) {
            slot = (slot + 1) & mask;
        }
        if (m_previous.table[slot].index == 0) {
            m_previous.table[slot] = {previous[i].data, static_cast<int32_t>(i + 1)};
        }
    }
}

void ItemHeights::InvalidateMeasures() {
    RetirePrevious();
    m_sampleSum = 0;
    m_sampleCount = 0;
    int position = 0;
    for (HTMLListItem& item : m_items) {
        item.index = position++;
        if (!item.fixedHeight && item.measured) {
            // The old height is the estimate until the item is measured again.
            item.measured = false;
            ++m_unmeasured;
        }
    }
    m_refineCursor = 0;
}

bool ItemHeights::RetirePrevious() {
    // An item that took its estimate from the last filling keeps it as an estimate only:
    // the width, the style or the images it was measured with may have changed since.
    for (HTMLListItem& item : m_items) {
        item.hasPreviousText = false;
    }
    const bool any = !m_previous.items.empty();
    if (any) {
        m_retired.push_back(std::move(m_previous.items));
    }
    m_previous = {};
    return any;
}

void ItemHeights::FreeRetiredSlice() {
    if (m_retired.empty()) {
        return;
    }
    // Freeing 100,000 texts at once would hold up input for milliseconds.
    std::vector<HTMLListItem>& items = m_retired.back();
    items.resize(items.size() - std::min(items.size(), kItemsFreedPerSlice));
    if (items.empty()) {
        m_retired.pop_back();
    }
}

} // namespace parcelo
