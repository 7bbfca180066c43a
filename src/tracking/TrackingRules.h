#pragma once

#include "store/Shipment.h"
#include "store/TrackingEvent.h"

#include <optional>
#include <span>

namespace parcelo {

// Whether a check should set a shipment to done: the option is on, the shipment is in
// delivery and its latest event is DELIVERED and newer than the event that last set it
// done (`doneBy`), so that a user who puts it back in delivery is not overruled until
// a newer event arrives.
bool ShouldMarkDone(bool autoDone, int32_t status, const std::optional<TrackingEvent>& latest,
                    std::optional<Instant> doneBy);

// Whether a check's result is news for the user: never on a shipment's first check;
// otherwise when its current event is another than before.
bool ShouldNotify(bool firstCheck, const std::optional<TrackingEvent>& before,
                  const std::optional<TrackingEvent>& after);

// True for an event dated more than a day (for time zones) before the order: couriers
// reuse numbers, and such an event belongs to an earlier parcel. An order date of 0
// (none) makes no event older.
bool PredatesOrder(const TrackingEvent& event, Instant orderDate);

// The event that becomes a shipment's current status after a check: the service's
// lastEvent (which prefers a DELIVERED event to later ones), unless it has no time or
// predates the order; then the newest such event of the answer; none if there is none
// (the current status stays as it was).
std::optional<TrackingEvent> CurrentEvent(const std::optional<TrackingEvent>& lastEvent,
                                          std::span<const TrackingEvent> events, Instant orderDate);

} // namespace parcelo
