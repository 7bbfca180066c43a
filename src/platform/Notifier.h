#pragma once

#include "tracking/NotificationComposer.h"

#include <QObject>
#include <vector>

namespace parcelo {

// Shows the desktop notifications of the automatic delivery status. The one that
// talks to the desktop lives in the status-services plugin; see StatusServices.
class Notifier : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Never waits for the desktop; without a notification service nothing is shown.
    virtual void Show(const std::vector<NotificationItem>& items) = 0;

signals:
    // The user clicked a notification: the shipment it is about, or 0 for one about
    // several shipments (the window only needs raising).
    void activated(qint64 shipmentId);
};

} // namespace parcelo
