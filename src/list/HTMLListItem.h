#pragma once

#include <cstdint>
#include <string>

namespace parcelo {

// One entry of CHTMLListCtrl. The control owns its items and keeps their places
// itself; GetItemRect tells where an item was drawn at the last paint.
struct HTMLListItem {
    int32_t index = -1;
    int32_t height = 0;
    int32_t kind = 2; // ITEM_TEXT
    int32_t image = 0;
    std::u16string text;
    int64_t data = 0;
    bool ticked = false;
    // The caller gave the height; such an item is never measured again.
    bool fixedHeight = false;
    // False while `height` is an estimate that the control has yet to replace by a measure.
    bool measured = false;
    // The text is still to be asked of the list's text provider.
    bool textPending = false;
    // The text comes from the list's text provider: the list may let it go once the item
    // is measured and out of view, and ask for it again.
    bool textFromProvider = false;
    // For an item added without its text: the height is the measure of the item of the
    // last filling with the same data; the item keeps that height without measuring when
    // the hash of its own text turns out the same as that item's.
    bool hasPreviousText = false;
    // The hash of the text the height was measured with (for an item with a previous
    // text, of that text), so that a refill can tell an unchanged text without keeping it.
    uint64_t textHash = 0;
};

} // namespace parcelo
