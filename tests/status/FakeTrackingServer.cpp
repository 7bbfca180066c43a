#include "status/FakeTrackingServer.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <nlohmann/json.hpp>

namespace parcelo::test {

FakeTrackingServer::FakeTrackingServer() {
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnData(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                m_buffers.erase(socket);
                socket->deleteLater();
            });
        }
    });
}

FakeTrackingServer::~FakeTrackingServer() = default;

QUrl FakeTrackingServer::Url() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/graphql").arg(m_server.serverPort()));
}

QUrl FakeTrackingServer::TokenUrl() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/oauth2/token").arg(m_server.serverPort()));
}

void FakeTrackingServer::OnData(QTcpSocket* socket) {
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0) {
        return;
    }
    const QByteArray head = buffer.left(headerEnd);
    const auto header = [&head](const QByteArray& name) {
        const qsizetype at = head.toLower().indexOf("\r\n" + name + ":");
        return at < 0 ? QByteArray() : head.mid(at + name.size() + 3).split('\r').front().trimmed();
    };
    const qsizetype length = header("content-length").toLongLong();
    if (buffer.size() < headerEnd + 4 + length) {
        return;
    }
    const QByteArray body = buffer.mid(headerEnd + 4, length);
    buffer.clear();
    if (const QByteArray authorization = header("authorization"); !authorization.isEmpty()) {
        m_lastAuthorization = authorization;
    }
    if (head.startsWith("POST " + TokenUrl().path().toLatin1() + " ")) {
        ++m_tokenRequests;
        m_lastTokenRequest = head + "\r\n\r\n" + body;
        Respond(socket, m_tokenAnswer);
        return;
    }
    m_lastBody = body;
    ++m_requests;
    m_mostAtOnce = std::max(m_mostAtOnce, ++m_atOnce);
    const nlohmann::json request = nlohmann::json::parse(body.toStdString(), nullptr, false);
    const nlohmann::json::json_pointer at("/variables/trackingNumber");
    const std::string number = request.contains(at) && request[at].is_string() ? request[at].get<std::string>() : "";
    const auto found = m_answers.find(number);
    const Answer answer = m_handler ? m_handler(number) : found != m_answers.end() ? found->second : m_fallback;
    if (answer.never) {
        connect(socket, &QTcpSocket::disconnected, this, [this] { --m_atOnce; });
        return;
    }
    QPointer<QTcpSocket> guarded(socket);
    QTimer::singleShot(answer.delayMs, this, [this, guarded, answer] {
        --m_atOnce;
        if (guarded && guarded->state() == QAbstractSocket::ConnectedState) {
            Respond(guarded, answer);
        }
    });
}

void FakeTrackingServer::Respond(QTcpSocket* socket, const Answer& answer) {
    QByteArray response = "HTTP/1.1 " + QByteArray::number(answer.status) + " Answer\r\n";
    response += "Content-Type: application/json\r\nConnection: close\r\n";
    if (answer.withLength) {
        response += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
    }
    for (const auto& [name, value] : answer.headers) {
        response += name + ": " + value + "\r\n";
    }
    response += "\r\n";
    socket->write(response);
    socket->write(answer.body);
    socket->disconnectFromHost();
}

} // namespace parcelo::test
