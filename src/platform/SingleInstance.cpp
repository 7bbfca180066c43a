#include "platform/SingleInstance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace parcelo {
namespace {

constexpr char kActivateRequest[] = "activate\n";
constexpr char kAcknowledgement[] = "ok\n";
// A request is one short line; anything longer is not from us.
constexpr qint64 kLongestRequest = 64;
constexpr int kRequestTimeoutMs = 5000;
constexpr int kRetryPauseMs = 50;
// The lock file holds one line, the running program's socket path.
constexpr int kLongestServerName = 4096;

// The per-user folder for sockets; it is private to the user and emptied at
// logout. Without one the temporary folder serves, and the user id in the name
// keeps users apart.
QString RuntimeFolder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

// What makes the data folder itself, not the path that names it: its device and
// inode, or (when it cannot be examined) its absolute path.
QString FolderIdentity(const QString& folder) {
    struct stat status {};
    if (::stat(QFile::encodeName(folder).constData(), &status) == 0) {
        return QString::number(status.st_dev, 16) + u'-' + QString::number(status.st_ino, 16);
    }
    const QByteArray path = QFileInfo(folder).absoluteFilePath().toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(path, QCryptographicHash::Sha256).toHex().left(16));
}

} // namespace

SingleInstance::SingleInstance(const QString& key, const QString& dataFolder)
    : m_lockFileName(QDir(dataFolder).filePath(key + QStringLiteral(".lock"))) {
    QDir().mkpath(dataFolder);
    m_serverName = RuntimeFolder() + u'/' + key + u'-' + QString::number(::getuid()) + u'-' +
                   FolderIdentity(dataFolder) + QStringLiteral(".socket");
}

SingleInstance::~SingleInstance() {
    m_server.reset();
    if (m_lockFd >= 0) {
        if (m_locked) {
            PublishServerName({});
        }
        ::close(m_lockFd); // releases the lock
    }
}

bool SingleInstance::HandOverToRunning(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        // Without a lock file (a folder that is not writable) the program runs unguarded.
        if (TakeLock() != LockState::HeldByAnother) {
            return false;
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

SingleInstance::LockState SingleInstance::TakeLock() {
    if (m_locked) {
        return LockState::Taken;
    }
    if (m_lockFd < 0) {
        m_lockFd = ::open(QFile::encodeName(m_lockFileName).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_lockFd < 0) {
            return LockState::Unavailable;
        }
    }
    // The lock belongs to the open file, not to a process id: it ends with the
    // process, however that ends, and holds across every path to the file.
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) == 0) {
        m_locked = true;
        PublishServerName({}); // whatever an earlier owner wrote is out of date
        return LockState::Taken;
    }
    return errno == EWOULDBLOCK || errno == EINTR ? LockState::HeldByAnother : LockState::Unavailable;
}

// The socket the lock's owner announced; empty while it has announced none.
QString SingleInstance::RunningServerName() const {
    QByteArray content(kLongestServerName, '\0');
    const ssize_t size = ::pread(m_lockFd, content.data(), static_cast<size_t>(content.size()), 0);
    // Only a whole line counts: the owner may be writing it right now.
    if (size <= 0 || content.at(size - 1) != '\n') {
        return {};
    }
    return QFile::decodeName(content.left(size - 1));
}

void SingleInstance::PublishServerName(const QString& name) const {
    const QByteArray line = name.isEmpty() ? QByteArray() : QFile::encodeName(name) + '\n';
    if (::ftruncate(m_lockFd, 0) == 0 && !line.isEmpty()) {
        // A reader that sees part of the line waits for the rest (RunningServerName).
        [[maybe_unused]] const ssize_t written =
            ::pwrite(m_lockFd, line.constData(), static_cast<size_t>(line.size()), 0);
    }
}

bool SingleInstance::AskRunningToActivate(int timeoutMs) const {
    const QString serverName = RunningServerName();
    if (serverName.isEmpty()) {
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(serverName);
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
    if (!m_locked) {
        return false;
    }
    m_onActivateRequest = std::move(onActivateRequest);
    if (m_server) {
        return m_server->isListening();
    }
    // We hold the lock of this data folder, and the socket's name belongs to the
    // folder, so a socket file still there was left by a run that ended without closing it.
    QLocalServer::removeServer(m_serverName);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(), [this] { AcceptConnections(); });
    if (!m_server->listen(m_serverName)) {
        return false;
    }
    PublishServerName(m_server->fullServerName());
    return true;
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
