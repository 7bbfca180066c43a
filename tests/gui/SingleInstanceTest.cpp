#include "platform/SingleInstance.h"

#include <QApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

using namespace parcelo;

namespace {

// Serves this process's event loop, so that an instance listening here can
// answer, until `done` holds or `ms` have passed.
bool PumpEventsUntil(const std::function<bool()>& done, int ms = 10000) {
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return done();
}

// The probe program, started as a second program would be; it reports on
// stdout what happened. Killed, like a crash, when it goes out of scope.
class Probe {
public:
    explicit Probe(const QString& key, int timeoutMs = 3000) {
        m_process.start(QStringLiteral(PARCELO_PROBE), {key, QString::number(timeoutMs)});
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
        SingleInstance first(QStringLiteral("handover"));
        ASSERT_FALSE(first.HandOverToRunning());
        ASSERT_TRUE(first.Listen([&activations] { ++activations; }));
        EXPECT_TRUE(first.ServerName().startsWith(qEnvironmentVariable("XDG_RUNTIME_DIR")));

        Probe second(QStringLiteral("handover"));
        EXPECT_EQ(second.NextLine(), "handed-over");
        EXPECT_EQ(activations, 1);

        // A program left running for hours never touches its lock; it must still count.
        QFile lock(first.LockFileName());
        ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
        ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addSecs(-7200), QFileDevice::FileModificationTime));
        lock.close();
        Probe third(QStringLiteral("handover"));
        EXPECT_EQ(third.NextLine(), "handed-over");
        EXPECT_EQ(activations, 2);

        // Stray connections, with a wrong word or a line without end, are dropped unanswered.
        QLocalSocket wrongWord;
        wrongWord.connectToServer(first.ServerName());
        wrongWord.write("quit\n");
        QLocalSocket endless;
        endless.connectToServer(first.ServerName());
        endless.write(QByteArray(200, 'x'));
        EXPECT_TRUE(PumpEventsUntil([&] {
            return wrongWord.state() == QLocalSocket::UnconnectedState &&
                   endless.state() == QLocalSocket::UnconnectedState;
        }));
        EXPECT_TRUE(wrongWord.readAll().isEmpty());
        EXPECT_EQ(activations, 2);
    }
    // After a clean end the next start is the first again.
    Probe next(QStringLiteral("handover"));
    EXPECT_EQ(next.NextLine(), "listening");
}

TEST(SingleInstanceTest, CrashedOrSilentOwnerNeverBlocksAStart) {
    Probe crashed(QStringLiteral("crash"));
    ASSERT_EQ(crashed.NextLine(), "listening");
    crashed.Crash();

    SingleInstance next(QStringLiteral("crash"));
    // The crash left both the lock and the socket file behind.
    ASSERT_TRUE(QFile::exists(next.LockFileName()));
    ASSERT_TRUE(QFile::exists(next.ServerName()));
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(next.HandOverToRunning(5000));
    EXPECT_LT(timer.elapsed(), 2000) << "a dead owner is recognised at once, without waiting";
    int activations = 0;
    ASSERT_TRUE(next.Listen([&activations] { ++activations; }));
    Probe later(QStringLiteral("crash"));
    EXPECT_EQ(later.NextLine(), "handed-over");
    EXPECT_EQ(activations, 1);

    // An owner that holds the lock but never answers delays a start only until the timeout.
    SingleInstance silent(QStringLiteral("silent"));
    ASSERT_FALSE(silent.HandOverToRunning());
    Probe probe(QStringLiteral("silent"), 300);
    EXPECT_EQ(probe.NextLine(), "not-listening");
}

TEST(SingleInstanceTest, BringToFrontRestoresAShownWindowOnly) {
    QWidget window;
    window.showMinimized();
    SingleInstance::BringToFront(&window);
    EXPECT_FALSE(window.isMinimized());
    // While the program is still starting its window is not shown yet, or not there at all.
    QWidget starting;
    SingleInstance::BringToFront(&starting);
    EXPECT_FALSE(starting.isVisible());
    SingleInstance::BringToFront(nullptr);
}

} // namespace

int main(int argc, char** argv) {
    // Keep every socket, lock and folder away from a program the developer may be running.
    const QTemporaryDir home;
    const QString runtime = home.filePath(QStringLiteral("run"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
