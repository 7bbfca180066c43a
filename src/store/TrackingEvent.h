#pragma once

#include "store/Shipment.h"

#include <string>

namespace parcelo {

// One step of a parcel's journey as the tracking service reports it. Text is UTF-8.
struct TrackingEvent {
    Instant time = 0;       // UTC
    std::string statusCode; // UNKNOWN, INFORMATION_RECEIVED, AT_PICKUP, IN_TRANSIT, ...
    std::string statusName; // the service's own wording of the status
    std::string location;
    std::string description;

    bool operator==(const TrackingEvent&) const = default;
};

} // namespace parcelo
