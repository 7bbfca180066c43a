#include "store/ShipmentDatabase.h"
#include "store/StoreTestSupport.h"

#include <sys/stat.h>

namespace parcelo {
namespace {

using test::FileBytes;
using test::MakeShipment;
namespace fs = std::filesystem;

constexpr Instant kNow = 1'717'200'000;

class StoreRefusalTest : public test::StoreFolderTest {
protected:
    void MakeOurVolume(const std::string& name) {
        CShipmentDatabase store;
        ASSERT_TRUE(OpenStore(store, name) && store.Add(MakeShipment(u"kept", kNow, kNow)));
    }

    std::vector<std::string> SideFiles(const std::string& name) const {
        std::vector<std::string> found;
        for (const char* suffix : {"-wal", "-shm", "-journal"}) {
            if (fs::exists(PathOf(name + suffix))) {
                found.push_back(name + suffix);
            }
        }
        return found;
    }

    // Opening must fail with `expected`, leaving the file byte for byte and no side file.
    void ExpectRefused(const std::string& name, StoreError expected) {
        const std::string before = FileBytes(PathOf(name));
        CShipmentDatabase store;
        EXPECT_FALSE(OpenStore(store, name)) << name;
        EXPECT_EQ(store.LastError(), expected) << name;
        EXPECT_FALSE(IsTransient(store.LastError())) << name;
        EXPECT_FALSE(store.Add(MakeShipment(u"x", kNow, kNow)));
        EXPECT_EQ(store.LastError(), StoreError::NotOpen);
        EXPECT_TRUE(FileBytes(PathOf(name)) == before) << name << " was changed";
        EXPECT_EQ(SideFiles(name), std::vector<std::string>{}) << "while the store is alive";
    }

    // Runs `body` as an ordinary user: as root every file is writable. The folder is
    // handed to that user first; a failure in the child fails the test.
    void AsOrdinaryUser(const std::function<void()>& body) {
        if (geteuid() != 0) {
            body();
            return;
        }
        constexpr uid_t kNobody = 65534;
        for (const auto& entry : fs::recursive_directory_iterator(m_folder.Path())) {
            ASSERT_EQ(lchown(entry.path().c_str(), kNobody, kNobody), 0);
        }
        ASSERT_EQ(chown(m_folder.Path().c_str(), kNobody, kNobody), 0);
        const pid_t child = fork();
        if (child == 0) {
            if (setgid(kNobody) != 0 || setuid(kNobody) != 0) {
                _exit(3);
            }
            body();
            _exit(::testing::Test::HasFailure() ? 1 : 0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "see the child's failures above";
    }

    test::ScopedEnv m_zone{"TZ", test::kBerlinRule};
};

TEST_F(StoreRefusalTest, FilesThatAreNotOursAreLeftByteForByte) {
    // Another program's database, in either journal mode, with its own tables; a table of
    // our name that lacks our columns; ours, but written by a newer program.
    const auto written = [&](const std::string& name, const std::string& sql) {
        SQLite::Database(PathOf(name), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE).exec(sql);
        return name;
    };
    const std::string notes = "CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT); CREATE INDEX notes_body ON "
                              "notes (body); INSERT INTO notes (body) VALUES ('메모')";
    ExpectRefused(written("notes.db", notes), StoreError::Foreign);
    ExpectRefused(written("notes-wal.db", "PRAGMA journal_mode = WAL; " + notes), StoreError::Foreign);
    ExpectRefused(written("other.db", "CREATE TABLE TRACKDB (id INTEGER PRIMARY KEY, name TEXT)"), StoreError::Foreign);
    MakeOurVolume("newer.edb");
    ExpectRefused(written("newer.edb", "PRAGMA user_version = 99"), StoreError::TooNew);
    ExpectRefused(m_folder.Write("garbage.edb", std::string(8192, '\xA5')).filename(), StoreError::Damaged);
    fs::create_directory(PathOf("folder.edb"));
    ExpectRefused("folder.edb", StoreError::Foreign);

    // A relative path is refused untouched, even one naming a sound volume of ours, and
    // a new one is not made anywhere.
    MakeOurVolume("relative.edb");
    const std::string ours = FileBytes(PathOf("relative.edb"));
    const fs::path workingFolder = fs::current_path();
    fs::current_path(m_folder.Path());
    for (const char16_t* path : {u"relative.edb", u"./relative.edb", u"fresh.edb", u""}) {
        CShipmentDatabase relative;
        EXPECT_FALSE(relative.MountVolume(path));
        EXPECT_EQ(relative.LastError(), StoreError::Io);
        EXPECT_FALSE(relative.Open(u"TRACKDB"));
    }
    fs::current_path(workingFolder);
    EXPECT_EQ(FileBytes(PathOf("relative.edb")), ours);
    EXPECT_EQ(SideFiles("relative.edb"), std::vector<std::string>{});
    EXPECT_FALSE(fs::exists(PathOf("fresh.edb")));

    // An empty file is an empty database and becomes ours.
    m_folder.Write("empty.edb", "");
    CShipmentDatabase store;
    EXPECT_TRUE(OpenStore(store, "empty.edb") && store.Add(MakeShipment(u"first", kNow, kNow)));
    EXPECT_EQ(store.LastError(), StoreError::None);
}

TEST_F(StoreRefusalTest, ReadOnlyVolumeLeavesNoSideFilesAndOpensOnceWritable) {
    MakeOurVolume("VELDAN.EDB");
    fs::create_directory(PathOf("locked"));
    AsOrdinaryUser([&] {
        ASSERT_EQ(chmod(PathOf("VELDAN.EDB").c_str(), 0444), 0);
        ExpectRefused("VELDAN.EDB", StoreError::ReadOnly);

        ASSERT_EQ(chmod(PathOf("VELDAN.EDB").c_str(), 0644), 0);
        CShipmentDatabase store;
        ASSERT_TRUE(OpenStore(store)) << "once writable again, with nothing to delete by hand";
        EXPECT_EQ(test::Invoices(store), std::vector<std::u16string>{u"kept"});

        // Nothing can be created in a read-only folder, not even the file itself.
        ASSERT_EQ(chmod(PathOf("locked").c_str(), 0555), 0);
        CShipmentDatabase locked;
        EXPECT_FALSE(OpenStore(locked, "locked/VELDAN.EDB"));
        EXPECT_EQ(locked.LastError(), StoreError::ReadOnly);
        EXPECT_TRUE(fs::is_empty(PathOf("locked")));
    });
}

// Side files that an earlier run left read-only beside a database that is writable now.
TEST_F(StoreRefusalTest, ReadOnlySideFilesOfAnEarlierRunDoNotLockTheUserOut) {
    MakeOurVolume("VELDAN.EDB");
    m_folder.Write("VELDAN.EDB-shm", "");
    m_folder.Write("VELDAN.EDB-wal", "");
    AsOrdinaryUser([&] {
        ASSERT_EQ(chmod(PathOf("VELDAN.EDB-shm").c_str(), 0444), 0);
        ASSERT_EQ(chmod(PathOf("VELDAN.EDB-wal").c_str(), 0444), 0);
        CShipmentDatabase store;
        ASSERT_TRUE(OpenStore(store));
        EXPECT_TRUE(store.Add(MakeShipment(u"more", kNow, kNow)));
    });
}

TEST_F(StoreRefusalTest, FailuresSayWhetherARetryCanHelp) {
    CShipmentDatabase store;
    ASSERT_TRUE(OpenStore(store) && store.Add(MakeShipment(u"x", kNow, kNow)));
    EXPECT_EQ(store.LastError(), StoreError::None);

    EXPECT_FALSE(store.Read(12345).has_value() || store.LastError() != StoreError::NotFound);

    // Another program holds the write lock longer than the store waits.
    SQLite::Database other(PathOf("VELDAN.EDB"), SQLite::OPEN_READWRITE);
    SQLite::Transaction lock(other, SQLite::TransactionBehavior::EXCLUSIVE);
    EXPECT_FALSE(store.Add(MakeShipment(u"y", kNow, kNow)));
    EXPECT_EQ(store.LastError(), StoreError::Busy);
    EXPECT_TRUE(IsTransient(store.LastError()));
}

} // namespace
} // namespace parcelo
