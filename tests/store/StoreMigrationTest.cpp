#include "store/ShipmentDatabase.h"
#include "store/StoreTestSupport.h"

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

// Every row's id, courier, status and the exact bytes of its text; and its dates.
Rows TextDump(const fs::path& file) {
    return test::Column(file, "SELECT id || ' ' || courier || ' ' || status || ' ' || hex(invoice_number) || ' ' "
                              "|| hex(item_name) FROM TRACKDB ORDER BY id");
}
Rows DateDump(const fs::path& file) {
    return test::Column(file, "SELECT id || ' ' || entry_date || ' ' || order_date FROM TRACKDB ORDER BY id");
}

Rows ExpectedDates(const std::vector<test::Version1Row>& rows, bool utc) {
    Rows dates;
    for (const test::Version1Row& row : rows) {
        dates.push_back(std::to_string(row.id) + " " + std::to_string(utc ? row.shipment.entryDate : row.entryTicks) +
                        " " + std::to_string(utc ? row.shipment.orderDate : row.orderTicks));
    }
    return dates;
}

class StoreMigrationTest : public test::StoreFolderTest {
protected:
    test::ScopedEnv m_zone{"TZ", test::kBerlinRule};
};

TEST_F(StoreMigrationTest, KeepsEveryRowItsIdAndItsTextAndTurnsDatesToUtc) {
    const std::vector<test::Version1Row> rows = Version1Rows(10'000);
    test::WriteVersion1Volume(PathOf("VELDAN.EDB"), rows);
    const Rows text = TextDump(PathOf("VELDAN.EDB"));
    ASSERT_EQ(DateDump(PathOf("VELDAN.EDB")), ExpectedDates(rows, false));

    CShipmentDatabase store;
    ASSERT_TRUE(OpenStore(store));
    EXPECT_EQ(test::UserVersion(PathOf("VELDAN.EDB")), 4);
    EXPECT_TRUE(TextDump(PathOf("VELDAN.EDB")) == text) << "text changed";
    EXPECT_TRUE(DateDump(PathOf("VELDAN.EDB")) == ExpectedDates(rows, true)) << "dates not in UTC";
    EXPECT_EQ(test::SchemaOf(PathOf("VELDAN.EDB")), test::NewVolumeSchema(PathOf("new.edb")));

    // The copy holds the version-1 volume as it was.
    EXPECT_EQ(test::UserVersion(PathOf("VELDAN.EDB.v1.bak")), 1);
    EXPECT_TRUE(TextDump(PathOf("VELDAN.EDB.v1.bak")) == text);
    EXPECT_TRUE(DateDump(PathOf("VELDAN.EDB.v1.bak")) == ExpectedDates(rows, false));

    // Read back through the store, the shipments are what was written.
    std::vector<Shipment> all;
    ShipmentQuery oldestFirst;
    oldestFirst.newestFirst = false;
    ASSERT_TRUE(store.Query(oldestFirst, all));
    ASSERT_EQ(all.size(), rows.size());
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

    // Opening again changes nothing more.
    CShipmentDatabase again;
    ASSERT_TRUE(OpenStore(again));
    EXPECT_EQ(test::Invoices(again).size(), rows.size() + 1);
}

// A migration killed at any moment leaves version 1 as it was or the complete current one, and a whole copy or none.
TEST_F(StoreMigrationTest, AKillAtAnyMomentLeavesOneVersionOrTheOther) {
    const std::vector<test::Version1Row> rows = Version1Rows(20'000);
    test::WriteVersion1Volume(PathOf("pristine.edb"), rows);
    const Rows text = TextDump(PathOf("pristine.edb"));
    const Rows version1Dates = ExpectedDates(rows, false);
    const Rows utcDates = ExpectedDates(rows, true);
    const fs::path work = PathOf("VELDAN.EDB");

    const auto open = [&] {
        CShipmentDatabase store;
        return test::OpenStore(store, work);
    };
    const auto restore = [&] {
        for (const char* suffix : {"", "-wal", "-shm", ".v1.bak", ".v1.bak.partial"}) {
            fs::remove(work.string() + suffix);
        }
        fs::copy_file(PathOf("pristine.edb"), work);
    };
    const auto whole = test::TimeChild(restore, open);
    ASSERT_GT(whole.count(), 0);
    test::KillAtMoments(whole, 30, restore, open, [&](int round) {
        const int version = test::UserVersion(work);
        EXPECT_TRUE(version == 1 || version == 4) << "round " << round;
        EXPECT_TRUE(TextDump(work) == text) << "round " << round;
        EXPECT_TRUE(DateDump(work) == (version == 1 ? version1Dates : utcDates)) << "round " << round;
        if (fs::exists(work.string() + ".v1.bak")) {
            EXPECT_EQ(test::UserVersion(work.string() + ".v1.bak"), 1);
            EXPECT_TRUE(DateDump(work.string() + ".v1.bak") == version1Dates) << "round " << round;
        } else {
            EXPECT_EQ(version, 1) << "no change before the copy is made";
        }
        return version == 4;
    });

    CShipmentDatabase store;
    ASSERT_TRUE(test::OpenStore(store, work));
    EXPECT_TRUE(DateDump(work) == utcDates);
}

} // namespace
} // namespace parcelo
