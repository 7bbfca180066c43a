#include "store/ShipmentDatabase.h"

#include "store/ShipmentCollection.h"
#include "store/StoreTestSupport.h"

#include <SQLiteCpp/Database.h>
#include <csignal>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace parcelo {
namespace {

using test::Invoices;
using test::MakeShipment;

constexpr Instant kNow = 1'717'200'000;
constexpr Instant kDay = 86400;

class ShipmentDatabaseTest : public ::testing::Test {
protected:
    bool OpenStore(CShipmentDatabase& store) { return store.MountVolume(m_file) && store.Open(u"TRACKDB"); }

    std::string Pragma(const std::string& name) {
        SQLite::Database raw(m_folder.Path() / "VELDAN.EDB", SQLite::OPEN_READONLY);
        return raw.execAndGet("PRAGMA " + name).getString();
    }

    test::ScopedEnv m_zone{"TZ", test::kBerlinRule};
    test::TempFolder m_folder;
    std::u16string m_file = m_folder.File("VELDAN.EDB");
};

TEST_F(ShipmentDatabaseTest, CreatesTheDatabaseOnceAndKeepsItsRecords) {
    {
        CShipmentDatabase store;
        ASSERT_TRUE(OpenStore(store));
        EXPECT_TRUE(store.IsOpen());
        EXPECT_TRUE(Invoices(store).empty());
        EXPECT_TRUE(store.Add(MakeShipment(u"A", kNow, kNow)));
    }
    CShipmentDatabase reopened;
    ASSERT_TRUE(OpenStore(reopened));
    EXPECT_EQ(Invoices(reopened), std::vector<std::u16string>{u"A"});
    EXPECT_EQ(Pragma("user_version"), "1");
    EXPECT_EQ(Pragma("journal_mode"), "wal");
    EXPECT_EQ(Pragma("encoding"), "UTF-16le");
    SQLite::Database raw(m_folder.Path() / "VELDAN.EDB", SQLite::OPEN_READONLY);
    EXPECT_EQ(raw.execAndGet("SELECT count(*) FROM sqlite_schema WHERE type = 'index'").getInt(), 4);

    CPropertyDatabase bare;
    EXPECT_TRUE(bare.MountVolume(m_file));
    EXPECT_FALSE(bare.Open(u"OTHER")) << "only a described database can be created";
    CShipmentDatabase unmounted;
    EXPECT_FALSE(unmounted.Open(u"TRACKDB"));
    EXPECT_FALSE(unmounted.Add(MakeShipment(u"B", kNow, kNow)));
}

TEST_F(ShipmentDatabaseTest, BareNameLiesInTheDataFolder) {
    test::ScopedEnv dataHome("XDG_DATA_HOME", m_folder.Path().c_str());
    CShipmentDatabase store;
    ASSERT_TRUE(store.MountVolume(u"VELDAN.EDB"));
    EXPECT_EQ(store.VolumeFile(), (m_folder.Path() / "VELDAN" / "Parcelo" / "VELDAN.EDB").string());
    EXPECT_TRUE(std::filesystem::exists(store.VolumeFile()));
}

TEST_F(ShipmentDatabaseTest, SortOrdersAndPositions) {
    CShipmentDatabase store;
    ASSERT_TRUE(OpenStore(store));
    // Entered 3, 2 and 1 days ago; ordered in another sequence.
    ASSERT_TRUE(store.Add(MakeShipment(u"old", kNow - 3 * kDay, kNow - 5 * kDay)));
    ASSERT_TRUE(store.Add(MakeShipment(u"mid", kNow - 2 * kDay, kNow - 9 * kDay)));
    ASSERT_TRUE(store.Add(MakeShipment(u"new", kNow - 1 * kDay, kNow - 7 * kDay)));
    const std::vector<std::vector<std::u16string>> expected = {
        {u"new", u"mid", u"old"}, {u"old", u"mid", u"new"}, {u"old", u"new", u"mid"}, {u"mid", u"new", u"old"}};
    for (uint32_t command = 32800; command <= 32803; ++command) {
        uint32_t key = 0;
        uint32_t flags = 0;
        ASSERT_TRUE(SortOrderForCommand(command, key, flags));
        ASSERT_TRUE(store.SetSortOrder(key, flags));
        EXPECT_EQ(Invoices(store), expected[command - 32800]) << command;
    }

    Shipment shipment = MakeShipment(u"untouched", 0, 0);
    EXPECT_FALSE(store.ReadAt(3, shipment));
    EXPECT_FALSE(store.ReadAt(-1, shipment));
    EXPECT_FALSE(store.UpdateAt(3, shipment));
    EXPECT_FALSE(store.DeleteAt(3));
    EXPECT_EQ(shipment.invoiceNumber, u"untouched");
    ASSERT_TRUE(store.ReadAt(1, shipment));
    EXPECT_EQ(shipment.invoiceNumber, u"new");

    // An order that was never declared leaves the store unusable until a declared one.
    EXPECT_FALSE(store.SetSortOrder(PROP_STATUS, 5));
    EXPECT_FALSE(store.IsOpen());
    EXPECT_TRUE(Invoices(store).empty());
    EXPECT_FALSE(store.Add(shipment));
    EXPECT_FALSE(store.ReadAt(0, shipment));
    EXPECT_FALSE(store.SetSortOrder(PROP_ENTRY_DATE, 1)) << "flags must match exactly";

    ASSERT_TRUE(store.SetSortOrder(PROP_ENTRY_DATE, 5));
    EXPECT_TRUE(store.DeleteAt(0));
    EXPECT_EQ(Invoices(store), (std::vector<std::u16string>{u"mid", u"old"}));
    ASSERT_TRUE(store.SetSortOrder(PROP_ENTRY_DATE, 4));
    EXPECT_TRUE(store.DeleteAt(0));
    EXPECT_EQ(Invoices(store), std::vector<std::u16string>{u"mid"});

    // An update keeps the record but moves it in the order-date orders.
    ASSERT_TRUE(store.Add(MakeShipment(u"other", kNow, kNow - 8 * kDay)));
    ASSERT_TRUE(store.SetSortOrder(PROP_ORDER_DATE, 4));
    EXPECT_EQ(Invoices(store), (std::vector<std::u16string>{u"mid", u"other"}));
    ASSERT_TRUE(store.UpdateAt(0, MakeShipment(u"mid2", kNow - 2 * kDay, kNow - 1 * kDay, Done)));
    EXPECT_EQ(Invoices(store), (std::vector<std::u16string>{u"other", u"mid2"}));
}

TEST_F(ShipmentDatabaseTest, EqualKeysReadInOneOrder) {
    CShipmentDatabase store;
    ASSERT_TRUE(OpenStore(store));
    for (int i = 0; i < 12; ++i) {
        ASSERT_TRUE(store.Add(MakeShipment(std::u16string(1, u'a' + i), kNow - (i % 2) * kDay, kNow)));
    }
    for (uint32_t flags : {5u, 4u}) {
        ASSERT_TRUE(store.SetSortOrder(PROP_ORDER_DATE, flags));
        const std::vector<std::u16string> all = Invoices(store);
        for (int i = 0; i < 12; ++i) {
            Shipment shipment;
            ASSERT_TRUE(store.ReadAt(i, shipment));
            EXPECT_EQ(shipment.invoiceNumber, all[i]);
        }
    }
}

TEST_F(ShipmentDatabaseTest, ValuesSurviveExactly) {
    CShipmentDatabase store;
    ASSERT_TRUE(OpenStore(store));
    Shipment odd = MakeShipment(u"", kNow + 17, kNow - 3 * kDay + 5, 0x1FFFF);
    odd.courierIndex = -1;
    odd.invoiceNumber = std::u16string{u'\xFFFE', u'a', u'b'};
    odd.itemName = std::u16string{u'\xFEFF', u'\xD800', u'x', u'\0', u'\xDC00', u'한', u'\xD83D', u'\xDE00'};
    ASSERT_TRUE(store.Add(odd));
    ASSERT_TRUE(store.Add(Shipment{}));
    {
        SQLite::Database raw(m_folder.Path() / "VELDAN.EDB", SQLite::OPEN_READWRITE);
        raw.exec("ALTER TABLE TRACKDB ADD COLUMN extra TEXT DEFAULT 'ignored'");
    }
    std::vector<Shipment> all{MakeShipment(u"kept", 0, 0)};
    store.ReadAll(all);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_TRUE(all[2].invoiceNumber.empty() && all[2].itemName.empty());
    EXPECT_EQ(all[0].invoiceNumber, u"kept") << "ReadAll appends";
    const Shipment& back = all[1];
    EXPECT_EQ(back.courierIndex, 0xFFFF);
    EXPECT_EQ(back.status, 0xFFFF);
    EXPECT_EQ(back.invoiceNumber, odd.invoiceNumber);
    EXPECT_EQ(back.itemName, odd.itemName);
    EXPECT_EQ(back.entryDate, odd.entryDate);
    EXPECT_EQ(back.orderDate, odd.orderDate);
}

TEST_F(ShipmentDatabaseTest, PositionsGoStaleWhenAnotherProgramWrites) {
    CShipmentDatabase mine;
    CShipmentDatabase theirs;
    ASSERT_TRUE(OpenStore(mine) && OpenStore(theirs));
    ASSERT_TRUE(mine.Add(MakeShipment(u"A", kNow - kDay, kNow)));
    ASSERT_EQ(Invoices(mine).size(), 1u);
    ASSERT_TRUE(theirs.Add(MakeShipment(u"B", kNow, kNow))); // now at position 0 of mine

    Shipment shipment;
    EXPECT_FALSE(mine.ReadAt(0, shipment));
    EXPECT_FALSE(mine.UpdateAt(0, MakeShipment(u"A2", kNow - kDay, kNow)));
    EXPECT_FALSE(mine.DeleteAt(0));
    EXPECT_TRUE(mine.Add(MakeShipment(u"C", kNow - 2 * kDay, kNow)));
    EXPECT_EQ(Invoices(mine), (std::vector<std::u16string>{u"B", u"A", u"C"}));
    EXPECT_TRUE(mine.DeleteAt(0));
    EXPECT_EQ(Invoices(theirs), (std::vector<std::u16string>{u"A", u"C"}));
}

TEST_F(ShipmentDatabaseTest, DamagedVolumesAreRefusedAndLeftAlone) {
    std::mt19937 random(7);
    std::string garbage(8192, '\0');
    for (char& c : garbage) {
        c = static_cast<char>(random());
    }
    std::ofstream(m_folder.Path() / "garbage.edb", std::ios::binary) << garbage;
    {
        CShipmentDatabase store;
        ASSERT_TRUE(OpenStore(store));
        for (int i = 0; i < 150; ++i) {
            ASSERT_TRUE(store.Add(MakeShipment(std::u16string(400, u'x'), kNow + i, kNow)));
        }
    }
    const std::string sound = test::FileBytes(m_folder.Path() / "VELDAN.EDB");
    std::ofstream(m_folder.Path() / "truncated.edb", std::ios::binary) << sound.substr(0, sound.size() / 2);
    std::filesystem::create_directory(m_folder.Path() / "folder.edb");

    for (const char* name : {"garbage.edb", "truncated.edb", "folder.edb"}) {
        const auto path = m_folder.Path() / name;
        const std::string before = test::FileBytes(path);
        CShipmentDatabase store;
        EXPECT_FALSE(store.MountVolume(m_folder.File(name)) && store.Open(u"TRACKDB")) << name;
        EXPECT_FALSE(store.Add(MakeShipment(u"A", kNow, kNow)));
        EXPECT_FALSE(store.DeleteAt(0));
        EXPECT_EQ(test::FileBytes(path), before) << name;
    }
    if (geteuid() != 0) { // root writes through any mode
        std::filesystem::permissions(m_folder.Path() / "VELDAN.EDB", std::filesystem::perms::owner_read);
        CShipmentDatabase store;
        EXPECT_FALSE(OpenStore(store));
    }
}

// Each child adds until the file-size limit stands in for a full disk; the parent checks
// that the child saw false rather than a crash, and that what it acknowledged is intact.
TEST_F(ShipmentDatabaseTest, FullDiskFailsCleanly) {
    {
        CShipmentDatabase store;
        ASSERT_TRUE(OpenStore(store));
    }
    const auto sizeBefore = std::filesystem::file_size(m_folder.Path() / "VELDAN.EDB");
    int acks[2];
    ASSERT_EQ(pipe(acks), 0);
    const pid_t child = fork();
    if (child == 0) {
        close(acks[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        int outcome = 3;
        {
            CShipmentDatabase store;
            if (!OpenStore(store)) {
                _exit(1);
            }
            const rlimit limit{256 * 1024, 256 * 1024};
            setrlimit(RLIMIT_FSIZE, &limit);
            uint32_t acknowledgedInChild = 0;
            for (uint32_t i = 0; i < 10000 && outcome == 3; ++i) {
                if (!store.Add(MakeShipment(std::u16string(3000, u'0' + i % 10) + char16_t(u'A' + i), kNow, kNow))) {
                    outcome = 0;
                } else if (write(acks[1], &i, sizeof i) != sizeof i) {
                    outcome = 2;
                } else {
                    ++acknowledgedInChild;
                }
            }
            std::vector<Shipment> all;
            store.ReadAll(all);
            if (outcome == 0 && all.size() != acknowledgedInChild) {
                outcome = 5; // a failed Add left something behind
            }
        }
        _exit(outcome);
    }
    close(acks[1]);
    uint32_t acknowledged = 0;
    uint32_t value = 0;
    while (read(acks[0], &value, sizeof value) == sizeof value) {
        ++acknowledged;
    }
    close(acks[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_GT(acknowledged, 0u);

    EXPECT_GE(std::filesystem::file_size(m_folder.Path() / "VELDAN.EDB"), sizeBefore);
    CShipmentDatabase store;
    ASSERT_TRUE(OpenStore(store));
    EXPECT_EQ(Invoices(store).size(), acknowledged);
}

// A child adds in a loop and acknowledges each Add that returned true; it is killed at a
// random moment, again and again. Every acknowledged shipment must be there afterwards.
TEST_F(ShipmentDatabaseTest, AcknowledgedAddsSurviveKills) {
    std::mt19937 random(42);
    std::set<std::u16string> acknowledged;
    for (int round = 0; round < 25; ++round) {
        int acks[2];
        ASSERT_EQ(pipe(acks), 0);
        const pid_t child = fork();
        if (child == 0) {
            close(acks[0]);
            CShipmentDatabase store;
            if (!OpenStore(store)) {
                _exit(1);
            }
            for (uint32_t i = 0; i < 100000; ++i) {
                const std::string invoice = std::to_string(round) + "-" + std::to_string(i);
                if (store.Add(MakeShipment(std::u16string(invoice.begin(), invoice.end()), kNow + i, kNow))) {
                    const uint32_t ack = i;
                    if (write(acks[1], &ack, sizeof ack) != sizeof ack) {
                        _exit(2);
                    }
                }
            }
            _exit(0);
        }
        close(acks[1]);
        usleep(std::uniform_int_distribution<useconds_t>(2'000, 80'000)(random));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        uint32_t ack = 0;
        while (read(acks[0], &ack, sizeof ack) == sizeof ack) {
            const std::string invoice = std::to_string(round) + "-" + std::to_string(ack);
            acknowledged.insert(std::u16string(invoice.begin(), invoice.end()));
        }
        close(acks[0]);
    }
    CShipmentDatabase store;
    ASSERT_TRUE(OpenStore(store));
    const std::vector<std::u16string> all = Invoices(store);
    const std::set<std::u16string> present(all.begin(), all.end());
    for (const std::u16string& invoice : acknowledged) {
        EXPECT_EQ(present.count(invoice), 1u);
    }
    EXPECT_FALSE(acknowledged.empty());
    EXPECT_EQ(Pragma("integrity_check"), "ok");
}

} // namespace
} // namespace parcelo
