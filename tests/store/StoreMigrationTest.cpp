#include "platform/LocalTime.h"
#include "store/ShipmentDatabase.h"
#include "store/StoreBackup.h"
#include "store/StoreTestSupport.h"
#include "store/StoredTime.h"

#include <filesystem>

namespace parcelo {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::string>;

constexpr Instant kStart = 1'609'459'200; // 2021-01-01 00:00:00 UTC
// 2024-10-27 02:30 in Berlin happens twice; the first time is 00:30 UTC.
constexpr int64_t kRepeatedWallClock = 1'729'996'200;
constexpr Instant kRepeatedFirstPass = 1'729'989'000;

int UserVersion(const fs::path& file) {
    return SQLite::Database(file).execAndGet("PRAGMA user_version").getInt();
}

// The tables, indexes and triggers of a volume with the statements that made them, in
// name order: a migrated volume has those of a new one.
Rows SchemaOf(const fs::path& file) {
    return test::Column(file, "SELECT type || ' ' || name || ': ' || ifnull(sql, '') FROM sqlite_master ORDER BY name");
}

// `count` rows with gaps between their ids: Korean, empty and mark-led text, and one
// date-time in the hour that the end of daylight saving repeats.
std::vector<test::Version1Row> OldRows(int count) {
    std::vector<test::Version1Row> rows;
    for (int i = 0; i < count; ++i) {
        const std::string digits = std::to_string(601234500000LL + i * 7919LL);
        const std::u16string number(digits.begin(), digits.end());
        Shipment shipment;
        shipment.courierIndex = i % 15;
        shipment.invoiceNumber = i % 4 == 0 ? u"" : i % 4 == 1 ? u'\xFEFF' + number : number;
        shipment.itemName = i % 5 == 0 ? u"" : i % 5 == 1 ? u"\xFFFE뒤집힌 표시 " + number : u"무선 이어폰 " + number;
        shipment.status = i % 3;
        shipment.entryDate = kStart + i * 2371LL;
        shipment.orderDate = shipment.entryDate - (i % 40) * 3600LL;
        rows.push_back(
            {1 + 2LL * i, shipment, test::Version1Ticks(shipment.entryDate), test::Version1Ticks(shipment.orderDate)});
    }
    rows[1].entryTicks = test::TicksOfWallClock(kRepeatedWallClock);
    rows[1].shipment.entryDate = kRepeatedFirstPass;
    rows[2].orderTicks = 0; // before 1900: the instant 0
    rows[2].shipment.orderDate = 0;
    return rows;
}

// Every row's id, courier, status and the exact bytes of its text, then every row's dates.
Rows Dump(const fs::path& file) {
    return test::Column(file,
                        "SELECT id || ' ' || courier || ' ' || status || ' ' || hex(invoice_number) || "
                        "' ' || hex(item_name) FROM TRACKDB ORDER BY id",
                        "SELECT id || ' ' || entry_date || ' ' || order_date FROM TRACKDB ORDER BY id");
}

// The dump of `rows`, their dates as instants.
Rows ExpectedDump(const std::vector<test::Version1Row>& rows, const Rows& dump) {
    Rows expected(dump.begin(), dump.begin() + static_cast<long>(rows.size()));
    for (const test::Version1Row& row : rows) {
        expected.push_back(std::to_string(row.id) + " " + std::to_string(row.shipment.entryDate) + " " +
                           std::to_string(row.shipment.orderDate));
    }
    return expected;
}

// Every event in the order a shipment's history reads it, with the checks.
Rows TrackingDump(const fs::path& file, const char* order) {
    return test::Column(file,
                        "SELECT shipment_id || ' ' || time || ' ' || status_code || ' ' || status_name || "
                        "' ' || hex(location) FROM TRACKDB_events ORDER BY shipment_id, time DESC, " +
                            std::string(order) + " DESC",
                        "SELECT shipment_id || ' ' || last_check FROM TRACKDB_checks");
}

class StoreMigrationTest : public test::StoreFolderTest {
protected:
    test::ScopedEnv m_zone{"TZ", test::kBerlinRule};
    const fs::path m_work = PathOf("VELDAN.EDB");
};

// Opening a volume of an earlier version migrates it: every shipment keeps its id and the
// bytes of its text, version-1 dates become UTC, version-3 events keep their order and
// checks their time; the layout is a new volume's, the old volume kept beside. Killed at
// any moment, the migration leaves the old version as it was or the complete current one,
// and a whole copy of the old one or none.
TEST_F(StoreMigrationTest, EveryEarlierVersionIsMigratedWholeOrNotAtAll) {
    const std::vector<test::Version1Row> rows = OldRows(8'000);
    {
        CShipmentDatabase fresh;
        ASSERT_TRUE(OpenStore(fresh, "new.edb"));
    }
    const Rows schema = SchemaOf(PathOf("new.edb"));
    for (const int from : {1, 2, 3}) {
        SCOPED_TRACE(testing::Message() << "version " << from);
        const fs::path pristine = PathOf("pristine" + std::to_string(from) + ".edb");
        const std::string copy = m_work.string() + ".v" + std::to_string(from) + ".bak";
        test::WriteOldVolume(pristine, from, rows, 2'000);
        const Rows before = Dump(pristine);
        const Rows migrated = ExpectedDump(rows, before);
        const Rows events = from == 3 ? TrackingDump(pristine, "rowid") : Rows{};
        const auto open = [&] {
            CShipmentDatabase store;
            return test::OpenStore(store, m_work);
        };
        test::KillAtMoments(pristine, m_work, from == 2 ? 12 : 24, open, [&](int round) {
            const int version = UserVersion(m_work);
            EXPECT_TRUE(version == from || version == 4) << "round " << round;
            EXPECT_TRUE(Dump(m_work) == (version == from ? before : migrated)) << "round " << round;
            if (from == 3) {
                EXPECT_TRUE(TrackingDump(m_work, version == 4 ? "id" : "rowid") == events) << "round " << round;
            }
            if (fs::exists(copy)) {
                EXPECT_EQ(UserVersion(copy), from) << "round " << round;
                EXPECT_TRUE(Dump(copy) == before) << "round " << round;
            } else {
                EXPECT_EQ(version, from) << "no change before the copy is made";
            }
            return version == 4;
        });

        // What the last kill left is migrated when opened, and so is an old volume restored
        // in the store's place, the file chosen left as it was; the store goes on.
        CShipmentDatabase store;
        ASSERT_TRUE(OpenStore(store));
        EXPECT_EQ(UserVersion(m_work), 4);
        EXPECT_TRUE(Dump(m_work) == migrated) << "shipments changed";
        if (from == 1) {
            const std::string chosen = test::FileBytes(pristine);
            ASSERT_EQ(StoreBackup::Restore(store, pristine.string()), StoreError::None);
            EXPECT_EQ(test::FileBytes(pristine), chosen);
            EXPECT_TRUE(Dump(m_work) == migrated) << "restored";
        }
        EXPECT_EQ(SchemaOf(m_work), schema);
        for (const int i : {0, 1, 2, 5, 7'999}) { // read back through the store
            const Shipment read = store.Read(rows[i].id).value_or(Shipment{});
            const Shipment& row = rows[i].shipment;
            EXPECT_EQ(std::tie(read.entryDate, read.orderDate, read.status),
                      std::tie(row.entryDate, row.orderDate, row.status));
            // A leading mark is lost unless escaped as version 1 did.
            EXPECT_TRUE(from != 1 || (read.invoiceNumber == row.invoiceNumber && read.itemName == row.itemName)) << i;
        }
        CheckRecord record;
        ASSERT_TRUE(store.Tracking().AddEvents(1, std::vector{TrackingEvent{std::nullopt, "UNKNOWN", "", "", ""}},
                                               std::nullopt, 8, record));
        EXPECT_TRUE(record.stored);
        if (from == 3) {
            EXPECT_EQ(record.latest, record.latestBefore);
            std::map<int64_t, TrackingEvent> latest;
            ASSERT_TRUE(store.Tracking().LatestEvents(
                std::vector{rows[0].id, rows[1].id, rows[1'999].id, rows[2'000].id}, latest));
            ASSERT_EQ(latest.size(), 3u);
            EXPECT_EQ(latest[3].statusCode, "OUT_FOR_DELIVERY") << "of two at the same time, the one stored later";
            EXPECT_EQ(latest[3].time, 303);
        }
        Shipment added = test::MakeShipment(u"new", kStart, kStart);
        ASSERT_TRUE(store.Add(added));
        EXPECT_EQ(added.id, rows.back().id + 1);
        ASSERT_TRUE(store.Delete(7));
        EXPECT_EQ(test::Column(m_work, "SELECT (SELECT count(*) FROM TRACKDB_events WHERE shipment_id = 7) + "
                                       "(SELECT count(*) FROM TRACKDB_checks WHERE shipment_id = 7)"),
                  Rows{"0"})
            << "deleting takes the tracking along";
        CShipmentDatabase again;
        ASSERT_TRUE(OpenStore(again));
        EXPECT_EQ(again.Tracking().LastCheck(1), 8) << "opening again changes nothing";
        EXPECT_EQ(test::Invoices(again).size(), 8'000u);
    }
}

TEST(ShipmentDates, StoreLocalWallClockReadBackAndAgreeWithTheCLibrary) {
    test::ScopedEnv zone("TZ", test::kBerlinRule);
    // 2024-07-01 12:00 UTC is stored as 14:00, the local summer time.
    const uint64_t summer = InstantToStoredTime(1'719'835'200);
    EXPECT_EQ(summer, static_cast<uint64_t>(test::TicksOfWallClock(1'719'835'200 + 7200)));

    EXPECT_EQ(StoredTimeToInstant(summer + 9'999'999), 1'719'835'200) << "milliseconds are dropped";
    EXPECT_EQ(StoredTimeToInstant(test::TicksOfWallClock(-2'208'988'801)), 0) << "1899-12-31 23:59:59";
    EXPECT_EQ(StoredTimeToInstant(UINT64_MAX), 0);

    // Every instant comes back, but for a repeated hour, which keeps its wall clock; the
    // day-offset cache agrees with the C library (midnight changes too), taking the first
    // of a repeated time.
    for (const char* rule : {test::kBerlinRule, "<-03>3<-02>,M10.3.0/0,M2.3.0/0", "UTC0"}) {
        test::ScopedEnv ruled("TZ", rule);
        CLocalTimeComposer composer;
        for (int64_t t = 1'672'531'200; t < 1'735'689'600; t += 17 * 60 + 7) {
            const uint64_t stored = InstantToStoredTime(t);
            const Instant back = StoredTimeToInstant(stored);
            ASSERT_TRUE(back == t || (InstantToStoredTime(back) == stored && std::abs(back - t) == 3600)) << t;
            int64_t expected = 0, actual = 0;
            ASSERT_TRUE(ComposeLocalTime(WallClockFields(t), expected));
            ASSERT_TRUE(composer.Compose(t, actual));
            if (actual != expected) { // a wall clock shown twice: the composer takes the first
                LocalDateTime shown;
                ASSERT_TRUE(BreakDownLocalTime(actual, shown));
                ASSERT_EQ(WallClockSeconds(shown), t) << rule;
                ASSERT_EQ(actual, expected - 3600) << rule << " " << t;
            }
        }
    }
}

} // namespace
} // namespace parcelo
