#pragma once

#include "platform/Clock.h"
#include "platform/Executor.h"
#include "store/ShipmentDatabase.h"
#include "tracking/NotificationComposer.h"
#include "tracking/RefreshRun.h"
#include "tracking/TrackingRecorder.h"
#include "tracking/TrackingService.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace parcelo {

// Runs one refresh of the delivery status on the executor: picks the due shipments,
// asks the tracking service about them (at most four at once; on a shipment's first
// check, page by page back to 100 events), writes what it learns through the store
// (events, current status, check time, the automatic done), and reports progress, a
// summary and the notifications to show. A refused key stops the refresh. The
// service answers later, never from inside a call, and so do the callbacks.
class TrackingRefresher {
public:
    struct Options {
        bool autoDone = true;           // DELIVERED sets the shipment done
        int64_t intervalSeconds = 3600; // a shipment is due when its last check is older
        size_t maxInFlight = 4;
        size_t groupNotificationsFrom = 3; // this many changes at once make one notification
    };

    // What a refresh tells; each may be left empty.
    struct Callbacks {
        std::function<void(int due)> started;
        std::function<void(int answered, int due)> progress;
        // A shipment's events or status were written: its list line needs redrawing.
        std::function<void(int64_t shipmentId)> shipmentChanged;
        std::function<void(const std::vector<NotificationItem>& items)> notificationsReady;
        // The end of a refresh; statusLine is the one line for the status bar.
        std::function<void(const RefreshSummary& summary, const std::u16string& statusLine)> finished;
    };

    TrackingRefresher(CShipmentDatabase& store, TrackingService& service, const Clock& clock, Executor& executor);
    ~TrackingRefresher();
    TrackingRefresher(const TrackingRefresher&) = delete;
    TrackingRefresher& operator=(const TrackingRefresher&) = delete;

    void SetCallbacks(Callbacks callbacks) { m_callbacks = std::move(callbacks); }

    void SetOptions(const Options& options) { m_options = options; }
    // The carrier id of each courier by index (see ReadCarrierIds).
    void SetCarrierIds(std::vector<std::string> carrierIds) { m_carrierIds = std::move(carrierIds); }

    // Starts a refresh of the due shipments, or of every one that can be tracked when
    // forced (the user asked for it). False when one is running already. `finished`
    // always follows a true return, also when nothing is due (then posted).
    bool Start(bool force = false);
    // Stops sending; requests under way are given up and nothing more is written.
    void Cancel();
    bool IsRunning() const { return m_run != nullptr; }

private:
    // The events a shipment's first check asks for at most, page by page.
    static constexpr size_t kFirstCheckEvents = 100;

    void Pump();
    void Send(TrackingQuery query, std::vector<TrackingEvent> newer);
    void OnReply(uint64_t generation, TrackingQuery query, std::vector<TrackingEvent> newer, TrackingReply reply);
    void Finish();

    CShipmentDatabase& m_store;
    TrackingService& m_service;
    const Clock& m_clock;
    Executor& m_executor;
    Callbacks m_callbacks;
    TrackingRecorder m_recorder;
    Options m_options;
    std::vector<std::string> m_carrierIds;
    std::unique_ptr<RefreshRun> m_run;
    std::vector<StatusChange> m_changes;
    std::map<int64_t, std::optional<TrackingEvent>> m_lastEvents; // of the newest page, while older ones come
    uint64_t m_generation = 0;
    bool m_storeFailed = false;
    std::shared_ptr<int> m_alive = std::make_shared<int>(); // posted tasks find it gone with this
};

} // namespace parcelo
