#pragma once

#include "platform/GdiTypes.h"

#include <cstdint>
#include <string>

namespace parcelo {

// One entry of CHTMLListCtrl. The control owns its items; `rect` is where the item
// was drawn at the last paint (client coordinates) and is what hit testing uses.
struct HTMLListItem {
    int32_t index = -1;
    int32_t height = 0;
    int32_t kind = 2; // ITEM_TEXT
    std::u16string text;
    uint32_t data = 0;
    Rect rect;
    bool ticked = false;
    // The caller gave the height; such an item is never measured again.
    bool fixedHeight = false;
    int32_t image = 0;
};

} // namespace parcelo
