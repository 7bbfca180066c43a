#include "listui/HTMLListItemAccessible.h"

#include "listui/HTMLListCtrl.h"
#include "platform/qt/QtText.h"

#include <QAccessibleWidget>
#include <QKeySequence>
#include <QMetaObject>
#include <QWidget>
#include <QWindow>

namespace parcelo {

HTMLListItemAccessible::HTMLListItemAccessible(CHTMLListCtrl* list, int index) : m_list(list), m_index(index) {}

bool HTMLListItemAccessible::isValid() const {
    return m_list != nullptr && m_index < m_list->GetItemCount();
}

QWindow* HTMLListItemAccessible::window() const {
    return m_list != nullptr ? m_list->window()->windowHandle() : nullptr;
}

QAccessibleInterface* HTMLListItemAccessible::parent() const {
    return m_list != nullptr ? QAccessible::queryAccessibleInterface(m_list.data()) : nullptr;
}

QString HTMLListItemAccessible::text(QAccessible::Text type) const {
    if (type != QAccessible::Name || !isValid()) {
        return {};
    }
    return ToQString(m_list->GetSpokenText(m_index));
}

QRect HTMLListItemAccessible::rect() const {
    if (!isValid()) {
        return {};
    }
    const Rect r = m_list->CurrentRect(m_index);
    return {m_list->viewport()->mapToGlobal(QPoint(r.left, r.top)), QSize(r.Width(), r.Height())};
}

QAccessible::State HTMLListItemAccessible::state() const {
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    const bool selected = m_list->GetSelectedIndex() == m_index;
    state.selectable = true;
    state.selected = selected;
    state.focusable = true;
    state.focused = selected && m_list->hasFocus();
    const Rect r = m_list->CurrentRect(m_index);
    state.offscreen = r.bottom <= 0 || r.top >= m_list->viewport()->height();
    state.invisible = !m_list->isVisible();
    return state;
}

void* HTMLListItemAccessible::interface_cast(QAccessible::InterfaceType type) {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
}

QStringList HTMLListItemAccessible::actionNames() const {
    return {pressAction(), showMenuAction()};
}

void HTMLListItemAccessible::doAction(const QString& actionName) {
    if (!isValid()) {
        return;
    }
    // The action may open a dialog that runs its own event loop: it runs once the
    // assistive technology's call has been answered.
    const QPointer<CHTMLListCtrl> list = m_list;
    const int index = m_index;
    if (actionName == pressAction()) {
        QMetaObject::invokeMethod(
            list, [list, index] { list->ActivateItem(index); }, Qt::QueuedConnection);
    } else if (actionName == showMenuAction()) {
        QMetaObject::invokeMethod(
            list, [list, index] { list->OpenItemMenu(index); }, Qt::QueuedConnection);
    }
}

QStringList HTMLListItemAccessible::keyBindingsForAction(const QString& actionName) const {
    if (actionName == pressAction()) {
        return {QKeySequence(Qt::Key_Return).toString(QKeySequence::NativeText)};
    }
    if (actionName == showMenuAction()) {
        return {QKeySequence(Qt::Key_Menu).toString(QKeySequence::NativeText),
                QKeySequence(Qt::SHIFT | Qt::Key_F10).toString(QKeySequence::NativeText)};
    }
    return {};
}

} // namespace parcelo
