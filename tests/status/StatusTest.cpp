#include "status/KeyFile.h"
#include "status/StatusController.h"
#include "status/TrackingRefresher.h"
#include "store/StoreTestSupport.h"
#include "support/FakeClock.h"
#include "support/FakeStatusServices.h"
#include "support/ManualExecutor.h"
#include "tracking/TrackingSamples.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace parcelo {
namespace {

TrackingReply Answer(int status, const std::string& body) {
    return InterpretTrackingAnswer(status, body.data(), body.size());
}

// A store of the test's shipments and a tracking service without a network, answering
// on an executor the test runs: each number's special answer, else the page of its
// events the query asks for, as the service cuts it; a number without events is not found.
class StatusTest : public test::StoreFolderTest {
protected:
    void SetUp() override { ASSERT_TRUE(OpenStore(m_store)); }

    // Adds a shipment in delivery with courier 2 (kr.epost) and number `number`.
    int64_t AddShipment(const std::string& number, const std::u16string& item = u"물품", int courier = 2) {
        Shipment shipment = test::MakeShipment(std::u16string(number.begin(), number.end()), 0, 0);
        shipment.courierIndex = courier;
        shipment.itemName = item;
        EXPECT_TRUE(m_store.Add(shipment));
        return shipment.id;
    }
    void AddShipments(int first, int count) {
        for (int i = 0; i < count; ++i) {
            AddShipment(std::to_string(first + i));
        }
    }
    std::map<int64_t, Instant> Checks() {
        std::map<int64_t, Instant> checks;
        EXPECT_TRUE(m_store.Tracking().LastChecks(checks));
        return checks;
    }
    std::optional<TrackingReply> AnswerFor(const TrackingQuery& query) {
        if (m_handler) {
            return m_handler(query);
        }
        if (const auto found = m_special.find(query.trackingNumber); found != m_special.end()) {
            return found->second;
        }
        const auto events = m_events.find(query.trackingNumber);
        if (events == m_events.end()) {
            return Answer(200, test::ErrorAnswer("NOT_FOUND"));
        }
        return Answer(200, test::PagedAnswer(events->second, query.before));
    }

    CShipmentDatabase m_store;
    FakeClock m_clock{1'709'615'220};
    ManualExecutor m_executor;
    std::map<std::string, std::vector<nlohmann::json>> m_events;
    std::map<std::string, std::optional<TrackingReply>> m_special;
    test::FakeTrackingService::Handler m_handler;
};

// The end of a refresh as its callbacks told it.
struct Outcome {
    RefreshSummary summary;
    std::u16string statusLine;
    std::vector<NotificationItem> notifications;
    std::vector<int64_t> changed;
    bool finished = false;
};

// A summary's due, checked, changed, failed and deferred.
using Sizes = std::vector<size_t>;
Sizes Counts(const RefreshSummary& s) {
    return {s.due, s.checked, s.changed, s.failed, s.deferred};
}

class TrackingRefresherTest : public StatusTest {
protected:
    void SetUp() override {
        StatusTest::SetUp();
        m_refresher.SetCarrierIds({"kr.cjlogistics", "", "kr.epost"});
        m_refresher.SetCallbacks({nullptr, nullptr, [this](int64_t id) { m_outcome.changed.push_back(id); },
                                  [this](const auto& items) { m_outcome.notifications = items; },
                                  [this](const RefreshSummary& summary, const std::u16string& line) {
                                      m_outcome = {summary, line, m_outcome.notifications, m_outcome.changed, true};
                                  }});
    }

    Outcome Refresh(bool force = false) {
        m_outcome = {};
        EXPECT_TRUE(m_refresher.Start(force));
        EXPECT_FALSE(m_refresher.Start(force)) << "one at a time";
        EXPECT_FALSE(m_outcome.finished) << "told later, never from inside Start";
        m_executor.RunPending();
        EXPECT_TRUE(m_outcome.finished);
        return m_outcome;
    }

    test::FakeTrackingService m_service{m_executor, [this](const TrackingQuery& query) { return AnswerFor(query); }};
    TrackingRefresher m_refresher{m_store, m_service, m_clock, m_executor};
    Outcome m_outcome;
};

TEST_F(TrackingRefresherTest, ChecksDueShipmentsWritesEventsAndNotifiesOfLaterChanges) {
    const int64_t earphones = AddShipment("1001", u"무선 이어폰");
    const int64_t book = AddShipment("1002", u"책 <b>굵게</b>");
    const int64_t unknown = AddShipment("1003", u"모르는 번호");
    AddShipment("1004", u"택배사 없음", 1);
    m_events["1001"] = {test::EventNode("2024-03-04T09:00:00+09:00", "AT_PICKUP", "대전")};
    m_events["1002"] = {test::EventNode("2024-03-04T10:00:00+09:00", "IN_TRANSIT", "옥천")};

    const Outcome first = Refresh();
    EXPECT_EQ(Counts(first.summary), (Sizes{3, 3, 2, 0, 0})) << "not found counts as checked";
    EXPECT_TRUE(first.notifications.empty()) << "nothing on a first check";
    EXPECT_EQ(Checks(), (std::map<int64_t, Instant>{
                            {earphones, m_clock.Now()}, {book, m_clock.Now()}, {unknown, m_clock.Now()}}));

    // Within the interval nothing is due; the user's refresh forces it.
    EXPECT_EQ(Refresh().summary.due, 0u);
    m_events["1001"].push_back(test::EventNode("2024-03-05T14:07:00+09:00", "OUT_FOR_DELIVERY", "서울강남"));
    const Outcome forced = Refresh(true);
    EXPECT_EQ(Counts(forced.summary), (Sizes{3, 3, 1, 0, 0}));
    ASSERT_EQ(forced.notifications.size(), 1u);
    EXPECT_EQ(forced.notifications[0].shipmentId, earphones);
    EXPECT_EQ(forced.changed, std::vector<int64_t>{earphones});

    // Three at once make one notification; the parcel that arrives is set done, and with
    // the automatic done off only once it is on again: that too is a change to report.
    m_clock.Advance(3600);
    m_events["1001"].push_back(test::EventNode("2024-03-05T18:00:00+09:00", "DELIVERED", "서울강남"));
    m_events["1002"].push_back(test::EventNode("2024-03-05T11:00:00+09:00", "DELIVERED", "부산"));
    m_events["1003"] = {test::EventNode("2024-03-05T12:00:00+09:00", "INFORMATION_RECEIVED", "")};
    m_refresher.SetOptions({.autoDone = false});
    const Outcome grouped = Refresh();
    EXPECT_EQ(grouped.summary.changed, 3u);
    ASSERT_EQ(grouped.notifications.size(), 1u);
    EXPECT_EQ(grouped.notifications[0].shipmentIds.size(), 3u);
    EXPECT_EQ(m_store.Read(earphones)->status, InDelivery);
    m_refresher.SetOptions({});
    Outcome done = Refresh(true);
    std::sort(done.changed.begin(), done.changed.end());
    EXPECT_EQ(done.changed, (std::vector<int64_t>{earphones, book}));
    EXPECT_EQ(std::make_pair(done.summary.changed, done.notifications.size()), std::make_pair(size_t{2}, size_t{0}));
    EXPECT_EQ(std::make_pair(m_store.Read(earphones)->status, m_store.Read(unknown)->status),
              std::make_pair(int{Done}, int{InDelivery}));
}

// Answers as the service's schema allows them: a long history over pages, errors and
// bad answers of one shipment each, an unknown carrier id; and a refused key, which
// stops the refresh.
TEST_F(TrackingRefresherTest, TakesTheServicesAnswersAsItsSchemaAllowsThem) {
    const int64_t paged = AddShipment("2001", u"긴 이력");
    AddShipment("2003", u"서버 오류");
    AddShipment("2004", u"택배사 코드 오타", 0);
    AddShipment("2007", u"거절");
    for (int i = 0; i < 45; ++i) {
        const std::string hour = (i % 24 < 10 ? "0" : "") + std::to_string(i % 24);
        m_events["2001"].push_back(test::EventNode("2024-03-0" + std::to_string(1 + i / 24) + "T" + hour + ":00:00Z",
                                                   "IN_TRANSIT", "허브 " + std::to_string(i)));
    }
    m_events["2001"][7]["time"] = nullptr;
    m_special["2003"] = Answer(200, test::ErrorAnswer("INTERNAL", "Internal error"));
    m_special["2004"] = Answer(200, test::ErrorAnswer("NOT_FOUND", "Carrier not found"));
    m_special["2007"] = Answer(400, test::ErrorAnswer("BAD_REQUEST"));

    const Outcome first = Refresh();
    EXPECT_EQ(m_service.requests, 3 + 3) << "three pages of the long history";
    EXPECT_EQ(Counts(first.summary), (Sizes{4, 1, 1, 3, 0}));
    EXPECT_NE(first.statusLine.find(u"CARRIER01=kr.cjlogistics"), std::u16string::npos);
    std::vector<TrackingEvent> events;
    ASSERT_TRUE(m_store.Tracking().Events(paged, events));
    EXPECT_EQ(events.size(), 45u);
    EXPECT_FALSE(events.back().time.has_value()) << "kept without its time";
    EXPECT_EQ(Checks().size(), 1u) << "a failed check is not a check";
    std::map<int64_t, TrackingEvent> latest;
    ASSERT_TRUE(m_store.Tracking().LatestEvents(std::vector{paged}, latest));
    EXPECT_EQ(latest[paged].location, "허브 44");

    // A later check asks for the newest page only.
    EXPECT_TRUE(Refresh(true).notifications.empty());
    EXPECT_EQ(m_service.requests, 6 + 4);

    // A refused key: nothing more is sent and nothing written (what the controller says of
    // it is its own test's).
    m_handler = [](const TrackingQuery&) { return Answer(200, test::ErrorAnswer("UNAUTHENTICATED")); };
    AddShipments(2100, 10);
    Refresh(true);
    EXPECT_EQ(m_service.requests, 10 + 4) << "only those already under way";
    EXPECT_EQ(Checks().size(), 1u);
}

// A shipment deleted while its check is under way gets nothing; a rate limit stops the
// refresh, at most four requests under way, and leaves the rest for the next one; a
// cancel writes nothing more; a store that cannot be read is no success.
TEST_F(TrackingRefresherTest, DeletionRateLimitCancelAndAClosedStoreWriteNothingMore) {
    const int64_t kept = AddShipment("6001");
    const int64_t deleted = AddShipment("6002");
    m_handler = [&](const TrackingQuery& query) {
        // the user deletes the second one meanwhile
        EXPECT_TRUE(query.trackingNumber == "6001" || m_store.Delete(deleted));
        return Answer(200, test::TrackAnswer({test::EventNode("2024-03-05T18:00:00+09:00", "DELIVERED", "서울")}));
    };
    EXPECT_EQ(Refresh().summary.checked, 2u);
    EXPECT_EQ(m_store.Read(kept)->status, Done);
    EXPECT_FALSE(m_store.Read(deleted).has_value() || Checks().contains(deleted));

    AddShipments(3000, 10);
    m_handler = [sent = 0](const TrackingQuery&) mutable {
        return Answer(++sent == 1 ? 429 : 200, test::ErrorAnswer("NOT_FOUND"));
    };
    EXPECT_EQ(Counts(Refresh().summary), (Sizes{10, 3, 0, 1, 6})) << "those already sent with it are checked";
    EXPECT_EQ(std::make_pair(m_service.requests, m_service.mostAtOnce), std::make_pair(2 + 4, 4));
    m_clock.Advance(120);
    m_handler = nullptr;
    EXPECT_EQ(Counts(Refresh().summary), (Sizes{7, 7, 0, 0, 0})) << "the shipments not checked yet";

    AddShipments(7000, 6);
    m_special["7000"] = std::nullopt; // never answers
    m_outcome = {};
    ASSERT_TRUE(m_refresher.Start());
    m_executor.RunPending();
    ASSERT_EQ(m_service.requests, 13 + 6);
    m_refresher.Cancel();
    EXPECT_TRUE(m_outcome.finished && !m_refresher.IsRunning());
    EXPECT_EQ(Counts(m_outcome.summary), (Sizes{6, 5, 0, 0, 1}));
    m_executor.RunPending(); // the answer given up comes
    EXPECT_EQ(Checks().size(), 1u + 10 + 5) << "no writes after the cancel";

    m_store.Close();
    EXPECT_TRUE(Refresh(true).summary.storeFailed);
    EXPECT_EQ(m_service.requests, 19);
}

// The controller with the tests' own services; the one parcel is in transit.
class StatusControllerTest : public StatusTest {
protected:
    void SetUp() override {
        StatusTest::SetUp();
        AddShipment("1001", u"물품", 0);
        m_events["1001"] = {test::EventNode("2024-03-05T14:07:00+09:00", "IN_TRANSIT", "")};
        m_status.SetCarrierIds({"kr.epost"});
        m_status.SetCallbacks({[this](const std::u16string& line) { lines.push_back(line); }, nullptr,
                               [this](const RefreshSummary&) { ++finished; },
                               [this](int64_t id) { activated.push_back(id); },
                               [this](const std::u16string& message) { unavailable.push_back(message); }, nullptr});
        settings.enabled = true;
        settings.endpoint = "http://127.0.0.1:9/graphql"; // a server of one's own: no key needed
        settings.clientId = "profile-id";
    }

    // The requests sent so far.
    int Sent() const { return services.client != nullptr ? services.client->requests : 0; }
    void Apply(bool enabled) {
        settings.enabled = enabled;
        m_status.Apply(settings);
    }
    void Tick() {
        m_executor.Tick();
        m_executor.RunPending();
    }

    std::string loadError; // the loader fails with it when set
    int loads = 0;
    test::FakeStatusServices services{m_executor, [this](const TrackingQuery& query) { return AnswerFor(query); }};
    StatusController m_status{m_store, m_clock, m_executor, [this](std::string* error) -> StatusServices* {
                                  ++loads;
                                  if (error != nullptr) {
                                      *error = loadError;
                                  }
                                  return loadError.empty() ? &services : nullptr;
                              }};
    StatusSettings settings;
    std::vector<std::u16string> lines, unavailable;
    int finished = 0;
    std::vector<int64_t> activated;
};

// Off nothing is loaded or asked; the first time on the kept key is read before anything
// is sent, the shipments due are checked, and every interval after; a notification's
// click reaches the caller, and NOTIFY=0 shows none.
TEST_F(StatusControllerTest, OnReadsTheKeyFirstChecksWhatIsDueOnEveryTickAndNotifiesAsSet) {
    Apply(false);
    EXPECT_FALSE(m_status.RefreshNow());
    m_executor.RunPending();
    EXPECT_EQ(loads, 0) << "off: not even the plugin";

    services.keptKey = {StoredKey::Outcome::Ok, "kept-id", "kept-secret"};
    settings.intervalMinutes = 30;
    Apply(true);
    EXPECT_EQ(Sent(), 0) << "the key is read first";
    m_executor.RunPending();
    ASSERT_NE(services.client, nullptr);
    EXPECT_EQ(services.client->CurrentSettings().clientSecret, "kept-secret");
    EXPECT_EQ(std::make_tuple(services.secrets->reads, Sent(), finished), std::make_tuple(1, 1, 1));
    EXPECT_EQ(lines.back(), u"배송 조회 1건, 변경 1건");
    ASSERT_EQ(m_executor.Timers().size(), 1u);
    EXPECT_EQ(m_executor.Timers()[0]->interval, std::chrono::minutes(30));

    Tick(); // nothing is due within the interval
    EXPECT_EQ(Sent(), 1);
    m_clock.Advance(30 * 60);
    Tick();
    EXPECT_EQ(Sent(), 2);
    EXPECT_EQ(services.notifier, nullptr) << "nothing on a first check, nor without a change";
    for (const bool notify : {true, false}) {
        settings.notify = notify;
        m_status.Apply(settings); // applied again: the key is not read again
        m_events["1001"].push_back(
            test::EventNode("2024-03-06T1" + std::to_string(notify) + ":00:00Z", "IN_TRANSIT", ""));
        ASSERT_TRUE(m_status.RefreshNow());
        m_executor.RunPending();
        ASSERT_EQ(services.notifier->shown.size(), 1u) << notify;
    }
    EXPECT_EQ(services.secrets->reads, 1);
    services.notifier->Click(services.notifier->shown[0].shipmentId);
    EXPECT_EQ(activated, std::vector<int64_t>{services.notifier->shown[0].shipmentId});

    Apply(false);
    EXPECT_TRUE(m_executor.Timers().empty());
    EXPECT_TRUE(lines.back().empty()) << "the line goes with the feature";
}

// The public service wants a key: without a secret nothing is sent and the line asks
// for one; a typed key is used at once. A refused key stops the timer's refreshes
// until another key comes, and the options hear of it once.
TEST_F(StatusControllerTest, WithoutAKeyOrWithARefusedOneNothingIsSent) {
    settings.endpoint.clear();
    services.secretStoreAvailable = false;
    m_status.Apply(settings);
    m_executor.RunPending();
    EXPECT_EQ(m_status.ClientId(), "profile-id") << "the id is the profile's";
    EXPECT_TRUE(m_status.Key().InMemoryOnly());
    EXPECT_FALSE(m_status.RefreshNow());
    EXPECT_EQ(lines.back(), u"배송 상태: 비밀 키가 없습니다. 옵션에서 키를 다시 입력하십시오");
    EXPECT_EQ(Sent(), 0);

    m_special["1001"] = Answer(401, "");
    m_status.StoreKey("profile-id", "typed");
    m_executor.RunPending();
    EXPECT_EQ(Sent(), 1) << "what waited for the key goes";
    EXPECT_NE(lines.back().find(u"키를 거부"), std::u16string::npos);
    EXPECT_FALSE(m_status.RefreshDue()) << "it would be refused again";
    EXPECT_TRUE(m_status.RefreshNow()) << "the user may still ask";
    m_executor.RunPending();
    EXPECT_FALSE(m_status.TakeKeyRefusal().empty());
    EXPECT_TRUE(m_status.TakeKeyRefusal().empty()) << "said once";

    m_status.StoreKey("profile-id", "another");
    m_executor.RunPending();
    EXPECT_TRUE(m_status.RefreshDue());
    // The refresh is left running: the controller's end cancels it without calling back into
    // the test's lists, which are gone by then.
}

// Without its services the feature is told unavailable and stays idle, until they load.
TEST_F(StatusControllerTest, ServicesMissingAreTold) {
    loadError = "status-services.so: not found";
    m_status.Apply(settings);
    m_executor.RunPending();
    ASSERT_EQ(unavailable.size(), 1u);
    EXPECT_NE(unavailable[0].find(u"(status-services.so: not found)"), std::u16string::npos);
    EXPECT_FALSE(m_status.RefreshNow());
    loadError.clear();
    Apply(false);
    Apply(true);
    m_executor.RunPending();
    EXPECT_EQ(finished, 1);
}

// One line "id:secret", split at the first colon with blanks trimmed; any other
// text, a file others may read, or what is not a small regular file is refused
// with a reason.
TEST(KeyFileTest, ReadsOneIdAndSecretAndRefusesAnythingElse) {
    const test::TempFolder folder;
    const std::pair<const char*, const char*> cases[] = {
        // the file's text, and the key read as "id|secret" or empty when it is refused
        {"id:secret", "id|secret"},
        {"\xEF\xBB\xBF  id : se:cret \nother:line", "id|se:cret"},
        {"id:", ""},
        {" : secret", ""},
        {"no colon", ""},
        {"", ""},
    };
    for (const auto& [text, key] : cases) {
        const std::string path = folder.Write("key", text).string();
        ASSERT_EQ(chmod(path.c_str(), 0600), 0);
        const KeyFile::Result result = KeyFile::ReadFile(path, true);
        EXPECT_EQ(result.outcome, *key != 0 ? KeyFile::Outcome::Ok : KeyFile::Outcome::Refused) << text;
        EXPECT_EQ(result.outcome == KeyFile::Outcome::Ok ? result.clientId + "|" + result.clientSecret : "", key);
        EXPECT_EQ(result.problem.empty(), *key != 0) << text;
    }
    const std::string shared = folder.Write("shared", "id:secret").string();
    ASSERT_EQ(chmod(shared.c_str(), 0640), 0);
    EXPECT_EQ(KeyFile::ReadFile(shared, true).outcome, KeyFile::Outcome::Refused) << "others may read it";
    EXPECT_EQ(KeyFile::ReadFile(shared, false).outcome, KeyFile::Outcome::Ok) << "a folder of the service's own";
    const std::string large = folder.Write("large", std::string(KeyFile::kMaxBytes + 1, 'x')).string();
    for (const std::string& refused : {large, folder.Path().string(), (folder.Path() / "missing").string()}) {
        EXPECT_EQ(KeyFile::ReadFile(refused, false).outcome, KeyFile::Outcome::Refused) << refused;
    }
}

} // namespace
} // namespace parcelo
