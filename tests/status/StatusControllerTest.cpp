#include "status/StatusController.h"

#include "status/KeyFile.h"
#include "store/ShipmentDatabase.h"
#include "store/StoreTestSupport.h"
#include "support/FakeClock.h"
#include "support/FakeStatusServices.h"
#include "support/ManualExecutor.h"
#include "tracking/TrackingSamples.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace parcelo {
namespace {

// The controller with the tests' own services: every parcel is in transit, or whatever
// `reply` says.
class StatusControllerTest : public test::StoreFolderTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenStore(m_store));
        Shipment shipment = test::MakeShipment(u"1001", 0, 0);
        shipment.courierIndex = 0;
        ASSERT_TRUE(m_store.Add(shipment));
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
        executor.Tick();
        executor.RunPending();
    }

    CShipmentDatabase m_store;
    FakeClock m_clock{1'709'615'220};
    ManualExecutor executor;
    std::string loadError; // the loader fails with it when set
    int loads = 0;
    const std::string answer = test::TrackAnswer({test::EventNode("2024-03-05T14:07:00+09:00", "IN_TRANSIT", "")});
    TrackingReply reply = InterpretTrackingAnswer(200, answer.data(), answer.size());
    test::FakeStatusServices services{executor, [this](const TrackingQuery&) { return reply; }};
    StatusController m_status{m_store, m_clock, executor, [this](std::string* error) -> StatusServices* {
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

// Off nothing is loaded or asked; the first time on the kept key is read before
// anything is sent, the shipments due are checked, and every interval after.
TEST_F(StatusControllerTest, OnReadsTheKeyFirstThenChecksWhatIsDueAndOnEveryTick) {
    Apply(false);
    EXPECT_FALSE(m_status.RefreshNow());
    executor.RunPending();
    EXPECT_EQ(loads, 0) << "off: not even the plugin";

    services.keptKey = {StoredKey::Outcome::Ok, "kept-id", "kept-secret"};
    settings.intervalMinutes = 30;
    Apply(true);
    EXPECT_EQ(Sent(), 0) << "the key is read first";
    executor.RunPending();
    ASSERT_NE(services.client, nullptr);
    EXPECT_EQ(services.client->CurrentSettings().clientSecret, "kept-secret");
    EXPECT_EQ(std::make_tuple(services.secrets->reads, Sent(), finished), std::make_tuple(1, 1, 1));
    EXPECT_EQ(lines.back(), u"배송 조회 1건, 변경 1건");
    ASSERT_EQ(executor.Timers().size(), 1u);
    EXPECT_EQ(executor.Timers()[0]->interval, std::chrono::minutes(30));

    Tick(); // nothing is due within the interval
    EXPECT_EQ(Sent(), 1);
    m_clock.Advance(30 * 60);
    Tick();
    EXPECT_EQ(Sent(), 2);
    m_status.Apply(settings); // applied again: the key is not read again
    executor.RunPending();
    EXPECT_EQ(services.secrets->reads, 1);

    Apply(false);
    EXPECT_TRUE(executor.Timers().empty());
    EXPECT_TRUE(lines.back().empty()) << "the line goes with the feature";
}

// The public service wants a key: without a secret nothing is sent and the line asks
// for one; a typed key is used at once. A refused key stops the timer's refreshes
// until another key comes, and the options hear of it once.
TEST_F(StatusControllerTest, WithoutAKeyOrWithARefusedOneNothingIsSent) {
    settings.endpoint.clear();
    services.secretStoreAvailable = false;
    m_status.Apply(settings);
    executor.RunPending();
    EXPECT_EQ(m_status.ClientId(), "profile-id") << "the id is the profile's";
    EXPECT_TRUE(m_status.Key().InMemoryOnly());
    EXPECT_FALSE(m_status.RefreshNow());
    EXPECT_EQ(lines.back(), u"배송 상태: 비밀 키가 없습니다. 옵션에서 키를 다시 입력하십시오");
    EXPECT_EQ(Sent(), 0);

    reply = InterpretTrackingAnswer(401, "", 0);
    m_status.StoreKey("profile-id", "typed");
    executor.RunPending();
    EXPECT_EQ(Sent(), 1) << "what waited for the key goes";
    EXPECT_NE(lines.back().find(u"키를 거부"), std::u16string::npos);
    EXPECT_FALSE(m_status.RefreshDue()) << "it would be refused again";
    EXPECT_TRUE(m_status.RefreshNow()) << "the user may still ask";
    executor.RunPending();
    EXPECT_FALSE(m_status.TakeKeyRefusal().empty());
    EXPECT_TRUE(m_status.TakeKeyRefusal().empty()) << "said once";

    m_status.StoreKey("profile-id", "another");
    executor.RunPending();
    EXPECT_TRUE(m_status.RefreshDue());
    // The refresh is left running: the controller's end cancels it without calling back into
    // the test's lists, which are gone by then.
}

// Without its services the feature is told unavailable and stays idle; with them, a
// notification's click reaches the caller, and NOTIFY=0 shows none.
TEST_F(StatusControllerTest, ServicesMissingAreToldAndNotificationsFollowTheSettings) {
    loadError = "status-services.so: not found";
    m_status.Apply(settings);
    executor.RunPending();
    ASSERT_EQ(unavailable.size(), 1u);
    EXPECT_NE(unavailable[0].find(u"(status-services.so: not found)"), std::u16string::npos);
    EXPECT_FALSE(m_status.RefreshNow());

    loadError.clear();
    Apply(false);
    Apply(true);
    executor.RunPending();
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(services.notifier, nullptr) << "nothing on a first check";
    for (const bool notify : {true, false}) {
        settings.notify = notify;
        m_status.Apply(settings);
        reply.events.push_back(reply.events.back());
        reply.events.back().statusCode = notify ? "DELIVERED" : "IN_TRANSIT";
        reply.lastEvent = reply.events.back();
        ASSERT_TRUE(m_status.RefreshNow());
        executor.RunPending();
        ASSERT_EQ(services.notifier->shown.size(), 1u) << notify;
    }
    services.notifier->Click(services.notifier->shown[0].shipmentId);
    EXPECT_EQ(activated, std::vector<int64_t>{services.notifier->shown[0].shipmentId});
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
