#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QTcpServer>
#include <QUrl>
#include <functional>
#include <map>
#include <string>

class QTcpSocket;

namespace parcelo::test {

// A small HTTP/1.1 server on a loopback port that answers tracking queries the way the
// tracking service does, and token requests (at TokenUrl) the way its OAuth2 issuer
// does. Every answer closes its connection.
class FakeTrackingServer : public QObject {
    Q_OBJECT

public:
    struct Answer {
        int status = 200;
        QByteArray body{};
        QList<QPair<QByteArray, QByteArray>> headers{};
        int delayMs = 0;        // before answering
        bool withLength = true; // Content-Length given; else the body ends with the connection
        bool never = false;     // never answers
    };

    FakeTrackingServer();
    ~FakeTrackingServer() override;

    QUrl Url() const;
    QUrl TokenUrl() const;

    // The answer for a tracking number; others get `fallback`.
    void SetAnswer(const std::string& trackingNumber, Answer answer) { m_answers[trackingNumber] = std::move(answer); }
    void SetFallback(Answer answer) { m_fallback = std::move(answer); }
    // Decides every answer instead, from the request's tracking number.
    void SetHandler(std::function<Answer(const std::string& trackingNumber)> handler) {
        m_handler = std::move(handler);
    }

    // The answer to a token request.
    void SetTokenAnswer(Answer answer) { m_tokenAnswer = std::move(answer); }
    int TokenRequests() const { return m_tokenRequests; }
    const QByteArray& LastTokenRequest() const { return m_lastTokenRequest; }

    // Tracking queries (and connection checks) received, token requests aside.
    int Requests() const { return m_requests; }
    int MostAtOnce() const { return m_mostAtOnce; }
    const QByteArray& LastAuthorization() const { return m_lastAuthorization; }
    const QByteArray& LastBody() const { return m_lastBody; }

private:
    void OnData(QTcpSocket* socket);
    void Respond(QTcpSocket* socket, const Answer& answer);

    QTcpServer m_server;
    std::map<std::string, Answer> m_answers;
    std::function<Answer(const std::string&)> m_handler;
    Answer m_fallback;
    std::map<QTcpSocket*, QByteArray> m_buffers;
    Answer m_tokenAnswer{400, R"({"error":"invalid_client"})"};
    int m_tokenRequests = 0;
    QByteArray m_lastTokenRequest;
    int m_requests = 0;
    int m_atOnce = 0;
    int m_mostAtOnce = 0;
    QByteArray m_lastAuthorization;
    QByteArray m_lastBody;
};

} // namespace parcelo::test
