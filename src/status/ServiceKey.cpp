#include "status/ServiceKey.h"

#include "platform/Executor.h"

namespace parcelo {

namespace {

// Without the status services there is no secret store: the key lives in memory only.
// Answers come on the executor, and not after the store is gone.
class AbsentSecretStore final : public SecretStore {
public:
    explicit AbsentSecretStore(Executor& executor) : m_executor(executor) {}

    void ReadKey(Done done) override { Answer(std::move(done)); }
    void WriteKey(const std::string& /*clientId*/, const std::string& /*clientSecret*/, Done done) override {
        Answer(std::move(done));
    }

private:
    void Answer(Done done) {
        m_executor.Post([alive = std::weak_ptr<int>(m_alive), done = std::move(done)] {
            if (!alive.expired()) {
                done(StoredKey{});
            }
        });
    }

    Executor& m_executor;
    std::shared_ptr<int> m_alive = std::make_shared<int>();
};

} // namespace

ServiceKey::ServiceKey(Executor& executor, StoreSource source, std::function<KeyFile::Result()> keyFile)
    : m_executor(executor), m_source(std::move(source)), m_keyFile(std::move(keyFile)) {}

ServiceKey::~ServiceKey() = default;

SecretStore& ServiceKey::Secrets() {
    if (!m_store && m_source) {
        m_store = m_source();
    }
    if (!m_store) {
        m_store = std::make_unique<AbsentSecretStore>(m_executor);
    }
    return *m_store;
}

void ServiceKey::Read(std::function<void(const StoredKey& found)> done) {
    m_state = State::Reading;
    Secrets().ReadKey([this, done = std::move(done)](const StoredKey& key) {
        m_state = State::Read;
        m_memoryOnly = key.outcome == StoredKey::Outcome::Unavailable;
        StoredKey found = key;
        if (found.outcome != StoredKey::Outcome::Ok) {
            found = {StoredKey::Outcome::NotFound, {}, {}};
            if (const KeyFile::Result file = m_keyFile ? m_keyFile() : KeyFile::Result{};
                file.outcome == KeyFile::Outcome::Ok) {
                found = {StoredKey::Outcome::Ok, file.clientId, file.clientSecret};
            }
        }
        done(found);
    });
}

void ServiceKey::Use(const std::string& clientId, const std::string& clientSecret) {
    m_state = State::Read;
    Set(clientId, clientSecret);
}

void ServiceKey::Store(const std::string& clientId, const std::string& clientSecret, std::function<void()> memoryOnly) {
    Secrets().WriteKey(
        clientId, clientSecret,
        [this, typed = !clientSecret.empty(), memoryOnly = std::move(memoryOnly)](const StoredKey& result) {
            const bool toldBefore = m_memoryOnly;
            m_memoryOnly = result.outcome == StoredKey::Outcome::Unavailable;
            // Said when the secret is typed, not only the next time the options are opened.
            if (m_memoryOnly && typed && !toldBefore && memoryOnly) {
                memoryOnly();
            }
        });
}

bool ServiceKey::Set(const std::string& clientId, const std::string& clientSecret) {
    const bool changed = clientId != m_clientId || clientSecret != m_clientSecret;
    m_clientId = clientId;
    m_clientSecret = clientSecret;
    return changed;
}

} // namespace parcelo
