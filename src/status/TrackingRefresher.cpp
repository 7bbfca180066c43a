#include "status/TrackingRefresher.h"

#include "tracking/TrackingResponseParser.h"
#include "tracking/TrackingSchedule.h"

#include <algorithm>

namespace parcelo {

TrackingRefresher::TrackingRefresher(CShipmentDatabase& store, TrackingService& service, const Clock& clock,
                                     Executor& executor)
    : m_store(store), m_service(service), m_clock(clock), m_executor(executor), m_recorder(store, clock) {}

TrackingRefresher::~TrackingRefresher() {
    ++m_generation; // answers still to come are ignored
    if (m_run) {
        m_service.CancelAll();
    }
}

bool TrackingRefresher::Start(bool force) {
    if (m_run) {
        return false;
    }
    std::vector<Shipment> shipments;
    std::map<int64_t, Instant> lastChecks;
    ShipmentQuery inDelivery;
    inDelivery.filter = InDelivery;
    std::vector<TrackingQuery> due;
    const bool read = m_store.Query(inDelivery, shipments) && m_store.Tracking().LastChecks(lastChecks);
    if (read) {
        due = TrackingSchedule(m_clock, m_options.intervalSeconds).Due(shipments, m_carrierIds, lastChecks, force);
    }
    ++m_generation;
    m_run = std::make_unique<RefreshRun>(std::move(due), m_options.maxInFlight);
    m_storeFailed = !read;
    m_changes.clear();
    if (m_callbacks.started) {
        m_callbacks.started(static_cast<int>(m_run->Summary().due));
    }
    if (m_run->Done()) {
        const uint64_t generation = m_generation;
        m_executor.Post([this, alive = std::weak_ptr<int>(m_alive), generation] {
            if (!alive.expired() && generation == m_generation && m_run) {
                Finish();
            }
        });
        return true;
    }
    Pump();
    return true;
}

void TrackingRefresher::Cancel() {
    if (!m_run) {
        return;
    }
    m_run->Cancel();
    ++m_generation;
    m_service.CancelAll();
    Finish();
}

void TrackingRefresher::Pump() {
    while (m_run) {
        std::optional<TrackingQuery> query = m_run->Next();
        if (!query) {
            break;
        }
        Send(std::move(*query), {});
    }
}

void TrackingRefresher::Send(TrackingQuery query, std::vector<TrackingEvent> newer) {
    const uint64_t generation = m_generation;
    TrackingQuery sent = query;
    m_service.Track(
        sent, [this, generation, query = std::move(query), newer = std::move(newer)](TrackingReply reply) mutable {
            OnReply(generation, std::move(query), std::move(newer), std::move(reply));
        });
}

void TrackingRefresher::OnReply(uint64_t generation, TrackingQuery query, std::vector<TrackingEvent> newer,
                                TrackingReply reply) {
    if (generation != m_generation || !m_run) {
        return; // from a refresh given up
    }
    const int64_t shipmentId = query.shipmentId;
    const bool olderPage = !query.before.empty();
    if (olderPage) {
        const bool transient = IsBackOffOutcome(reply.outcome) || IsSetupOutcome(reply.outcome) ||
                               reply.outcome == TrackingOutcome::Offline ||
                               reply.outcome == TrackingOutcome::TimedOut ||
                               reply.outcome == TrackingOutcome::Cancelled;
        if (reply.outcome == TrackingOutcome::Ok) {
            PrependOlderEvents(newer, std::move(reply.events));
        } else if (!transient) {
            // An older page the service cannot give: the pages read so far make the check.
            reply.outcome = TrackingOutcome::Ok;
            reply.hasPreviousPage = false;
        }
        reply.events = std::move(newer);
        reply.lastEvent = std::move(m_lastEvents[shipmentId]);
        m_lastEvents.erase(shipmentId);
    }
    if (reply.outcome == TrackingOutcome::Ok && query.firstCheck && reply.hasPreviousPage &&
        !reply.startCursor.empty() && reply.events.size() < kFirstCheckEvents && !m_run->Stopped()) {
        // The same slot asks for the page before: nothing else is sent meanwhile.
        m_lastEvents[shipmentId] = std::move(reply.lastEvent);
        query.before = std::move(reply.startCursor);
        Send(std::move(query), std::move(reply.events));
        return;
    }
    TrackingOutcome outcome = reply.outcome;
    if (outcome == TrackingOutcome::Ok || outcome == TrackingOutcome::NotFound) {
        const std::optional<RecordedCheck> written =
            m_recorder.Record(shipmentId, reply.events, reply.lastEvent, m_options.autoDone);
        if (written) {
            if (written->latestChanged || written->markedDone) {
                m_run->NoteChanged();
                if (m_callbacks.shipmentChanged) {
                    m_callbacks.shipmentChanged(shipmentId);
                }
            }
            if (written->notify) {
                m_changes.push_back({shipmentId, written->itemName, *written->latest});
            }
        } else if (m_store.LastError() != StoreError::NotFound) {
            outcome = TrackingOutcome::Invalid; // not written: counted as failed
        }
    }
    m_run->Finished(shipmentId, outcome);
    const RefreshSummary summary = m_run->Summary();
    if (m_callbacks.progress) {
        m_callbacks.progress(static_cast<int>(m_run->Answered()), static_cast<int>(summary.due));
    }
    if (m_run->Done()) {
        Finish();
    } else {
        Pump();
    }
}

void TrackingRefresher::Finish() {
    RefreshSummary summary = m_run->Summary();
    summary.storeFailed = m_storeFailed;
    m_run.reset();
    m_lastEvents.clear();
    std::vector<StatusChange> changes;
    changes.swap(m_changes);
    // In the order the shipments were entered, whatever order the answers came in.
    std::sort(changes.begin(), changes.end(),
              [](const StatusChange& a, const StatusChange& b) { return a.shipmentId < b.shipmentId; });
    const std::vector<NotificationItem> items = ComposeNotifications(changes, m_options.groupNotificationsFrom);
    if (!items.empty() && m_callbacks.notificationsReady) {
        m_callbacks.notificationsReady(items);
    }
    if (m_callbacks.finished) {
        m_callbacks.finished(summary, RefreshStatusLine(summary, m_carrierIds));
    }
}

} // namespace parcelo
