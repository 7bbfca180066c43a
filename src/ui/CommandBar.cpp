#include "ui/CommandBar.h"

#include "render/qt/DpiCache.h"
#include "ui/Menus.h"
#include "ui/QtMenuBuilder.h"

#include <QAction>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QPushButton>

namespace parcelo {
namespace {

constexpr int kBarHeight = 26; // at 96 dots per inch

} // namespace

CCommandBar::CCommandBar(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setMinimumHeight(DpiCache::Program().LogicalY(kBarHeight));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

bool CCommandBar::InsertMenuBar(int menuId) {
    return InsertMenuBar(LoadMenuResource(menuId));
}

bool CCommandBar::InsertMenuBar(MenuItems items) {
    ClearKeys();
    if (items.empty()) {
        return false;
    }
    BuildKey(Key::Left, items[0]);
    if (items.size() > 1) {
        BuildKey(Key::Right, items[1]);
    }
    return true;
}

void CCommandBar::ClearKeys() {
    for (SoftKey& key : m_keys) {
        delete key.button; // owned by this bar; the pop-up is the button's child
        key = {};
    }
}

void CCommandBar::BuildKey(Key key, const MenuItem& item) {
    SoftKey& softKey = m_keys[Index(key)];
    softKey.button = new QPushButton(QtMenuBuilder::TranslatedText("Menu", item.text), this);
    softKey.button->setFlat(true);
    softKey.button->setAutoDefault(false); // Return belongs to the dialog, not to a key
    softKey.button->setFocusPolicy(Qt::NoFocus);
    softKey.button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    static_cast<QHBoxLayout*>(layout())->insertWidget(key == Key::Left ? 0 : -1, softKey.button);

    if (item.IsPopup()) {
        softKey.popup = QtMenuBuilder::BuildMenu(item.popup, softKey.button, softKey.button->text());
        connect(softKey.popup, &QMenu::triggered, this, [this](QAction* action) {
            if (const int command = QtMenuBuilder::CommandOf(action); command != 0) {
                emit commandChosen(static_cast<uint32_t>(command));
            }
        });
    } else {
        softKey.command = item.command;
    }
    connect(softKey.button, &QPushButton::clicked, this, [this, key] { PressKey(key); });
}

void CCommandBar::PressKey(Key key) {
    const SoftKey& softKey = m_keys[Index(key)];
    if (softKey.button == nullptr || !softKey.button->isEnabled()) {
        return;
    }
    if (softKey.popup != nullptr) {
        OpenPopup(softKey);
    } else if (softKey.command != 0) {
        emit commandChosen(static_cast<uint32_t>(softKey.command));
    }
}

void CCommandBar::OpenPopup(const SoftKey& key) {
    emit popupAboutToShow(key.popup);
    const QSize size = key.popup->sizeHint();
    QPoint at = key.button->mapToGlobal(QPoint(0, 0));
    at.ry() -= size.height();
    if (&key == &m_keys[Index(Key::Right)]) {
        at.rx() += key.button->width() - size.width();
    }
    key.popup->popup(at);
}

void CCommandBar::paintEvent(QPaintEvent* /*event*/) {
    // A rule along the top sets the bar off from the window's content.
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(0, 0, width(), 0);
}

void CCommandBar::EnableCommand(int command, bool enabled) {
    for (SoftKey& key : m_keys) {
        if (key.popup != nullptr) {
            QtMenuBuilder::EnableCommand(*key.popup, command, enabled);
        } else if (key.button != nullptr && key.command == command) {
            key.button->setEnabled(enabled);
        }
    }
}

void CCommandBar::CheckCommand(int command, bool checked) {
    for (SoftKey& key : m_keys) {
        if (key.popup != nullptr) {
            QtMenuBuilder::CheckCommand(*key.popup, command, checked);
        }
    }
}

} // namespace parcelo
