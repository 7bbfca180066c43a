#include "store/ShipmentDatabase.h"
#include "store/StoreTestSupport.h"

#include <gtest/gtest.h>

namespace parcelo {
namespace {

TrackingEvent Event(Instant time, const std::string& code, const std::string& place = "서울") {
    return {time, code, code == "DELIVERED" ? "배달완료" : "이동중", place, "설명 " + std::to_string(time)};
}

class TrackingStoreTest : public test::StoreFolderTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenStore(m_store));
        for (int i = 0; i < 3; ++i) {
            Shipment shipment = test::MakeShipment(u"60123456789" + std::u16string(1, u'0' + i), 0, 0);
            ASSERT_TRUE(m_store.Add(shipment));
            m_ids.push_back(shipment.id);
        }
    }

    CShipmentDatabase m_store;
    std::vector<int64_t> m_ids;
};

TEST_F(TrackingStoreTest, StoresEventsOnceAndReadsThemNewestFirst) {
    const int64_t id = m_ids[0];
    EXPECT_FALSE(m_store.Tracking().LastCheck(id).has_value());
    CheckRecord record;
    const TrackingEvent untimed{std::nullopt, "AT_PICKUP", "집화", "서울", ""};
    const std::vector<TrackingEvent> first{untimed, Event(100, "AT_PICKUP"), Event(200, "IN_TRANSIT")};
    ASSERT_TRUE(m_store.Tracking().AddEvents(id, first, first[2], 1000, record));
    EXPECT_TRUE(record.stored && record.firstCheck);
    EXPECT_FALSE(record.latestBefore.has_value());
    EXPECT_EQ(record.latest, first[2]);

    // The same events again (the untimed one too), and one more with a second of the same
    // time; the current event is what the check names, and stays when it names none.
    std::vector<TrackingEvent> second = first;
    second.push_back(Event(200, "IN_TRANSIT", "대전"));
    ASSERT_TRUE(m_store.Tracking().AddEvents(id, first, std::nullopt, 2000, record));
    EXPECT_FALSE(record.stored || record.firstCheck);
    EXPECT_EQ(record.latest, first[2]);
    EXPECT_EQ(record.latest, record.latestBefore);
    ASSERT_TRUE(m_store.Tracking().AddEvents(id, second, first[1], 3000, record));
    EXPECT_TRUE(record.stored);
    EXPECT_EQ(record.latest, first[1]) << "an older event the service names current";
    EXPECT_EQ(m_store.Tracking().LastCheck(id), 3000);

    std::vector<TrackingEvent> events;
    ASSERT_TRUE(m_store.Tracking().Events(id, events));
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].location, "대전") << "of two at the same time, the one stored later is newer";
    EXPECT_EQ(events[2], first[1]);
    EXPECT_EQ(events[3], untimed) << "no time: before all";
}

TEST_F(TrackingStoreTest, LatestEventsOfManyAndLastChecks) {
    CheckRecord record;
    ASSERT_TRUE(m_store.Tracking().AddEvents(m_ids[0], std::vector{Event(300, "DELIVERED"), Event(100, "AT_PICKUP")},
                                             Event(300, "DELIVERED"), 10, record));
    ASSERT_TRUE(m_store.Tracking().AddEvents(m_ids[2], std::vector{Event(50, "IN_TRANSIT")}, Event(50, "IN_TRANSIT"),
                                             20, record));
    ASSERT_TRUE(m_store.Tracking().AddEvents(m_ids[1], std::vector<TrackingEvent>{}, std::nullopt, 30, record));
    std::map<int64_t, TrackingEvent> latest;
    ASSERT_TRUE(m_store.Tracking().LatestEvents(m_ids, latest));
    ASSERT_EQ(latest.size(), 2u);
    EXPECT_EQ(latest[m_ids[0]].statusCode, "DELIVERED");
    EXPECT_EQ(latest[m_ids[2]].time, 50);
    ASSERT_TRUE(m_store.Tracking().LatestEvents({}, latest));
    EXPECT_TRUE(latest.empty());

    std::map<int64_t, Instant> checks;
    ASSERT_TRUE(m_store.Tracking().LastChecks(checks));
    EXPECT_EQ(checks, (std::map<int64_t, Instant>{{m_ids[0], 10}, {m_ids[1], 30}, {m_ids[2], 20}}));
}

TEST_F(TrackingStoreTest, ADeletedShipmentGetsNothingAndTakesItsEventsAlong) {
    CheckRecord record;
    ASSERT_TRUE(
        m_store.Tracking().AddEvents(m_ids[0], std::vector{Event(100, "IN_TRANSIT")}, std::nullopt, 10, record));
    ASSERT_TRUE(m_store.Delete(m_ids[0]));
    std::vector<TrackingEvent> events;
    ASSERT_TRUE(m_store.Tracking().Events(m_ids[0], events));
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(m_store.Tracking().LastCheck(m_ids[0]).has_value());

    // A check that was under way when the shipment was deleted.
    EXPECT_FALSE(
        m_store.Tracking().AddEvents(m_ids[0], std::vector{Event(200, "DELIVERED")}, std::nullopt, 20, record));
    EXPECT_EQ(m_store.LastError(), StoreError::NotFound);
    SQLite::Database raw(PathOf("VELDAN.EDB"), SQLite::OPEN_READONLY);
    EXPECT_EQ(raw.execAndGet("SELECT count(*) FROM TRACKDB_events").getInt(), 0);
    EXPECT_EQ(raw.execAndGet("SELECT count(*) FROM TRACKDB_checks").getInt(), 0);
}

} // namespace
} // namespace parcelo
