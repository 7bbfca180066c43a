#pragma once

#include <QString>
#include <QtPlugin>
#include <memory>

namespace parcelo {

class Clock;
class Notifier;
class SecretStore;
class TrackingClient;

// What the automatic delivery status needs of the world outside the program: the
// tracking service over the network, the desktop's notifications and its secret store.
// They live in a plugin of their own with the libraries under them (Qt Network, Qt
// D-Bus, QtKeychain), loaded the first time one is wanted, so that a start with the
// feature off loads none of them.
class StatusServices {
public:
    StatusServices() = default;
    virtual ~StatusServices() = default;
    StatusServices(const StatusServices&) = delete;
    StatusServices& operator=(const StatusServices&) = delete;

    virtual std::unique_ptr<TrackingClient> CreateClient(const Clock& clock) = 0;
    virtual std::unique_ptr<Notifier> CreateNotifier() = 0;
    virtual std::unique_ptr<SecretStore> CreateSecretStore() = 0;

    // The plugin's services, loaded on the first call (see ProgramPlugin); nullptr when
    // the plugin cannot be loaded, with the reason in `error`.
    static StatusServices* Load(QString* error = nullptr);
    // What to tell the user when Load fails: what cannot be done and what to do about it.
    static QString Unavailable(const QString& error);
};

} // namespace parcelo

#define PARCELO_STATUS_SERVICES_IID "com.veldan.Parcelo.StatusServices/1"
Q_DECLARE_INTERFACE(parcelo::StatusServices, PARCELO_STATUS_SERVICES_IID)
