#include "platform/TrackingRefresher.h"

#include "tracking/TrackingSchedule.h"

#include <QTimer>
#include <algorithm>

namespace parcelo {

TrackingRefresher::TrackingRefresher(CTrackingDatabase& store, TrackingService& service, const Clock& clock,
                                     QObject* parent)
    : QObject(parent), m_store(store), m_service(service), m_clock(clock), m_recorder(store, clock) {}

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
    const bool read = m_store.Query(inDelivery, shipments) && m_store.LastChecks(lastChecks);
    if (read) {
        due = TrackingSchedule(m_clock, m_options.intervalSeconds).Due(shipments, m_carrierIds, lastChecks, force);
    }
    ++m_generation;
    m_run = std::make_unique<RefreshRun>(std::move(due), m_options.maxInFlight);
    m_storeFailed = !read;
    m_changes.clear();
    emit started(static_cast<int>(m_run->Summary().due));
    if (m_run->Done()) {
        const uint64_t generation = m_generation;
        QTimer::singleShot(0, this, [this, generation] {
            if (generation == m_generation && m_run) {
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
        const uint64_t generation = m_generation;
        const int64_t id = query->shipmentId;
        m_service.Track(*query,
                        [this, generation, id](TrackingReply reply) { OnReply(generation, id, std::move(reply)); });
    }
}

void TrackingRefresher::OnReply(uint64_t generation, int64_t shipmentId, TrackingReply reply) {
    if (generation != m_generation || !m_run) {
        return; // from a refresh given up
    }
    TrackingOutcome outcome = reply.outcome;
    if (outcome == TrackingOutcome::Ok || outcome == TrackingOutcome::NotFound) {
        const std::optional<RecordedCheck> written = m_recorder.Record(shipmentId, reply.events, m_options.autoDone);
        if (written) {
            if (written->latestChanged || written->markedDone) {
                m_run->NoteChanged();
                emit shipmentChanged(shipmentId);
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
    emit progress(static_cast<int>(m_run->Answered()), static_cast<int>(summary.due));
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
    std::vector<StatusChange> changes;
    changes.swap(m_changes);
    // In the order the shipments were entered, whatever order the answers came in.
    std::sort(changes.begin(), changes.end(),
              [](const StatusChange& a, const StatusChange& b) { return a.shipmentId < b.shipmentId; });
    const std::vector<NotificationItem> items = ComposeNotifications(changes, m_options.groupNotificationsFrom);
    if (!items.empty()) {
        emit notificationsReady(items);
    }
    emit finished(summary, QString::fromStdU16String(RefreshStatusLine(summary)));
}

} // namespace parcelo
