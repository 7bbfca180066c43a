#pragma once

#include "platform/Executor.h"
#include "status/Notifier.h"
#include "status/SecretStore.h"
#include "status/StatusServices.h"
#include "status/TrackingClient.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace parcelo::test {

// A tracking service without a network: the handler answers each query, and the answer
// comes on the executor, later, as a real client's would. A handler's std::nullopt is
// an answer that never comes (until CancelAll).
class FakeTrackingService final : public TrackingClient {
public:
    using Handler = std::function<std::optional<TrackingReply>(const TrackingQuery& query)>;

    FakeTrackingService(Executor& executor, Handler handler) : m_executor(executor), m_handler(std::move(handler)) {}

    void Track(const TrackingQuery& query, Callback done) override {
        ++requests;
        mostAtOnce = std::max(mostAtOnce, ++m_atOnce);
        if (std::optional<TrackingReply> reply = m_handler(query)) {
            Answer(std::move(done), std::move(*reply));
        } else {
            m_waiting.push_back(std::move(done));
        }
    }
    void CancelAll() override {
        for (Callback& done : std::exchange(m_waiting, {})) {
            TrackingReply cancelled;
            cancelled.outcome = TrackingOutcome::Cancelled;
            Answer(std::move(done), std::move(cancelled));
        }
    }
    void SetSettings(const Settings& settings) override { m_settings = settings; }
    const Settings& CurrentSettings() const override { return m_settings; }
    void CheckConnection(Callback done) override { Track({}, std::move(done)); }

    int requests = 0;
    int mostAtOnce = 0;

private:
    void Answer(Callback done, TrackingReply reply) {
        m_executor.Post([this, done = std::move(done), reply = std::move(reply)]() mutable {
            --m_atOnce;
            done(std::move(reply));
        });
    }

    Executor& m_executor;
    Handler m_handler;
    Settings m_settings;
    std::vector<Callback> m_waiting;
    int m_atOnce = 0;
};

// Notifications the test reads, and clicks.
struct FakeNotifier final : Notifier {
    void Show(const std::vector<NotificationItem>& items) override {
        shown.insert(shown.end(), items.begin(), items.end());
    }
    void Click(int64_t shipmentId) const { Activate(shipmentId); }

    std::vector<NotificationItem> shown;
};

// A secret store that answers on the executor; `available` false plays none at all.
class FakeSecretStore final : public SecretStore {
public:
    FakeSecretStore(Executor& executor, bool available, StoredKey kept = {})
        : m_executor(executor), m_available(available), m_kept(std::move(kept)) {}

    void ReadKey(Done done) override {
        ++reads;
        Answer(std::move(done), m_kept, !m_kept.clientSecret.empty());
    }
    void WriteKey(const std::string& clientId, const std::string& clientSecret, Done done) override {
        if (m_available) {
            m_kept = {StoredKey::Outcome::Ok, clientId, clientSecret};
        }
        Answer(std::move(done), {StoredKey::Outcome::Ok, clientId, clientSecret}, true);
    }

    int reads = 0;

private:
    // Answers `key`, unless there is no store, and found or not.
    void Answer(Done done, StoredKey key, bool found) {
        key.outcome = !m_available ? StoredKey::Outcome::Unavailable
                      : found      ? StoredKey::Outcome::Ok
                                   : StoredKey::Outcome::NotFound;
        m_executor.Post([alive = std::weak_ptr<int>(m_alive), done = std::move(done), key = std::move(key)] {
            if (!alive.expired()) {
                done(key);
            }
        });
    }

    std::shared_ptr<int> m_alive = std::make_shared<int>();
    Executor& m_executor;
    bool m_available;
    StoredKey m_kept;
};

// The status services of the tests: each client made answers with `handler`; the last
// one made, the notifications shown and the secret store stay where the test sees them.
class FakeStatusServices final : public StatusServices {
public:
    FakeStatusServices(Executor& executor, FakeTrackingService::Handler handler)
        : m_executor(executor), m_handler(std::move(handler)) {}

    std::unique_ptr<TrackingClient> CreateClient(const Clock& /*clock*/) override {
        return Made(client, m_executor, m_handler);
    }
    std::unique_ptr<Notifier> CreateNotifier() override { return Made(notifier); }
    std::unique_ptr<SecretStore> CreateSecretStore() override {
        return Made(secrets, m_executor, secretStoreAvailable, keptKey);
    }

    bool secretStoreAvailable = true;
    StoredKey keptKey;
    FakeTrackingService* client = nullptr;
    FakeNotifier* notifier = nullptr;
    FakeSecretStore* secrets = nullptr;

private:
    template <class T, class... Args> static std::unique_ptr<T> Made(T*& last, Args&&... args) {
        auto made = std::make_unique<T>(std::forward<Args>(args)...);
        last = made.get();
        return made;
    }

    Executor& m_executor;
    FakeTrackingService::Handler m_handler;
};

} // namespace parcelo::test
