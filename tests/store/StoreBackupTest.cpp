#include "store/StoreBackup.h"

#include "store/ShipmentDatabase.h"
#include "store/StoreTestSupport.h"

#include <algorithm>
#include <filesystem>

namespace parcelo {
namespace {

namespace fs = std::filesystem;

constexpr Instant kStart = 1'700'000'000;

// Adds a shipment for each of `count` numbers after `prefix`, entered a second apart, and
// gives the numbers.
std::vector<std::u16string> Fill(CShipmentDatabase& store, const std::string& prefix, int count) {
    std::vector<std::u16string> numbers;
    std::vector<Shipment> shipments;
    for (int i = 0; i < count; ++i) {
        numbers.push_back(test::Numbered(prefix, i));
        shipments.push_back(test::MakeShipment(numbers.back(), kStart + i, kStart));
    }
    EXPECT_TRUE(store.AddBatch(shipments));
    return numbers;
}

// The invoice numbers in the order they were added (Fill's entry dates).
std::vector<std::u16string> InvoicesOf(CShipmentDatabase& store) {
    return test::Invoices(store, {FILTER_ALL, ShipmentSortKey::EntryDate, false, {}});
}
std::vector<std::u16string> InvoicesOf(const fs::path& file) {
    CShipmentDatabase store;
    return test::OpenStore(store, file) ? InvoicesOf(store) : std::vector<std::u16string>{u"(cannot open)"};
}

class StoreBackupTest : public test::StoreFolderTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenStore(m_store));
        m_old = Fill(m_store, "OLD", 300);
    }

    // A backup holding the "new" shipments, made by a store of its own.
    fs::path MakeNewBackup() {
        CShipmentDatabase other;
        EXPECT_TRUE(OpenStore(other, "other.edb"));
        if (test::Invoices(other).empty()) {
            m_new = Fill(other, "NEW", 200);
        }
        EXPECT_EQ(StoreBackup::BackUp(other, PathOf("new.edb").string()), StoreError::None);
        return PathOf("new.edb");
    }

    CShipmentDatabase m_store;
    std::vector<std::u16string> m_old, m_new;
};

// A backup is a complete copy, taken while another connection reads, and replaces an
// earlier one; the store itself, a folder and a missing folder are refused.
TEST_F(StoreBackupTest, BackupIsACompleteCopyOfTheOpenStore) {
    SQLite::Database reader(PathOf("VELDAN.EDB"), SQLite::OPEN_READONLY);
    reader.exec("BEGIN");
    reader.execAndGet("SELECT count(*) FROM TRACKDB");
    ASSERT_EQ(StoreBackup::BackUp(m_store, PathOf("backup.edb").string()), StoreError::None);
    EXPECT_EQ(InvoicesOf(PathOf("backup.edb")), m_old);
    EXPECT_FALSE(fs::exists(PathOf("backup.edb.partial")));
    Fill(m_store, "LATE", 1);
    ASSERT_EQ(StoreBackup::BackUp(m_store, PathOf("backup.edb").string()), StoreError::None);
    EXPECT_EQ(InvoicesOf(PathOf("backup.edb")).size(), m_old.size() + 1);

    const std::string before = test::FileBytes(PathOf("VELDAN.EDB"));
    fs::create_directory(PathOf("folder"));
    for (const char* refused : {"VELDAN.EDB", "VELDAN.EDB-wal", "folder"}) {
        EXPECT_EQ(StoreBackup::BackUp(m_store, PathOf(refused).string()), StoreError::Foreign) << refused;
    }
    EXPECT_EQ(test::FileBytes(PathOf("VELDAN.EDB")), before);
    EXPECT_TRUE(fs::is_directory(PathOf("folder")));
    EXPECT_NE(StoreBackup::BackUp(m_store, PathOf("missing/backup.edb").string()), StoreError::None);
    EXPECT_EQ(test::Invoices(m_store).size(), m_old.size() + 1);
}

// What the store cannot open is refused and changes nothing (so is each file a store
// refuses to open, as its own test shows), and so are a missing file and an empty one,
// which a store would take as new; a sound backup replaces the store, the old one kept
// beside and the chosen file left as it was.
TEST_F(StoreBackupTest, RestoreRefusesWhatTheStoreCannotOpenElseReplacesTheStore) {
    m_folder.Write("empty.edb", "");
    for (const auto& [name, expected] :
         {std::pair("empty.edb", StoreError::Foreign), std::pair("missing.edb", StoreError::NotFound)}) {
        EXPECT_EQ(StoreBackup::Check(PathOf(name).string()), expected) << name;
        EXPECT_EQ(StoreBackup::Restore(m_store, PathOf(name).string()), expected) << name;
    }
    EXPECT_EQ(InvoicesOf(m_store), m_old);
    EXPECT_TRUE(fs::is_empty(PathOf("empty.edb")));
    EXPECT_FALSE(fs::exists(PathOf("missing.edb")) || fs::exists(PathOf("VELDAN.EDB.bak")));

    const fs::path backup = MakeNewBackup();
    const std::string chosen = test::FileBytes(backup);
    ASSERT_EQ(StoreBackup::Check(backup.string()), StoreError::None);
    ASSERT_EQ(StoreBackup::Restore(m_store, backup.string()), StoreError::None);
    EXPECT_TRUE(m_store.IsOpen());
    EXPECT_EQ(InvoicesOf(m_store), m_new);
    EXPECT_EQ(InvoicesOf(PathOf("VELDAN.EDB.bak")), m_old);
    EXPECT_EQ(test::FileBytes(backup), chosen) << "the chosen file was written";
    EXPECT_TRUE(m_store.Add(test::MakeShipment(u"AFTER", kStart, kStart)));
    for (const auto& entry : fs::directory_iterator(m_folder.Path())) {
        EXPECT_EQ(entry.path().filename().string().find(".restore"), std::string::npos) << entry.path();
    }
}

// A restore waits for no other program to have the store open; killed at any moment, it
// leaves every old shipment or every new one.
TEST_F(StoreBackupTest, RestoreWaitsForOtherProgramsAndAKillLeavesTheOldStoreOrTheNewOneWhole) {
    const fs::path backup = MakeNewBackup();
    const fs::path work = PathOf("VELDAN.EDB");
    // No connection open across the fork: SQLite's per-file state must not be inherited.
    m_store.MountVolume(u"");
    fs::copy_file(work, PathOf("pristine.edb"));
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = test::ForkChild([&] { // keeps the store open until killed
        CShipmentDatabase other;
        const char byte = OpenStore(other) ? 'y' : 'n';
        return write(ready[1], &byte, 1) == 1 && pause() == 0;
    });
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, 'y');
    ASSERT_TRUE(OpenStore(m_store));
    EXPECT_EQ(StoreBackup::Restore(m_store, backup.string()), StoreError::Busy);
    EXPECT_TRUE(m_store.IsOpen());
    EXPECT_EQ(InvoicesOf(m_store), m_old);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_EQ(close(ready[0]) | close(ready[1]), 0);
    EXPECT_EQ(StoreBackup::Restore(m_store, backup.string()), StoreError::None);
    EXPECT_EQ(InvoicesOf(m_store), m_new);

    m_store.MountVolume(u"");
    const auto restore = [&] {
        CShipmentDatabase store;
        return test::OpenStore(store, work) && StoreBackup::Restore(store, backup.string()) == StoreError::None;
    };
    test::KillAtMoments(PathOf("pristine.edb"), work, 40, restore, [&](int round) {
        const std::vector<std::u16string> found = InvoicesOf(work);
        if (found == m_old) {
            return false;
        }
        EXPECT_EQ(found, m_new) << "round " << round;
        EXPECT_EQ(InvoicesOf(PathOf("VELDAN.EDB.bak")), m_old) << "round " << round;
        return true;
    });
    EXPECT_EQ(test::FileBytes(backup).substr(0, 15), "SQLite format 3");
}

} // namespace
} // namespace parcelo
