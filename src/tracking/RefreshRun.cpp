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
    m_inFlight.insert(query.shipmentId);
    return query;
}

void RefreshRun::Finished(int64_t shipmentId, TrackingOutcome outcome) {
    if (m_inFlight.erase(shipmentId) == 0) {
        return; // not sent by this run, or already answered
    }
    ++m_answered;
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
    return summary;
}

} // namespace parcelo
