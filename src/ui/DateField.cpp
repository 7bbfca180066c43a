#include "ui/DateField.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

namespace parcelo {

DateField::DateField(QWidget* parent) : QDateTimeEdit(parent) {
    // The interface is Korean whatever the desktop's language.
    setLocale(QLocale(QLocale::Korean, QLocale::SouthKorea));
    setCalendarPopup(true);
    setDisplayFormat(QStringLiteral("yyyy. M. d."));
}

void DateField::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    const bool digit = text.size() == 1 && text[0].isDigit();
    if (digit && !lineEdit()->hasSelectedText() && lineEdit()->cursorPosition() != m_typedUpTo) {
        setSelectedSection(currentSection()); // a new entry in this part, not more of the last one
    }
    QDateTimeEdit::keyPressEvent(event);
    m_typedUpTo = digit ? lineEdit()->cursorPosition() : -1;
}

} // namespace parcelo
