#pragma once

#include "platform/Clock.h"
#include "store/TrackingDatabase.h"
#include "tracking/NotificationComposer.h"
#include "tracking/RefreshRun.h"
#include "tracking/TrackingRecorder.h"
#include "tracking/TrackingService.h"

#include <QObject>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace parcelo {

// Runs one refresh of the delivery status on the event loop: picks the due shipments,
// asks the tracking service about them (at most four at once; on a shipment's first
// check, page by page back to 100 events), writes what it learns through the store
// (events, current status, check time, the automatic done), and reports progress, a
// summary and the notifications to show. A refused key stops the refresh.
class TrackingRefresher : public QObject {
    Q_OBJECT

public:
    struct Options {
        bool autoDone = true;           // DELIVERED sets the shipment done
        int64_t intervalSeconds = 3600; // a shipment is due when its last check is older
        size_t maxInFlight = 4;
        size_t groupNotificationsFrom = 3; // this many changes at once make one notification
    };

    TrackingRefresher(CTrackingDatabase& store, TrackingService& service, const Clock& clock,
                      QObject* parent = nullptr);
    ~TrackingRefresher() override;

    void SetOptions(const Options& options) { m_options = options; }
    // The carrier id of each courier by index (see ReadCarrierIds).
    void SetCarrierIds(std::vector<std::string> carrierIds) { m_carrierIds = std::move(carrierIds); }

    // Starts a refresh of the due shipments, or of every one that can be tracked when
    // forced (the user asked for it). False when one is running already. `finished`
    // always follows a true return, also when nothing is due.
    bool Start(bool force = false);
    // Stops sending; requests under way are given up and nothing more is written.
    void Cancel();
    bool IsRunning() const { return m_run != nullptr; }

signals:
    void started(int due);
    void progress(int answered, int due);
    // A shipment's events or status were written: its list line needs redrawing.
    void shipmentChanged(qint64 shipmentId);
    void notificationsReady(const std::vector<parcelo::NotificationItem>& items);
    // The end of a refresh; statusLine is the one line for the status bar.
    void finished(const parcelo::RefreshSummary& summary, const QString& statusLine);

private:
    // The events a shipment's first check asks for at most, page by page.
    static constexpr size_t kFirstCheckEvents = 100;

    void Pump();
    void Send(TrackingQuery query, std::vector<TrackingEvent> newer);
    void OnReply(uint64_t generation, TrackingQuery query, std::vector<TrackingEvent> newer, TrackingReply reply);
    void Finish();

    CTrackingDatabase& m_store;
    TrackingService& m_service;
    const Clock& m_clock;
    TrackingRecorder m_recorder;
    Options m_options;
    std::vector<std::string> m_carrierIds;
    std::unique_ptr<RefreshRun> m_run;
    std::vector<StatusChange> m_changes;
    std::map<int64_t, std::optional<TrackingEvent>> m_lastEvents; // of the newest page, while older ones come
    uint64_t m_generation = 0;
    bool m_storeFailed = false;
};

} // namespace parcelo
