#include "tracking/TrackingRules.h"

#include "tracking/StatusNames.h"

namespace parcelo {

bool ShouldMarkDone(bool autoDone, int32_t status, const std::optional<TrackingEvent>& latest,
                    std::optional<Instant> doneBy) {
    return autoDone && status == InDelivery && latest && latest->time && IsDeliveredStatus(latest->statusCode) &&
           (!doneBy || latest->time > *doneBy);
}

bool ShouldNotify(bool firstCheck, const std::optional<TrackingEvent>& before,
                  const std::optional<TrackingEvent>& after) {
    if (firstCheck || !after) {
        return false;
    }
    return !before || *after != *before;
}

bool PredatesOrder(const TrackingEvent& event, Instant orderDate) {
    constexpr Instant kDay = 86400;
    return orderDate != 0 && event.time && *event.time < orderDate - kDay;
}

std::optional<TrackingEvent> CurrentEvent(const std::optional<TrackingEvent>& lastEvent,
                                          std::span<const TrackingEvent> events, Instant orderDate) {
    const auto usable = [orderDate](const TrackingEvent& event) {
        return event.time.has_value() && !PredatesOrder(event, orderDate);
    };
    if (lastEvent && usable(*lastEvent)) {
        return lastEvent;
    }
    const TrackingEvent* newest = nullptr;
    for (const TrackingEvent& event : events) {
        if (usable(event) && (newest == nullptr || *event.time >= *newest->time)) {
            newest = &event;
        }
    }
    return newest != nullptr ? std::optional<TrackingEvent>(*newest) : std::nullopt;
}

} // namespace parcelo
