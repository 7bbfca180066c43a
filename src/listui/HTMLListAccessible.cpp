#include "listui/HTMLListAccessible.h"

#include "listui/HTMLListCtrl.h"
#include "listui/HTMLListItemAccessible.h"

#include <QWidget>

namespace parcelo {

HTMLListAccessible::HTMLListAccessible(CHTMLListCtrl* list) : QAccessibleWidget(list, QAccessible::List) {}

HTMLListAccessible::~HTMLListAccessible() {
    for (const QAccessible::Id id : std::as_const(m_items)) {
        QAccessible::deleteAccessibleInterface(id);
    }
}

QAccessibleInterface* HTMLListAccessible::Create(const QString&, QObject* object) {
    auto* list = qobject_cast<CHTMLListCtrl*>(object);
    return list != nullptr ? new HTMLListAccessible(list) : nullptr;
}

CHTMLListCtrl* HTMLListAccessible::List() const {
    return static_cast<CHTMLListCtrl*>(widget());
}

int HTMLListAccessible::childCount() const {
    return List()->GetItemCount();
}

QAccessibleInterface* HTMLListAccessible::child(int index) const {
    if (index < 0 || index >= childCount()) {
        return nullptr;
    }
    const auto found = m_items.constFind(index);
    if (found != m_items.constEnd()) {
        return QAccessible::accessibleInterface(*found);
    }
    auto* item = new HTMLListItemAccessible(List(), index);
    m_items.insert(index, QAccessible::registerAccessibleInterface(item));
    return item;
}

int HTMLListAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (child == nullptr) {
        return -1;
    }
    const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child));
    const int index = m_items.key(id, -1);
    return index < childCount() ? index : -1;
}

QAccessibleInterface* HTMLListAccessible::childAt(int x, int y) const {
    const CHTMLListCtrl* list = List();
    const QPoint at = list->viewport()->mapFromGlobal(QPoint(x, y));
    if (!list->viewport()->rect().contains(at)) {
        return nullptr;
    }
    // Only the items in view can be under the point.
    for (int i = 0; i < list->GetItemCount(); ++i) {
        const Rect rect = list->CurrentRect(i);
        if (rect.top > at.y()) {
            break;
        }
        if (rect.Contains(Point{at.x(), at.y()})) {
            return child(i);
        }
    }
    return nullptr;
}

QAccessibleInterface* HTMLListAccessible::focusChild() const {
    const CHTMLListCtrl* list = List();
    if (!list->hasFocus()) {
        return nullptr;
    }
    return child(list->GetSelectedIndex());
}

} // namespace parcelo
