#include "store/StoreBackup.h"

#include "store/ShipmentDatabase.h"
#include "store/StoreTestSupport.h"

#include <SQLiteCpp/Database.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace parcelo {
namespace {

namespace fs = std::filesystem;

constexpr Instant kStart = 1'700'000'000;

std::vector<std::u16string> Numbers(const std::u16string& prefix, int count) {
    std::vector<std::u16string> numbers;
    for (int i = 0; i < count; ++i) {
        const std::string digits = std::to_string(i);
        numbers.push_back(prefix + std::u16string(digits.begin(), digits.end()));
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

std::vector<std::u16string> SortedInvoices(const fs::path& file) {
    CShipmentDatabase store;
    if (!store.MountVolume(file.u16string()) || !store.Open(u"TRACKDB")) {
        return {u"(cannot open)"};
    }
    std::vector<std::u16string> numbers = test::Invoices(store);
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

std::vector<std::u16string> Sorted(std::vector<std::u16string> numbers) {
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

class StoreBackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_store.MountVolume(m_folder.File("VELDAN.EDB")) && m_store.Open(u"TRACKDB"));
        Fill(m_store, m_old);
    }

    fs::path PathOf(const std::string& name) const { return m_folder.Path() / name; }

    // A backup holding the "new" shipments, made by a store of its own.
    fs::path MakeNewBackup() {
        CShipmentDatabase other;
        EXPECT_TRUE(other.MountVolume(m_folder.File("other.edb")) && other.Open(u"TRACKDB"));
        Fill(other, m_new);
        EXPECT_EQ(StoreBackup::BackUp(other, PathOf("new.edb").string()), StoreError::None);
        return PathOf("new.edb");
    }

    test::TempFolder m_folder;
    CShipmentDatabase m_store;
    std::vector<std::u16string> m_old = Numbers(u"OLD", 300);
    std::vector<std::u16string> m_new = Numbers(u"NEW", 200);
};

TEST_F(StoreBackupTest, BackupIsACompleteCopyTakenWhileTheStoreIsOpen) {
    // Another connection keeps a read transaction open: the backup still goes through.
    SQLite::Database reader(PathOf("VELDAN.EDB"), SQLite::OPEN_READONLY);
    reader.exec("BEGIN");
    reader.execAndGet("SELECT count(*) FROM TRACKDB");

    ASSERT_EQ(StoreBackup::BackUp(m_store, PathOf("backup.edb").string()), StoreError::None);
    EXPECT_EQ(SortedInvoices(PathOf("backup.edb")), Sorted(m_old));
    EXPECT_FALSE(fs::exists(PathOf("backup.edb.partial")));

    // A second backup replaces the first.
    Fill(m_store, {u"LATE"});
    ASSERT_EQ(StoreBackup::BackUp(m_store, PathOf("backup.edb").string()), StoreError::None);
    EXPECT_EQ(SortedInvoices(PathOf("backup.edb")).size(), m_old.size() + 1);
}

TEST_F(StoreBackupTest, BackupRefusesTheStoreItselfAFolderAndAMissingFolder) {
    const std::string before = test::FileBytes(PathOf("VELDAN.EDB"));
    EXPECT_EQ(StoreBackup::BackUp(m_store, PathOf("VELDAN.EDB").string()), StoreError::Foreign);
    EXPECT_EQ(StoreBackup::BackUp(m_store, PathOf("VELDAN.EDB-wal").string()), StoreError::Foreign);
    EXPECT_EQ(test::FileBytes(PathOf("VELDAN.EDB")), before);
    fs::create_directory(PathOf("folder"));
    EXPECT_EQ(StoreBackup::BackUp(m_store, PathOf("folder").string()), StoreError::Foreign);
    EXPECT_TRUE(fs::is_directory(PathOf("folder")));
    EXPECT_NE(StoreBackup::BackUp(m_store, PathOf("missing/backup.edb").string()), StoreError::None);
    EXPECT_EQ(test::Invoices(m_store).size(), m_old.size());
}

TEST_F(StoreBackupTest, RestoreReplacesTheStoreAndKeepsTheOldOneBeside) {
    const fs::path backup = MakeNewBackup();
    const std::string chosen = test::FileBytes(backup);
    ASSERT_EQ(StoreBackup::Check(backup.string()), StoreError::None);
    ASSERT_EQ(StoreBackup::Restore(m_store, backup.string()), StoreError::None);

    EXPECT_TRUE(m_store.IsOpen());
    EXPECT_EQ(Sorted(test::Invoices(m_store)), Sorted(m_new));
    EXPECT_EQ(SortedInvoices(PathOf("VELDAN.EDB.bak")), Sorted(m_old));
    EXPECT_EQ(test::FileBytes(backup), chosen) << "the chosen file was written";
    Shipment added = test::MakeShipment(u"AFTER", kStart, kStart);
    EXPECT_TRUE(m_store.Add(added));
    for (const auto& entry : fs::directory_iterator(m_folder.Path())) {
        EXPECT_EQ(entry.path().filename().string().find(".restore"), std::string::npos) << entry.path();
    }
}

TEST_F(StoreBackupTest, RestoreRefusesWhatTheStoreCannotOpenAndChangesNothing) {
    const auto refused = [&](const fs::path& file, StoreError expected) {
        const std::string chosen = test::FileBytes(file);
        EXPECT_EQ(StoreBackup::Check(file.string()), expected) << file;
        EXPECT_EQ(StoreBackup::Restore(m_store, file.string()), expected) << file;
        EXPECT_EQ(test::FileBytes(file), chosen) << file;
        EXPECT_FALSE(fs::exists(file.string() + "-wal")) << file;
        EXPECT_EQ(Sorted(test::Invoices(m_store)), Sorted(m_old)) << file;
        EXPECT_FALSE(fs::exists(PathOf("VELDAN.EDB.bak"))) << file;
    };
    refused(m_folder.Write("garbage.edb", std::string(8192, 'x')), StoreError::Damaged);
    refused(m_folder.Write("empty.edb", ""), StoreError::Foreign);
    refused(PathOf("missing.edb"), StoreError::NotFound);
    fs::create_directory(PathOf("folder.edb"));
    refused(PathOf("folder.edb"), StoreError::Foreign);
    {
        SQLite::Database other(PathOf("other-program.edb"), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        other.exec("CREATE TABLE notes (text TEXT)");
    }
    refused(PathOf("other-program.edb"), StoreError::Foreign);
    // A table of our name that is not ours: the store cannot open it, so it is never swapped in.
    {
        SQLite::Database other(PathOf("same-name.edb"), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        other.exec("CREATE TABLE TRACKDB (text TEXT)");
    }
    refused(PathOf("same-name.edb"), StoreError::Foreign);
    {
        const fs::path backup = MakeNewBackup();
        SQLite::Database newer(backup, SQLite::OPEN_READWRITE);
        newer.exec("PRAGMA user_version = 99");
    }
    refused(PathOf("new.edb"), StoreError::TooNew);
    // A sound header with a damaged page further on.
    {
        MakeNewBackup();
        std::string bytes = test::FileBytes(PathOf("new.edb"));
        ASSERT_GT(bytes.size(), 8192u);
        for (size_t i = 4096 + 200; i < 8192; ++i) {
            bytes[i] = static_cast<char>(0x5A);
        }
        m_folder.Write("damaged.edb", bytes);
    }
    refused(PathOf("damaged.edb"), StoreError::Damaged);
}

TEST_F(StoreBackupTest, RestoreOfAVersion1FileMigratesItAndLeavesTheFileAsItWas) {
    test::ScopedEnv zone("TZ", test::kBerlinRule);
    std::vector<test::Version1Row> rows;
    for (int i = 0; i < 50; ++i) {
        const std::string digits = "V1" + std::to_string(i);
        Shipment shipment = test::MakeShipment(std::u16string(digits.begin(), digits.end()), kStart + i, kStart);
        rows.push_back(
            {i + 1, shipment, test::Version1Ticks(shipment.entryDate), test::Version1Ticks(shipment.orderDate)});
    }
    test::WriteVersion1Volume(PathOf("old-version.edb"), rows);
    const std::string chosen = test::FileBytes(PathOf("old-version.edb"));

    ASSERT_EQ(StoreBackup::Restore(m_store, PathOf("old-version.edb").string()), StoreError::None);
    EXPECT_EQ(test::FileBytes(PathOf("old-version.edb")), chosen);
    const std::optional<Shipment> first = m_store.Read(1);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->invoiceNumber, u"V10");
    EXPECT_EQ(first->entryDate, kStart);
    EXPECT_EQ(test::Invoices(m_store).size(), rows.size());
}

TEST_F(StoreBackupTest, RestoreWaitsForNoOtherProgramToHaveTheStoreOpen) {
    const fs::path backup = MakeNewBackup();
    int ready[2];
    int release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    // No connection open across the fork: SQLite's per-file state must not be inherited.
    m_store.MountVolume(u"");
    const pid_t child = fork();
    if (child == 0) {
        CShipmentDatabase other;
        const bool opened = other.MountVolume(m_folder.File("VELDAN.EDB")) && other.Open(u"TRACKDB");
        char byte = opened ? 'y' : 'n';
        (void)!write(ready[1], &byte, 1);
        (void)!read(release[0], &byte, 1);
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, 'y');
    ASSERT_TRUE(m_store.MountVolume(m_folder.File("VELDAN.EDB")) && m_store.Open(u"TRACKDB"));
    EXPECT_EQ(StoreBackup::Restore(m_store, backup.string()), StoreError::Busy);
    EXPECT_TRUE(m_store.IsOpen());
    EXPECT_EQ(Sorted(test::Invoices(m_store)), Sorted(m_old));
    (void)!write(release[1], &byte, 1);
    waitpid(child, nullptr, 0);
    for (int descriptor : {ready[0], ready[1], release[0], release[1]}) {
        close(descriptor);
    }
    EXPECT_EQ(StoreBackup::Restore(m_store, backup.string()), StoreError::None);
    EXPECT_EQ(Sorted(test::Invoices(m_store)), Sorted(m_new));
}

// A restore killed at any moment leaves every old shipment or every new one.
TEST_F(StoreBackupTest, AKillAtAnyMomentLeavesTheOldStoreOrTheNewOneWhole) {
    const fs::path backup = MakeNewBackup();
    m_store.MountVolume(u""); // let go of the store
    fs::copy_file(PathOf("VELDAN.EDB"), PathOf("pristine.edb"));
    const fs::path work = PathOf("VELDAN.EDB");
    const auto reset = [&] {
        for (const auto& entry : fs::directory_iterator(m_folder.Path())) {
            if (entry.path().filename().string().rfind("VELDAN.EDB", 0) == 0) {
                fs::remove(entry.path());
            }
        }
        fs::copy_file(PathOf("pristine.edb"), work);
    };
    const auto restore = [&] {
        CShipmentDatabase store;
        return store.MountVolume(work.u16string()) && store.Open(u"TRACKDB") &&
               StoreBackup::Restore(store, backup.string()) == StoreError::None;
    };
    const auto whole = test::TimeChild(reset, restore);
    ASSERT_GT(whole.count(), 0);
    ASSERT_EQ(SortedInvoices(work), Sorted(m_new));
    test::KillAtMoments(whole, 40, reset, restore, [&](int round) {
        const std::vector<std::u16string> found = SortedInvoices(work);
        if (found == Sorted(m_old)) {
            return false;
        }
        EXPECT_EQ(found, Sorted(m_new)) << "round " << round;
        EXPECT_EQ(SortedInvoices(PathOf("VELDAN.EDB.bak")), Sorted(m_old)) << "round " << round;
        return true;
    });
    EXPECT_EQ(test::FileBytes(backup).substr(0, 15), "SQLite format 3");
}

} // namespace
} // namespace parcelo
