#pragma once

#include <cstddef>
#include <span>
#include <string_view>

// Menus kept as constant data: a menu is a list of items, each a command, a
// separator or a pop-up holding a list of its own.
namespace parcelo {

struct MenuItem;
using MenuItems = std::span<const MenuItem>;

struct MenuItem {
    std::u16string_view text; // empty for a separator
    int command = 0;          // 0 for separators and pop-ups
    MenuItems popup = {};     // the pop-up's items; empty for a command

    constexpr bool IsSeparator() const { return text.empty() && popup.empty(); }
    constexpr bool IsPopup() const { return !popup.empty(); }
};

// The items of the pop-up at `position` of `menu`; empty when that item is no pop-up.
MenuItems SubMenu(MenuItems menu, std::size_t position);

// The first item carrying `command`, searched depth first through the pop-ups.
const MenuItem* FindMenuCommand(MenuItems menu, int command);

} // namespace parcelo
