#include "tracking/TrackingRules.h"

#include "tracking/StatusNames.h"

namespace parcelo {

bool ShouldMarkDone(bool autoDone, int32_t status, const std::optional<TrackingEvent>& latest,
                    std::optional<Instant> doneBy) {
    return autoDone && status == InDelivery && latest && IsDeliveredStatus(latest->statusCode) &&
           (!doneBy || latest->time > *doneBy);
}

bool ShouldNotify(bool firstCheck, const std::optional<TrackingEvent>& before,
                  const std::optional<TrackingEvent>& after) {
    if (firstCheck || !after) {
        return false;
    }
    return !before || after->time > before->time || (after->time == before->time && *after != *before);
}

} // namespace parcelo
