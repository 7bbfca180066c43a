#pragma once

#include "store/Shipment.h"

#include <optional>
#include <string>

namespace parcelo {

// One step of a parcel's journey as the tracking service reports it. Text is UTF-8.
struct TrackingEvent {
    std::optional<Instant> time; // UTC; none when the carrier gave none the service could read
    std::string statusCode;      // UNKNOWN, INFORMATION_RECEIVED, AT_PICKUP, IN_TRANSIT, ...
    std::string statusName;      // the service's own wording of the status
    std::string location;
    std::string description;

    bool operator==(const TrackingEvent&) const = default;
};

} // namespace parcelo
