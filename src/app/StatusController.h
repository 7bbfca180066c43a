#pragma once

#include "platform/StatusSettings.h"
#include "tracking/NotificationComposer.h"
#include "tracking/RefreshRun.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

namespace parcelo {

class Clock;
class CTrackingDatabase;
class Notifier;
class StatusServices;
class TrackingClient;
class TrackingRefresher;

// The automatic delivery status of the main window: checks the shipments in delivery
// when it is enabled (at start for those due, then every interval, and when the user
// asks), reports the refresh's one-line status and shows desktop notifications. While
// it is off nothing is built that talks to the network or the session bus, so nothing
// is sent anywhere, and the plugin with those services is not even loaded.
class StatusController : public QObject {
    Q_OBJECT

public:
    StatusController(CTrackingDatabase& store, const Clock& clock, QObject* parent = nullptr);
    ~StatusController() override;

    // The tracking service's id of each courier by index (see ReadCarrierIds).
    void SetCarrierIds(std::vector<std::string> carrierIds);
    // The service's key for this session; it is never written anywhere.
    void SetKey(const QString& clientId, const QString& clientSecret);
    const QString& ClientId() const { return m_clientId; }
    const QString& ClientSecret() const { return m_clientSecret; }
    // Takes new settings: turning the feature off cancels a refresh under way and stops
    // the timer; turning it on (or starting enabled) checks the shipments that are due.
    void Apply(const StatusSettings& settings);
    const StatusSettings& Settings() const { return m_settings; }
    bool Enabled() const { return m_settings.enabled; }

    // Checks every shipment that can be tracked now (the user asked). False when the
    // feature is off or a refresh is running already.
    bool RefreshNow();
    // Checks the shipments whose last check is older than the interval.
    bool RefreshDue();
    bool IsRunning() const;
    const QString& StatusLine() const { return m_statusLine; }
    // After the service refused the key, what the options should say about it, once:
    // empty afterwards, and until the key is refused again. While the key stands
    // refused, the timer's refreshes send nothing; a new key or new settings end that.
    QString TakeKeyRefusal();

signals:
    void statusLineChanged(const QString& line);
    // A shipment's events or status were written.
    void shipmentChanged(qint64 shipmentId);
    // The end of a refresh.
    void refreshFinished(const parcelo::RefreshSummary& summary);
    // The user clicked a notification (0: one about several shipments).
    void notificationActivated(qint64 shipmentId);
    // The feature was turned on but its services could not be loaded: what to tell the
    // user. It then stays idle until the settings are applied again.
    void servicesUnavailable(const QString& message);

private:
    bool Start(bool force);
    bool Build();
    void ApplyClientSettings();
    void ShowNotifications(const std::vector<NotificationItem>& items);

    CTrackingDatabase& m_store;
    const Clock& m_clock;
    StatusSettings m_settings;
    QString m_clientId;
    QString m_clientSecret;
    std::vector<std::string> m_carrierIds;
    StatusServices* m_services = nullptr;
    std::unique_ptr<TrackingClient> m_client;
    std::unique_ptr<TrackingRefresher> m_refresher;
    std::unique_ptr<Notifier> m_notifier;
    QTimer m_timer;
    QString m_statusLine;
    QString m_keyRefusal;      // for the next opening of the options
    bool m_keyRefused = false; // by the last refresh, with the key in use now
};

} // namespace parcelo
