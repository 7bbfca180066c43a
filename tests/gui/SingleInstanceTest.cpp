#include "platform/SingleInstance.h"

#include <QApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

using namespace parcelo;

namespace {

// Serves this process's event loop, where an instance may answer, until `done` holds or ten seconds pass.
bool PumpEventsUntil(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(10000);
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
class Probe {
public:
    // `runtimeFolder`, when given, is the probe's XDG_RUNTIME_DIR.
    Probe(const QString& key, const QString& dataFolder, int timeoutMs = 3000, const QString& runtimeFolder = {}) {
        if (!runtimeFolder.isEmpty()) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder);
            m_process.setProcessEnvironment(environment);
        }
        m_process.start(QStringLiteral(PARCELO_PROBE), {key, dataFolder, QString::number(timeoutMs)});
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

TEST(SingleInstanceTest, SecondStartHandsOverToTheRunningOne) {
    int activations = 0;
    {
        SingleInstance first(QStringLiteral("handover"), Data());
        ASSERT_FALSE(first.HandOverToRunning());
        ASSERT_TRUE(first.Listen([&activations] { ++activations; }));

        // A program left running for hours never touches its lock; it must still count.
        QFile lock(first.LockFileName());
        ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
        ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addSecs(-7200), QFileDevice::FileModificationTime));
        Probe second(QStringLiteral("handover"), Data());
        EXPECT_EQ(second.NextLine(), "handed-over");
        EXPECT_EQ(activations, 1);

        // A connection that never ends its request line is dropped unanswered.
        QLocalSocket endless;
        endless.connectToServer(first.ServerName());
        endless.write(QByteArray(200, 'x'));
        EXPECT_TRUE(PumpEventsUntil([&] { return endless.state() == QLocalSocket::UnconnectedState; }));
    }
    // After a clean end the next start is the first again.
    Probe next(QStringLiteral("handover"), Data());
    EXPECT_EQ(next.NextLine(), "listening");
}

TEST(SingleInstanceTest, CrashedOrSilentOwnerNeverBlocksAStart) {
    Probe crashed(QStringLiteral("crash"), Data());
    ASSERT_EQ(crashed.NextLine(), "listening");
    crashed.Crash();

    SingleInstance next(QStringLiteral("crash"), Data());
    // The crash left both the lock and the socket file behind.
    ASSERT_TRUE(QFile::exists(next.LockFileName()));
    ASSERT_TRUE(QFile::exists(next.ServerName()));
    EXPECT_FALSE(next.HandOverToRunning());
    EXPECT_TRUE(next.Listen([] {}));

    // An owner that holds the lock but never answers delays a start only until the timeout.
    SingleInstance silent(QStringLiteral("silent"), Data());
    ASSERT_FALSE(silent.HandOverToRunning());
    Probe probe(QStringLiteral("silent"), Data(), 300);
    EXPECT_EQ(probe.NextLine(), "not-listening");
}

// One data folder has one program, whatever path leads to it and whatever runtime
// folder each start has; another data folder has a program of its own.
TEST(SingleInstanceTest, OneDataFolderHasOneProgram) {
    const QTemporaryDir root;
    const QTemporaryDir otherRuntime;
    const QString folder = root.filePath("data/VELDAN/Parcelo");
    const QString link = root.filePath("linked");
    ASSERT_TRUE(QDir().mkpath(folder) && QFile::link(root.filePath("data"), link));

    int activations = 0;
    SingleInstance first(QStringLiteral("store"), folder);
    ASSERT_FALSE(first.HandOverToRunning());
    ASSERT_TRUE(first.Listen([&activations] { ++activations; }));
    {
        Probe second(QStringLiteral("store"), link + "/VELDAN/Parcelo", 3000, otherRuntime.path());
        EXPECT_EQ(second.NextLine(), "handed-over");
        EXPECT_EQ(activations, 1);
    }
    Probe elsewhere(QStringLiteral("store"), root.filePath("other"), 3000, otherRuntime.path());
    EXPECT_EQ(elsewhere.NextLine(), "listening");
    EXPECT_EQ(activations, 1);
}

TEST(SingleInstanceTest, BringToFrontRestoresAMinimisedWindow) {
    QWidget window;
    window.showMinimized();
    SingleInstance::BringToFront(&window);
    EXPECT_FALSE(window.isMinimized());
    SingleInstance::BringToFront(nullptr); // the program is still starting and has no window yet
}

} // namespace

int main(int argc, char** argv) {
    // Keeps every socket and lock away from a program the developer may be running.
    const QTemporaryDir home;
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit()); // a new temporary folder is private to its owner
    qputenv("QT_QPA_PLATFORM", "offscreen");               // no test here needs a display
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
