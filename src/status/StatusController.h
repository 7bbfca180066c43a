#pragma once

#include "platform/Executor.h"
#include "status/ServiceKey.h"
#include "status/StatusServices.h"
#include "status/StatusSettings.h"
#include "tracking/NotificationComposer.h"
#include "tracking/RefreshRun.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace parcelo {

class Clock;
class CShipmentDatabase;
class Notifier;
class TrackingClient;
class TrackingRefresher;

// The automatic delivery status: checks the shipments in delivery when it is enabled
// (at start for those due, then every interval, and when the user asks), reports the
// refresh's one-line status and shows desktop notifications. While it is off nothing is
// built that talks to the network or the session bus, so nothing is sent anywhere, and
// the plugin with those services is not even loaded. The first time it is on, the key
// is read before anything is sent.
class StatusController {
public:
    // What the controller tells; each may be left empty. None is called from inside
    // Apply or a refresh's start, except statusLineChanged.
    struct Callbacks {
        std::function<void(const std::u16string& line)> statusLineChanged;
        // A shipment's events or status were written.
        std::function<void(int64_t shipmentId)> shipmentChanged;
        // The end of a refresh.
        std::function<void(const RefreshSummary& summary)> refreshFinished;
        // The user clicked a notification (0: one about several shipments).
        std::function<void(int64_t shipmentId)> notificationActivated;
        // The feature was turned on but its services could not be loaded: what to tell
        // the user. It then stays idle until the settings are applied again.
        std::function<void(const std::u16string& message)> servicesUnavailable;
        // A secret the user typed can be kept for this session only: said once.
        std::function<void()> keyInMemoryOnly;
    };

    StatusController(CShipmentDatabase& store, const Clock& clock, Executor& executor, StatusServices::Loader loader);
    ~StatusController();
    StatusController(const StatusController&) = delete;
    StatusController& operator=(const StatusController&) = delete;

    void SetCallbacks(Callbacks callbacks) { m_callbacks = std::move(callbacks); }
    // The tracking service's id of each courier by index (see ReadCarrierIds).
    void SetCarrierIds(std::vector<std::string> carrierIds);

    // The service's key: where it is kept, whether it has been read.
    ServiceKey& Key() { return m_key; }
    const ServiceKey& Key() const { return m_key; }
    // The service's key for this session; it is never written anywhere.
    void SetKey(const std::string& clientId, const std::string& clientSecret);
    // Takes a key the user entered: used at once, and kept in the secret store; without
    // one it lasts until the program ends (keyInMemoryOnly tells it).
    void StoreKey(const std::string& clientId, const std::string& clientSecret);
    const std::string& ClientId() const { return m_key.ClientId(); }
    const std::string& ClientSecret() const { return m_key.ClientSecret(); }

    // Takes new settings: turning the feature off cancels a refresh under way and stops
    // the timer; turning it on (or starting enabled) checks the shipments that are due,
    // once the key has been read.
    void Apply(const StatusSettings& settings);
    const StatusSettings& Settings() const { return m_settings; }
    bool Enabled() const { return m_settings.enabled; }

    // Checks every shipment that can be tracked now (the user asked). False when the
    // feature is off, a refresh is running already, or the service wants a key and
    // there is no secret (the status line then asks for it).
    bool RefreshNow();
    // Checks the shipments whose last check is older than the interval.
    bool RefreshDue();
    bool IsRunning() const;
    const std::u16string& StatusLine() const { return m_statusLine; }
    // After the service refused the key, what the options should say about it, once:
    // empty afterwards, and until the key is refused again. While the key stands
    // refused, the timer's refreshes send nothing; a new key or new settings end that.
    std::u16string TakeKeyRefusal();

private:
    void ApplyRead(const StatusSettings& settings);
    bool Start(bool force);
    bool Build();
    void ApplyClientSettings();
    void ShowNotifications(const std::vector<NotificationItem>& items);
    void SetStatusLine(const std::u16string& line);

    CShipmentDatabase& m_store;
    const Clock& m_clock;
    Executor& m_executor;
    StatusServices::Loader m_loader;
    Callbacks m_callbacks;
    ServiceKey m_key;
    StatusSettings m_settings;
    StatusSettings m_pendingSettings; // while the key is read
    std::vector<std::string> m_carrierIds;
    StatusServices* m_services = nullptr;
    std::unique_ptr<TrackingClient> m_client;
    std::unique_ptr<TrackingRefresher> m_refresher;
    std::unique_ptr<Notifier> m_notifier;
    std::unique_ptr<Executor::Timer> m_timer;
    std::u16string m_statusLine;
    std::u16string m_keyRefusal; // for the next opening of the options
    bool m_keyRefused = false;   // by the last refresh, with the key in use now
    bool m_askingForKey = false; // the status line asks for the secret the service wants
};

} // namespace parcelo
