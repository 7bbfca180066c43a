#include "app/StatusController.h"

#include "platform/Notifier.h"
#include "platform/StatusServices.h"
#include "platform/TrackingClient.h"
#include "platform/TrackingRefresher.h"
#include "store/TrackingDatabase.h"

#include <QCoreApplication>
#include <chrono>

namespace parcelo {

namespace {

QString MissingKeyLine() {
    return QCoreApplication::translate("StatusController",
                                       "배송 상태: 비밀 키가 없습니다. 옵션에서 키를 다시 입력하십시오");
}

} // namespace

StatusController::StatusController(CTrackingDatabase& store, const Clock& clock, QObject* parent)
    : QObject(parent), m_store(store), m_clock(clock) {
    m_timer.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { RefreshDue(); });
}

StatusController::~StatusController() {
    // The refresher's callbacks point into the client: it goes first.
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

void StatusController::SetKey(const QString& clientId, const QString& clientSecret) {
    if (clientId != m_clientId || clientSecret != m_clientSecret) {
        m_keyRefused = false;
    }
    m_clientId = clientId;
    m_clientSecret = clientSecret;
    ApplyClientSettings();
    if (!m_clientSecret.isEmpty() && m_statusLine == MissingKeyLine()) {
        // What waited for the key goes now.
        m_statusLine.clear();
        emit statusLineChanged(m_statusLine);
        RefreshDue();
    }
}

QString StatusController::TakeKeyRefusal() {
    QString note;
    note.swap(m_keyRefusal);
    return note;
}

void StatusController::Apply(const StatusSettings& settings) {
    const bool wasEnabled = m_settings.enabled;
    if (settings.EffectiveEndpoint() != m_settings.EffectiveEndpoint() || settings.enabled != m_settings.enabled) {
        m_keyRefused = false;
    }
    m_settings = settings;
    if (!m_settings.enabled) {
        m_timer.stop();
        if (m_refresher) {
            m_refresher->Cancel();
        }
        if (!m_statusLine.isEmpty()) {
            m_statusLine.clear();
            emit statusLineChanged(m_statusLine);
        }
        return;
    }
    if (!Build()) {
        m_timer.stop();
        return;
    }
    ApplyClientSettings();
    TrackingRefresher::Options options;
    options.autoDone = m_settings.autoDone;
    options.intervalSeconds = static_cast<int64_t>(m_settings.intervalMinutes) * 60;
    m_refresher->SetOptions(options);
    m_timer.start(std::chrono::minutes(m_settings.intervalMinutes));
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
    if (m_settings.NeedsKey() && m_clientSecret.isEmpty()) {
        // Every request would be refused: nothing is sent until a key is entered.
        if (m_statusLine != MissingKeyLine()) {
            m_statusLine = MissingKeyLine();
            emit statusLineChanged(m_statusLine);
        }
        return false;
    }
    return m_refresher->Start(force);
}

bool StatusController::Build() {
    if (m_refresher) {
        return true;
    }
    QString error;
    m_services = StatusServices::Load(&error);
    if (m_services == nullptr) {
        emit servicesUnavailable(StatusServices::Unavailable(error));
        return false;
    }
    m_client = m_services->CreateClient(m_clock);
    m_refresher = std::make_unique<TrackingRefresher>(m_store, *m_client, m_clock);
    m_refresher->SetCarrierIds(m_carrierIds);
    connect(m_refresher.get(), &TrackingRefresher::shipmentChanged, this, &StatusController::shipmentChanged);
    connect(m_refresher.get(), &TrackingRefresher::notificationsReady, this, &StatusController::ShowNotifications);
    connect(m_refresher.get(), &TrackingRefresher::finished, this,
            [this](const RefreshSummary& summary, const QString& line) {
                m_keyRefused = summary.keyRefused;
                if (summary.keyRefused) {
                    m_keyRefusal = line;
                }
                m_statusLine = line;
                emit statusLineChanged(line);
                emit refreshFinished(summary);
            });
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
    settings.clientId = m_clientId;
    settings.clientSecret = m_clientSecret;
    m_client->SetSettings(settings);
}

void StatusController::ShowNotifications(const std::vector<NotificationItem>& items) {
    if (!m_settings.enabled || !m_settings.notify || items.empty()) {
        return;
    }
    if (!m_notifier) {
        m_notifier = m_services->CreateNotifier();
        connect(m_notifier.get(), &Notifier::activated, this, &StatusController::notificationActivated);
    }
    m_notifier->Show(items);
}

} // namespace parcelo
