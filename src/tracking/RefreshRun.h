#pragma once

#include "tracking/TrackingService.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
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
    bool keyRefused = false;  // the service refused the key: the refresh stopped there
    // Couriers (by index) whose carrier id the service does not know, and those whose
    // every shipment it refused as a bad request: their CARRIERnn line is likely wrong.
    std::vector<int32_t> unknownCarriers;
    std::vector<int32_t> refusedCouriers;
};

// The order of the requests of one refresh: at most `maxInFlight` at once; after an
// answer that asks to back off (429, 5xx), shows the network offline or refuses the
// key, nothing more is sent and what is left waits for the next refresh. After a
// carrier id the service does not know, the other shipments with that id fail
// unsent. Each shipment is sent once.
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
    bool Stopped() const { return m_stopped; }
    size_t Answered() const { return m_answered; }
    RefreshSummary Summary() const;

private:
    struct Courier {
        size_t answered = 0;
        size_t rejected = 0;
    };

    std::deque<TrackingQuery> m_pending;
    std::map<int64_t, TrackingQuery> m_inFlight;
    std::map<int32_t, Courier> m_couriers;
    size_t m_maxInFlight;
    size_t m_answered = 0;
    bool m_stopped = false;
    bool m_offline = false;
    RefreshSummary m_summary;
};

} // namespace parcelo
