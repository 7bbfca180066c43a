#include "ui/FindBar.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace parcelo {

CFindBar::CFindBar(QWidget* parent) : QLineEdit(parent) {
    setObjectName(QStringLiteral("FindBar"));
    setPlaceholderText(QCoreApplication::translate("FindBar", "찾기: 물품명, 송장번호, 택배사"));
    setClearButtonEnabled(true);
    hide();
}

void CFindBar::Open() {
    show();
    setFocus(Qt::ShortcutFocusReason);
    selectAll();
}

void CFindBar::Close() {
    clear();
    hide();
    emit closed();
}

void CFindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Close();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace parcelo
