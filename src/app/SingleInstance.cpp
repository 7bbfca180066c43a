#include "app/SingleInstance.h"

#include <QApplication>
#include <QByteArrayView>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <list>
#include <optional>
#include <poll.h>
#include <qpa/qplatformnativeinterface.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>
#include <xcb/xcb.h>

namespace parcelo {
namespace {

// "activate\n", or "activate TOKEN\n" with the launcher's activation token.
constexpr char kActivateRequest[] = "activate";
constexpr char kAcknowledgement[] = "ok\n";
// A token is printable ASCII without blanks; longer ones are not handed on.
constexpr qsizetype kLongestToken = 200;
// A request is one short line; anything longer is not from us.
constexpr qsizetype kLongestRequest = 256;

bool IsToken(const QByteArray& token) {
    return token.size() <= kLongestToken &&
           std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 0x7F; });
}

// The request line, or nothing for any other line.
std::optional<QByteArray> TokenOfRequest(const QByteArray& line) {
    const QByteArray request(kActivateRequest);
    if (line == request + '\n') {
        return QByteArray();
    }
    if (line.startsWith(request + ' ') && line.endsWith('\n')) {
        const QByteArray token = line.mid(request.size() + 1).chopped(1);
        if (!token.isEmpty() && IsToken(token)) {
            return token;
        }
    }
    return std::nullopt;
}

QByteArray RequestLine(const QByteArray& token) {
    QByteArray line(kActivateRequest);
    if (!token.isEmpty()) {
        line += ' ' + token;
    }
    return line + '\n';
}

// The token the launcher gave this start: XDG_ACTIVATION_TOKEN on Wayland,
// DESKTOP_STARTUP_ID on X11; empty when there is none or it cannot be sent.
QByteArray LaunchToken() {
    for (const char* name : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"}) {
        QByteArray token = qgetenv(name);
        if (!token.isEmpty() && IsToken(token)) {
            return token;
        }
    }
    return {};
}
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

// Owns one file descriptor and closes it.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.m_fd, -1));
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    int Get() const { return m_fd; }
    bool IsValid() const { return m_fd >= 0; }
    // Not retried after EINTR: the descriptor is gone either way.
    void Reset(int fd = -1) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = fd;
    }

private:
    int m_fd = -1;
};

UniqueFd NewLocalSocket() {
    return UniqueFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
}

// The address of the socket file at `path`, or nothing when the path does not fit
// in a socket address: a shortened one would name another file.
std::optional<sockaddr_un> SocketAddress(const QByteArray& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || path.contains('\0') || static_cast<size_t>(path.size()) >= sizeof(address.sun_path)) {
        return std::nullopt;
    }
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    return address;
}

const sockaddr* AsSockaddr(const sockaddr_un& address) {
    return reinterpret_cast<const sockaddr*>(&address);
}

// Waits until `fd` is ready for `events` (or has failed); false when the deadline passes first.
bool WaitFor(int fd, short events, const QDeadlineTimer& deadline) {
    for (;;) {
        const qint64 remaining = deadline.remainingTime(); // -1: no deadline
        pollfd entry{fd, events, 0};
        const int ready =
            ::poll(&entry, 1, remaining < 0 ? -1 : static_cast<int>(std::min<qint64>(remaining, INT_MAX)));
        if (ready != -1 || errno != EINTR) {
            return ready > 0;
        }
    }
}

// Sends all of `data` on non-blocking `fd`; false when the peer has gone (which
// never raises SIGPIPE) or the deadline passes first.
bool SendAll(int fd, QByteArrayView data, const QDeadlineTimer& deadline) {
    while (!data.isEmpty()) {
        const ssize_t sent = ::send(fd, data.data(), static_cast<size_t>(data.size()), MSG_NOSIGNAL);
        if (sent >= 0) {
            data = data.sliced(sent);
        } else if (errno != EINTR && (errno != EAGAIN || !WaitFor(fd, POLLOUT, deadline))) {
            return false;
        }
    }
    return true;
}

enum class LineState { Incomplete, Complete, Failed };

// Adds what has arrived on non-blocking `fd` to `line`, which ends up holding one
// whole line, its end included. Failed when the peer closes or fails before the
// line ends, or sends more than a request without ending it.
LineState ReadLine(int fd, QByteArray& line) {
    for (;;) {
        std::array<char, kLongestRequest + 1> chunk{};
        // Never more than the longest request, so that the line cannot grow without bound.
        const auto room = static_cast<size_t>(kLongestRequest + 1 - line.size());
        const ssize_t received = ::recv(fd, chunk.data(), room, 0);
        if (received > 0) {
            line.append(chunk.data(), received);
            if (const qsizetype end = line.indexOf('\n'); end >= 0) {
                line.truncate(end + 1);
                return LineState::Complete;
            }
            if (line.size() > kLongestRequest) {
                return LineState::Failed;
            }
            continue;
        }
        if (received < 0 && errno == EINTR) {
            continue;
        }
        if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return LineState::Incomplete;
        }
        return LineState::Failed; // closed before the line ended, or failed
    }
}

// Connects non-blocking `fd` to `address` before the deadline. A local socket
// usually connects at once or is refused at once; a listener whose queue of
// waiting connections is full refuses too, and HandOverToRunning asks again.
bool Connect(int fd, const sockaddr_un& address, const QDeadlineTimer& deadline) {
    if (::connect(fd, AsSockaddr(address), sizeof(address)) == 0) {
        return true;
    }
    if ((errno != EINPROGRESS && errno != EINTR) || !WaitFor(fd, POLLOUT, deadline)) {
        return false;
    }
    int error = 0;
    socklen_t size = sizeof(error);
    return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

} // namespace

// The listening socket and the connections it has accepted, served on this
// thread's event loop. Each connection carries one request line; it is closed
// after that line, after more than a request without a line end, or when the
// line does not come in time.
class SingleInstance::Server {
public:
    // Listens at `path`; nothing when the socket cannot be opened there.
    static std::unique_ptr<Server> Open(const QString& path, const ActivateHandler& onActivateRequest) {
        const QByteArray file = QFile::encodeName(path);
        const std::optional<sockaddr_un> address = SocketAddress(file);
        UniqueFd fd = NewLocalSocket();
        if (!address || !fd.IsValid()) {
            return nullptr;
        }
        // We hold the lock of this data folder, and the socket's name belongs to the
        // folder, so a socket file still there was left by a run that ended without
        // closing it. Anything else there is not ours to remove, and bind() fails.
        struct stat status {};
        if (::lstat(file.constData(), &status) == 0 && S_ISSOCK(status.st_mode)) {
            ::unlink(file.constData());
        }
        if (::bind(fd.Get(), AsSockaddr(*address), sizeof(*address)) != 0) {
            return nullptr;
        }
        // Only the user may connect. Nobody can before listen(), so the file's
        // first permissions never let anyone in.
        if (::chmod(file.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(fd.Get(), SOMAXCONN) != 0) {
            ::unlink(file.constData());
            return nullptr;
        }
        return std::make_unique<Server>(file, std::move(fd), onActivateRequest);
    }

    Server(QByteArray file, UniqueFd fd, const ActivateHandler& onActivateRequest)
        : m_file(std::move(file)), m_onActivateRequest(onActivateRequest), m_fd(std::move(fd)),
          m_notifier(m_fd.Get(), QSocketNotifier::Read) {
        QObject::connect(&m_notifier, &QSocketNotifier::activated, &m_notifier, [this] { Accept(); });
    }

    // The members then close every connection and the listening socket.
    ~Server() { ::unlink(m_file.constData()); }

    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

private:
    struct Connection {
        explicit Connection(UniqueFd socket) : fd(std::move(socket)), notifier(fd.Get(), QSocketNotifier::Read) {}
        Connection(const Connection&) = delete;
        Connection& operator=(const Connection&) = delete;

        void Close() {
            notifier.setEnabled(false);
            timeout.stop();
            fd.Reset();
        }

        UniqueFd fd;
        QSocketNotifier notifier; // declared after the descriptor, so that it goes first
        QTimer timeout;
        QByteArray request;
    };

    void Accept() {
        // Connections closed since the last one go now, outside their own handlers.
        m_connections.remove_if([](const Connection& connection) { return !connection.fd.IsValid(); });
        for (;;) {
            UniqueFd socket(::accept4(m_fd.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
            if (!socket.IsValid()) {
                if (errno == EINTR || errno == ECONNABORTED) {
                    continue;
                }
                if (errno != EAGAIN && errno != EWOULDBLOCK) {
                    // Out of descriptors or memory: pause rather than be woken again at once.
                    m_notifier.setEnabled(false);
                    QTimer::singleShot(kRetryPauseMs, &m_notifier, [this] { m_notifier.setEnabled(true); });
                }
                return;
            }
            Connection& connection = m_connections.emplace_back(std::move(socket));
            QObject::connect(&connection.notifier, &QSocketNotifier::activated, &connection.notifier,
                             [this, &connection] { Serve(connection); });
            // A client that never ends its request is dropped rather than kept open.
            connection.timeout.setSingleShot(true);
            QObject::connect(&connection.timeout, &QTimer::timeout, &connection.timeout,
                             [&connection] { connection.Close(); });
            connection.timeout.start(kRequestTimeoutMs);
        }
    }

    void Serve(Connection& connection) {
        const LineState state = ReadLine(connection.fd.Get(), connection.request);
        if (state == LineState::Incomplete) {
            return;
        }
        const std::optional<QByteArray> token =
            state == LineState::Complete ? TokenOfRequest(connection.request) : std::nullopt;
        const bool activate = token.has_value();
        if (activate) {
            // Three bytes fit in a new socket's buffer; the event loop never waits here.
            SendAll(connection.fd.Get(), kAcknowledgement, QDeadlineTimer(0));
        }
        connection.Close();
        if (activate && m_onActivateRequest) {
            m_onActivateRequest(*token);
        }
    }

    QByteArray m_file;
    const ActivateHandler& m_onActivateRequest;
    UniqueFd m_fd;
    QSocketNotifier m_notifier; // declared after the descriptor, so that it goes first
    // A list, so that a connection stays where its handlers find it.
    std::list<Connection> m_connections;
};

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
        // A running program of an older version knows only the request without a token.
        const QByteArray token = LaunchToken();
        if (AskRunningToActivate(static_cast<int>(deadline.remainingTime()), token) ||
            (!token.isEmpty() && AskRunningToActivate(static_cast<int>(deadline.remainingTime()), {}))) {
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

bool SingleInstance::AskRunningToActivate(int timeoutMs, const QByteArray& token) const {
    const QString serverName = RunningServerName();
    const std::optional<sockaddr_un> address = SocketAddress(QFile::encodeName(serverName));
    if (!address) {
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs);
    const UniqueFd socket = NewLocalSocket();
    if (!socket.IsValid() || !Connect(socket.Get(), *address, deadline) ||
        !SendAll(socket.Get(), RequestLine(token), deadline)) {
        return false;
    }
    QByteArray answer;
    for (;;) {
        switch (ReadLine(socket.Get(), answer)) {
        case LineState::Complete:
            return answer == kAcknowledgement;
        case LineState::Failed:
            return false;
        case LineState::Incomplete:
            if (!WaitFor(socket.Get(), POLLIN, deadline)) {
                return false;
            }
            break;
        }
    }
}

bool SingleInstance::Listen(ActivateHandler onActivateRequest) {
    if (!m_locked) {
        return false;
    }
    m_onActivateRequest = std::move(onActivateRequest);
    if (!m_server) {
        m_server = Server::Open(m_serverName, m_onActivateRequest);
        if (!m_server) {
            return false;
        }
        PublishServerName(m_serverName);
    }
    return true;
}

bool SingleInstance::IsListening() const {
    return m_server != nullptr;
}

namespace {

// Gives Qt's X11 platform the startup id of the window it shows next (see
// HandTokenToPlatform); an empty one takes it back. False where Qt has no such hook.
bool SetXcbStartupId(const QByteArray& startupId) {
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (native == nullptr) {
        return false;
    }
    using SetStartupId = void (*)(const char*);
    // Qt hands every such hook out as one function type; void (*)() stands for any.
    const auto setStartupId = reinterpret_cast<SetStartupId>(
        reinterpret_cast<void (*)()>(native->nativeResourceFunctionForIntegration("setstartupid")));
    if (setStartupId == nullptr) {
        return false;
    }
    setStartupId(startupId.constData());
    return true;
}

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

// Ends, on X11, the launch that `startupId` names for a window that is shown already,
// where Qt maps nothing and so says nothing: the window carries the id as its
// _NET_STARTUP_ID, for the window manager, and the launcher's busy cursor is told to
// stop with the startup-notification message "remove: ID=..." to the root window,
// sent in pieces of 20 bytes the first of which has the type _NET_STARTUP_INFO_BEGIN.
void EndLaunch(QWidget& window, const QByteArray& startupId) {
    const auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window.winId());
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr);
    if (geometry == nullptr) {
        return;
    }
    const xcb_window_t root = geometry->root;
    std::free(geometry);
    const xcb_atom_t begin = InternAtom(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = InternAtom(connection, "_NET_STARTUP_INFO");
    const xcb_atom_t property = InternAtom(connection, "_NET_STARTUP_ID");
    const xcb_atom_t utf8 = InternAtom(connection, "UTF8_STRING");
    if (begin == XCB_ATOM_NONE || more == XCB_ATOM_NONE || property == XCB_ATOM_NONE || utf8 == XCB_ATOM_NONE) {
        return;
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, property, utf8, 8,
                        static_cast<uint32_t>(startupId.size()), startupId.constData());
    const QByteArray message = SingleInstance::StartupRemoveMessage(startupId) + '\0';
    for (qsizetype sent = 0; sent < message.size(); sent += 20) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = id;
        event.type = sent == 0 ? begin : more;
        std::memcpy(event.data.data8, message.constData() + sent, std::min<qsizetype>(20, message.size() - sent));
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE, reinterpret_cast<const char*>(&event));
    }
    xcb_flush(connection);
}

} // namespace

bool SingleInstance::HandTokenToPlatform(const QByteArray& token) {
    if (token.isEmpty()) {
        return false;
    }
    const QString platform = QGuiApplication::platformName();
    // Qt's Wayland platform activates the next window asked to with the token in
    // this variable, and then clears it; a compositor without xdg-activation ignores it.
    if (platform.startsWith(QStringLiteral("wayland"))) {
        qputenv("XDG_ACTIVATION_TOKEN", token);
        return true;
    }
    // Qt's X11 platform keeps the startup id for the window it shows next: it puts it
    // on the program's client leader as _NET_STARTUP_ID, and ends the launch when
    // that window is mapped.
    return platform == QStringLiteral("xcb") && SetXcbStartupId(token);
}

QByteArray SingleInstance::StartupRemoveMessage(const QByteArray& startupId) {
    // A value with a blank, a quote or a backslash is quoted, the last two escaped.
    const bool plain =
        std::none_of(startupId.begin(), startupId.end(), [](char c) { return c == ' ' || c == '"' || c == '\\'; });
    QByteArray value;
    if (plain) {
        value = startupId;
    } else {
        value = "\"";
        for (const char c : startupId) {
            if (c == '"' || c == '\\') {
                value += '\\';
            }
            value += c;
        }
        value += '"';
    }
    return "remove: ID=" + value;
}

void SingleInstance::BringToFront(QWidget* window, const QByteArray& activationToken) {
    const bool handed = HandTokenToPlatform(activationToken);
    QWidget* modal = QApplication::activeModalWidget();
    QWidget* front = modal != nullptr ? modal : window;
    if (handed && front != nullptr && front->isVisible() && QGuiApplication::platformName() == QStringLiteral("xcb")) {
        EndLaunch(*front, activationToken);
        SetXcbStartupId({}); // nothing is left for Qt to end
    }
    if (window != nullptr && window->isVisible()) {
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        window->raise();
        window->activateWindow();
    }
    if (modal != nullptr && modal != window) {
        modal->raise();
        modal->activateWindow();
    }
}

} // namespace parcelo
