#pragma once

#include "platform/Clock.h"
#include "store/ShipmentDatabase.h"

#include <optional>
#include <span>
#include <string>

namespace parcelo {

// What writing one check changed.
struct RecordedCheck {
    bool notify = false;        // the latest event is news for the user (see ShouldNotify)
    bool markedDone = false;    // the shipment was set to done
    bool latestChanged = false; // the current event is another than before the check
    std::optional<TrackingEvent> latest;
    std::u16string itemName;
};

// Writes the result of a successful check: the events, the current one (see
// CurrentEvent), the check time and, when the rules say so, the shipment set to done
// through the same update the editor uses, all in one transaction.
class TrackingRecorder {
public:
    TrackingRecorder(CShipmentDatabase& store, const Clock& clock) : m_store(store), m_clock(clock) {}

    // std::nullopt, with nothing written, when the shipment is gone or a write fails.
    std::optional<RecordedCheck> Record(int64_t shipmentId, std::span<const TrackingEvent> events,
                                        const std::optional<TrackingEvent>& lastEvent, bool autoDone);

private:
    CShipmentDatabase& m_store;
    const Clock& m_clock;
};

} // namespace parcelo
