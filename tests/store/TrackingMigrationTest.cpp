#include "store/StoreTestSupport.h"
#include "store/TrackingDatabase.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <filesystem>
#include <gtest/gtest.h>

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

std::vector<std::string> Dump(const fs::path& file) {
    return test::Column(file, "SELECT id || ' ' || courier || ' ' || hex(invoice_number) || ' ' || hex(item_name) || "
                              "' ' || entry_date || ' ' || order_date || ' ' || status FROM TRACKDB ORDER BY id");
}

bool HasTrackingTables(const fs::path& file) {
    SQLite::Database raw(file, SQLite::OPEN_READONLY);
    return raw.tableExists("TRACKDB_events") && raw.tableExists("TRACKDB_checks");
}

class TrackingMigrationTest : public ::testing::Test {
protected:
    fs::path PathOf(const std::string& name) const { return m_folder.Path() / name; }

    test::TempFolder m_folder;
};

TEST_F(TrackingMigrationTest, AddsTheTrackingTablesAndKeepsEveryShipment) {
    WriteVersion2Volume(PathOf("VELDAN.EDB"), 5000);
    const std::vector<std::string> before = Dump(PathOf("VELDAN.EDB"));

    CTrackingDatabase store;
    ASSERT_TRUE(store.MountVolume(m_folder.File("VELDAN.EDB")) && store.Open(u"TRACKDB"));
    EXPECT_EQ(test::UserVersion(PathOf("VELDAN.EDB")), 3);
    EXPECT_TRUE(Dump(PathOf("VELDAN.EDB")) == before) << "shipments changed";
    EXPECT_TRUE(HasTrackingTables(PathOf("VELDAN.EDB")));
    EXPECT_EQ(test::UserVersion(PathOf("VELDAN.EDB.v2.bak")), 2);
    EXPECT_TRUE(Dump(PathOf("VELDAN.EDB.v2.bak")) == before);

    CheckRecord record;
    ASSERT_TRUE(store.AddEvents(4, std::vector{TrackingEvent{100, "DELIVERED", "배달완료", "서울", ""}}, 7, record));
    EXPECT_FALSE(store.AddEvents(2, std::vector{TrackingEvent{100, "DELIVERED", "", "", ""}}, 7, record))
        << "no shipment 2";
    Shipment added = test::MakeShipment(u"new", 0, 0);
    ASSERT_TRUE(store.Add(added));
    EXPECT_EQ(added.id, 1 + 3LL * 4999 + 1);

    CTrackingDatabase again;
    ASSERT_TRUE(again.MountVolume(m_folder.File("VELDAN.EDB")) && again.Open(u"TRACKDB"));
    EXPECT_EQ(again.LastCheck(4), 7) << "opening again changes nothing";
}

// A migration killed at any moment leaves version 2 as it was or the complete version 3.
TEST_F(TrackingMigrationTest, AKillAtAnyMomentLeavesOneVersionOrTheOther) {
    WriteVersion2Volume(PathOf("pristine.edb"), 40'000);
    const std::vector<std::string> before = Dump(PathOf("pristine.edb"));
    const fs::path work = PathOf("VELDAN.EDB");
    const auto open = [&] {
        CTrackingDatabase store;
        return store.MountVolume(work.u16string()) && store.Open(u"TRACKDB");
    };
    const auto restore = [&] {
        for (const char* suffix : {"", "-wal", "-shm", ".v2.bak", ".v2.bak.partial"}) {
            fs::remove(work.string() + suffix);
        }
        fs::copy_file(PathOf("pristine.edb"), work);
    };
    const auto whole = test::TimeChild(restore, open);
    ASSERT_GT(whole.count(), 0);
    test::KillAtMoments(whole, 12, restore, open, [&](int round) {
        const int version = test::UserVersion(work);
        EXPECT_TRUE(version == 2 || version == 3) << "round " << round;
        EXPECT_TRUE(Dump(work) == before) << "round " << round;
        EXPECT_EQ(HasTrackingTables(work), version == 3) << "round " << round;
        if (fs::exists(work.string() + ".v2.bak")) {
            EXPECT_EQ(test::UserVersion(work.string() + ".v2.bak"), 2);
            EXPECT_TRUE(Dump(work.string() + ".v2.bak") == before) << "round " << round;
        } else {
            EXPECT_EQ(version, 2) << "no change before the copy is made";
        }
        return version == 3;
    });

    CTrackingDatabase store;
    ASSERT_TRUE(store.MountVolume(work.u16string()) && store.Open(u"TRACKDB"));
    EXPECT_TRUE(HasTrackingTables(work));
    EXPECT_TRUE(Dump(work) == before);
}

} // namespace
} // namespace parcelo
