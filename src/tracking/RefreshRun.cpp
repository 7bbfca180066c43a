#include "tracking/RefreshRun.h"

#include <algorithm>

namespace parcelo {

RefreshRun::RefreshRun(std::vector<TrackingQuery> due, size_t maxInFlight)
    : m_pending(std::make_move_iterator(due.begin()), std::make_move_iterator(due.end())),
      m_maxInFlight(std::max<size_t>(maxInFlight, 1)) {
    m_summary.due = m_pending.size();
}

std::optional<TrackingQuery> RefreshRun::Next() {
    if (m_stopped || m_pending.empty() || m_inFlight.size() >= m_maxInFlight) {
        return std::nullopt;
    }
    TrackingQuery query = std::move(m_pending.front());
    m_pending.pop_front();
    m_inFlight[query.shipmentId] = query;
    return query;
}

void RefreshRun::Finished(int64_t shipmentId, TrackingOutcome outcome) {
    const auto found = m_inFlight.find(shipmentId);
    if (found == m_inFlight.end()) {
        return; // not sent by this run, or already answered
    }
    const TrackingQuery query = std::move(found->second);
    m_inFlight.erase(found);
    ++m_answered;
    if (outcome != TrackingOutcome::Cancelled && outcome != TrackingOutcome::BackingOff &&
        outcome != TrackingOutcome::Offline) {
        Courier& courier = m_couriers[query.courierIndex];
        ++courier.answered;
        courier.rejected += outcome == TrackingOutcome::Rejected ? 1 : 0;
    }
    switch (outcome) {
    case TrackingOutcome::Ok:
    case TrackingOutcome::NotFound:
        ++m_summary.checked;
        break;
    case TrackingOutcome::Offline:
        ++m_summary.offline;
        m_offline = true;
        Stop();
        break;
    case TrackingOutcome::BackingOff:
        ++m_summary.deferred;
        Stop();
        break;
    case TrackingOutcome::RateLimited:
    case TrackingOutcome::ServerError:
        ++m_summary.failed;
        Stop();
        break;
    case TrackingOutcome::Cancelled:
        ++m_summary.deferred;
        break;
    case TrackingOutcome::KeyRefused:
        ++m_summary.failed;
        m_summary.keyRefused = true;
        Stop();
        break;
    case TrackingOutcome::CarrierUnknown: {
        ++m_summary.failed;
        if (std::find(m_summary.unknownCarriers.begin(), m_summary.unknownCarriers.end(), query.courierIndex) ==
            m_summary.unknownCarriers.end()) {
            m_summary.unknownCarriers.push_back(query.courierIndex);
        }
        const size_t before = m_pending.size();
        std::erase_if(m_pending, [&](const TrackingQuery& other) { return other.carrierId == query.carrierId; });
        m_summary.failed += before - m_pending.size();
        m_answered += before - m_pending.size();
        break;
    }
    default:
        ++m_summary.failed;
        break;
    }
}

void RefreshRun::Stop() {
    m_stopped = true;
}

void RefreshRun::Cancel() {
    m_summary.deferred += m_inFlight.size();
    m_inFlight.clear();
    Stop();
}

RefreshSummary RefreshRun::Summary() const {
    RefreshSummary summary = m_summary;
    if (m_stopped) {
        summary.deferred += m_pending.size();
    }
    for (const auto& [index, courier] : m_couriers) {
        if (courier.answered > 0 && courier.rejected == courier.answered) {
            summary.refusedCouriers.push_back(index);
        }
    }
    std::sort(summary.unknownCarriers.begin(), summary.unknownCarriers.end());
    return summary;
}

} // namespace parcelo
