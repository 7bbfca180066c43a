#pragma once

#include <QAccessibleInterface>
#include <QPointer>

namespace parcelo {

class CHTMLListCtrl;

// One item of a CHTMLListCtrl for assistive technologies: a list item named by the
// text the list gives for reading, selectable and focusable, with the list's
// double-click action ("press") and the item menu ("showMenu"). It stands for an
// index: after a refill it reads whatever item has that index, and it is invalid
// while the list has fewer items.
class HTMLListItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    HTMLListItemAccessible(CHTMLListCtrl* list, int index);

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    QPointer<CHTMLListCtrl> m_list;
    int m_index = 0;
};

} // namespace parcelo
