#include "store/StoreBackup.h"

#include "store/ShipmentDatabase.h"
#include "store/StoreTestSupport.h"

#include <algorithm>
#include <filesystem>

namespace parcelo {
namespace {

namespace fs = std::filesystem;

constexpr Instant kStart = 1'700'000'000;

// `count` numbers after `prefix`.
std::vector<std::u16string> Numbers(const std::string& prefix, int count) {
    std::vector<std::u16string> numbers;
    for (int i = 0; i < count; ++i) {
        numbers.push_back(test::Numbered(prefix, i));
    }
    return numbers;
}

void Fill(CShipmentDatabase& store, const std::vector<std::u16string>& numbers) {
    std::vector<Shipment> shipments;
    for (size_t i = 0; i < numbers.size(); ++i) {
        shipments.push_back(test::MakeShipment(numbers[i], kStart + static_cast<Instant>(i), kStart));
    }
    ASSERT_TRUE(store.AddBatch(shipments));
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
        Fill(m_store, m_old);
    }

    // A backup holding the "new" shipments, made by a store of its own.
    fs::path MakeNewBackup() {
        CShipmentDatabase other;
        EXPECT_TRUE(OpenStore(other, "other.edb"));
        if (test::Invoices(other).empty()) {
            Fill(other, m_new);
        }
        EXPECT_EQ(StoreBackup::BackUp(other, PathOf("new.edb").string()), StoreError::None);
        return PathOf("new.edb");
    }

    CShipmentDatabase m_store;
    std::vector<std::u16string> m_old = Numbers("OLD", 300);
    std::vector<std::u16string> m_new = Numbers("NEW", 200);
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
    Fill(m_store, {u"LATE"});
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

// What the store cannot open is refused and changes nothing; a sound backup replaces the
// store, the old one kept beside and the chosen file left as it was.
TEST_F(StoreBackupTest, RestoreRefusesWhatTheStoreCannotOpenElseReplacesTheStore) {
    const auto refused = [&](const fs::path& file, StoreError expected) {
        const std::string chosen = test::FileBytes(file);
        EXPECT_EQ(StoreBackup::Check(file.string()), expected) << file;
        EXPECT_EQ(StoreBackup::Restore(m_store, file.string()), expected) << file;
        EXPECT_EQ(test::FileBytes(file), chosen) << file;
        EXPECT_FALSE(fs::exists(file.string() + "-wal")) << file;
        EXPECT_EQ(InvoicesOf(m_store), m_old) << file;
        EXPECT_FALSE(fs::exists(PathOf("VELDAN.EDB.bak"))) << file;
    };
    const auto written = [&](const fs::path& file, const char* sql) {
        SQLite::Database(file, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE).exec(sql);
        return file;
    };
    refused(m_folder.Write("garbage.edb", std::string(8192, 'x')), StoreError::Damaged);
    refused(m_folder.Write("empty.edb", ""), StoreError::Foreign);
    refused(PathOf("missing.edb"), StoreError::NotFound);
    fs::create_directory(PathOf("folder.edb"));
    refused(PathOf("folder.edb"), StoreError::Foreign);
    refused(written(PathOf("other-program.edb"), "CREATE TABLE notes (text TEXT)"), StoreError::Foreign);
    refused(written(PathOf("same-name.edb"), "CREATE TABLE TRACKDB (text TEXT)"), StoreError::Foreign);
    refused(written(MakeNewBackup(), "PRAGMA user_version = 99"), StoreError::TooNew);
    std::string bytes = test::FileBytes(MakeNewBackup()); // a sound header, a damaged page further on
    ASSERT_GT(bytes.size(), 8192u);
    std::fill(bytes.begin() + 4096 + 200, bytes.begin() + 8192, '\x5A');
    refused(m_folder.Write("damaged.edb", bytes), StoreError::Damaged);

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

TEST_F(StoreBackupTest, RestoreWaitsForNoOtherProgramToHaveTheStoreOpen) {
    const fs::path backup = MakeNewBackup();
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    // No connection open across the fork: SQLite's per-file state must not be inherited.
    m_store.MountVolume(u"");
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
}

// A restore killed at any moment leaves every old shipment or every new one.
TEST_F(StoreBackupTest, AKillAtAnyMomentLeavesTheOldStoreOrTheNewOneWhole) {
    const fs::path backup = MakeNewBackup();
    m_store.MountVolume(u""); // let go of the store
    fs::copy_file(PathOf("VELDAN.EDB"), PathOf("pristine.edb"));
    const fs::path work = PathOf("VELDAN.EDB");
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
