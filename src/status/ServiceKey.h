#pragma once

#include "status/KeyFile.h"
#include "status/SecretStore.h"

#include <functional>
#include <memory>
#include <string>

namespace parcelo {

class Executor;

// The tracking service's key as the program holds it: the client id and secret in use
// (UTF-8, never written to the profile), whether the secret store has been read, and
// whether it can keep a key at all ("in memory only" when it cannot). The store is
// made the first time it is wanted, so that nothing asks it while the feature is off.
class ServiceKey {
public:
    enum class State { Unread, Reading, Read };
    // Makes the secret store; nullptr when there is none (the key then lives in memory only).
    using StoreSource = std::function<std::unique_ptr<SecretStore>()>;

    ServiceKey(Executor& executor, StoreSource source, std::function<KeyFile::Result()> keyFile = KeyFile::Read);
    ~ServiceKey();
    ServiceKey(const ServiceKey&) = delete;
    ServiceKey& operator=(const ServiceKey&) = delete;

    // Replaces the store the source would make (before it is first asked).
    void SetSecretStore(std::unique_ptr<SecretStore> store) { m_store = std::move(store); }

    // Reads what is kept, once: the secret store's key, else the key file's (see
    // KeyFile). `done` follows later with what was found (Ok, or NotFound); the key in
    // use is not changed here.
    void Read(std::function<void(const StoredKey& found)> done);
    // The key is given for this run: nothing more is read.
    void Use(const std::string& clientId, const std::string& clientSecret);
    // Keeps a key the user entered: in the secret store, or in memory only when there is
    // none. `memoryOnly` is called once, when a typed secret first finds no store.
    void Store(const std::string& clientId, const std::string& clientSecret, std::function<void()> memoryOnly);

    // Sets the key in use; true when it changed.
    bool Set(const std::string& clientId, const std::string& clientSecret);
    const std::string& ClientId() const { return m_clientId; }
    const std::string& ClientSecret() const { return m_clientSecret; }
    State GetState() const { return m_state; }
    // True when the secret store could not be used: keys live in memory only.
    bool InMemoryOnly() const { return m_memoryOnly; }

private:
    SecretStore& Secrets();

    Executor& m_executor;
    StoreSource m_source;
    std::function<KeyFile::Result()> m_keyFile;
    std::unique_ptr<SecretStore> m_store;
    State m_state = State::Unread;
    bool m_memoryOnly = false;
    std::string m_clientId;
    std::string m_clientSecret;
};

} // namespace parcelo
