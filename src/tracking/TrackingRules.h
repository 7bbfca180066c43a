#pragma once

#include "store/Shipment.h"
#include "store/TrackingEvent.h"

#include <optional>

namespace parcelo {

// Whether a check should set a shipment to done: the option is on, the shipment is in
// delivery and its latest event is DELIVERED and newer than the event that last set it
// done (`doneBy`), so that a user who puts it back in delivery is not overruled until
// a newer event arrives.
bool ShouldMarkDone(bool autoDone, int32_t status, const std::optional<TrackingEvent>& latest,
                    std::optional<Instant> doneBy);

// Whether a check's result is news for the user: never on a shipment's first check;
// otherwise when the latest event is newer than the one before, or differs from it
// at the same time.
bool ShouldNotify(bool firstCheck, const std::optional<TrackingEvent>& before,
                  const std::optional<TrackingEvent>& after);

} // namespace parcelo
