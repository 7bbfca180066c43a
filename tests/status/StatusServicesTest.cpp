#include "status/EventLoop.h"
#include "status/FakeTrackingServer.h"
#include "status/StatusSettings.h"
#include "status/services/DesktopNotifier.h"
#include "status/services/QtTrackingClient.h"
#include "status/services/ServiceUrl.h"
#include "support/FakeClock.h"
#include "tracking/TrackingSamples.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QTcpServer>
#include <QVariantMap>
#include <gtest/gtest.h>
#include <random>

namespace parcelo {
namespace {

using Answer = test::FakeTrackingServer::Answer;

const auto Bytes = [](const std::string& text) { return QByteArray::fromStdString(text); };

const std::string kDelivered =
    test::TrackAnswer({test::EventNode("2024-03-04T09:00:00+09:00", "AT_PICKUP", "대전"),
                       test::EventNode("2024-03-05T14:07:00+09:00", "DELIVERED", "서울강남")});

class QtTrackingClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        QtTrackingClient::Settings settings;
        settings.endpoint = m_server.Url().toString().toStdString();
        settings.timeoutMs = 300;
        settings.backOff = {10, 80, 600};
        m_client.SetSettings(settings);
    }

    TrackingReply Ask(const std::string& number) {
        std::optional<TrackingReply> reply;
        m_client.Track(test::Query(1, number), [&](TrackingReply answer) { reply = std::move(answer); });
        EXPECT_TRUE(test::WaitUntil([&] { return reply.has_value(); })) << number;
        return reply.value_or(TrackingReply{});
    }

    // Sends queries 0 to count - 1 at once; their outcomes are told into `outcomes`.
    void Send(int count) {
        for (int i = 0; i < count; ++i) {
            m_client.Track(test::Query(i, std::to_string(i)),
                           [this](const TrackingReply& reply) { outcomes.push_back(reply.outcome); });
        }
    }
    std::vector<TrackingOutcome> outcomes;

    test::FakeTrackingServer m_server;
    FakeClock m_clock{1'709'615'220};
    QtTrackingClient m_client{m_clock};
};

// Events and error answers read, the key sent without line breaks; back-off after server
// errors and rate limits; only https, or http to a loopback address.
TEST_F(QtTrackingClientTest, ReadsAnswersBacksOffAndSendsOverHttpsOrLoopbackOnly) {
    m_server.SetAnswer("1", {200, Bytes(kDelivered)});
    const TrackingReply delivered = Ask("1");
    EXPECT_EQ(std::pair(delivered.outcome, delivered.events.size()), std::pair(TrackingOutcome::Ok, size_t{2}));
    EXPECT_TRUE(m_server.LastAuthorization().isEmpty()) << "no key, no header";
    EXPECT_NE(m_server.LastBody().indexOf("\"trackingNumber\":\"1\""), -1);

    m_server.SetAnswer("2", {400, Bytes(test::ErrorAnswer("BAD_REQUEST"))}); // the status goes with the body
    EXPECT_EQ(Ask("2").outcome, TrackingOutcome::Rejected);

    QtTrackingClient::Settings settings = m_client.CurrentSettings();
    settings.clientId = "client";
    settings.clientSecret = "secret\r\nX-Injected: 1";
    m_client.SetSettings(settings);
    EXPECT_EQ(Ask("1").outcome, TrackingOutcome::Ok);
    EXPECT_EQ(m_server.LastAuthorization(), "TRACKQL-API-KEY client:secretX-Injected: 1");

    // Back-off after server errors and rate limits.
    m_server.SetAnswer("500", {500, "oops"});
    m_server.SetAnswer("429", {429, "", {{"Retry-After", "120"}}});
    EXPECT_EQ(Ask("500").outcome, TrackingOutcome::ServerError);
    EXPECT_EQ(m_client.BackingOffUntil(), m_clock.Now() + 10);
    m_client.SetSettings(m_client.CurrentSettings()); // the options applied again
    EXPECT_EQ(m_client.BackingOffUntil(), m_clock.Now() + 10);
    int sent = m_server.Requests();
    const TrackingReply held = Ask("1");
    EXPECT_EQ(std::tuple(held.outcome, held.retryAfter), std::tuple(TrackingOutcome::BackingOff, 10));
    EXPECT_EQ(m_server.Requests(), sent) << "nothing sent while backing off";

    m_clock.Advance(10);
    const TrackingReply limited = Ask("429");
    EXPECT_EQ(std::tuple(limited.outcome, limited.retryAfter), std::tuple(TrackingOutcome::RateLimited, 120));
    EXPECT_EQ(m_client.BackingOffUntil(), m_clock.Now() + 120) << "Retry-After honoured";
    m_clock.Advance(120);
    EXPECT_EQ(Ask("1").outcome, TrackingOutcome::Ok);
    EXPECT_EQ(m_client.BackingOffUntil(), 0) << "a success ends the back-off";

    // Only https, or http to a loopback address; offline when nothing answers.
    for (int n = 0;
         const char* url : {"https://apis.tracker.delivery/graphql", "http://127.8.9.10/graphql",
                            "http://[::1]:4000/graphql", "http://localhost/graphql", "http://10.0.0.1/graphql",
                            "file:///etc/passwd", "ftp://127.0.0.1/", "http://127.0.0.1.example.com/"}) {
        EXPECT_EQ(IsAllowedServiceUrl(QUrl(QString::fromLatin1(url))), ++n <= 4) << url; // the first four only
    }

    sent = m_server.Requests();
    settings.endpoint = "http://example.com/graphql";
    m_client.SetSettings(settings);
    EXPECT_EQ(Ask("1").outcome, TrackingOutcome::Invalid);

    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    settings.endpoint = "http://127.0.0.1:" + std::to_string(closed.serverPort()) + "/graphql";
    closed.close();
    m_client.SetSettings(settings);
    EXPECT_EQ(Ask("1").outcome, TrackingOutcome::Offline);
    EXPECT_EQ(m_server.Requests(), sent);
}

// OAuth2: at most four requests at once, one token request for those waiting together, the token kept until
// shortly before it expires, asked again after it runs out, after the service refuses
// it and after the key changes; a refused client sends no query at all.
TEST_F(QtTrackingClientTest, OAuth2TokenIsSharedKeptUntilItExpiresAndRenewed) {
    m_server.SetFallback({200, Bytes(kDelivered), {}, 40});
    m_server.SetTokenAnswer({200, R"({"access_token":"t1","token_type":"Bearer","expires_in":600})"});
    QtTrackingClient::Settings settings = m_client.CurrentSettings();
    settings.auth = QtTrackingClient::Auth::OAuth2;
    settings.tokenUrl = m_server.TokenUrl().toString().toStdString();
    settings.clientId = "old id";
    settings.clientSecret = "s&cret=1";
    m_client.SetSettings(settings);

    Send(12);
    ASSERT_TRUE(test::WaitUntil([&] { return outcomes.size() == 12; }));
    EXPECT_EQ(outcomes, std::vector(12, TrackingOutcome::Ok));
    EXPECT_EQ(m_server.MostAtOnce(), 4);
    EXPECT_EQ(m_server.TokenRequests(), 1);
    EXPECT_EQ(m_server.LastAuthorization(), "Bearer t1");
    EXPECT_TRUE(m_server.LastTokenRequest().toLower().contains("\r\ncontent-type: application/x-www-form-urlencoded"))
        << m_server.LastTokenRequest().toStdString(); // the form itself: BuildAccessTokenRequest's test

    // A query for "1": its outcome, the tokens asked for by then and the header it went with.
    const auto askOne = [&] {
        const TrackingOutcome outcome = Ask("1").outcome;
        return std::tuple(outcome, m_server.TokenRequests(), m_server.LastAuthorization());
    };
    m_clock.Advance(539);
    EXPECT_EQ(askOne(), std::tuple(TrackingOutcome::Ok, 1, "Bearer t1")) << "kept while it is valid";
    m_server.SetTokenAnswer({200, R"({"access_token":"t2","token_type":"bearer","expires_in":600})"});
    m_clock.Advance(1);
    EXPECT_EQ(askOne(), std::tuple(TrackingOutcome::Ok, 2, "Bearer t2")) << "renewed before it runs out";

    // A token refused before its time is renewed and the request sent once more.
    m_server.SetAnswer("revoked", {401, Bytes(test::ErrorAnswer("UNAUTHENTICATED"))});
    const int before = m_server.Requests();
    EXPECT_EQ(Ask("revoked").outcome, TrackingOutcome::KeyRefused);
    EXPECT_EQ(m_server.TokenRequests(), 3);
    EXPECT_EQ(m_server.Requests(), before + 2) << "once with a new token, not more";
    m_server.SetTokenAnswer({200, R"({"access_token":"t3","token_type":"bearer","expires_in":600})"});
    EXPECT_EQ(askOne(), std::tuple(TrackingOutcome::Ok, 4, "Bearer t3")) << "a refused token is not sent again";

    m_server.SetTokenAnswer({401, R"({"error":"invalid_client"})"});
    settings.clientSecret = "wrong";
    m_client.SetSettings(settings);
    const int sent = m_server.Requests();
    EXPECT_EQ(askOne(), std::tuple(TrackingOutcome::KeyRefused, 5, "Bearer t3")) << "a new key, a new token";
    EXPECT_EQ(m_server.Requests(), sent) << "no query without a token";

    // The connection check waits for a token too, and says what the issuer said.
    std::optional<TrackingReply> check;
    m_client.CheckConnection([&](TrackingReply reply) { check = std::move(reply); });
    ASSERT_TRUE(test::WaitUntil([&] { return check.has_value(); }));
    EXPECT_EQ(check->outcome, TrackingOutcome::KeyRefused);
    EXPECT_EQ(m_server.Requests(), sent);
}

// Slow, large and redirected answers are given up; CancelAll calls every request back,
// those waiting their turn too.
TEST_F(QtTrackingClientTest, GivesUpSlowLargeAndRedirectedAnswersAndCancelsEveryOne) {
    const QByteArray huge = "{\"data\":{\"track\":null},\"x\":\"" + QByteArray(qsizetype{5} * 1024 * 1024, 'x') + "\"}";
    QElapsedTimer timer;
    timer.start();
    for (const auto& [answer, outcome] : std::vector<std::pair<Answer, TrackingOutcome>>{
             {{200, Bytes(kDelivered), {}, 5000}, TrackingOutcome::TimedOut},
             {{200, {}, {}, 0, true, true}, TrackingOutcome::TimedOut},
             {{200, huge}, TrackingOutcome::Invalid},
             {{200, huge, {}, 0, false}, TrackingOutcome::Invalid},
             {{302, "", {{"Location", "file:///etc/passwd"}}}, TrackingOutcome::Invalid},
             {{307, "", {{"Location", "http://192.0.2.1/graphql"}}}, TrackingOutcome::Invalid}}) {
        m_server.SetFallback(answer);
        EXPECT_EQ(Ask("1").outcome, outcome) << answer.status << " " << answer.delayMs << answer.withLength;
    }
    EXPECT_LT(timer.elapsed(), 2000) << "a slow answer is given up after the timeout";
    EXPECT_EQ(m_client.InFlight(), 0);

    m_server.SetFallback({200, {}, {}, 0, true, true});
    const int sent = m_server.Requests();
    Send(6);
    ASSERT_TRUE(test::WaitUntil([&] { return m_server.Requests() == sent + 4; }));
    m_client.CancelAll();
    ASSERT_TRUE(test::WaitUntil([&] { return outcomes.size() == 6; }));
    EXPECT_EQ(outcomes, std::vector(6, TrackingOutcome::Cancelled));
}

// The settings' own trimming and URL host, which the core uses without Qt, agree with
// Qt's over generated text.
TEST(StatusSettingsTextTest, AgreesWithQtsTrimmingAndUrlHost) {
    const std::u16string pieces[] = {u" ",      u"\t",     u"\n", u"\u3000", u"\u00A0",
                                     u"\u2028", u"\u0085", u"a",  u"한",     u"\U0001F4E6"};
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::u16string text;
        for (unsigned n = random() % 7; n > 0; --n) {
            text += pieces[random() % std::size(pieces)];
        }
        const QString qt = QString::fromStdU16String(text);
        EXPECT_EQ(TrimmedText(qt.toStdString()), qt.trimmed().toStdString());
        EXPECT_EQ(SimplifiedText(qt.toStdString()), qt.simplified().toStdString());
    }
    const char* parts[][4] = {{"https://", "HTTP://", "", ""},
                              {"", "id:secret@", "", ""},
                              {"apis.tracker.delivery", "APIS.Tracker.Delivery", "127.0.0.1", "[::1]"},
                              {"", ":8443", "/graphql", ":80/graphql?x=@y#z"}};
    for (int i = 0; i < 256; ++i) {
        const std::string url =
            std::string(parts[0][i % 4]) + parts[1][i / 4 % 4] + parts[2][i / 16 % 4] + parts[3][i / 64];
        EXPECT_EQ(UrlHost(url), QUrl(QString::fromStdString(url)).host().toStdString()) << url;
    }
}

const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kService = QStringLiteral("org.freedesktop.Notifications");

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

    QDBusConnection m_bus;
    std::vector<Call> calls;
    QStringList capabilities{QStringLiteral("body"), QStringLiteral("actions"), QStringLiteral("body-markup")};

    void Click(std::initializer_list<std::pair<uint, const char*>> clicks) { // id and action of each
        for (const auto& [id, action] : clicks) {
            m_bus.send(QDBusMessage::createSignal(kPath, kService, QStringLiteral("ActionInvoked"))
                       << id << QString::fromLatin1(action));
        }
    }

public slots: // NOLINT(readability-redundant-access-specifiers)
    QStringList GetCapabilities() { return capabilities; }
    uint Notify(const QString& appName, uint, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap&, int) {
        calls.push_back({appName, summary, body, actions});
        return static_cast<uint>(calls.size()) + 100;
    }
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
                serviceBus.registerObject(kPath, &service, QDBusConnection::ExportAllSlots) &&
                serviceBus.registerService(kService));
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

    service.Click({{101, "default"}, {102, "default"}, {102, "other"}, {999, "default"}}); // 999: not ours
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

    // Without a service nothing shows, and nothing blocks.
    DesktopNotifier nowhere(
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("nowhere")));
    nowhere.Show({{u"펜", u"배송완료", 7, {7}}});
    test::WaitUntil([] { return false; }, 50);
    EXPECT_EQ(nowhere.Open(), 0u);
    QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
}

} // namespace
} // namespace parcelo

#include "StatusServicesTest.moc"
