#pragma once

#include <QString>
#include <functional>

namespace parcelo {

// The tracking service's key (client id and secret) as a secret store keeps it.
struct StoredKey {
    enum class Outcome {
        Ok,          // read or written
        NotFound,    // nothing stored yet
        Unavailable, // there is no secret store (or it refused): keep the key in memory only
    };
    Outcome outcome = Outcome::Unavailable;
    QString clientId;
    QString clientSecret;
};

// Where the program keeps the service's key between sessions: the desktop's secret
// store, never the settings file. Calls return at once; `done` follows on the event
// loop, never from inside the call.
class SecretStore {
public:
    using Done = std::function<void(const StoredKey& result)>;

    SecretStore() = default;
    virtual ~SecretStore() = default;
    SecretStore(const SecretStore&) = delete;
    SecretStore& operator=(const SecretStore&) = delete;

    virtual void ReadKey(Done done) = 0;
    // Stores the key; an empty secret deletes what is stored.
    virtual void WriteKey(const QString& clientId, const QString& clientSecret, Done done) = 0;
};

} // namespace parcelo
