#pragma once

#include <functional>
#include <memory>
#include <string>

namespace parcelo {

class Clock;
class Notifier;
class SecretStore;
class TrackingClient;

// What the automatic delivery status needs of the world outside the program: the
// tracking service over the network, the desktop's notifications and its secret store.
// They live in a plugin of their own with the libraries under them (Qt Network, Qt
// D-Bus, QtKeychain), loaded the first time one is wanted, so that a start with the
// feature off loads none of them (see services/StatusServicesLoader).
class StatusServices {
public:
    // The services, loaded on the first call; nullptr when they cannot be, with the
    // reason in `error`.
    using Loader = std::function<StatusServices*(std::string* error)>;

    StatusServices() = default;
    virtual ~StatusServices() = default;
    StatusServices(const StatusServices&) = delete;
    StatusServices& operator=(const StatusServices&) = delete;

    virtual std::unique_ptr<TrackingClient> CreateClient(const Clock& clock) = 0;
    virtual std::unique_ptr<Notifier> CreateNotifier() = 0;
    virtual std::unique_ptr<SecretStore> CreateSecretStore() = 0;
};

// What to tell the user when the services cannot be loaded: what cannot be done and
// what to do about it; `error` is the loader's reason.
std::u16string ServicesUnavailableText(std::string_view error);

} // namespace parcelo
