#pragma once

#include <QAccessibleWidget>
#include <QHash>

namespace parcelo {

class CHTMLListCtrl;

// The list as assistive technologies see it: a list whose children are its items,
// one accessible item per index (see HTMLListItemAccessible), made when first asked
// for and kept until the list goes.
class HTMLListAccessible : public QAccessibleWidget {
public:
    explicit HTMLListAccessible(CHTMLListCtrl* list);
    ~HTMLListAccessible() override;
    HTMLListAccessible(const HTMLListAccessible&) = delete;
    HTMLListAccessible& operator=(const HTMLListAccessible&) = delete;

    // For QAccessible::installFactory: the interface of a CHTMLListCtrl, nullptr for
    // any other object.
    static QAccessibleInterface* Create(const QString& key, QObject* object);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

private:
    CHTMLListCtrl* List() const;

    // The ids of the item interfaces made so far, by index.
    mutable QHash<int, QAccessible::Id> m_items;
};

} // namespace parcelo
