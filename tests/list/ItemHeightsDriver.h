#pragma once

// Drives ItemHeights with operations read from bytes (pairs: operation, argument) and
// checks it after each against a brute-force reference: tops summed item by item, the
// item found by walking the list, the height measuring gives now, the anchor's place
// on screen. Shared by the list test (random bytes) and the fuzz target (its input).
#include "list/ItemHeights.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace parcelo::testing {

class ItemHeightsDriver {
public:
    ItemHeightsDriver() {
        // Asked before the item is in the list, too.
        m_heights.SetTextProvider([this](int index) {
            Added& added = m_added[static_cast<size_t>(index)];
            ++added.asked;
            return Text(added.data);
        });
    }

    // The first broken invariant, or empty.
    std::string Run(const uint8_t* data, size_t size) {
        for (size_t at = 0; at + 1 < size && m_failure.empty(); at += 2) {
            Step(data[at], data[at + 1]);
            Check();
        }
        for (int round = 0; round <= m_heights.Count() && m_heights.Unmeasured() > 0; ++round) {
            Move([&] { return m_heights.RefineSlice([] { return false; }); });
        }
        Check();
        KeepTextsInView();
        Expect(m_heights.Unmeasured() == 0, "an item was left unmeasured");
        return m_failure;
    }

private:
    struct Added {
        int64_t data = 0;
        int fixed = 0;  // the height it was given, 0 for a measured item
        int asked = 0;  // how often the text provider was asked for it
        int mayAsk = 1; // how often it may be: once, and again after each letting go
    };

    // Texts out of view go; those of the items in view stay.
    void KeepTextsInView() {
        const int first = m_heights.ItemBelow(m_position);
        const int last = m_heights.ItemBelow(m_position + kViewHeight);
        m_heights.KeepTextsBetween(first, last);
        for (int i = 0; i < m_heights.Count(); ++i) {
            const HTMLListItem& item = m_heights.Item(i);
            const bool fromProvider = item.textFromProvider;
            Expect(!fromProvider || item.textPending || (i >= first && i <= last), "a text out of view is kept");
            m_added[static_cast<size_t>(i)].mayAsk += fromProvider ? 1 : 0;
        }
        Expect(m_heights.HeldTexts() <= static_cast<size_t>(std::max(last - first + 1, 0)), "too many texts held");
    }

    // What measuring gives: a function of the text, the kind, the image and the width.
    int TrueHeight(const HTMLListItem& item) const {
        const int lines = 1 + static_cast<int>(item.text.size()) * 8 / m_width;
        return 10 + lines * (item.kind == 0 ? 14 : 12) + item.image + static_cast<int>(item.text.size() % 5);
    }
    // A refill may change the texts of every third data.
    std::u16string Text(int64_t data) const {
        return std::u16string(static_cast<size_t>((data * 7 + (data % 3 == 0 ? m_textSeed : 0)) % 20), u'x');
    }

    void Step(uint8_t op, uint8_t arg) {
        switch (op % 10) {
        case 3: // a refill, mostly of the same data
            m_heights.Reset();
            m_added.clear();
            m_textSeed += arg & 1;
            break;
        case 4:
            m_width = 40 + arg;
            m_heights.InvalidateMeasures();
            std::ranges::for_each(m_added, [](Added& added) { ++added.mayAsk; });
            break;
        case 5:
            Move([&] { return m_heights.MeasureInView(m_position, kViewHeight); });
            KeepTextsInView();
            break;
        case 6:
            Move([&] { return m_heights.MeasureAround(arg % std::max(m_heights.Count(), 1), kViewHeight); });
            break;
        case 7:
            Move([&] { return m_heights.RefineSlice([&, asked = 0]() mutable { return ++asked > arg % 4; }); });
            break;
        case 8:
            m_position = m_heights.ItemsHeight() * arg / 255;
            m_selected = arg % 5 == 0 ? -1 : arg % 50;
            break;
        case 9:
            m_heights.SetRowsToCome(arg % 8 == 1 ? INT32_MAX : arg % 4 == 0 ? arg * 1000 : 0);
            m_heights.RetirePrevious();
            m_heights.FreeRetiredSlice();
            break;
        default:
            Append(arg);
        }
    }

    void Append(uint8_t arg) {
        HTMLListItem item;
        item.data = m_heights.Count() % 64 + ((arg & 0x40) != 0 ? int64_t{1} << 40 : 0);
        item.kind = arg % 3 == 0 ? 0 : 2;
        item.image = (arg & 0x20) != 0 ? 1 : 0;
        item.fixedHeight = item.measured = arg % 11 == 0;
        item.height = item.fixedHeight ? 1 + arg : 0;
        item.textPending = !item.fixedHeight && (arg & 0x80) != 0;
        m_added.resize(static_cast<size_t>(m_heights.Count()));
        m_added.push_back({item.data, item.height, 0});
        item.text = item.textPending ? std::u16string() : Text(item.data);
        m_heights.Append(std::move(item), m_position + kViewHeight);
    }

    // Measures by `measure`; the view follows the anchor, as the list keeps it on screen.
    template <class Measure> void Move(Measure measure) {
        const ItemHeights::Anchor anchor = m_heights.CaptureAnchor(m_position, kViewHeight, m_selected);
        const int64_t onScreen = anchor.index >= 0 ? m_heights.TopOf(anchor.index) - m_position : 0;
        const ItemHeights::Changed changed = measure();
        Expect(changed.Empty() || (changed.first >= 0 && changed.last < m_heights.Count()), "a change out of range");
        m_heights.Commit(changed);
        if (m_heights.AnchoredPosition(anchor, m_position)) {
            Expect(m_heights.TopOf(anchor.index) - m_position == onScreen, "the anchor moved on screen");
        }
    }

    void Check() {
        int64_t top = 0;
        int unmeasured = 0;
        for (int i = 0; i < m_heights.Count(); ++i) {
            const HTMLListItem& item = m_heights.Item(i);
            const Added& added = m_added[static_cast<size_t>(i)];
            Expect(m_heights.TopOf(i) == top && item.index == i, "a top is not the sum of the heights above");
            HTMLListItem withText = item; // a text let go is the provider's again
            withText.text = item.textPending ? Text(item.data) : item.text;
            Expect(item.fixedHeight ? item.height == added.fixed
                                    : !item.measured || item.height == TrueHeight(withText),
                   "a measured item does not have the height of its text");
            Expect(added.asked <= added.mayAsk && (item.textPending || item.text == Text(item.data)),
                   "a text was asked again while it was held");
            unmeasured += item.measured ? 0 : 1;
            top += item.height;
        }
        Expect(m_heights.ItemsHeight() == top && m_heights.Unmeasured() == unmeasured, "the sums are off");
        // The room of the rows to come follows the estimate as it stood at the last change.
        const int64_t total = m_heights.TotalHeight();
        Expect(m_heights.RowsToCome() > 0 ? total >= std::min<int64_t>(top, INT32_MAX) : total == top,
               "the total height is off");

        // ItemBelow and CaptureAnchor at a few points, against a walk down the list.
        for (const int64_t y : {int64_t{-1}, int64_t{0}, m_position, top / 2, top - 1, top, top + 5}) {
            int below = 0;
            while (below < m_heights.Count() && m_heights.TopOf(below) + m_heights.HeightOf(below) <= y) {
                ++below;
            }
            Expect(m_heights.ItemBelow(y) == below, "ItemBelow found another item");
            int index = std::min(below, m_heights.Count() - 1);
            if (m_heights.Has(m_selected) && m_heights.TopOf(m_selected) + m_heights.HeightOf(m_selected) > y &&
                m_heights.TopOf(m_selected) < y + kViewHeight) {
                index = m_selected;
            }
            const ItemHeights::Anchor anchor = m_heights.CaptureAnchor(y, kViewHeight, m_selected);
            Expect(anchor.index == index && (index < 0 || anchor.offset == y - m_heights.TopOf(index)),
                   "the anchor is not the item in view");
        }
    }

    void Expect(bool condition, const char* what) {
        if (!condition && m_failure.empty()) {
            m_failure = what;
        }
    }

    static constexpr int kViewHeight = 120;
    int m_width = 200;
    int m_textSeed = 0;
    int64_t m_position = 0;
    int m_selected = -1;
    std::vector<Added> m_added; // by index
    ItemHeights m_heights{[this](const HTMLListItem& item) { return TrueHeight(item); }};
    std::string m_failure;
};

} // namespace parcelo::testing
