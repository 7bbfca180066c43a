#include "platform/SingleInstance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <unistd.h>

namespace parcelo {
namespace {

constexpr char kActivateRequest[] = "activate\n";
constexpr char kAcknowledgement[] = "ok\n";
// A request is one short line; anything longer is not from us.
constexpr qint64 kLongestRequest = 64;
constexpr int kRequestTimeoutMs = 5000;
constexpr int kRetryPauseMs = 50;

// The per-user folder for sockets and locks; it is private to the user and
// emptied at logout. Without one the temporary folder serves, and the user id
// in the name keeps users apart.
QString RuntimeFolder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

QString FolderDigest() {
    const QString folders = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'\n' +
                            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QString::fromLatin1(QCryptographicHash::hash(folders.toUtf8(), QCryptographicHash::Sha256).toHex().left(12));
}

QString InstanceBaseName(const QString& key) {
    return RuntimeFolder() + u'/' + key + u'-' + QString::number(::getuid()) + u'-' + FolderDigest();
}

} // namespace

SingleInstance::SingleInstance(const QString& key)
    : m_serverName(InstanceBaseName(key) + QStringLiteral(".socket")),
      m_lockFileName(InstanceBaseName(key) + QStringLiteral(".lock")) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::HandOverToRunning(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (TakeLock()) {
            return false;
        }
        if (m_lock->error() != QLockFile::LockFailedError) {
            return false; // the folder is not writable: run without the single-instance guard
        }
        // The owner is alive, but it may not be listening yet while it starts up.
        if (AskRunningToActivate(static_cast<int>(deadline.remainingTime()))) {
            return true;
        }
        if (deadline.remainingTime() <= kRetryPauseMs) {
            return false;
        }
        QThread::msleep(kRetryPauseMs);
    }
}

bool SingleInstance::TakeLock() {
    if (!m_lock) {
        m_lock = std::make_unique<QLockFile>(m_lockFileName);
        // The owner may run for weeks without touching the file: only a dead
        // owner (by process id and name, on this machine and boot) makes it stale.
        m_lock->setStaleLockTime(0);
    }
    return m_lock->isLocked() || m_lock->tryLock(0);
}

bool SingleInstance::AskRunningToActivate(int timeoutMs) const {
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
        return false;
    }
    socket.write(kActivateRequest);
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
        return false;
    }
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            return false;
        }
    }
    return socket.readLine(kLongestRequest) == kAcknowledgement;
}

bool SingleInstance::Listen(std::function<void()> onActivateRequest) {
    if (!m_lock || !m_lock->isLocked()) {
        return false;
    }
    m_onActivateRequest = std::move(onActivateRequest);
    if (m_server) {
        return m_server->isListening();
    }
    // We hold the lock, so a socket file still there was left by a run that
    // ended without closing it.
    QLocalServer::removeServer(m_serverName);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(), [this] { AcceptConnections(); });
    return m_server->listen(m_serverName);
}

bool SingleInstance::IsListening() const {
    return m_server && m_server->isListening();
}

void SingleInstance::AcceptConnections() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A client that never sends its request is dropped rather than kept open.
        QTimer::singleShot(kRequestTimeoutMs, socket, [socket] { socket->abort(); });
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kLongestRequest) {
                    socket->abort();
                }
                return;
            }
            const bool activate = socket->readLine(kLongestRequest) == kActivateRequest;
            if (activate) {
                socket->write(kAcknowledgement);
                socket->flush();
            }
            socket->disconnectFromServer();
            if (activate && m_onActivateRequest) {
                m_onActivateRequest();
            }
        });
    }
}

void SingleInstance::BringToFront(QWidget* window) {
    if (window != nullptr && window->isVisible()) {
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        window->raise();
        window->activateWindow();
    }
    if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != window) {
        modal->raise();
        modal->activateWindow();
    }
}

} // namespace parcelo
