#pragma once

// Drives ItemHeights with operations read from bytes and checks it after each one
// against a brute-force reference: the sum of the heights taken item by item, the
// item found by walking the list, and the height that measuring gives now. Shared by
// the unit test (random bytes) and the fuzz target (its input).
#include "listui/ItemHeights.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace parcelo::testing {

class ItemHeightsDriver {
public:
    // Calls `fail` with a description of the first broken invariant, then stops.
    ItemHeightsDriver() {
        m_heights.SetTextProvider([this](int index) {
            m_asked.resize(std::max(m_asked.size(), static_cast<size_t>(index) + 1));
            ++m_asked[static_cast<size_t>(index)];
            return Text(m_dataOf[static_cast<size_t>(index)]); // asked before the item is in the list, too
        });
    }

    template <class Fail> void Run(const uint8_t* data, size_t size, Fail fail) {
        m_data = data;
        m_size = size;
        m_at = 0;
        while (m_at < m_size && m_failure.empty()) {
            Step();
            Check();
        }
        Settle();
        if (m_failure.empty()) {
            Check();
        }
        if (!m_failure.empty()) {
            fail(m_failure);
        }
    }

private:
    // What measuring gives: a function of the text, the kind, the image and the width.
    int TrueHeight(const HTMLListItem& item) const {
        const int lineWidth = std::max(m_width, 1);
        const int lines = 1 + static_cast<int>(item.text.size()) * 8 / lineWidth;
        return 10 + lines * (item.kind == 0 ? 14 : 12) + item.image + static_cast<int>(item.text.size() % 5);
    }
    std::u16string Text(int64_t data) const {
        // A refill changes the texts of every third data.
        return std::u16string(static_cast<size_t>((data * 7 + (data % 3 == 0 ? m_textSeed : 0)) % 20), u'x');
    }
    uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }

    void Step() {
        const uint8_t op = Byte();
        const uint8_t arg = Byte();
        switch (op % 10) {
        case 0:
        case 1:
        case 2:
            Append(arg);
            break;
        case 3: // a refill, mostly with the same data, of which some change text
            m_heights.Reset();
            m_asked.clear();
            m_selected = std::min(m_selected, 3);
            if ((arg & 1) != 0) {
                ++m_textSeed;
            }
            break;
        case 4:
            m_width = 40 + arg;
            m_heights.InvalidateMeasures();
            break;
        case 5:
            Move([&] { return m_heights.MeasureInView(m_position, m_viewHeight); });
            break;
        case 6:
            if (m_heights.Count() > 0) {
                Move([&] { return m_heights.MeasureAround(arg % m_heights.Count(), m_viewHeight); });
            }
            break;
        case 7: {
            int asked = 0;
            Move([&] { return m_heights.RefineSlice([&] { return ++asked > arg % 4; }); });
            break;
        }
        case 8:
            m_position = m_heights.ItemsHeight() * arg / 255;
            m_selected = arg % 5 == 0 ? -1 : arg % 50;
            break;
        default:
            m_heights.SetRowsToCome(arg % 4 == 0 ? arg * 1000 : 0);
            if (arg % 8 == 1) {
                m_heights.SetRowsToCome(INT32_MAX);
            }
            m_heights.RetirePrevious();
            m_heights.FreeRetiredSlice();
            break;
        }
    }

    void Append(uint8_t arg) {
        HTMLListItem item;
        item.data = m_heights.Count() % 64 + (arg & 0x40 ? int64_t{1} << 40 : 0);
        item.kind = arg % 3 == 0 ? 0 : 2;
        item.image = arg & 0x20 ? 1 : 0;
        const bool fixed = arg % 11 == 0;
        if (fixed) {
            item.height = 1 + arg;
            item.fixedHeight = true;
            item.measured = true;
        }
        if (!fixed && (arg & 0x80) != 0) {
            item.textPending = true;
        } else {
            item.text = Text(item.data);
        }
        m_fixed.resize(static_cast<size_t>(m_heights.Count()));
        m_fixed.push_back(fixed ? item.height : 0);
        m_dataOf.resize(static_cast<size_t>(m_heights.Count()));
        m_dataOf.push_back(item.data);
        m_heights.Append(std::move(item), m_position + m_viewHeight);
    }

    // Measures by `measure`; the view moves with the anchor, as the list keeps it on screen.
    template <class Measure> void Move(Measure measure) {
        const ItemHeights::Anchor anchor = m_heights.CaptureAnchor(m_position, m_viewHeight, m_selected);
        const int64_t onScreen = anchor.index >= 0 ? m_heights.TopOf(anchor.index) - m_position : 0;
        const ItemHeights::Changed changed = measure();
        Expect(changed.Empty() || (changed.first >= 0 && changed.last < m_heights.Count()), "a change out of range");
        m_heights.Commit(changed);
        int64_t position = 0;
        if (m_heights.AnchoredPosition(anchor, position)) {
            Expect(m_heights.TopOf(anchor.index) - position == onScreen, "the anchor moved on screen");
            m_position = position;
        }
    }

    // Measures everything there is to measure; Check then finds every height true.
    void Settle() {
        for (int round = 0; round <= m_heights.Count() && m_heights.Unmeasured() > 0; ++round) {
            Move([&] { return m_heights.RefineSlice([] { return false; }); });
        }
        for (int i = 0; i < m_heights.Count(); ++i) {
            Expect(!m_heights.Item(i).textPending && m_heights.Item(i).text == Text(m_heights.Item(i).data),
                   "an item measured without its text");
        }
    }

    void Check() {
        int64_t top = 0;
        int unmeasured = 0;
        for (int i = 0; i < m_heights.Count(); ++i) {
            const HTMLListItem& item = m_heights.Item(i);
            Expect(m_heights.TopOf(i) == top, "a top is not the sum of the heights above");
            Expect(item.index == i, "an item does not know its index");
            Expect(!item.fixedHeight || item.height == m_fixed[static_cast<size_t>(i)], "a fixed height changed");
            Expect(item.fixedHeight || !item.measured || item.height == TrueHeight(item),
                   "a measured item does not have the height of its text");
            unmeasured += item.measured ? 0 : 1;
            top += item.height;
        }
        Expect(std::all_of(m_asked.begin(), m_asked.end(), [](int n) { return n <= 1; }),
               "a text was asked for twice in one filling");
        Expect(m_heights.ItemsHeight() == top, "the sum of the heights is off");
        Expect(m_heights.Unmeasured() == unmeasured, "the count of estimates is off");
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
            const ItemHeights::Anchor anchor = m_heights.CaptureAnchor(y, m_viewHeight, m_selected);
            int index = std::min(below, m_heights.Count() - 1);
            if (m_selected >= 0 && m_selected < m_heights.Count()) {
                const int64_t selectedTop = m_heights.TopOf(m_selected);
                if (selectedTop + m_heights.HeightOf(m_selected) > y && selectedTop < y + m_viewHeight) {
                    index = m_selected;
                }
            }
            Expect(anchor.index == index && (index < 0 || anchor.offset == y - m_heights.TopOf(index)),
                   "the anchor is not the item in view");
        }
    }

    void Expect(bool condition, const char* what) {
        if (!condition && m_failure.empty()) {
            m_failure = what;
        }
    }
    void Fail(std::string what) {
        if (m_failure.empty()) {
            m_failure = std::move(what);
        }
    }

    int m_width = 200;
    int m_textSeed = 0;
    int64_t m_position = 0;
    int m_viewHeight = 120;
    int m_selected = -1;
    std::vector<int> m_fixed; // by index: the height an item was given, 0 for a measured one
    std::vector<int64_t> m_dataOf;
    std::vector<int> m_asked; // by index: how often the text provider was asked this filling
    ItemHeights m_heights{[this](const HTMLListItem& item) { return TrueHeight(item); }};
    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_at = 0;
    std::string m_failure;
};

} // namespace parcelo::testing
