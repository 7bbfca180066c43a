#include "status/StatusController.h"

#include "platform/Translation.h"
#include "status/Notifier.h"
#include "status/TrackingClient.h"
#include "status/TrackingRefresher.h"
#include "store/ShipmentDatabase.h"

#include <chrono>

namespace parcelo {

namespace {

std::u16string MissingKeyLine() {
    return PARCELO_TR("StatusController", "배송 상태: 비밀 키가 없습니다. 옵션에서 키를 다시 입력하십시오");
}

} // namespace

StatusController::StatusController(CShipmentDatabase& store, const Clock& clock, Executor& executor,
                                   StatusServices::Loader loader)
    : m_store(store), m_clock(clock), m_executor(executor), m_loader(std::move(loader)),
      m_key(executor, [this]() -> std::unique_ptr<SecretStore> {
          // The services' plugin is told missing when the feature is turned on.
          StatusServices* services = m_loader ? m_loader(nullptr) : nullptr;
          return services != nullptr ? services->CreateSecretStore() : nullptr;
      }) {}

StatusController::~StatusController() {
    // Cancelling a running refresh below reports its end; the owner is being taken down
    // and is told nothing more.
    m_callbacks = {};
    // The refresher's callbacks point into the client: it goes first.
    m_timer.reset();
    if (m_refresher) {
        m_refresher->Cancel();
    }
    m_refresher.reset();
    m_client.reset();
}

void StatusController::SetCarrierIds(std::vector<std::string> carrierIds) {
    m_carrierIds = std::move(carrierIds);
    if (m_refresher) {
        m_refresher->SetCarrierIds(m_carrierIds);
    }
}

void StatusController::SetKey(const std::string& clientId, const std::string& clientSecret) {
    if (m_key.Set(clientId, clientSecret)) {
        m_keyRefused = false;
    }
    ApplyClientSettings();
    if (!clientSecret.empty() && m_askingForKey) {
        // What waited for the key goes now.
        SetStatusLine({});
        RefreshDue();
    }
}

void StatusController::StoreKey(const std::string& clientId, const std::string& clientSecret) {
    SetKey(clientId, clientSecret);
    m_key.Store(clientId, clientSecret, [this] {
        if (m_callbacks.keyInMemoryOnly) {
            m_callbacks.keyInMemoryOnly();
        }
    });
}

std::u16string StatusController::TakeKeyRefusal() {
    std::u16string note;
    note.swap(m_keyRefusal);
    return note;
}

void StatusController::Apply(const StatusSettings& settings) {
    if (!settings.enabled || m_key.GetState() == ServiceKey::State::Read) {
        m_pendingSettings = settings; // a read under way ends in these, too
        ApplyRead(settings);
        return;
    }
    m_pendingSettings = settings;
    if (m_key.GetState() == ServiceKey::State::Reading) {
        return;
    }
    m_key.Read([this](const StoredKey& found) {
        if (m_key.ClientSecret().empty()) {
            // Without a kept key the id is the profile's: only the secret has to be typed again.
            const bool kept = found.outcome == StoredKey::Outcome::Ok;
            SetKey(kept ? found.clientId : m_pendingSettings.clientId, kept ? found.clientSecret : std::string());
        }
        ApplyRead(m_pendingSettings);
    });
}

void StatusController::ApplyRead(const StatusSettings& settings) {
    const bool wasEnabled = m_settings.enabled;
    if (settings.EffectiveEndpoint() != m_settings.EffectiveEndpoint() || settings.enabled != m_settings.enabled) {
        m_keyRefused = false;
    }
    m_settings = settings;
    if (!m_settings.enabled) {
        m_timer.reset();
        if (m_refresher) {
            m_refresher->Cancel();
        }
        if (!m_statusLine.empty()) {
            SetStatusLine({});
        }
        return;
    }
    if (!Build()) {
        m_timer.reset();
        return;
    }
    ApplyClientSettings();
    TrackingRefresher::Options options;
    options.autoDone = m_settings.autoDone;
    options.intervalSeconds = static_cast<int64_t>(m_settings.intervalMinutes) * 60;
    m_refresher->SetOptions(options);
    m_timer = m_executor.Repeat(std::chrono::minutes(m_settings.intervalMinutes), [this] { RefreshDue(); });
    if (!wasEnabled) {
        RefreshDue();
    }
}

bool StatusController::RefreshNow() {
    return Start(true);
}

bool StatusController::RefreshDue() {
    if (m_keyRefused) {
        return false; // it would be refused again: the user has been told
    }
    return Start(false);
}

bool StatusController::IsRunning() const {
    return m_refresher && m_refresher->IsRunning();
}

bool StatusController::Start(bool force) {
    if (!m_settings.enabled || !m_refresher) {
        return false;
    }
    if (m_settings.NeedsKey() && m_key.ClientSecret().empty()) {
        // Every request would be refused: nothing is sent until a key is entered.
        if (!m_askingForKey) {
            SetStatusLine(MissingKeyLine());
            m_askingForKey = true;
        }
        return false;
    }
    return m_refresher->Start(force);
}

bool StatusController::Build() {
    if (m_refresher) {
        return true;
    }
    std::string error;
    m_services = m_loader ? m_loader(&error) : nullptr;
    if (m_services == nullptr) {
        if (m_callbacks.servicesUnavailable) {
            m_callbacks.servicesUnavailable(ServicesUnavailableText(error));
        }
        return false;
    }
    m_client = m_services->CreateClient(m_clock);
    m_refresher = std::make_unique<TrackingRefresher>(m_store, *m_client, m_clock, m_executor);
    m_refresher->SetCarrierIds(m_carrierIds);
    TrackingRefresher::Callbacks callbacks;
    callbacks.shipmentChanged = [this](int64_t shipmentId) {
        if (m_callbacks.shipmentChanged) {
            m_callbacks.shipmentChanged(shipmentId);
        }
    };
    callbacks.notificationsReady = [this](const std::vector<NotificationItem>& items) { ShowNotifications(items); };
    callbacks.finished = [this](const RefreshSummary& summary, const std::u16string& line) {
        m_keyRefused = summary.keyRefused;
        if (summary.keyRefused) {
            m_keyRefusal = line;
        }
        SetStatusLine(line);
        if (m_callbacks.refreshFinished) {
            m_callbacks.refreshFinished(summary);
        }
    };
    m_refresher->SetCallbacks(std::move(callbacks));
    return true;
}

void StatusController::ApplyClientSettings() {
    if (!m_client) {
        return;
    }
    TrackingClient::Settings settings = m_client->CurrentSettings();
    settings.endpoint = m_settings.EffectiveEndpoint();
    settings.auth = m_settings.auth;
    settings.tokenUrl = m_settings.EffectiveTokenUrl();
    settings.clientId = m_key.ClientId();
    settings.clientSecret = m_key.ClientSecret();
    m_client->SetSettings(settings);
}

void StatusController::ShowNotifications(const std::vector<NotificationItem>& items) {
    if (!m_settings.enabled || !m_settings.notify || items.empty()) {
        return;
    }
    if (!m_notifier) {
        m_notifier = m_services->CreateNotifier();
        m_notifier->SetActivated([this](int64_t shipmentId) {
            if (m_callbacks.notificationActivated) {
                m_callbacks.notificationActivated(shipmentId);
            }
        });
    }
    m_notifier->Show(items);
}

void StatusController::SetStatusLine(const std::u16string& line) {
    m_statusLine = line;
    m_askingForKey = false;
    if (m_callbacks.statusLineChanged) {
        m_callbacks.statusLineChanged(m_statusLine);
    }
}

} // namespace parcelo
