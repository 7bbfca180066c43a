#include "ui/MenuResource.h"

namespace parcelo {

MenuItems SubMenu(MenuItems menu, std::size_t position) {
    if (position >= menu.size()) {
        return {};
    }
    return menu[position].popup;
}

const MenuItem* FindMenuCommand(MenuItems menu, int command) {
    for (const MenuItem& item : menu) {
        if (item.IsPopup()) {
            if (const MenuItem* found = FindMenuCommand(item.popup, command)) {
                return found;
            }
        } else if (!item.IsSeparator() && item.command == command) {
            return &item;
        }
    }
    return nullptr;
}

} // namespace parcelo
