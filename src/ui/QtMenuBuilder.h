#pragma once

#include "ui/MenuResource.h"

#include <QKeySequence>
#include <QString>

class QAction;
class QMenu;
class QWidget;

// Turns menu data into Qt menus. Each command's QAction carries its command id
// as data(); separators and pop-ups carry none.
namespace parcelo {

class QtMenuBuilder {
public:
    // A new menu with `items`, owned by `parent`.
    static QMenu* BuildMenu(MenuItems items, QWidget* parent, const QString& title = {});
    // The pop-up at `position` of menu resource `menuId` as a new menu owned by
    // `parent`; nullptr when there is no such pop-up.
    static QMenu* BuildSubMenu(int menuId, std::size_t position, QWidget* parent);
    // Appends `items` to `menu`; pop-ups become sub-menus.
    static void AddItems(QMenu& menu, MenuItems items);

    // The command id of `action`, 0 for separators, pop-ups and foreign actions.
    static int CommandOf(const QAction* action);
    // The first action carrying `command`, searched through the sub-menus too.
    static QAction* FindCommand(const QMenu& menu, int command);
    // Enables or greys every action carrying `command`.
    static void EnableCommand(QMenu& menu, int command, bool enabled);
    // Sets or clears the check mark of every action carrying `command`.
    static void CheckCommand(QMenu& menu, int command, bool checked);

    static QString ToQString(std::u16string_view text);
    // A text of the menu or dialog tables (PARCELO_TR_NOOP in `context`), in the
    // interface's language.
    static QString TranslatedText(const char* context, std::u16string_view text);
    // The key the main window gives a command, shown beside it in every menu; empty
    // for a command without one.
    static QKeySequence KeysOf(int command);
};

} // namespace parcelo
