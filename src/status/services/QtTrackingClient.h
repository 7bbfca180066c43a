#pragma once

#include "platform/Clock.h"
#include "status/TrackingClient.h"
#include "tracking/EndpointBackOff.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>
#include <deque>
#include <map>

class QNetworkReply;
class QTimer;

namespace parcelo {

// The GraphQL tracking service over HTTP with QNetworkAccessManager, on the event
// loop: at most `maxInFlight` requests at once (more wait in turn), each given up
// after `timeoutMs`; an answer over 1 MB is dropped unread. Only https is used, or
// http to a loopback address (a self-hosted server on this machine), and a redirect
// must keep to the same rules. After a 429 or 5xx the endpoint backs off
// exponentially (Retry-After honoured): requests to it then fail at once with
// BackingOff until the delay has passed. With OAuth2 the requests wait for one token
// request to the issuer (the same rules for its address); the token is kept until
// shortly before it expires by the clock given, and forgotten when the key changes or
// the service refuses it (a request refused with a token is sent once more with a new
// one, so that a token revoked early costs no answer).
class QtTrackingClient : public QObject, public TrackingClient {
    Q_OBJECT

public:
    explicit QtTrackingClient(const Clock& clock, QObject* parent = nullptr);
    ~QtTrackingClient() override;

    void SetSettings(const Settings& settings) override;
    const Settings& CurrentSettings() const override { return m_settings; }

    void Track(const TrackingQuery& query, Callback done) override;
    void CancelAll() override;
    void CheckConnection(Callback done) override;

    // When the current endpoint may be asked again; 0 when it is not backing off.
    Instant BackingOffUntil() const;
    // Requests running now.
    int InFlight() const { return static_cast<int>(m_active.size()); }

private:
    struct Waiting {
        TrackingQuery query;
        Callback done;
        bool check = false;   // the connection check, not a tracking query
        bool renewed = false; // sent again once with a new token after the service refused one
    };
    struct Active {
        Callback done;
        QTimer* timer = nullptr;
        QByteArray body;
        std::optional<TrackingOutcome> verdict; // decided before the reply finished
        TrackingQuery query;
        bool check = false;
        bool renewed = false;
        bool withToken = false; // sent with the cached bearer token
    };

    void StartWaiting();
    bool HasToken(Instant now) const;
    void RequestToken();
    void OnTokenFinished(QNetworkReply* reply);
    void AbortToken(TrackingOutcome verdict);
    void DropTokenRequest();
    void FailWaiting(TrackingOutcome outcome);
    void ForgetToken();
    void Send(Waiting waiting);
    void OnReadyRead(QNetworkReply* reply);
    void OnFinished(QNetworkReply* reply);
    void Abort(QNetworkReply* reply, TrackingOutcome verdict);
    void Later(Callback done, TrackingReply reply);
    std::string EndpointKey() const;

    const Clock& m_clock;
    Settings m_settings;
    QNetworkAccessManager m_network;
    EndpointBackOff m_backOff;
    std::deque<Waiting> m_waiting;
    std::map<QNetworkReply*, Active> m_active;
    // OAuth2: the bearer token, when it must be asked for again, and the request for it.
    QByteArray m_token;
    Instant m_tokenRenewAt = 0;
    QNetworkReply* m_tokenReply = nullptr;
    QTimer* m_tokenTimer = nullptr;
    QByteArray m_tokenBody;
    std::optional<TrackingOutcome> m_tokenVerdict;
};

} // namespace parcelo
