#include "status/services/QtTrackingClient.h"

#include "status/services/ServiceUrl.h"
#include "tracking/AccessTokenAnswer.h"
#include "tracking/ConnectionCheck.h"
#include "tracking/TrackingRequest.h"
#include "tracking/TrackingResponseParser.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <algorithm>
#include <utility>
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
    DropTokenRequest();
}

void QtTrackingClient::SetSettings(const Settings& settings) {
    const EndpointBackOff::Settings& old = m_settings.backOff;
    const bool sameBackOff = old.firstDelay == settings.backOff.firstDelay &&
                             old.maxDelay == settings.backOff.maxDelay &&
                             old.maxRetryAfter == settings.backOff.maxRetryAfter;
    const bool sameKey = m_settings.auth == settings.auth && m_settings.tokenUrl == settings.tokenUrl &&
                         m_settings.clientId == settings.clientId && m_settings.clientSecret == settings.clientSecret;
    m_settings = settings;
    if (!sameBackOff) {
        m_backOff = EndpointBackOff(settings.backOff);
    }
    if (!sameKey) {
        ForgetToken();
        StartWaiting(); // what waited for a token asks for one with the new key
    }
}

bool QtTrackingClient::HasToken(Instant now) const {
    return !m_token.isEmpty() && now < m_tokenRenewAt;
}

void QtTrackingClient::ForgetToken() {
    m_token.clear();
    m_tokenRenewAt = 0;
    DropTokenRequest();
}

void QtTrackingClient::DropTokenRequest() {
    if (m_tokenReply == nullptr) {
        return;
    }
    QNetworkReply* reply = std::exchange(m_tokenReply, nullptr);
    disconnect(reply, nullptr, this, nullptr);
    reply->abort();
    reply->deleteLater();
    m_tokenTimer->stop();
}

void QtTrackingClient::FailWaiting(TrackingOutcome outcome) {
    std::deque<Waiting> waiting;
    waiting.swap(m_waiting);
    for (Waiting& entry : waiting) {
        Later(std::move(entry.done), ReplyOf(outcome));
    }
}

void QtTrackingClient::RequestToken() {
    const QUrl url(QString::fromStdString(m_settings.tokenUrl));
    if (!IsAllowedServiceUrl(url)) {
        FailWaiting(TrackingOutcome::Invalid);
        return;
    }
    if (m_settings.clientId.empty() || m_settings.clientSecret.empty()) {
        FailWaiting(TrackingOutcome::KeyRefused);
        return;
    }
    QNetworkRequest request{url};
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setRawHeader("Accept", "application/json");
    const std::string body = BuildAccessTokenRequest(m_settings.clientId, m_settings.clientSecret);
    m_tokenBody.clear();
    m_tokenVerdict.reset();
    QNetworkReply* reply = m_network.post(request, QByteArray::fromStdString(body));
    m_tokenReply = reply;
    if (m_tokenTimer == nullptr) {
        m_tokenTimer = new QTimer(this);
        m_tokenTimer->setSingleShot(true);
        connect(m_tokenTimer, &QTimer::timeout, this, [this] { AbortToken(TrackingOutcome::TimedOut); });
    }
    m_tokenTimer->start(m_settings.timeoutMs);
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        if (reply != m_tokenReply || m_tokenVerdict) {
            return;
        }
        if (m_tokenBody.size() + reply->bytesAvailable() > static_cast<qint64>(kMaxAccessTokenAnswerBytes)) {
            AbortToken(TrackingOutcome::Invalid);
            return;
        }
        m_tokenBody += reply->readAll();
    });
    // The secret goes to the address configured, and to no other.
    connect(reply, &QNetworkReply::redirected, this, [this] { AbortToken(TrackingOutcome::Invalid); });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { OnTokenFinished(reply); });
}

void QtTrackingClient::AbortToken(TrackingOutcome verdict) {
    if (m_tokenReply == nullptr || m_tokenVerdict) {
        return;
    }
    m_tokenVerdict = verdict;
    m_tokenReply->abort(); // finishes the reply
}

void QtTrackingClient::OnTokenFinished(QNetworkReply* reply) {
    if (reply != m_tokenReply) {
        return;
    }
    m_tokenReply = nullptr;
    m_tokenTimer->stop();
    reply->deleteLater();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    TrackingOutcome outcome = TrackingOutcome::Invalid;
    if (m_tokenVerdict) {
        outcome = *m_tokenVerdict;
    } else if (!status.isValid()) {
        outcome = IsOfflineError(reply->error()) ? TrackingOutcome::Offline : TrackingOutcome::Invalid;
    } else if (m_tokenBody.size() + reply->bytesAvailable() <= static_cast<qint64>(kMaxAccessTokenAnswerBytes)) {
        m_tokenBody += reply->readAll();
        const AccessTokenAnswer answer = InterpretAccessTokenAnswer(status.toInt(), m_tokenBody.constData(),
                                                                    static_cast<size_t>(m_tokenBody.size()));
        outcome = answer.outcome;
        if (answer.outcome == TrackingOutcome::Ok) {
            // Renewed a little before it runs out, so that no request goes with a dead token.
            m_token = QByteArray::fromStdString(answer.accessToken);
            m_tokenRenewAt = m_clock.Now() + answer.expiresIn - std::min<int64_t>(60, answer.expiresIn / 10);
            StartWaiting();
            return;
        }
    }
    FailWaiting(outcome);
}

std::string QtTrackingClient::EndpointKey() const {
    return m_settings.endpoint;
}

Instant QtTrackingClient::BackingOffUntil() const {
    return m_backOff.ReadyAt(EndpointKey());
}

void QtTrackingClient::Later(Callback done, TrackingReply reply) {
    QTimer::singleShot(0, this,
                       [done = std::move(done), reply = std::move(reply)]() mutable { done(std::move(reply)); });
}

void QtTrackingClient::Track(const TrackingQuery& query, Callback done) {
    if (!IsAllowedServiceUrl(QUrl(QString::fromStdString(m_settings.endpoint)))) {
        Later(std::move(done), ReplyOf(TrackingOutcome::Invalid));
        return;
    }
    m_waiting.push_back({query, std::move(done)});
    StartWaiting();
}

void QtTrackingClient::CheckConnection(Callback done) {
    if (!IsAllowedServiceUrl(QUrl(QString::fromStdString(m_settings.endpoint)))) {
        Later(std::move(done), ReplyOf(TrackingOutcome::Invalid));
        return;
    }
    m_waiting.push_back({{}, std::move(done), true});
    StartWaiting();
}

void QtTrackingClient::StartWaiting() {
    while (!m_waiting.empty() && static_cast<int>(m_active.size()) < std::max(m_settings.maxInFlight, 1)) {
        const Instant now = m_clock.Now();
        if (m_settings.auth == Auth::OAuth2 && !HasToken(now)) {
            if (m_tokenReply == nullptr) {
                RequestToken();
            }
            return;
        }
        Waiting waiting = std::move(m_waiting.front());
        m_waiting.pop_front();
        if (!waiting.check && !m_backOff.Ready(EndpointKey(), now)) {
            TrackingReply reply = ReplyOf(TrackingOutcome::BackingOff);
            reply.retryAfter = BackingOffUntil() - now;
            Later(std::move(waiting.done), std::move(reply));
            continue;
        }
        Send(std::move(waiting));
    }
}

void QtTrackingClient::Send(Waiting waiting) {
    QNetworkRequest request{QUrl(QString::fromStdString(m_settings.endpoint))};
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setRawHeader("Accept", "application/json");
    request.setMaximumRedirectsAllowed(3);
    bool withToken = false;
    if (m_settings.auth == Auth::OAuth2) {
        request.setRawHeader("Authorization", "Bearer " + m_token);
        withToken = true;
    } else if (!m_settings.clientId.empty() || !m_settings.clientSecret.empty()) {
        QByteArray key = QByteArray::fromStdString(m_settings.clientId + ':' + m_settings.clientSecret);
        key.replace('\r', "").replace('\n', "");
        request.setRawHeader("Authorization", "TRACKQL-API-KEY " + key);
    }
    const std::string body = waiting.check ? BuildConnectionCheckRequest()
                                           : BuildTrackingRequest(waiting.query.carrierId, waiting.query.trackingNumber,
                                                                  waiting.query.before);
    QNetworkReply* reply = m_network.post(request, QByteArray::fromStdString(body));
    Active& active = m_active[reply];
    active.done = std::move(waiting.done);
    active.query = waiting.query;
    active.check = waiting.check;
    active.renewed = waiting.renewed;
    active.withToken = withToken;
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
        const bool downgrade =
            QUrl(QString::fromStdString(m_settings.endpoint)).scheme().toLower() == QLatin1String("https") &&
            target.scheme().toLower() != QLatin1String("https");
        if (IsAllowedServiceUrl(target) && !downgrade) {
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
            if (active.check) {
                result.outcome = InterpretConnectionCheckAnswer(status.toInt(), active.body.constData(),
                                                                static_cast<size_t>(active.body.size()));
            } else {
                result = InterpretTrackingAnswer(status.toInt(), active.body.constData(),
                                                 static_cast<size_t>(active.body.size()));
            }
        }
        if (active.withToken && result.outcome == TrackingOutcome::KeyRefused) {
            ForgetToken(); // revoked or expired early: the next request asks for a new one
            if (!active.renewed && active.done) {
                m_waiting.push_front({active.query, std::move(active.done), active.check, true});
                StartWaiting();
                return;
            }
        }
        // One check the user asked for says nothing of the endpoint's load.
        if (!active.check && IsBackOffOutcome(result.outcome)) {
            result.retryAfter = ParseRetryAfter(reply->rawHeader("Retry-After").toStdString());
            m_backOff.Failed(EndpointKey(), m_clock.Now(), result.retryAfter);
        } else if (!active.check) {
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
    DropTokenRequest(); // a token still to come is asked for again when next wanted
}

} // namespace parcelo
