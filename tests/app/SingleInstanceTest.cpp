#include "app/SingleInstance.h"

#include <QApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

using namespace parcelo;

namespace {

// Serves this process's event loop, where an instance may answer, until `done` holds or the time (ten seconds) passes.
bool PumpEventsUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return done();
}

// The data folder of the tests; each test keys its instances apart.
QString Data() {
    static const QTemporaryDir data;
    return data.path();
}

// A second start of the program, reporting what happened; killed, like a crash, when it goes out of scope.
// `environment` is set over the test's own, which loses its activation tokens.
class Probe {
public:
    Probe(const QString& key, const QString& dataFolder, int timeoutMs = 3000,
          const std::vector<std::pair<QString, QString>>& environment = {}) {
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.remove("XDG_ACTIVATION_TOKEN");
        variables.remove("DESKTOP_STARTUP_ID");
        for (const auto& [name, value] : environment) {
            variables.insert(name, value);
        }
        m_process.setProcessEnvironment(variables);
        m_process.start(PARCELO_PROBE, {key, dataFolder, QString::number(timeoutMs)});
    }
    ~Probe() { Crash(); }
    QByteArray NextLine() {
        PumpEventsUntil([this] { return m_process.canReadLine(); });
        return m_process.readLine().trimmed();
    }
    void Crash() {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

// A connection to an instance's socket that sends whatever a test wants.
struct Client {
    explicit Client(const QString& socketPath) {
        sockaddr_un address{AF_UNIX, {}};
        std::strncpy(address.sun_path, QFile::encodeName(socketPath).constData(), sizeof(address.sun_path) - 1);
        EXPECT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    }
    ~Client() { ::close(fd); }
    void Send(const QByteArray& data) {
        EXPECT_EQ(::send(fd, data.constData(), data.size(), MSG_NOSIGNAL), data.size());
    }
    // What the instance answers before it closes the connection; nothing while it keeps it open.
    std::optional<QByteArray> AnswerUntilClosed() {
        QByteArray answer;
        const bool closed = PumpEventsUntil([&] {
            char chunk[64];
            const ssize_t received = ::recv(fd, chunk, sizeof(chunk), 0);
            answer.append(chunk, std::max<ssize_t>(received, 0));
            return received == 0 || (received < 0 && errno != EAGAIN && errno != EINTR);
        });
        return closed ? std::optional(answer) : std::nullopt;
    }

    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
};

// A second start hands over to the running one, which answers only the request whatever a
// connection sends, and neither stops answering nor ends.
TEST(SingleInstanceTest, SecondStartHandsOverAndTheRunningOneAnswersOnlyTheRequest) {
    int activations = 0;
    {
        SingleInstance first(QStringLiteral("handover"), Data());
        ASSERT_FALSE(first.HandOverToRunning());
        QByteArray token = "none";
        ASSERT_TRUE(first.Listen([&](const QByteArray& given) {
            ++activations;
            token = given;
        }));

        // A program left running for hours never touches its lock; it must still count.
        QFile lock(first.LockFileName());
        ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
        ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addSecs(-7200), QFileDevice::FileModificationTime));
        Probe second(QStringLiteral("handover"), Data());
        EXPECT_EQ(second.NextLine(), "handed-over");
        EXPECT_EQ(activations, 1);
        EXPECT_EQ(token, QByteArray());

        // The launcher's activation token travels to the running window; one that
        // cannot be sent whole is left out rather than cut.
        for (const auto& [variable, given, received] :
             {std::tuple{"XDG_ACTIVATION_TOKEN", "kwin-1234_TIME5678", "kwin-1234_TIME5678"},
              {"DESKTOP_STARTUP_ID", "openbox-77-host-xterm_TIME42", "openbox-77-host-xterm_TIME42"},
              {"XDG_ACTIVATION_TOKEN", "two words", ""}}) {
            Probe launched(QStringLiteral("handover"), Data(), 3000, {{variable, given}});
            EXPECT_EQ(launched.NextLine(), "handed-over");
            EXPECT_EQ(token, received) << given;
        }
        EXPECT_EQ(activations, 4);

        // Anything but the request, a request line that never ends among it, is dropped unanswered.
        for (const QByteArray& request :
             {QByteArray(200, 'x'), QByteArray("activate please now\n"), QByteArray("activate \n"),
              QByteArray("activate\ttoken\n"), QByteArray("activated\n")}) {
            Client wrong(first.ServerName());
            wrong.Send(request);
            EXPECT_EQ(wrong.AnswerUntilClosed(), QByteArray()) << request.left(30).toStdString();
        }

        // The request may arrive in pieces.
        Client slow(first.ServerName());
        slow.Send("acti");
        PumpEventsUntil([] { return false; }, 50);
        slow.Send("vate\n");
        EXPECT_EQ(slow.AnswerUntilClosed(), "ok\n");
        EXPECT_EQ(activations, 5);

        // One that asks and hangs up before the answer still gets the window forward.
        Client(first.ServerName()).Send("activate\n");
        EXPECT_TRUE(PumpEventsUntil([&activations] { return activations == 6; }));

        // One that never sends holds up no other start, and is dropped after a while.
        Client silent(first.ServerName());
        Probe third(QStringLiteral("handover"), Data());
        EXPECT_EQ(third.NextLine(), "handed-over");
        EXPECT_EQ(activations, 7);
        EXPECT_EQ(silent.AnswerUntilClosed(), QByteArray());
    }
    // After a clean end the next start is the first again.
    Probe next(QStringLiteral("handover"), Data());
    EXPECT_EQ(next.NextLine(), "listening");
}

// A crashed owner, a silent one or a socket path the system cannot take whole never blocks a
// start. Such a path is never shortened to another file: the program then runs without the
// guard, and a second start does too.
TEST(SingleInstanceTest, NothingBlocksAStartAndOneDataFolderHasOneProgram) {
    Probe crashed(QStringLiteral("crash"), Data());
    ASSERT_EQ(crashed.NextLine(), "listening");
    crashed.Crash();

    SingleInstance next(QStringLiteral("crash"), Data());
    // The crash left both the lock and the socket file behind.
    ASSERT_TRUE(QFile::exists(next.LockFileName()));
    ASSERT_TRUE(QFile::exists(next.ServerName()));
    EXPECT_FALSE(next.HandOverToRunning());
    EXPECT_TRUE(next.Listen([](const QByteArray&) {}));

    // An owner that holds the lock but never answers delays a start only until the timeout.
    SingleInstance silent(QStringLiteral("silent"), Data());
    ASSERT_FALSE(silent.HandOverToRunning());
    Probe probe(QStringLiteral("silent"), Data(), 300);
    EXPECT_EQ(probe.NextLine(), "not-listening");

    const QString key = QStringLiteral("long") + QString(120, u'g');
    SingleInstance unguarded(key, Data());
    ASSERT_FALSE(unguarded.HandOverToRunning());
    EXPECT_FALSE(unguarded.Listen([](const QByteArray&) {}));
    EXPECT_FALSE(unguarded.IsListening());
    QFile lock(unguarded.LockFileName());
    ASSERT_TRUE(lock.open(QIODevice::ReadOnly));
    EXPECT_EQ(lock.readAll(), QByteArray());
    EXPECT_EQ(QDir(QFileInfo(unguarded.ServerName()).path()).entryList({"long*"}, QDir::System | QDir::Files),
              QStringList());
    Probe second(key, Data(), 300);
    EXPECT_EQ(second.NextLine(), "not-listening");

    // One data folder has one program, whatever path leads to it and whatever runtime
    // folder each start has; another data folder has a program of its own.
    const QTemporaryDir root;
    const QTemporaryDir otherRuntime;
    const QString folder = root.filePath("data/VELDAN/Parcelo");
    const QString link = root.filePath("linked");
    ASSERT_TRUE(QDir().mkpath(folder) && QFile::link(root.filePath("data"), link));

    int activations = 0;
    SingleInstance first(QStringLiteral("store"), folder);
    ASSERT_FALSE(first.HandOverToRunning());
    ASSERT_TRUE(first.Listen([&activations](const QByteArray&) { ++activations; }));
    {
        Probe linked(QStringLiteral("store"), link + "/VELDAN/Parcelo", 3000,
                     {{"XDG_RUNTIME_DIR", otherRuntime.path()}});
        EXPECT_EQ(linked.NextLine(), "handed-over");
        EXPECT_EQ(activations, 1);
    }
    Probe elsewhere(QStringLiteral("store"), root.filePath("other"), 3000, {{"XDG_RUNTIME_DIR", otherRuntime.path()}});
    EXPECT_EQ(elsewhere.NextLine(), "listening");
    EXPECT_EQ(activations, 1);

    // The window comes forward unminimised; the program still starting has no window yet.
    QWidget window;
    window.showMinimized();
    SingleInstance::BringToFront(&window, "offscreen-token");
    EXPECT_FALSE(window.isMinimized());
    SingleInstance::BringToFront(nullptr);
    EXPECT_FALSE(SingleInstance::HandTokenToPlatform("token")) << "no window system takes it here";

    // The id of a launch is quoted in its end message where the protocol needs it.
    EXPECT_EQ(SingleInstance::StartupRemoveMessage("xterm-1_TIME2"), "remove: ID=xterm-1_TIME2");
    EXPECT_EQ(SingleInstance::StartupRemoveMessage("a\"b\\c"), "remove: ID=\"a\\\"b\\\\c\"");
}

// The startup-notification messages sent to the root window, as a launcher sees them.
class StartupMessages {
public:
    StartupMessages() {
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(m_connection, xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root,
                                     XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }
    ~StartupMessages() { xcb_disconnect(m_connection); }

    // The next whole message, waiting for it while this process's own events are served.
    QByteArray Next() {
        QByteArray message;
        PumpEventsUntil([&] {
            while (const Reply<xcb_generic_event_t> event{xcb_poll_for_event(m_connection)}) {
                const auto* client = reinterpret_cast<xcb_client_message_event_t*>(event.get());
                if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE &&
                    (client->type == m_begin || client->type == m_more)) {
                    m_partial = (client->type == m_begin ? QByteArray() : m_partial) +
                                QByteArray(reinterpret_cast<const char*>(client->data.data8), 20);
                }
                if (const qsizetype end = m_partial.indexOf('\0'); end >= 0) {
                    message = m_partial.left(end);
                    m_partial.clear();
                    return true;
                }
            }
            return false;
        });
        return message;
    }
    // A text property of a window.
    QByteArray Property(xcb_window_t window, const char* name) {
        const Reply<xcb_get_property_reply_t> reply{xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, Atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
            nullptr)};
        return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                          xcb_get_property_value_length(reply.get()));
    }

private:
    struct Free {
        void operator()(void* reply) const { std::free(reply); }
    };
    template <typename T> using Reply = std::unique_ptr<T, Free>;
    xcb_atom_t Atom(const char* name) {
        const auto length = static_cast<uint16_t>(std::strlen(name));
        return Reply<xcb_intern_atom_reply_t> {
            xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, length, name), nullptr)
            } -> atom;
    }

    xcb_connection_t* m_connection = xcb_connect(nullptr, nullptr);
    const xcb_atom_t m_begin = Atom("_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t m_more = Atom("_NET_STARTUP_INFO");
    QByteArray m_partial;
};

// On X11 (run on Xvfb with a window manager, see CMakeLists.txt) the startup id of a
// later start goes to Qt's X11 platform: a window shown next ends that launch itself,
// and one shown already carries the id, is raised and activated, and ends it here.
TEST(SingleInstanceTest, OnX11TheRaiseCarriesTheStartupIdAndEndsTheLaunch) {
    if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
        GTEST_SKIP() << "needs an X server";
    }
    StartupMessages launcher;
    QWidget window;
    ASSERT_TRUE(SingleInstance::HandTokenToPlatform("parcelo-first_TIME0"));
    window.show();
    EXPECT_EQ(launcher.Next(), "remove: ID=parcelo-first_TIME0") << "Qt ends the launch of the window it maps";

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(PumpEventsUntil([&] { return other.isActiveWindow(); }));
    SingleInstance::BringToFront(&window, "parcelo-second_TIME0");
    EXPECT_EQ(launcher.Next(), "remove: ID=parcelo-second_TIME0");
    EXPECT_EQ(launcher.Property(static_cast<xcb_window_t>(window.winId()), "_NET_STARTUP_ID"), "parcelo-second_TIME0");
    EXPECT_TRUE(PumpEventsUntil([&] { return window.isActiveWindow(); })) << "the raise still works";
}

} // namespace

int main(int argc, char** argv) {
    // Keeps every socket and lock away from a program the developer may be running.
    const QTemporaryDir home;
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit()); // a new temporary folder is private to its owner
    // No test here needs a display but the one that is run on Xvfb alone.
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("PARCELO_TEST_ON_X11") ? "offscreen" : "xcb");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
