#pragma once

#include "tracking/NotificationComposer.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace parcelo {

// Shows the desktop notifications of the automatic delivery status. The one that
// talks to the desktop lives in the status-services plugin; see StatusServices.
class Notifier {
public:
    // The user clicked a notification: the shipment it is about, or 0 for one about
    // several shipments (the window only needs raising).
    using Activated = std::function<void(int64_t shipmentId)>;

    Notifier() = default;
    virtual ~Notifier() = default;
    Notifier(const Notifier&) = delete;
    Notifier& operator=(const Notifier&) = delete;

    // Never waits for the desktop; without a notification service nothing is shown.
    virtual void Show(const std::vector<NotificationItem>& items) = 0;
    void SetActivated(Activated activated) { m_activated = std::move(activated); }

protected:
    void Activate(int64_t shipmentId) const {
        if (m_activated) {
            m_activated(shipmentId);
        }
    }

private:
    Activated m_activated;
};

} // namespace parcelo
