#include "ui/DropDownButtonAccessible.h"

#include "ui/DropDownButton.h"

#include <QKeySequence>
#include <QMetaObject>
#include <QPointer>

namespace parcelo {

DropDownButtonAccessible::DropDownButtonAccessible(CDropDownButton* button)
    : QAccessibleWidget(button, QAccessible::ComboBox) {}

QAccessibleInterface* DropDownButtonAccessible::Create(const QString&, QObject* object) {
    auto* button = qobject_cast<CDropDownButton*>(object);
    return button != nullptr ? new DropDownButtonAccessible(button) : nullptr;
}

CDropDownButton* DropDownButtonAccessible::Button() const {
    return static_cast<CDropDownButton*>(widget());
}

QString DropDownButtonAccessible::text(QAccessible::Text type) const {
    if (type == QAccessible::Name || type == QAccessible::Value) {
        return Button()->Caption();
    }
    return QAccessibleWidget::text(type);
}

QStringList DropDownButtonAccessible::actionNames() const {
    return QStringList{pressAction(), showMenuAction()} + QAccessibleWidget::actionNames();
}

void DropDownButtonAccessible::doAction(const QString& actionName) {
    if (actionName == pressAction() || actionName == showMenuAction()) {
        // Opened once the assistive technology's call has been answered.
        const QPointer<CDropDownButton> button = Button();
        QMetaObject::invokeMethod(
            button, [button] { button->OpenMenu(); }, Qt::QueuedConnection);
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

QStringList DropDownButtonAccessible::keyBindingsForAction(const QString& actionName) const {
    if (actionName == pressAction() || actionName == showMenuAction()) {
        return {QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText),
                QKeySequence(Qt::Key_Down).toString(QKeySequence::NativeText)};
    }
    return QAccessibleWidget::keyBindingsForAction(actionName);
}

} // namespace parcelo
