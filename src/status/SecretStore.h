#pragma once

#include <functional>
#include <string>

namespace parcelo {

// The tracking service's key (client id and secret, UTF-8) as a secret store keeps it.
struct StoredKey {
    enum class Outcome {
        Ok,          // read or written
        NotFound,    // nothing stored yet
        Unavailable, // there is no secret store (or it refused): keep the key in memory only
    };
    Outcome outcome = Outcome::Unavailable;
    std::string clientId;
    std::string clientSecret;
};

// Where the program keeps the service's key between sessions: the desktop's secret
// store, never the settings file. Calls return at once; `done` follows later, never
// from inside the call, and not after the store is gone.
class SecretStore {
public:
    using Done = std::function<void(const StoredKey& result)>;

    SecretStore() = default;
    virtual ~SecretStore() = default;
    SecretStore(const SecretStore&) = delete;
    SecretStore& operator=(const SecretStore&) = delete;

    virtual void ReadKey(Done done) = 0;
    // Stores the key; an empty secret deletes what is stored.
    virtual void WriteKey(const std::string& clientId, const std::string& clientSecret, Done done) = 0;
};

} // namespace parcelo
