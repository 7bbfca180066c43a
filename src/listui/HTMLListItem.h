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
    std::u16string text;
    int64_t data = 0;
    bool ticked = false;
    // The caller gave the height; such an item is never measured again.
    bool fixedHeight = false;
    // False while `height` is an estimate that the control has yet to replace by a measure.
    bool measured = false;
    int32_t image = 0;
};

} // namespace parcelo
