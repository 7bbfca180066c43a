#include "platform/QtTrackingClient.h"

#include "tracking/TrackingRequest.h"
#include "tracking/TrackingResponseParser.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <vector>

namespace parcelo {

namespace {

bool IsOfflineError(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
        return true;
    default:
        return false;
    }
}

TrackingReply ReplyOf(TrackingOutcome outcome) {
    TrackingReply reply;
    reply.outcome = outcome;
    return reply;
}

} // namespace

QtTrackingClient::QtTrackingClient(const Clock& clock, QObject* parent)
    : QObject(parent), m_clock(clock), m_backOff(m_settings.backOff) {
    m_network.setRedirectPolicy(QNetworkRequest::UserVerifiedRedirectPolicy);
}

QtTrackingClient::~QtTrackingClient() {
    // Nobody is called back any more: whoever asked may be gone already.
    m_waiting.clear();
    for (auto& [reply, active] : m_active) {
        active.done = nullptr;
        active.verdict = TrackingOutcome::Cancelled;
    }
    std::vector<QNetworkReply*> running;
    for (const auto& [reply, active] : m_active) {
        running.push_back(reply);
    }
    for (QNetworkReply* reply : running) {
        reply->abort();
    }
}

void QtTrackingClient::SetSettings(const Settings& settings) {
    const EndpointBackOff::Settings& old = m_settings.backOff;
    const bool sameBackOff = old.firstDelay == settings.backOff.firstDelay &&
                             old.maxDelay == settings.backOff.maxDelay &&
                             old.maxRetryAfter == settings.backOff.maxRetryAfter;
    m_settings = settings;
    if (!sameBackOff) {
        m_backOff = EndpointBackOff(settings.backOff);
    }
}

std::string QtTrackingClient::EndpointKey() const {
    return m_settings.endpoint.toStdString();
}

Instant QtTrackingClient::BackingOffUntil() const {
    return m_backOff.ReadyAt(EndpointKey());
}

void QtTrackingClient::Later(Callback done, TrackingReply reply) {
    QTimer::singleShot(0, this,
                       [done = std::move(done), reply = std::move(reply)]() mutable { done(std::move(reply)); });
}

void QtTrackingClient::Track(const TrackingQuery& query, Callback done) {
    if (!IsAllowedUrl(QUrl(m_settings.endpoint))) {
        Later(std::move(done), ReplyOf(TrackingOutcome::Invalid));
        return;
    }
    m_waiting.push_back({query, std::move(done)});
    StartWaiting();
}

void QtTrackingClient::StartWaiting() {
    while (!m_waiting.empty() && static_cast<int>(m_active.size()) < std::max(m_settings.maxInFlight, 1)) {
        Waiting waiting = std::move(m_waiting.front());
        m_waiting.pop_front();
        const Instant now = m_clock.Now();
        if (!m_backOff.Ready(EndpointKey(), now)) {
            TrackingReply reply = ReplyOf(TrackingOutcome::BackingOff);
            reply.retryAfter = BackingOffUntil() - now;
            Later(std::move(waiting.done), std::move(reply));
            continue;
        }
        Send(std::move(waiting));
    }
}

void QtTrackingClient::Send(Waiting waiting) {
    QNetworkRequest request{QUrl(m_settings.endpoint)};
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setRawHeader("Accept", "application/json");
    request.setMaximumRedirectsAllowed(3);
    if (!m_settings.clientId.isEmpty() || !m_settings.clientSecret.isEmpty()) {
        QByteArray key = (m_settings.clientId + QLatin1Char(':') + m_settings.clientSecret).toUtf8();
        key.replace('\r', "").replace('\n', "");
        request.setRawHeader("Authorization", "TRACKQL-API-KEY " + key);
    }
    const std::string body =
        BuildTrackingRequest(waiting.query.carrierId, waiting.query.trackingNumber, waiting.query.before);
    QNetworkReply* reply = m_network.post(request, QByteArray(body.data(), static_cast<qsizetype>(body.size())));
    Active& active = m_active[reply];
    active.done = std::move(waiting.done);
    active.timer = new QTimer(this);
    active.timer->setSingleShot(true);
    connect(active.timer, &QTimer::timeout, this, [this, reply] { Abort(reply, TrackingOutcome::TimedOut); });
    active.timer->start(m_settings.timeoutMs);

    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > static_cast<qint64>(kMaxTrackingResponseBytes)) {
            Abort(reply, TrackingOutcome::Invalid);
        }
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] { OnReadyRead(reply); });
    connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl& target) {
        // Only to a place this client would have asked itself, never from https down to http.
        const bool downgrade = QUrl(m_settings.endpoint).scheme().toLower() == QLatin1String("https") &&
                               target.scheme().toLower() != QLatin1String("https");
        if (IsAllowedUrl(target) && !downgrade) {
            emit reply->redirectAllowed();
        } else {
            Abort(reply, TrackingOutcome::Invalid);
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { OnFinished(reply); });
}

void QtTrackingClient::OnReadyRead(QNetworkReply* reply) {
    const auto found = m_active.find(reply);
    if (found == m_active.end() || found->second.verdict) {
        return;
    }
    const qint64 room = static_cast<qint64>(kMaxTrackingResponseBytes) - found->second.body.size();
    if (reply->bytesAvailable() > room) {
        Abort(reply, TrackingOutcome::Invalid);
        return;
    }
    found->second.body += reply->readAll();
}

void QtTrackingClient::Abort(QNetworkReply* reply, TrackingOutcome verdict) {
    const auto found = m_active.find(reply);
    if (found == m_active.end() || found->second.verdict) {
        return;
    }
    found->second.verdict = verdict;
    reply->abort(); // finishes the reply, which calls back
}

void QtTrackingClient::OnFinished(QNetworkReply* reply) {
    const auto found = m_active.find(reply);
    if (found == m_active.end()) {
        return;
    }
    Active active = std::move(found->second);
    m_active.erase(found);
    active.timer->stop();
    active.timer->deleteLater();
    reply->deleteLater();

    TrackingReply result;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (active.verdict) {
        result.outcome = *active.verdict;
    } else if (!status.isValid()) {
        result.outcome = IsOfflineError(reply->error()) ? TrackingOutcome::Offline : TrackingOutcome::Invalid;
    } else if (status.toInt() >= 300 && status.toInt() < 400) {
        result.outcome = TrackingOutcome::Invalid; // a redirect that was not followed
    } else {
        const qint64 room = static_cast<qint64>(kMaxTrackingResponseBytes) - active.body.size();
        if (reply->bytesAvailable() > room) {
            result.outcome = TrackingOutcome::Invalid;
        } else {
            active.body += reply->readAll();
            result = InterpretTrackingAnswer(status.toInt(), active.body.constData(),
                                             static_cast<size_t>(active.body.size()));
        }
        if (IsBackOffOutcome(result.outcome)) {
            result.retryAfter = ParseRetryAfter(reply->rawHeader("Retry-After").toStdString());
            m_backOff.Failed(EndpointKey(), m_clock.Now(), result.retryAfter);
        } else {
            m_backOff.Succeeded(EndpointKey(), m_clock.Now());
        }
    }
    if (active.done) {
        active.done(std::move(result));
    }
    StartWaiting();
}

void QtTrackingClient::CancelAll() {
    std::deque<Waiting> waiting;
    waiting.swap(m_waiting);
    for (Waiting& entry : waiting) {
        Later(std::move(entry.done), ReplyOf(TrackingOutcome::Cancelled));
    }
    std::vector<QNetworkReply*> running;
    for (const auto& [reply, active] : m_active) {
        running.push_back(reply);
    }
    for (QNetworkReply* reply : running) {
        Abort(reply, TrackingOutcome::Cancelled);
    }
}

} // namespace parcelo
