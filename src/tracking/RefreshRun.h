#pragma once

#include "tracking/TrackingService.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <vector>

namespace parcelo {

// The counts of one refresh.
struct RefreshSummary {
    size_t due = 0;           // shipments the refresh set out to check
    size_t checked = 0;       // answered (events read, or the parcel not known yet)
    size_t changed = 0;       // whose latest event changed
    size_t failed = 0;        // the service refused or answered badly
    size_t offline = 0;       // the network was unreachable
    size_t deferred = 0;      // left for a later refresh (offline or backing off)
    bool storeFailed = false; // the shipments could not be read: nothing was checked
};

// The order of the requests of one refresh: at most `maxInFlight` at once; after an
// answer that asks to back off (429, 5xx) or shows the network offline, nothing more
// is sent and what is left waits for the next refresh. Each shipment is sent once.
class RefreshRun {
public:
    explicit RefreshRun(std::vector<TrackingQuery> due, size_t maxInFlight = 4);

    // The next request to send, or std::nullopt when none may be sent now.
    std::optional<TrackingQuery> Next();
    // Notes the outcome of a sent request.
    void Finished(int64_t shipmentId, TrackingOutcome outcome);
    void NoteChanged() { ++m_summary.changed; }
    // Sends nothing more; what was not sent is deferred.
    void Stop();
    // Stop, and the requests under way are given up: deferred too, their answers ignored.
    void Cancel();

    // True when nothing is in flight and nothing more will be sent.
    bool Done() const { return m_inFlight.empty() && (m_pending.empty() || m_stopped); }
    bool Offline() const { return m_offline; }
    size_t Answered() const { return m_answered; }
    RefreshSummary Summary() const;

private:
    std::deque<TrackingQuery> m_pending;
    std::set<int64_t> m_inFlight;
    size_t m_maxInFlight;
    size_t m_answered = 0;
    bool m_stopped = false;
    bool m_offline = false;
    RefreshSummary m_summary;
};

} // namespace parcelo
