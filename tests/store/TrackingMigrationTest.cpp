#include "store/ShipmentDatabase.h"
#include "store/StoreTestSupport.h"

#include <filesystem>

namespace parcelo {
namespace {

namespace fs = std::filesystem;

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

void WriteVersion2Volume(const fs::path& file, int count) {
    SQLite::Database raw(file, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    raw.exec("PRAGMA encoding = 'UTF-16le'");
    raw.exec("PRAGMA journal_mode = WAL");
    raw.exec(kVersion2Schema);
    SQLite::Transaction transaction(raw);
    SQLite::Statement insert(raw, "INSERT INTO TRACKDB (id, courier, invoice_number, item_name, entry_date, "
                                  "order_date, status) VALUES (?, ?, ?, ?, ?, ?, ?)");
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
    transaction.commit();
}

// A version-3 volume: `count` shipments, each of the first `checked` with four events
// (two at the same time, the later one stored first) and a check.
void WriteVersion3Volume(const fs::path& file, int count, int checked) {
    WriteVersion2Volume(file, count);
    SQLite::Database raw(file, SQLite::OPEN_READWRITE);
    raw.exec(kVersion3Tracking);
    SQLite::Transaction transaction(raw);
    SQLite::Statement event(raw, "INSERT INTO TRACKDB_events VALUES (?, ?, ?, '이름', ?, '')");
    for (int i = 0; i < checked; ++i) {
        const int64_t id = 1 + 3LL * i;
        for (const auto& [time, code] : std::initializer_list<std::pair<int64_t, const char*>>{
                 {300, "DELIVERED"}, {100, "AT_PICKUP"}, {300, "OUT_FOR_DELIVERY"}, {200, "IN_TRANSIT"}}) {
            event.bind(1, id);
            event.bind(2, time + i);
            event.bind(3, code);
            event.bind(4, "장소 " + std::to_string(i));
            event.exec();
            event.reset();
        }
        raw.exec("INSERT INTO TRACKDB_checks VALUES (" + std::to_string(id) + ", 7, NULL)");
    }
    transaction.commit();
}

// Every event in the order a shipment's history reads it, with the checks.
std::vector<std::string> TrackingDump(const fs::path& file, const char* order) {
    std::vector<std::string> rows = test::Column(
        file, std::string("SELECT shipment_id || ' ' || time || ' ' || status_code || ' ' || status_name || ' ' || "
                          "hex(location) FROM TRACKDB_events ORDER BY shipment_id, time DESC, ") +
                  order + " DESC");
    for (std::string& row : test::Column(file, "SELECT shipment_id || ' ' || last_check FROM TRACKDB_checks")) {
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::string> Dump(const fs::path& file) {
    return test::Column(file, "SELECT id || ' ' || courier || ' ' || hex(invoice_number) || ' ' || hex(item_name) || "
                              "' ' || entry_date || ' ' || order_date || ' ' || status FROM TRACKDB ORDER BY id");
}

using TrackingMigrationTest = test::StoreFolderTest;

TEST_F(TrackingMigrationTest, AddsTheTrackingTablesAndKeepsEveryShipment) {
    WriteVersion2Volume(PathOf("VELDAN.EDB"), 5000);
    const std::vector<std::string> before = Dump(PathOf("VELDAN.EDB"));

    CShipmentDatabase store;
    ASSERT_TRUE(OpenStore(store));
    EXPECT_EQ(test::UserVersion(PathOf("VELDAN.EDB")), 4);
    EXPECT_TRUE(Dump(PathOf("VELDAN.EDB")) == before) << "shipments changed";
    EXPECT_EQ(test::SchemaOf(PathOf("VELDAN.EDB")), test::NewVolumeSchema(PathOf("new.edb")));
    EXPECT_EQ(test::UserVersion(PathOf("VELDAN.EDB.v2.bak")), 2);
    EXPECT_TRUE(Dump(PathOf("VELDAN.EDB.v2.bak")) == before);

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

// A migration killed at any moment leaves version 3 as it was or the complete version 4,
// with every shipment, every event in its order and every check.
TEST_F(TrackingMigrationTest, AKillAtAnyMomentLeavesOneVersionOrTheOther) {
    WriteVersion3Volume(PathOf("pristine.edb"), 20'000, 5'000);
    const std::vector<std::string> before = Dump(PathOf("pristine.edb"));
    const std::vector<std::string> events = TrackingDump(PathOf("pristine.edb"), "rowid");
    const fs::path work = PathOf("VELDAN.EDB");
    const auto open = [&] {
        CShipmentDatabase store;
        return test::OpenStore(store, work);
    };
    const auto restore = [&] {
        for (const char* suffix : {"", "-wal", "-shm", ".v3.bak", ".v3.bak.partial"}) {
            fs::remove(work.string() + suffix);
        }
        fs::copy_file(PathOf("pristine.edb"), work);
    };
    const auto whole = test::TimeChild(restore, open);
    ASSERT_GT(whole.count(), 0);
    test::KillAtMoments(whole, 12, restore, open, [&](int round) {
        const int version = test::UserVersion(work);
        EXPECT_TRUE(version == 3 || version == 4) << "round " << round;
        EXPECT_TRUE(Dump(work) == before) << "round " << round;
        EXPECT_TRUE(TrackingDump(work, version == 4 ? "id" : "rowid") == events) << "round " << round;
        if (fs::exists(work.string() + ".v3.bak")) {
            EXPECT_EQ(test::UserVersion(work.string() + ".v3.bak"), 3);
        } else {
            EXPECT_EQ(version, 3) << "no change before the copy is made";
        }
        return version == 4;
    });

    // The current status is the newest event, as version 3 showed it; the store goes on.
    EXPECT_EQ(test::SchemaOf(work), test::NewVolumeSchema(PathOf("new.edb")));
    CShipmentDatabase store;
    ASSERT_TRUE(test::OpenStore(store, work));
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
    EXPECT_EQ(TrackingDump(work, "id").size(), events.size() + 1 - 5) << "deleting still takes the tracking along";
}

} // namespace
} // namespace parcelo
