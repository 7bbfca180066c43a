#include "ui/QtMenuBuilder.h"

#include "platform/Translation.h"
#include "platform/resource.h"
#include "ui/Menus.h"

#include <QAction>
#include <QMenu>
#include <functional>

namespace parcelo {
namespace {

void ForEachAction(const QMenu& menu, const std::function<void(QAction*)>& visit) {
    for (QAction* action : menu.actions()) {
        if (const QMenu* subMenu = action->menu()) {
            ForEachAction(*subMenu, visit);
        } else {
            visit(action);
        }
    }
}

} // namespace

QString QtMenuBuilder::ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QString QtMenuBuilder::TranslatedText(const char* context, std::u16string_view text) {
    return QString::fromStdU16String(Translate(context, text));
}

QMenu* QtMenuBuilder::BuildMenu(MenuItems items, QWidget* parent, const QString& title) {
    auto* menu = new QMenu(title, parent);
    AddItems(*menu, items);
    return menu;
}

QMenu* QtMenuBuilder::BuildSubMenu(int menuId, std::size_t position, QWidget* parent) {
    const MenuItems menu = LoadMenuResource(menuId);
    const MenuItems items = SubMenu(menu, position);
    if (items.empty()) {
        return nullptr;
    }
    return BuildMenu(items, parent, TranslatedText("Menu", menu[position].text));
}

void QtMenuBuilder::AddItems(QMenu& menu, MenuItems items) {
    for (const MenuItem& item : items) {
        if (item.IsSeparator()) {
            menu.addSeparator();
        } else if (item.IsPopup()) {
            AddItems(*menu.addMenu(TranslatedText("Menu", item.text)), item.popup);
        } else {
            QAction* action = menu.addAction(TranslatedText("Menu", item.text));
            action->setData(item.command);
            // Shown, and taken while the menu is open; the window's own shortcut
            // serves when it is closed.
            action->setShortcut(KeysOf(item.command));
        }
    }
}

QKeySequence QtMenuBuilder::KeysOf(int command) {
    switch (command) {
    case ID_NEW_SHIPMENT:
        return QKeySequence(Qt::Key_F1);
    case ID_DELETE_SHIPMENT:
        return QKeySequence(Qt::Key_Delete);
    case ID_FIND:
        return QKeySequence(QKeySequence::Find);
    case ID_REFRESH_STATUS:
        return QKeySequence(Qt::Key_F5);
    case ID_EXIT:
        return QKeySequence(Qt::CTRL | Qt::Key_Q);
    default:
        return {};
    }
}

int QtMenuBuilder::CommandOf(const QAction* action) {
    if (action == nullptr || action->isSeparator() || action->menu() != nullptr) {
        return 0;
    }
    bool ok = false;
    const int command = action->data().toInt(&ok);
    return ok ? command : 0;
}

QAction* QtMenuBuilder::FindCommand(const QMenu& menu, int command) {
    QAction* found = nullptr;
    ForEachAction(menu, [&](QAction* action) {
        if (found == nullptr && CommandOf(action) == command) {
            found = action;
        }
    });
    return found;
}

void QtMenuBuilder::EnableCommand(QMenu& menu, int command, bool enabled) {
    ForEachAction(menu, [&](QAction* action) {
        if (CommandOf(action) == command) {
            action->setEnabled(enabled);
        }
    });
}

void QtMenuBuilder::CheckCommand(QMenu& menu, int command, bool checked) {
    ForEachAction(menu, [&](QAction* action) {
        if (CommandOf(action) == command) {
            action->setCheckable(true);
            action->setChecked(checked);
        }
    });
}

} // namespace parcelo
