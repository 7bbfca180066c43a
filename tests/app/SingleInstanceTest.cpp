#include "app/SingleInstance.h"

#include "status/EventLoop.h"
#include "support/ScopedEnv.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <xcb/xcb.h>

using namespace parcelo;
using test::WaitUntil;

namespace {

// The data folder of the tests; each test keys its instances apart.
QString Data() {
    static const QTemporaryDir data;
    return data.path();
}

// A second start of the program (this program, see main), reporting what happened; killed,
// like a crash, with the object. It has the test's environment.
struct Probe : QProcess {
    Probe(const QString& key, const QString& dataFolder, int timeoutMs = 3000) {
        start(QCoreApplication::applicationFilePath(), {"--probe", key, dataFolder, QString::number(timeoutMs)});
    }
    ~Probe() override {
        kill();
        waitForFinished();
    }
    QByteArray NextLine() {
        WaitUntil([this] { return canReadLine(); }, 10000);
        return readLine().trimmed();
    }
};

// A connection to an instance's socket that sends whatever a test wants.
struct Client : QLocalSocket {
    explicit Client(const QString& socketPath) {
        connectToServer(socketPath);
        EXPECT_TRUE(waitForConnected());
    }
    void Send(const QByteArray& data) { EXPECT_TRUE(write(data) == data.size() && flush()); }
    // What the instance answers before it closes the connection; nothing while it keeps it open.
    std::optional<QByteArray> AnswerUntilClosed() {
        QByteArray answer;
        const bool closed = WaitUntil([&] { return (answer += readAll(), state() == UnconnectedState); }, 10000);
        return closed ? std::optional(answer) : std::nullopt;
    }
};

// A second start with the same data folder hands over to the running one, which answers only
// the request whatever a connection sends, and neither stops answering nor ends.
TEST(SingleInstanceTest, SecondStartHandsOverAndTheRunningOneAnswersOnlyTheRequest) {
    int activations = 0;
    const QString key = QStringLiteral("handover");
    {
        SingleInstance first(key, Data());
        ASSERT_FALSE(first.HandOverToRunning());
        QByteArray token = "none";
        ASSERT_TRUE(first.Listen([&](const QByteArray& given) { ++activations, token = given; }));

        // A program left running for hours never touches its lock; it must still count. The
        // launcher's activation token travels to the running window; one that cannot be sent
        // whole is left out rather than cut.
        QFile lock(first.LockFileName());
        ASSERT_TRUE(lock.open(QIODevice::ReadWrite) &&
                    lock.setFileTime(QDateTime::currentDateTime().addSecs(-7200), QFileDevice::FileModificationTime));
        for (const auto& [variable, given, received] :
             {std::tuple{"XDG_ACTIVATION_TOKEN", "", ""},
              {"XDG_ACTIVATION_TOKEN", "kwin-1234_TIME5678", "kwin-1234_TIME5678"},
              {"DESKTOP_STARTUP_ID", "openbox-77-host-xterm_TIME42", "openbox-77-host-xterm_TIME42"},
              {"XDG_ACTIVATION_TOKEN", "two words", ""}}) {
            const test::ScopedEnv launcher(variable, given);
            EXPECT_EQ(Probe(key, Data()).NextLine(), "handed-over");
            EXPECT_EQ(token, received) << given;
        }
        EXPECT_EQ(activations, 4);

        // One data folder has one program, whatever path leads to it and whatever runtime
        // folder each start has; another data folder has a program of its own.
        const QTemporaryDir root, otherRuntime;
        const QString link = root.filePath("linked");
        ASSERT_TRUE(QFile::link(Data(), link));
        {
            const test::ScopedEnv runtime("XDG_RUNTIME_DIR", QFile::encodeName(otherRuntime.path()).constData());
            EXPECT_EQ(Probe(key, link).NextLine(), "handed-over");
            EXPECT_EQ(Probe(key, root.filePath("other")).NextLine(), "listening");
        }
        EXPECT_EQ(activations, 5);

        // Anything but the request, a request line that never ends among it, is dropped unanswered.
        for (const QByteArray& request : QByteArrayList{QByteArray(200, 'x'), "activate please now\n", "activate \n",
                                                        "activate\ttoken\n", "activated\n"}) {
            Client wrong(first.ServerName());
            wrong.Send(request);
            EXPECT_EQ(wrong.AnswerUntilClosed(), QByteArray()) << request.left(30).toStdString();
        }

        // The request may arrive in pieces.
        Client slow(first.ServerName());
        slow.Send("acti");
        WaitUntil([] { return false; }, 50);
        slow.Send("vate\n");
        EXPECT_EQ(slow.AnswerUntilClosed(), "ok\n");
        EXPECT_EQ(activations, 6);

        // One that asks and hangs up before the answer still gets the window forward.
        Client(first.ServerName()).Send("activate\n");
        EXPECT_TRUE(WaitUntil([&activations] { return activations == 7; }));

        // One that never sends holds up no other start, and is dropped after a while.
        Client silent(first.ServerName());
        EXPECT_EQ(Probe(key, Data()).NextLine(), "handed-over");
        EXPECT_EQ(activations, 8);
        EXPECT_EQ(silent.AnswerUntilClosed(), QByteArray());
    }
    // After a clean end the next start is the first again.
    EXPECT_EQ(Probe(key, Data()).NextLine(), "listening");
}

// A crashed owner, a silent one or a socket path the system cannot take whole never blocks a
// start. Such a path is never shortened to another file: the program then runs without the
// guard, and a second start does too.
TEST(SingleInstanceTest, NothingBlocksAStart) {
    ASSERT_EQ(Probe(QStringLiteral("crash"), Data()).NextLine(), "listening"); // and killed
    SingleInstance next(QStringLiteral("crash"), Data());
    ASSERT_TRUE(QFile::exists(next.LockFileName()) && QFile::exists(next.ServerName())) << "left behind";
    EXPECT_FALSE(next.HandOverToRunning());
    // An owner that holds the lock but does not answer yet delays a start only until the timeout.
    EXPECT_EQ(Probe(QStringLiteral("crash"), Data(), 300).NextLine(), "not-listening");
    EXPECT_TRUE(next.Listen([](const QByteArray&) {}));

    const QString key = QStringLiteral("long") + QString(120, u'g');
    SingleInstance unguarded(key, Data());
    ASSERT_FALSE(unguarded.HandOverToRunning());
    EXPECT_FALSE(unguarded.Listen([](const QByteArray&) {}) || unguarded.IsListening());
    QFile lock(unguarded.LockFileName());
    EXPECT_TRUE(lock.open(QIODevice::ReadOnly) && lock.readAll().isEmpty());
    EXPECT_EQ(QDir(QFileInfo(unguarded.ServerName()).path()).entryList({"long*"}, QDir::System | QDir::Files),
              QStringList());
    EXPECT_EQ(Probe(key, Data(), 300).NextLine(), "not-listening");

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

xcb_atom_t Atom(const char* name) {
    xcb_connection_t* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const auto length = static_cast<uint16_t>(std::strlen(name));
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(x11, xcb_intern_atom(x11, 0, length, name), nullptr);
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

// The startup-notification messages sent to the root window, as a launcher sees them
// (Qt listens to the root window's property changes, which they are sent as).
struct StartupMessages : QAbstractNativeEventFilter {
    StartupMessages() { qApp->installNativeEventFilter(this); }
    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override {
        const auto* event = static_cast<xcb_client_message_event_t*>(message);
        if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE && (event->type == begin || event->type == more)) {
            partial = (event->type == begin ? QByteArray() : partial) +
                      QByteArray(reinterpret_cast<const char*>(event->data.data8), 20);
            if (const qsizetype end = partial.indexOf('\0'); end >= 0) {
                whole.append(partial.left(end));
            }
        }
        return false;
    }
    // The next whole message, waiting for it while this process's events are served.
    QByteArray Next() {
        return WaitUntil([this] { return !whole.isEmpty(); }) ? whole.takeFirst() : QByteArray();
    }

    const xcb_atom_t begin = Atom("_NET_STARTUP_INFO_BEGIN"), more = Atom("_NET_STARTUP_INFO");
    QByteArray partial;
    QByteArrayList whole;
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
    ASSERT_TRUE(WaitUntil([&] { return other.isActiveWindow(); }));
    SingleInstance::BringToFront(&window, "parcelo-second_TIME0");
    EXPECT_EQ(launcher.Next(), "remove: ID=parcelo-second_TIME0");
    QProcess id; // the window's property, read as a launcher would
    id.start("xprop", {"-id", QString::number(window.winId()), "_NET_STARTUP_ID"});
    EXPECT_TRUE(id.waitForFinished() && id.readAll().endsWith("= \"parcelo-second_TIME0\"\n"));
    EXPECT_TRUE(WaitUntil([&] { return window.isActiveWindow(); })) << "the raise still works";
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--probe") == 0) { // a second start, as the program makes it
        QCoreApplication app(argc, argv);
        std::setvbuf(stdout, nullptr, _IOLBF, 0); // each report reaches the test at once
        SingleInstance instance(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
        if (instance.HandOverToRunning(std::atoi(argv[4]))) {
            return std::puts("handed-over"), 0;
        }
        std::puts(instance.Listen([](const QByteArray&) {}) ? "listening" : "not-listening");
        return QCoreApplication::exec();
    }
    // Keeps every socket and lock away from a program the developer may be running, and the
    // launcher's activation tokens away from the probes.
    const QTemporaryDir home;
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit()); // a new temporary folder is private to its owner
    qunsetenv("XDG_ACTIVATION_TOKEN");
    qunsetenv("DESKTOP_STARTUP_ID");
    // No test here needs a display but the one that is run on Xvfb alone.
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("PARCELO_TEST_ON_X11") ? "offscreen" : "xcb");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
