#pragma once

#include "platform/Clock.h"
#include "store/Shipment.h"
#include "tracking/TrackingService.h"

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace parcelo {

// Which shipments a refresh looks up: those in delivery whose courier has a carrier
// id and a non-empty invoice number, not checked within the interval (all of them when
// forced). Never-checked shipments come first, then the longest unchecked.
class TrackingSchedule {
public:
    TrackingSchedule(const Clock& clock, int64_t intervalSeconds) : m_clock(clock), m_interval(intervalSeconds) {}

    // `carrierIds[courierIndex]` is the courier's carrier id (empty for none);
    // `lastChecks` the time of each shipment's last successful check.
    std::vector<TrackingQuery> Due(std::span<const Shipment> shipments, std::span<const std::string> carrierIds,
                                   const std::map<int64_t, Instant>& lastChecks, bool force = false) const;

private:
    const Clock& m_clock;
    int64_t m_interval;
};

} // namespace parcelo
