#pragma once

#include <QDateTimeEdit>

class QKeyEvent;

namespace parcelo {

// The dialogs' date field: a date and time picker with a calendar, in Korean, with a
// four-digit year ("2026. 12. 6."), so that every year of its range can be typed. A
// digit typed where nothing is selected, after a click or a move of the cursor,
// replaces the part of the date under the cursor, as in any date field; the field
// would otherwise refuse it, the part being whole already.
class DateField : public QDateTimeEdit {
    Q_OBJECT
public:
    explicit DateField(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_typedUpTo = -1; // where the cursor stood after the last digit typed
};

} // namespace parcelo
