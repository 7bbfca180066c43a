#pragma once

#include <span>
#include <string_view>

// Dialog templates kept as constant data: per dialog its caption, font, size
// in dialog units and controls. Positions and sizes are dialog units, turned
// into pixels with the dialog font's base units when the dialog is built.
namespace parcelo {

enum class ControlKind { Combo, Edit, DateTime, Static, Icon };

inline constexpr int IDC_STATIC = -1; // a control that is never looked up

struct ControlTemplate {
    int id = IDC_STATIC;
    ControlKind kind = ControlKind::Static;
    std::u16string_view text; // label text; empty for the other kinds
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0; // for a combo box, the height with its list dropped down
    bool visible = true;
    std::span<const std::u16string_view> items = {}; // a combo box's initial list, in order
    int iconId = 0;                                  // the icon of an icon control
};

struct DialogTemplate {
    int id = 0;
    std::u16string_view caption;
    std::u16string_view fontFace;
    int pointSize = 0;
    int cx = 0;
    int cy = 0;
    std::span<const ControlTemplate> controls; // in tab order
};

// Short forms for the template tables.
constexpr ControlTemplate LabelControl(std::u16string_view text, int x, int y, int cx, int cy, bool visible = true,
                                       int id = IDC_STATIC) {
    return {id, ControlKind::Static, text, x, y, cx, cy, visible, {}, 0};
}
constexpr ControlTemplate ComboControl(int id, int x, int y, int cx, int cyDropped,
                                       std::span<const std::u16string_view> items = {}, bool visible = true) {
    return {id, ControlKind::Combo, {}, x, y, cx, cyDropped, visible, items, 0};
}
constexpr ControlTemplate EditControl(int id, int x, int y, int cx, int cy) {
    return {id, ControlKind::Edit, {}, x, y, cx, cy, true, {}, 0};
}
constexpr ControlTemplate DateTimeControl(int id, int x, int y, int cx, int cy) {
    return {id, ControlKind::DateTime, {}, x, y, cx, cy, true, {}, 0};
}
constexpr ControlTemplate IconControl(int id, int iconId, int x, int y, int cx, int cy) {
    return {id, ControlKind::Icon, {}, x, y, cx, cy, true, {}, iconId};
}

// The template of dialog `id` (IDD_*), nullptr for an unknown id.
const DialogTemplate* LoadDialogTemplate(int id);

} // namespace parcelo
