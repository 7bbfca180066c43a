#pragma once

#include <QAccessibleWidget>

namespace parcelo {

class CDropDownButton;

// A filter or sort button for assistive technologies: a combo box named and valued
// by the caption it shows, whose "press" and "showMenu" actions open its menu.
class DropDownButtonAccessible : public QAccessibleWidget {
public:
    explicit DropDownButtonAccessible(CDropDownButton* button);

    // For QAccessible::installFactory: the interface of a CDropDownButton, nullptr for
    // any other object.
    static QAccessibleInterface* Create(const QString& key, QObject* object);

    QString text(QAccessible::Text type) const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    CDropDownButton* Button() const;
};

} // namespace parcelo
