#pragma once

#include "ui/DialogTemplates.h"

#include <QFont>
#include <QRect>
#include <utility>
#include <vector>

class QWidget;

// Creates the controls of a dialog template as Qt widgets and places them:
// positions in dialog units turned into pixels with the base units of the
// dialog font, so that a dialog grows with its font.
namespace parcelo {

// Base units of a dialog font: x is the average width of "A".."Z" and "a".."z",
// y the height of a line. A dialog unit is x / 4 pixels across and y / 8 down.
struct DialogBaseUnits {
    int x = 0;
    int y = 0;

    int ToPixelsX(int units) const;
    int ToPixelsY(int units) const;
    QRect ToPixels(int x, int y, int cx, int cy) const;
};

// The controls of one built dialog, looked up by control id.
class DialogControls {
public:
    // The first control with `id`; nullptr for IDC_STATIC or an id not in the template.
    QWidget* GetDlgItem(int id) const;
    template <class Widget> Widget* Item(int id) const { return qobject_cast<Widget*>(GetDlgItem(id)); }

    // Every control in tab order, labels included.
    const std::vector<std::pair<int, QWidget*>>& All() const { return m_controls; }
    void Add(int id, QWidget* control) { m_controls.emplace_back(id, control); }

private:
    std::vector<std::pair<int, QWidget*>> m_controls;
};

class DialogBuilder {
public:
    // The template's font: the system's user-interface font at the template's
    // point size. The face named in the template is not used, as it is seldom
    // installed and would fall back to an arbitrary face.
    static QFont TemplateFont(const DialogTemplate& dialogTemplate);
    static DialogBaseUnits BaseUnits(const QFont& font);
    // The template's own size in pixels.
    static QSize TemplateSize(const DialogTemplate& dialogTemplate);

    // Creates every control of the template as a child of `parent`, in tab
    // order, with `origin` as the template's top-left corner; hidden controls
    // are created hidden.
    static DialogControls Build(const DialogTemplate& dialogTemplate, QWidget& parent, QPoint origin = {});
    // Moves and resizes `controls` to the positions of `dialogTemplate`, which
    // must list the same controls in the same order (a portrait and a
    // landscape template of one dialog).
    static void ApplyLayout(const DialogTemplate& dialogTemplate, const DialogControls& controls, QPoint origin = {});
};

} // namespace parcelo
