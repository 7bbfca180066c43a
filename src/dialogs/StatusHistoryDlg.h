#pragma once

#include "store/TrackingEvent.h"

#include <QDialog>
#include <functional>
#include <vector>

class QTableWidget;

namespace parcelo {

// "배송 이력": the events of one shipment, newest first, with their local time, place
// and description as plain text, and a button that opens the courier's tracking page.
class CStatusHistoryDlg : public QDialog {
    Q_OBJECT

public:
    // `events` newest first, as the store gives them; `openTracking` runs when the
    // tracking page is asked for (the button is absent without it).
    CStatusHistoryDlg(const std::vector<TrackingEvent>& events, std::function<void()> openTracking,
                      QWidget* parent = nullptr);

    QTableWidget& Table() { return *m_table; }

private:
    QTableWidget* m_table;
};

} // namespace parcelo
