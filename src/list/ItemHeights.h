#pragma once

#include "list/HTMLListItem.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace parcelo {

// The items of a vertical list and where each lies: running tops over the item
// heights, so that finding the item at a pixel, or a pixel's item, takes a binary
// search. Heights come from a measuring function. Items not measured yet count with
// the average of the heights measured so far (rounded), until the list measures
// them: those in view, those around an item scrolled to, or the rest in slices.
//
// A refill keeps the measure of every item of the last filling with the same data,
// kind and image when the text is the same too (compared by hash); an item added
// without its text takes the old height as its estimate and keeps it without measuring
// if its text turns out the same. Texts from the text provider are kept only for the
// items in view: one measured elsewhere is let go and asked for again when needed, so
// a long list holds a screenful of texts, not all of them. Lengths are plain pixels;
// the list knows nothing of a screen.
class ItemHeights {
public:
    // The height an item needs; called with the item's text made.
    using Measure = std::function<int(const HTMLListItem& item)>;
    // Gives the text of item `index` of an item added without its text.
    using TextProvider = std::function<std::u16string(int index)>;

    // An item whose place on screen is kept while heights above it change.
    struct Anchor {
        int index = -1;
        int64_t offset = 0; // the scroll position less the item's top
    };
    // Items `first` to `last` changed height; empty when first > last.
    struct Changed {
        int first = 0;
        int last = -1;
        bool Empty() const { return first > last; }
        void Add(int index);
    };

    explicit ItemHeights(Measure measure) : m_measure(std::move(measure)) {}

    void SetTextProvider(TextProvider provider) { m_textProvider = std::move(provider); }

    // Every item goes; a refill finds their measures (see RetirePrevious). Returns true
    // when an older filling was retired for it, to be freed in slices.
    bool Reset();
    // Appends an item and returns its index. An item that is not measured already
    // (a fixed height is) takes the measure of the last filling's item, is measured
    // now when no item is measured yet or the list ends above `viewBottom`, or gets
    // the estimate.
    int Append(HTMLListItem item, int64_t viewBottom);
    // Room for `count` items in all.
    void Reserve(size_t count);
    // Rows to come: room kept below the items at the estimated height.
    void SetRowsToCome(int count);
    int RowsToCome() const { return m_rowsToCome; }

    int Count() const { return static_cast<int>(m_items.size()); }
    bool Has(int index) const { return index >= 0 && index < Count(); }
    // The item as it stands; its text may be still to come (see WithText). A caller may
    // change its text or tick, not its height or the flags that go with it.
    HTMLListItem& Item(int index) { return m_items[static_cast<size_t>(index)]; }
    const HTMLListItem& Item(int index) const { return m_items[static_cast<size_t>(index)]; }
    // The item with its text, asking the text provider first if need be.
    HTMLListItem& WithText(int index);
    // The item's text, from the text provider for one whose text is still to come.
    std::u16string TextOf(int index) const;
    // Lets go of the provider's texts that WithText or measuring made for items outside
    // `first` to `last`, the items in view.
    void KeepTextsBetween(int first, int last);
    // Provider texts held now (those in view and those made since the last KeepTextsBetween).
    size_t HeldTexts() const { return m_held.size(); }

    int64_t TopOf(int index) const { return m_tops[static_cast<size_t>(index)]; }
    int HeightOf(int index) const { return Item(index).height; }
    // The first item whose bottom lies below `y`; the item count when none.
    int ItemBelow(int64_t y) const;
    // The sum of the item heights.
    int64_t ItemsHeight() const { return m_tops.back(); }
    // The sum with the room of the rows to come, at most the largest int.
    int TotalHeight() const { return m_totalHeight; }
    int EstimatedHeight() const;

    // Items whose height is still an estimate.
    int Unmeasured() const { return m_unmeasured; }
    int64_t MeasureCount() const { return m_measureCount; }

    // The item at `position` or the selected one when it reaches into the view.
    Anchor CaptureAnchor(int64_t position, int viewHeight, int selected) const;
    // The scroll position that puts the anchor where it was; false when its item is gone.
    bool AnchoredPosition(const Anchor& anchor, int64_t& position) const;

    // Measures the items that show from `position`, one round: a round's changes move
    // the view, so the caller repeats until nothing changes.
    Changed MeasureInView(int64_t position, int viewHeight);
    // Measures `index` and enough items on each side to fill `viewHeight`.
    Changed MeasureAround(int index, int viewHeight);
    // Measures estimated items from where the last slice stopped, until `timeUp`
    // (asked every few items) says so or none is left.
    Changed RefineSlice(const std::function<bool()>& timeUp);
    // Recomputes the tops after a change.
    void Commit(const Changed& changed);

    // Turns every measured height into an estimate (the width or the style changed).
    void InvalidateMeasures();
    // The last filling is no guide any more: its items are set aside for freeing.
    // Returns true when there were any.
    bool RetirePrevious();
    bool HasRetired() const { return !m_retired.empty(); }
    // Frees a slice of the set-aside items.
    void FreeRetiredSlice();

private:
    // Measured heights of the items of the last filling, kept while a refill runs.
    struct PreviousFill {
        struct Slot {
            int64_t data = 0;
            int32_t index = 0; // index + 1, 0 for a free slot
        };
        std::vector<HTMLListItem> items;
        std::vector<Slot> table; // open addressing by data
        size_t cursor = 0;       // where the next item is most likely to be
    };

    void EnsureText(HTMLListItem& item);
    static void ReleaseText(HTMLListItem& item);
    void MeasureInto(HTMLListItem& item);
    // Measures an item that is not measured yet, unless it takes the measure of an item
    // of the last filling with the same text.
    void MeasureNow(HTMLListItem& item);
    // Measures item `index` unless it is measured already; true when it was not.
    bool MeasureListed(int index);
    // Measures item `index` and notes it in `changed` when its height changed.
    void MeasureListed(int index, Changed& changed);
    bool ReuseMeasure(HTMLListItem& item);
    HTMLListItem* FindPrevious(int64_t data);
    void BuildPreviousIndex();
    void UpdateTotalHeight();

    Measure m_measure;
    TextProvider m_textProvider;
    std::vector<HTMLListItem> m_items;
    // Indices of the items whose provider text is held (some may have let go of it since).
    std::vector<int> m_held;
    // m_tops[i] is the top of item i, m_tops.back() the sum of the heights.
    std::vector<int64_t> m_tops{0};
    int m_totalHeight = 0;
    int m_rowsToCome = 0;
    int m_unmeasured = 0;
    int m_refineCursor = 0;
    int64_t m_sampleSum = 0;
    int64_t m_sampleCount = 0;
    int64_t m_measureCount = 0;
    PreviousFill m_previous;
    std::vector<std::vector<HTMLListItem>> m_retired;
};

} // namespace parcelo
