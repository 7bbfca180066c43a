#include "tracking/TrackingSchedule.h"

#include "platform/NumberNormaliser.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <limits>

namespace parcelo {

std::vector<TrackingQuery> TrackingSchedule::Due(std::span<const Shipment> shipments,
                                                 std::span<const std::string> carrierIds,
                                                 const std::map<int64_t, Instant>& lastChecks, bool force) const {
    const Instant now = m_clock.Now();
    struct Candidate {
        Instant lastCheck;
        TrackingQuery query;
    };
    std::vector<Candidate> due;
    for (const Shipment& shipment : shipments) {
        if (shipment.status != InDelivery || shipment.id <= 0 || shipment.courierIndex < 0 ||
            static_cast<size_t>(shipment.courierIndex) >= carrierIds.size() ||
            carrierIds[static_cast<size_t>(shipment.courierIndex)].empty()) {
            continue;
        }
        const auto checked = lastChecks.find(shipment.id);
        const Instant lastCheck = checked == lastChecks.end() ? std::numeric_limits<Instant>::min() : checked->second;
        // A check stamped in the future (the clock was set back) counts as due.
        if (!force && checked != lastChecks.end() && lastCheck <= now && now - lastCheck < m_interval) {
            continue;
        }
        std::string number = Utf16ToUtf8(NormaliseNumber(shipment.invoiceNumber));
        if (number.empty()) {
            continue;
        }
        due.push_back({lastCheck,
                       {shipment.id,
                        carrierIds[static_cast<size_t>(shipment.courierIndex)],
                        number,
                        shipment.courierIndex,
                        checked == lastChecks.end(),
                        {}}});
    }
    std::stable_sort(due.begin(), due.end(),
                     [](const Candidate& a, const Candidate& b) { return a.lastCheck < b.lastCheck; });
    std::vector<TrackingQuery> queries;
    queries.reserve(due.size());
    for (Candidate& candidate : due) {
        queries.push_back(std::move(candidate.query));
    }
    return queries;
}

} // namespace parcelo
