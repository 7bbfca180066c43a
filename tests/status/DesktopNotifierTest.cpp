#include "status/services/DesktopNotifier.h"

#include "status/EventLoop.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QScopeGuard>
#include <QVariantMap>
#include <gtest/gtest.h>

namespace parcelo {
namespace {

// A notification service on the private bus that records each Notify and can play a click.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Call {
        QString appName, summary, body;
        QStringList actions;
    };

    explicit FakeNotifications(QDBusConnection bus) : m_bus(std::move(bus)) {}

    std::vector<Call> calls;
    QStringList capabilities{QStringLiteral("body"), QStringLiteral("actions"), QStringLiteral("body-markup")};

    void Click(uint id, const QString& action) {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                         QStringLiteral("org.freedesktop.Notifications"),
                                                         QStringLiteral("ActionInvoked"));
        signal << id << action;
        m_bus.send(signal);
    }

public slots: // NOLINT(readability-redundant-access-specifiers)
    QStringList GetCapabilities() { return capabilities; }
    uint Notify(const QString& appName, uint, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap&, int) {
        calls.push_back({appName, summary, body, actions});
        return static_cast<uint>(calls.size()) + 100;
    }

private:
    QDBusConnection m_bus;
};

// A private session bus of its own, the fake service on one connection to it and the
// program on another.
TEST(DesktopNotifierTest, ShowsEachItemAndReportsTheClickedShipment) {
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    ASSERT_TRUE(daemon.waitForStarted(5000) && test::WaitUntil([&] { return daemon.canReadLine(); }, 5000));
    const QString address = QString::fromUtf8(daemon.readLine().trimmed());
    QDBusConnection serviceBus = QDBusConnection::connectToBus(address, QStringLiteral("service"));
    const QDBusConnection programBus = QDBusConnection::connectToBus(address, QStringLiteral("program"));
    FakeNotifications service{serviceBus};
    ASSERT_TRUE(serviceBus.isConnected() &&
                serviceBus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                                          QDBusConnection::ExportAllSlots) &&
                serviceBus.registerService(QStringLiteral("org.freedesktop.Notifications")));
    const auto cleanUp = qScopeGuard([&] {
        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
        QDBusConnection::disconnectFromBus(QStringLiteral("program"));
        daemon.kill();
        daemon.waitForFinished(5000);
    });

    DesktopNotifier notifier(programBus);
    std::vector<int64_t> activated;
    notifier.SetActivated([&](int64_t id) { activated.push_back(id); });
    test::WaitUntil([] { return false; }, 100); // the capabilities arrive
    notifier.Show({{u"책 <b>굵게</b> & 펜", u"배송출발 · 서울 <강남>", 41, {41}},
                   {u"배송 상태 변경 3건", u"a: 이동중\nb: 접수\nc: 배송완료", 0, {42, 43, 44}}});
    ASSERT_TRUE(test::WaitUntil([&] { return notifier.Open() == 2; }));
    ASSERT_EQ(service.calls.size(), 2u);
    EXPECT_EQ(service.calls[0].appName, QStringLiteral("Parcelo"));
    EXPECT_EQ(service.calls[0].summary, QStringLiteral("책 <b>굵게</b> & 펜")) << "the summary is plain text";
    EXPECT_EQ(service.calls[0].body, QStringLiteral("배송출발 · 서울 &lt;강남&gt;")) << "markup escaped";
    EXPECT_TRUE(service.calls[0].actions.contains(QStringLiteral("default")));

    service.Click(101, QStringLiteral("default"));
    service.Click(102, QStringLiteral("default"));
    service.Click(102, QStringLiteral("other"));
    service.Click(999, QStringLiteral("default")); // another program's notification
    ASSERT_TRUE(test::WaitUntil([&] { return activated.size() >= 2; }));
    test::WaitUntil([] { return false; }, 100);
    EXPECT_EQ(activated, (std::vector<int64_t>{41, 0}));

    // A service that reads no markup gets the text as it is.
    service.capabilities = {QStringLiteral("body"), QStringLiteral("actions")};
    DesktopNotifier plain(programBus);
    test::WaitUntil([] { return false; }, 100);
    plain.Show({{u"펜", u"a < b", 7, {7}}});
    ASSERT_TRUE(test::WaitUntil([&] { return service.calls.size() == 3; }));
    EXPECT_EQ(service.calls[2].body, QStringLiteral("a < b"));
}

TEST(DesktopNotifierWithoutServiceTest, ShowsNothingAndDoesNotBlock) {
    QDBusConnection nowhere =
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("nowhere"));
    DesktopNotifier notifier(nowhere);
    notifier.Show({{u"펜", u"배송완료", 7, {7}}});
    test::WaitUntil([] { return false; }, 50);
    EXPECT_EQ(notifier.Open(), 0u);
    QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
}

} // namespace
} // namespace parcelo

#include "DesktopNotifierTest.moc"
