#pragma once

// Notification codes, style bits and item kinds of the HTML list control.
namespace parcelo {

// Notifications of the HTML list control.
inline constexpr int HTMLLIST_SELCHANGED = 1;
inline constexpr int HTMLLIST_LBUTTONDOWN = 2;
inline constexpr int HTMLLIST_RBUTTONDOWN = 3;
inline constexpr int HTMLLIST_DBLCLICK = 4;
inline constexpr int HTMLLIST_CHECKCHANGED = 5;
inline constexpr int HTMLLIST_CONTEXTMENU = 6;
inline constexpr int HTMLLIST_RETURN = 7;

// Style bits of the HTML list control.
inline constexpr int HTMLLIST_STYLE_CHECKBOXES = 1;
inline constexpr int HTMLLIST_STYLE_GRIDLINES = 2;
inline constexpr int HTMLLIST_STYLE_IMAGES = 4;

// Kinds of HTML list items.
inline constexpr int ITEM_HTML = 1;
inline constexpr int ITEM_TEXT = 2;
inline constexpr int ITEM_SINGLELINE = 3;

} // namespace parcelo
