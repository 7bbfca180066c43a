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

// `count` rows with gaps between their ids: Korean, empty and mark-led text, and one
// date-time in the hour that the end of daylight saving repeats.
std::vector<test::Version1Row> Version1Rows(int count) {
    std::vector<test::Version1Row> rows;
    for (int i = 0; i < count; ++i) {
        const std::string digits = std::to_string(601234500000LL + i * 7919LL);
        const std::u16string number(digits.begin(), digits.end());
        Shipment shipment;
        shipment.courierIndex = i % 15;
        shipment.invoiceNumber = i % 4 == 0 ? u"" : i % 4 == 1 ? u'\xFEFF' + number : number;
        shipment.itemName = i % 5 == 0 ? u"" : i % 5 == 1 ? u"\xFFFE뒤집힌 표시 " + number : u"무선 이어폰 " + number;
        shipment.status = i % 3;
        shipment.entryDate = kStart + i * 947LL;
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
    Rows rows = test::Column(file, "SELECT id || ' ' || courier || ' ' || status || ' ' || hex(invoice_number) || ' ' "
                                   "|| hex(item_name) FROM TRACKDB ORDER BY id");
    for (std::string& row : test::Column(file, "SELECT id || ' ' || entry_date || ' ' || order_date FROM TRACKDB "
                                               "ORDER BY id")) {
        rows.push_back(std::move(row));
    }
    return rows;
}

// The dump of `rows` with their version-1 dates or their instants.
Rows ExpectedDump(const std::vector<test::Version1Row>& rows, const Rows& dump, bool utc) {
    Rows expected(dump.begin(), dump.begin() + static_cast<long>(rows.size()));
    for (const test::Version1Row& row : rows) {
        expected.push_back(std::to_string(row.id) + " " +
                           std::to_string(utc ? row.shipment.entryDate : row.entryTicks) + " " +
                           std::to_string(utc ? row.shipment.orderDate : row.orderTicks));
    }
    return expected;
}

// The layout version 2 wrote: the shipment table alone.
constexpr const char* kVersion2Schema =
    R"(CREATE TABLE "TRACKDB" ("id" INTEGER PRIMARY KEY AUTOINCREMENT, "courier" INTEGER NOT NULL DEFAULT 0, )"
    R"("invoice_number" TEXT NOT NULL DEFAULT '', "item_name" TEXT NOT NULL DEFAULT '', )"
    R"("entry_date" INTEGER NOT NULL DEFAULT 0, "order_date" INTEGER NOT NULL DEFAULT 0, )"
    R"("status" INTEGER NOT NULL DEFAULT 0);)"
    R"(CREATE INDEX "TRACKDB_by_entry_date" ON "TRACKDB" ("entry_date", "id");)"
    R"(CREATE INDEX "TRACKDB_by_order_date" ON "TRACKDB" ("order_date", "id");)"
    "PRAGMA user_version = 2;";

// The tracking tables version 3 added.
constexpr const char* kVersion3Tracking =
    R"(CREATE TABLE "TRACKDB_events" ("shipment_id" INTEGER NOT NULL, "time" INTEGER NOT NULL, )"
    R"("status_code" TEXT NOT NULL DEFAULT '', "status_name" TEXT NOT NULL DEFAULT '', )"
    R"("location" TEXT NOT NULL DEFAULT '', "description" TEXT NOT NULL DEFAULT '', )"
    R"(UNIQUE ("shipment_id", "time", "status_code", "location", "description"));)"
    R"(CREATE TABLE "TRACKDB_checks" ("shipment_id" INTEGER PRIMARY KEY, "last_check" INTEGER NOT NULL DEFAULT 0, )"
    R"("done_by" INTEGER);)"
    R"(CREATE TRIGGER "TRACKDB_delete_tracking" AFTER DELETE ON "TRACKDB" BEGIN DELETE FROM "TRACKDB_events" )"
    R"(WHERE "shipment_id" = old."id"; DELETE FROM "TRACKDB_checks" WHERE "shipment_id" = old."id"; END;)"
    "PRAGMA user_version = 3;";

// A version-2 volume of `count` shipments with ids 1, 4, 7, ...; as version 3 (`checked`
// > 0), each of the first `checked` has four events (two at the same time, the later one
// stored first) and a check.
void WriteVersion2Or3Volume(const fs::path& file, int count, int checked = 0) {
    SQLite::Database raw(file, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    raw.exec("PRAGMA encoding = 'UTF-16le'; PRAGMA journal_mode = WAL");
    raw.exec(kVersion2Schema);
    SQLite::Transaction transaction(raw);
    SQLite::Statement insert(raw, "INSERT INTO TRACKDB VALUES (?, ?, ?, ?, ?, ?, ?)");
    for (int i = 0; i < count; ++i) {
        insert.bind(1, int64_t{1 + 3LL * i});
        insert.bind(2, i % 15);
        insert.bind(3, std::to_string(601234500000LL + i));
        insert.bind(4, i % 7 == 0 ? std::string() : "무선 이어폰 " + std::to_string(i));
        insert.bind(5, int64_t{1609459200LL + i});
        insert.bind(6, int64_t{1609459200LL - i});
        insert.bind(7, i % 3);
        insert.exec();
        insert.reset();
    }
    if (checked > 0) {
        raw.exec(kVersion3Tracking);
        SQLite::Statement event(raw, "INSERT INTO TRACKDB_events VALUES (?, ?, ?, '이름', ?, '')");
        for (int i = 0; i < checked; ++i) {
            for (const auto& [time, code] : std::initializer_list<std::pair<int64_t, const char*>>{
                     {300, "DELIVERED"}, {100, "AT_PICKUP"}, {300, "OUT_FOR_DELIVERY"}, {200, "IN_TRANSIT"}}) {
                event.bind(1, int64_t{1 + 3LL * i});
                event.bind(2, time + i);
                event.bind(3, code);
                event.bind(4, "장소 " + std::to_string(i));
                event.exec();
                event.reset();
            }
            raw.exec("INSERT INTO TRACKDB_checks VALUES (" + std::to_string(1 + 3LL * i) + ", 7, NULL)");
        }
    }
    transaction.commit();
}

// Every event in the order a shipment's history reads it, with the checks.
Rows TrackingDump(const fs::path& file, const char* order) {
    Rows rows = test::Column(
        file, std::string("SELECT shipment_id || ' ' || time || ' ' || status_code || ' ' || status_name || ' ' || "
                          "hex(location) FROM TRACKDB_events ORDER BY shipment_id, time DESC, ") +
                  order + " DESC");
    for (std::string& row : test::Column(file, "SELECT shipment_id || ' ' || last_check FROM TRACKDB_checks")) {
        rows.push_back(std::move(row));
    }
    return rows;
}

class StoreMigrationTest : public test::StoreFolderTest {
protected:
    // Opening the store migrates it: the current version with `dump` and the layout of a new
    // volume, the version-`from` volume as it was kept beside.
    void ExpectMigrated(CShipmentDatabase& store, int from, const Rows& before, const Rows& after) {
        ASSERT_TRUE(OpenStore(store));
        EXPECT_EQ(test::UserVersion(m_work), 4);
        EXPECT_TRUE(Dump(m_work) == after) << "shipments changed";
        EXPECT_EQ(test::SchemaOf(m_work), test::NewVolumeSchema(PathOf("new.edb")));
        const std::string copy = m_work.string() + ".v" + std::to_string(from) + ".bak";
        EXPECT_EQ(test::UserVersion(copy), from);
        EXPECT_TRUE(Dump(copy) == before);
    }

    // A migration killed at any moment leaves version `from` as it was or the complete
    // current one, a whole copy of it or none, and passes `check` for the version found.
    void KillWhileMigrating(int from, int rounds, const std::function<void(int version, int round)>& check) {
        const auto open = [&] {
            CShipmentDatabase store;
            return test::OpenStore(store, m_work);
        };
        test::KillAtMoments(PathOf("pristine.edb"), m_work, rounds, open, [&](int round) {
            const int version = test::UserVersion(m_work);
            EXPECT_TRUE(version == from || version == 4) << "round " << round;
            check(version, round);
            if (fs::exists(m_work.string() + ".v" + std::to_string(from) + ".bak")) {
                EXPECT_EQ(test::UserVersion(m_work.string() + ".v" + std::to_string(from) + ".bak"), from);
            } else {
                EXPECT_EQ(version, from) << "no change before the copy is made";
            }
            return version == 4;
        });
        CShipmentDatabase store; // what the last kill left is migrated when opened
        ASSERT_TRUE(OpenStore(store));
        EXPECT_EQ(test::SchemaOf(m_work), test::NewVolumeSchema(PathOf("new.edb")));
    }

    test::ScopedEnv m_zone{"TZ", test::kBerlinRule};
    const fs::path m_work = PathOf("VELDAN.EDB");
};

TEST_F(StoreMigrationTest, Version1KeepsEveryRowItsIdAndItsTextAndTurnsDatesToUtc) {
    const std::vector<test::Version1Row> rows = Version1Rows(10'000);
    test::WriteVersion1Volume(m_work, rows);
    const Rows before = Dump(m_work);
    ASSERT_EQ(before, ExpectedDump(rows, before, false));
    CShipmentDatabase store;
    ExpectMigrated(store, 1, before, ExpectedDump(rows, before, true));

    // Read back through the store, the shipments are what was written.
    for (const test::Version1Row& row : {rows[0], rows[1], rows[2], rows[5], rows[9999]}) {
        const std::optional<Shipment> read = store.Read(row.id);
        ASSERT_TRUE(read.has_value()) << row.id;
        EXPECT_EQ(std::tie(read->invoiceNumber, read->itemName, read->entryDate, read->orderDate, read->status),
                  std::tie(row.shipment.invoiceNumber, row.shipment.itemName, row.shipment.entryDate,
                           row.shipment.orderDate, row.shipment.status));
    }
    Shipment added = test::MakeShipment(u"new", kStart, kStart);
    ASSERT_TRUE(store.Add(added));
    EXPECT_GT(added.id, rows.back().id);
    CShipmentDatabase again;
    ASSERT_TRUE(OpenStore(again));
    EXPECT_EQ(test::Invoices(again).size(), rows.size() + 1) << "opening again changes nothing more";
}

TEST_F(StoreMigrationTest, Version1KilledAtAnyMomentLeavesOneVersionOrTheOther) {
    const std::vector<test::Version1Row> rows = Version1Rows(20'000);
    test::WriteVersion1Volume(PathOf("pristine.edb"), rows);
    const Rows before = Dump(PathOf("pristine.edb"));
    const Rows after = ExpectedDump(rows, before, true);
    KillWhileMigrating(1, 30, [&](int version, int round) {
        EXPECT_TRUE(Dump(m_work) == (version == 1 ? before : after)) << "round " << round;
        if (fs::exists(m_work.string() + ".v1.bak")) {
            EXPECT_TRUE(Dump(m_work.string() + ".v1.bak") == before) << "round " << round;
        }
    });
    EXPECT_TRUE(Dump(m_work) == after);
}

TEST_F(StoreMigrationTest, Version2GetsTheTrackingTablesAndKeepsEveryShipment) {
    WriteVersion2Or3Volume(m_work, 5000);
    const Rows before = Dump(m_work);
    CShipmentDatabase store;
    ExpectMigrated(store, 2, before, before);

    CheckRecord record;
    ASSERT_TRUE(store.Tracking().AddEvents(4, std::vector{TrackingEvent{100, "DELIVERED", "배달완료", "서울", ""}},
                                           std::nullopt, 7, record));
    Shipment added = test::MakeShipment(u"new", 0, 0);
    ASSERT_TRUE(store.Add(added));
    EXPECT_EQ(added.id, 1 + 3LL * 4999 + 1);
    CShipmentDatabase again;
    ASSERT_TRUE(OpenStore(again));
    EXPECT_EQ(again.Tracking().LastCheck(4), 7) << "opening again changes nothing";
}

// Every event keeps its order and every check its time; the current status is the newest
// event, as version 3 showed it, and the store goes on.
TEST_F(StoreMigrationTest, Version3KilledAtAnyMomentLeavesOneVersionOrTheOther) {
    WriteVersion2Or3Volume(PathOf("pristine.edb"), 20'000, 5'000);
    const Rows before = Dump(PathOf("pristine.edb"));
    const Rows events = TrackingDump(PathOf("pristine.edb"), "rowid");
    KillWhileMigrating(3, 12, [&](int version, int round) {
        EXPECT_TRUE(Dump(m_work) == before) << "round " << round;
        EXPECT_TRUE(TrackingDump(m_work, version == 4 ? "id" : "rowid") == events) << "round " << round;
    });

    CShipmentDatabase store;
    ASSERT_TRUE(OpenStore(store));
    std::map<int64_t, TrackingEvent> latest;
    ASSERT_TRUE(store.Tracking().LatestEvents(std::vector<int64_t>{1, 4, 3 * 4999 + 1, 3 * 5000 + 1}, latest));
    ASSERT_EQ(latest.size(), 3u);
    EXPECT_EQ(latest[4].statusCode, "OUT_FOR_DELIVERY") << "of two at the same time, the one stored later";
    EXPECT_EQ(latest[4].time, 301);
    CheckRecord record;
    ASSERT_TRUE(store.Tracking().AddEvents(1, std::vector{TrackingEvent{std::nullopt, "UNKNOWN", "", "", ""}},
                                           std::nullopt, 8, record));
    EXPECT_TRUE(record.stored);
    EXPECT_EQ(record.latest, record.latestBefore);
    ASSERT_TRUE(store.Delete(4));
    EXPECT_EQ(TrackingDump(m_work, "id").size(), events.size() + 1 - 5) << "deleting still takes the tracking along";
}

// A restored version-1 file is migrated in the store's place; the file chosen stays as it was.
TEST_F(StoreMigrationTest, ARestoredVersion1FileIsMigratedAndLeftAsItWas) {
    const std::vector<test::Version1Row> rows = Version1Rows(50);
    test::WriteVersion1Volume(PathOf("old-version.edb"), rows);
    const std::string chosen = test::FileBytes(PathOf("old-version.edb"));
    const Rows before = Dump(PathOf("old-version.edb"));
    CShipmentDatabase store;
    ASSERT_TRUE(OpenStore(store) && store.Add(test::MakeShipment(u"replaced", kStart, kStart)));
    ASSERT_EQ(StoreBackup::Restore(store, PathOf("old-version.edb").string()), StoreError::None);
    EXPECT_EQ(test::FileBytes(PathOf("old-version.edb")), chosen);
    EXPECT_TRUE(Dump(m_work) == ExpectedDump(rows, before, true));
    EXPECT_EQ(test::Invoices(store).size(), rows.size()) << "read through the store";
}

constexpr int64_t kTicks = 10'000'000;

TEST(ShipmentDates, StoreLocalWallClockAndReadBack) {
    test::ScopedEnv zone("TZ", test::kBerlinRule);
    // 2024-07-01 12:00 UTC is stored as 14:00, the local summer time.
    const uint64_t summer = InstantToStoredTime(1'719'835'200);
    EXPECT_EQ(summer, static_cast<uint64_t>(test::TicksOfWallClock(1'719'835'200 + 7200)));

    // Every instant comes back, but for the repeated autumn hour, which keeps its wall clock.
    for (Instant instant = 1'672'531'200; instant < 1'735'689'600; instant += 37 * 60 + 11) {
        const uint64_t stored = InstantToStoredTime(instant);
        const Instant back = StoredTimeToInstant(stored);
        if (back != instant) {
            ASSERT_EQ(InstantToStoredTime(back), stored) << instant;
            ASSERT_EQ(std::abs(back - instant), 3600) << instant;
        }
    }

    EXPECT_EQ(StoredTimeToInstant(summer + kTicks - 1), 1'719'835'200) << "milliseconds are dropped";
    EXPECT_EQ(StoredTimeToInstant(test::TicksOfWallClock(-2'208'988'801)), 0) << "1899-12-31 23:59:59";
    EXPECT_EQ(StoredTimeToInstant(UINT64_MAX), 0);
}

// The day-offset cache agrees with the C library (midnight changes too), taking the first of a repeated time.
TEST(ShipmentDates, ComposerAgreesWithTheCLibrary) {
    for (const char* rule : {test::kBerlinRule, "<-03>3<-02>,M10.3.0/0,M2.3.0/0", "UTC0"}) {
        test::ScopedEnv zone("TZ", rule);
        CLocalTimeComposer composer;
        for (int64_t wall = 1'672'531'200; wall < 1'735'689'600; wall += 17 * 60 + 7) {
            int64_t expected = 0;
            int64_t actual = 0;
            ASSERT_TRUE(ComposeLocalTime(WallClockFields(wall), expected));
            ASSERT_TRUE(composer.Compose(wall, actual));
            if (actual != expected) { // a wall clock shown twice: the composer takes the first
                LocalDateTime shown;
                ASSERT_TRUE(BreakDownLocalTime(actual, shown));
                ASSERT_EQ(WallClockSeconds(shown), wall) << rule;
                ASSERT_EQ(actual, expected - 3600) << rule << " " << wall;
            }
        }
    }
}

} // namespace
} // namespace parcelo
