#include "platform/TrackingRefresher.h"

#include "platform/QtTrackingClient.h"
#include "store/StoreTestSupport.h"
#include "support/FakeClock.h"
#include "tracking/EventLoop.h"
#include "tracking/FakeTrackingServer.h"
#include "tracking/TrackingSamples.h"

#include <gtest/gtest.h>

namespace parcelo {
namespace {

using Answer = test::FakeTrackingServer::Answer;

// The end of a refresh as its signals told it.
struct Outcome {
    RefreshSummary summary;
    QString statusLine;
    std::vector<NotificationItem> notifications;
    std::vector<qint64> changed;
    int progressSignals = 0;
};

class TrackingRefresherTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_store.MountVolume(m_folder.File("VELDAN.EDB")) && m_store.Open(u"TRACKDB"));
        QtTrackingClient::Settings settings;
        settings.endpoint = m_server.Url().toString();
        settings.timeoutMs = 300;
        settings.backOff = {60, 600, 3600};
        m_client.SetSettings(settings);
        m_refresher.SetCarrierIds({"kr.cjlogistics", "", "kr.epost"});
        m_server.SetHandler([this](const std::string& number) { return AnswerFor(number); });
        QObject::connect(&m_refresher, &TrackingRefresher::finished,
                         [this](const RefreshSummary& summary, const QString& line) {
                             m_outcome.summary = summary;
                             m_outcome.statusLine = line;
                             m_finished = true;
                         });
        QObject::connect(&m_refresher, &TrackingRefresher::notificationsReady,
                         [this](const std::vector<NotificationItem>& items) { m_outcome.notifications = items; });
        QObject::connect(&m_refresher, &TrackingRefresher::shipmentChanged,
                         [this](qint64 id) { m_outcome.changed.push_back(id); });
        QObject::connect(&m_refresher, &TrackingRefresher::progress, [this](int, int) { ++m_outcome.progressSignals; });
    }

    // Adds a shipment in delivery with courier 2 (kr.epost) and number `number`.
    int64_t AddShipment(const std::string& number, const std::u16string& item, int courier = 2) {
        Shipment shipment = test::MakeShipment(std::u16string(number.begin(), number.end()), 0, 0);
        shipment.courierIndex = courier;
        shipment.itemName = item;
        EXPECT_TRUE(m_store.Add(shipment));
        return shipment.id;
    }

    // `count` shipments numbered from `first`.
    void AddShipments(int first, int count) {
        for (int i = 0; i < count; ++i) {
            AddShipment(std::to_string(first + i), u"물품");
        }
    }

    // Each number's events, as the server will answer them.
    Answer AnswerFor(const std::string& number) {
        if (const auto found = m_special.find(number); found != m_special.end()) {
            return found->second;
        }
        const auto events = m_events.find(number);
        if (events == m_events.end()) {
            return {200, QByteArray::fromStdString(test::ErrorAnswer("NOT_FOUND"))};
        }
        // The page the request asks for, as the service cuts it.
        const nlohmann::json request = nlohmann::json::parse(m_server.LastBody().toStdString());
        const nlohmann::json& before = request["variables"]["before"];
        return {200, QByteArray::fromStdString(
                         test::PagedAnswer(events->second, before.is_string() ? before.get<std::string>() : ""))};
    }

    Outcome Refresh(bool force = false) {
        m_outcome = {};
        m_finished = false;
        EXPECT_TRUE(m_refresher.Start(force));
        EXPECT_FALSE(m_refresher.Start(force)) << "one at a time";
        EXPECT_TRUE(test::WaitUntil([this] { return m_finished; }));
        EXPECT_FALSE(m_refresher.IsRunning());
        return m_outcome;
    }

    test::TempFolder m_folder;
    CTrackingDatabase m_store;
    test::FakeTrackingServer m_server;
    FakeClock m_clock{1'709'615'220};
    QtTrackingClient m_client{m_clock};
    TrackingRefresher m_refresher{m_store, m_client, m_clock};
    std::map<std::string, std::vector<nlohmann::json>> m_events;
    std::map<std::string, Answer> m_special;
    Outcome m_outcome;
    bool m_finished = false;
};

TEST_F(TrackingRefresherTest, ChecksDueShipmentsWritesEventsAndNotifiesOfLaterChanges) {
    const int64_t earphones = AddShipment("1001", u"무선 이어폰");
    const int64_t book = AddShipment("1002", u"책 <b>굵게</b>");
    const int64_t unknown = AddShipment("1003", u"모르는 번호");
    const int64_t noCarrier = AddShipment("1004", u"택배사 없음", 1);
    m_events["1001"] = {test::EventNode("2024-03-04T09:00:00+09:00", "AT_PICKUP", "대전")};
    m_events["1002"] = {test::EventNode("2024-03-04T10:00:00+09:00", "IN_TRANSIT", "옥천")};

    Outcome first = Refresh();
    EXPECT_EQ(first.summary.due, 3u);
    EXPECT_EQ(first.summary.checked, 3u) << "not found counts as checked";
    EXPECT_EQ(first.summary.changed, 2u);
    EXPECT_TRUE(first.notifications.empty()) << "nothing on a first check";
    EXPECT_EQ(first.progressSignals, 3);
    std::map<int64_t, TrackingEvent> latest;
    ASSERT_TRUE(m_store.LatestEvents(std::vector{earphones, book, unknown, noCarrier}, latest));
    EXPECT_EQ(latest.size(), 2u);
    EXPECT_EQ(m_store.LastCheck(unknown), m_clock.Now());
    EXPECT_FALSE(m_store.LastCheck(noCarrier).has_value());

    // Within the interval nothing is due; the user's refresh forces it.
    EXPECT_EQ(Refresh().summary.due, 0u);
    m_events["1001"].push_back(test::EventNode("2024-03-05T14:07:00+09:00", "OUT_FOR_DELIVERY", "서울강남"));
    Outcome forced = Refresh(true);
    EXPECT_EQ(forced.summary.due, 3u);
    EXPECT_EQ(forced.summary.changed, 1u);
    ASSERT_EQ(forced.notifications.size(), 1u);
    EXPECT_EQ(forced.notifications[0].shipmentId, earphones);
    EXPECT_EQ(forced.changed, std::vector<qint64>{earphones});

    // Three at once make one notification; the parcel that arrives is set done.
    m_clock.Advance(3600);
    m_events["1001"].push_back(test::EventNode("2024-03-05T18:00:00+09:00", "DELIVERED", "서울강남"));
    m_events["1002"].push_back(test::EventNode("2024-03-05T11:00:00+09:00", "IN_TRANSIT", "부산"));
    m_events["1003"] = {test::EventNode("2024-03-05T12:00:00+09:00", "INFORMATION_RECEIVED", "")};
    Outcome grouped = Refresh();
    EXPECT_EQ(grouped.summary.changed, 3u);
    ASSERT_EQ(grouped.notifications.size(), 1u);
    EXPECT_EQ(grouped.notifications[0].shipmentIds.size(), 3u);
    EXPECT_EQ(m_store.Read(earphones)->status, Done);
    EXPECT_EQ(m_store.Read(book)->status, InDelivery);

    // The user puts it back in delivery: the same answer leaves it so.
    Shipment edited = *m_store.Read(earphones);
    edited.status = InDelivery;
    ASSERT_TRUE(m_store.Update(edited));
    Outcome again = Refresh(true);
    EXPECT_EQ(again.summary.changed, 0u);
    EXPECT_TRUE(again.notifications.empty());
    EXPECT_EQ(m_store.Read(earphones)->status, InDelivery);
}

// Answers as the service's schema allows them: a long history over pages, events with a
// null time or status, errors and bad answers of one shipment each, an unknown carrier
// id, an event older than the order; and a refused key, which stops the refresh.
TEST_F(TrackingRefresherTest, TakesTheServicesAnswersAsItsSchemaAllowsThem) {
    const int64_t paged = AddShipment("2001", u"긴 이력");
    const int64_t nullTime = AddShipment("2002", u"시각 없음");
    const int64_t internal = AddShipment("2003", u"서버 오류");
    const int64_t typo = AddShipment("2004", u"택배사 코드 오타", 0);
    Shipment reused = test::MakeShipment(u"2005", 0, 1'709'856'000); // ordered 2024-03-08
    reused.courierIndex = 2;
    ASSERT_TRUE(m_store.Add(reused));
    for (int i = 0; i < 45; ++i) {
        const std::string hour = (i % 24 < 10 ? "0" : "") + std::to_string(i % 24);
        m_events["2001"].push_back(test::EventNode("2024-03-0" + std::to_string(1 + i / 24) + "T" + hour + ":00:00Z",
                                                   "IN_TRANSIT", "허브 " + std::to_string(i)));
    }
    m_events["2001"][7]["time"] = nullptr;
    m_events["2002"] = {test::EventNode("2024-03-04T09:00:00+09:00", "AT_PICKUP", "대전"),
                        test::EventNode("2024-03-05T18:00:00+09:00", "DELIVERED", "서울")};
    m_events["2002"][0]["time"] = nullptr;
    m_events["2002"][0]["status"] = nullptr;
    m_special["2003"] = Answer{200, QByteArray::fromStdString(test::ErrorAnswer("INTERNAL", "Internal error"))};
    m_special["2004"] = Answer{200, QByteArray::fromStdString(test::ErrorAnswer("NOT_FOUND", "Carrier not found"))};
    const int64_t bad = AddShipment("2006", u"이상한 답");
    m_special["2006"] = Answer{200, "not json"};
    m_special["2007"] = Answer{400, QByteArray::fromStdString(test::ErrorAnswer("BAD_REQUEST"))};
    m_special["2008"] = Answer{200, "{}", {}, 2000}; // past the timeout
    const int64_t refused = AddShipment("2007", u"거절");
    const int64_t slow = AddShipment("2008", u"느림");
    m_events["2005"] = {test::EventNode("2024-03-05T18:00:00+09:00", "DELIVERED", "서울")}; // the earlier parcel

    const Outcome first = Refresh();
    EXPECT_EQ(m_server.Requests(), 3 + 7) << "three pages of the long history";
    EXPECT_EQ(first.summary.checked, 3u);
    EXPECT_EQ(first.summary.failed, 5u);
    EXPECT_EQ(first.summary.refusedCouriers.size(), 0u) << "one refused among good ones is that shipment's fault";
    EXPECT_NE(first.statusLine.indexOf(QStringLiteral("CARRIER01=kr.cjlogistics")), -1)
        << first.statusLine.toStdString();
    std::vector<TrackingEvent> events;
    ASSERT_TRUE(m_store.Events(paged, events));
    EXPECT_EQ(events.size(), 45u);
    EXPECT_FALSE(events.back().time.has_value()) << "kept without its time";
    ASSERT_TRUE(m_store.Events(nullTime, events));
    EXPECT_EQ(events.size(), 2u);
    EXPECT_EQ(m_store.Read(nullTime)->status, Done) << "the valid events of the answer count";
    std::map<int64_t, Instant> checks;
    ASSERT_TRUE(m_store.LastChecks(checks));
    for (const int64_t failed : {internal, typo, bad, refused, slow}) {
        EXPECT_EQ(checks.count(failed), 0u) << "a failed check is not a check";
    }
    ASSERT_TRUE(m_store.Events(reused.id, events));
    EXPECT_EQ(events.size(), 1u) << "history";
    EXPECT_EQ(m_store.Read(reused.id)->status, InDelivery) << "not done by the earlier parcel";
    std::map<int64_t, TrackingEvent> latest;
    ASSERT_TRUE(m_store.LatestEvents(std::vector{reused.id, paged}, latest));
    EXPECT_EQ(latest.count(reused.id), 0u);
    EXPECT_EQ(latest[paged].location, "허브 44");

    // A later check asks for the newest page only, and the old event notifies nothing.
    m_events["2005"].push_back(test::EventNode("2024-03-04T18:00:00+09:00", "DELIVERED", "부산"));
    const int before = m_server.Requests();
    const Outcome second = Refresh(true);
    EXPECT_EQ(m_server.Requests() - before, 7);
    EXPECT_TRUE(second.notifications.empty());
    EXPECT_EQ(m_store.Read(reused.id)->status, InDelivery);

    // A refused key: nothing more is sent, nothing written, and the line says what to do.
    m_server.SetHandler([](const std::string&) {
        return Answer{200, QByteArray::fromStdString(test::ErrorAnswer("UNAUTHENTICATED"))};
    });
    AddShipments(2100, 10);
    const int sent = m_server.Requests();
    const Outcome keyRefused = Refresh(true);
    EXPECT_TRUE(keyRefused.summary.keyRefused);
    EXPECT_LE(m_server.Requests() - sent, 4) << "only those already under way";
    EXPECT_EQ(keyRefused.summary.checked, 0u);
    EXPECT_NE(keyRefused.statusLine.indexOf(QStringLiteral("키를 거부")), -1);
    ASSERT_TRUE(m_store.LastChecks(checks));
    EXPECT_EQ(checks.size(), 3u);
}

TEST_F(TrackingRefresherTest, BacksOffAfterARateLimitAndGoesOnLater) {
    AddShipments(3000, 10);
    int requests = 0;
    m_server.SetHandler([&](const std::string& number) {
        Answer answer = ++requests == 1 ? Answer{429, "", {{"Retry-After", "120"}}} : AnswerFor(number);
        answer.delayMs = requests == 1 ? 0 : 50; // the others are still under way when it comes
        return answer;
    });
    Outcome limited = Refresh();
    EXPECT_EQ(limited.summary.failed, 1u);
    EXPECT_EQ(limited.summary.checked, 3u) << "those already sent with it";
    EXPECT_EQ(limited.summary.deferred, 6u);
    EXPECT_EQ(m_server.Requests(), 4);

    m_clock.Advance(120);
    Outcome later = Refresh();
    EXPECT_EQ(later.summary.checked, 7u) << "the shipments not checked yet";
    EXPECT_EQ(later.summary.failed + later.summary.deferred, 0u);
}

TEST_F(TrackingRefresherTest, AnUnreachableServiceCountsAsOffline) {
    AddShipments(5000, 8);
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    QtTrackingClient::Settings settings = m_client.CurrentSettings();
    settings.endpoint = QStringLiteral("http://127.0.0.1:%1/graphql").arg(closed.serverPort());
    closed.close();
    m_client.SetSettings(settings);
    Outcome offline = Refresh();
    EXPECT_GT(offline.summary.offline, 0u);
    EXPECT_EQ(offline.summary.offline + offline.summary.deferred, 8u);
}

TEST_F(TrackingRefresherTest, AStoreThatCannotBeReadIsNotASuccess) {
    AddShipment("8001", u"물품");
    m_store.Close();
    Outcome outcome = Refresh();
    EXPECT_TRUE(outcome.summary.storeFailed);
    EXPECT_EQ(m_server.Requests(), 0);
}

TEST_F(TrackingRefresherTest, AShipmentDeletedWhileItsCheckIsUnderWayGetsNothing) {
    const int64_t kept = AddShipment("6001", u"남는 것");
    const int64_t deleted = AddShipment("6002", u"지울 것");
    m_events["6001"] = {test::EventNode("2024-03-05T18:00:00+09:00", "DELIVERED", "서울")};
    m_events["6002"] = m_events["6001"];
    m_special["6002"] = Answer{200, QByteArray::fromStdString(test::TrackAnswer(m_events["6002"])), {}, 100};
    m_server.SetHandler([&](const std::string& number) {
        if (number == "6002") {
            EXPECT_TRUE(m_store.Delete(deleted)); // the user deletes it meanwhile
        }
        return AnswerFor(number);
    });
    Outcome outcome = Refresh();
    EXPECT_EQ(outcome.summary.checked, 2u);
    EXPECT_EQ(m_store.Read(kept)->status, Done);
    EXPECT_FALSE(m_store.Read(deleted).has_value());
    std::map<int64_t, Instant> checks;
    ASSERT_TRUE(m_store.LastChecks(checks));
    EXPECT_EQ(checks.count(deleted), 0u);
}

TEST_F(TrackingRefresherTest, CancelStopsAndWritesNothingMore) {
    AddShipments(7000, 6);
    m_special["7000"] = Answer{200, "{}", {}, 0, true, true};
    m_finished = false;
    ASSERT_TRUE(m_refresher.Start());
    ASSERT_TRUE(test::WaitUntil([&] { return m_server.Requests() >= 4; }));
    m_refresher.Cancel();
    EXPECT_TRUE(m_finished);
    EXPECT_FALSE(m_refresher.IsRunning());
    const RefreshSummary summary = m_outcome.summary;
    EXPECT_EQ(summary.checked + summary.failed + summary.deferred, 6u);
    std::map<int64_t, Instant> checks;
    ASSERT_TRUE(m_store.LastChecks(checks));
    const size_t written = checks.size();
    test::WaitUntil([] { return false; }, 200);
    ASSERT_TRUE(m_store.LastChecks(checks));
    EXPECT_EQ(checks.size(), written) << "no writes after the cancel";
}

} // namespace
} // namespace parcelo
