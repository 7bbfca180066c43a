#include "store/ShipmentDatabase.h"

#include "store/StoreBackup.h"
#include "store/StoreTestSupport.h"

#include <algorithm>
#include <fcntl.h>
#include <ranges>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>

namespace parcelo {
namespace {

namespace fs = std::filesystem;
using test::FileBytes;
using test::Invoices;
using test::MakeShipment;
using Names = std::vector<std::u16string>;

constexpr Instant kNow = 1'717'200'000;
constexpr Instant kDay = 86400;

// Every field of each shipment, in the order given.
auto Fields(const std::vector<Shipment>& shipments) {
    std::vector<std::tuple<int64_t, int32_t, std::u16string, std::u16string, Instant, Instant, int32_t>> fields;
    for (const Shipment& s : shipments) {
        fields.emplace_back(s.id, s.courierIndex, s.invoiceNumber, s.itemName, s.entryDate, s.orderDate, s.status);
    }
    return fields;
}
auto Fields(const ShipmentTable& table) {
    std::vector<Shipment> shipments;
    for (size_t row = 0; row < table.Size(); ++row) {
        shipments.push_back(table.At(row));
    }
    return Fields(shipments);
}

TrackingEvent Event(Instant time, const std::string& code, const std::string& place = "서울") {
    return {time, code, code == "DELIVERED" ? "배달완료" : "이동중", place, "설명 " + std::to_string(time)};
}
// What a check tells: whether it stored events, was the first, the current event before and after.
auto Told(const CheckRecord& record) {
    return std::tuple(record.stored, record.firstCheck, record.latestBefore, record.latest);
}

class ShipmentDatabaseTest : public test::StoreFolderTest {
protected:
    void SetUp() override { MakeOurVolume("target.edb"); }
    void MakeOurVolume(const std::string& name) {
        CShipmentDatabase store;
        ASSERT_TRUE(OpenStore(store, name) && store.Add(MakeShipment(u"kept", kNow, kNow)));
    }

    bool HasSideFile(const std::string& name) const {
        const auto exists = [&](const char* suffix) { return fs::exists(PathOf(name + suffix)); };
        return exists("-wal") || exists("-shm") || exists("-journal");
    }

    // Opening must fail with `expected`, leaving the file byte for byte and no side file.
    void ExpectRefused(const std::string& name, StoreError expected) {
        const std::string before = FileBytes(PathOf(name));
        CShipmentDatabase store;
        EXPECT_FALSE(OpenStore(store, name) || IsTransient(store.LastError())) << name;
        EXPECT_EQ(store.LastError(), expected) << name;
        EXPECT_FALSE(store.Add(MakeShipment(u"x", kNow, kNow)) || store.Delete(1));
        EXPECT_EQ(store.LastError(), StoreError::NotOpen);
        if (expected != StoreError::ReadOnly) { // a restore from it fails alike; the store stays
            CShipmentDatabase target;
            EXPECT_TRUE(OpenStore(target, "target.edb"));
            EXPECT_EQ(StoreBackup::Check(PathOf(name).string()), expected) << name;
            EXPECT_EQ(StoreBackup::Restore(target, PathOf(name).string()), expected) << name;
            EXPECT_TRUE(Invoices(target) == Names{u"kept"} && !fs::exists(PathOf("target.edb.bak"))) << name;
        }
        EXPECT_TRUE(FileBytes(PathOf(name)) == before) << name << " was changed";
        EXPECT_FALSE(HasSideFile(name)) << "while the store is alive";
    }

    test::ScopedEnv m_zone{"TZ", test::kBerlinRule};
};

// Ids name one shipment and its tracking for good; another connection's write, and only
// that, makes the list out of date; a batch keeps all or nothing; a failure says whether a
// retry can help.
TEST_F(ShipmentDatabaseTest, WritesReachTheirShipmentOnlyAndBatchesKeepAllOrNothing) {
    CShipmentDatabase store;
    CShipmentDatabase theirs;
    ASSERT_TRUE(OpenStore(store) && OpenStore(theirs));
    Shipment a = MakeShipment(u"A", kNow, kNow), b = MakeShipment(u"B", kNow, kNow), c = MakeShipment(u"C", kNow, kNow);
    ASSERT_TRUE(store.Add(a) && store.Add(b) && store.Add(c));
    EXPECT_TRUE(a.id > 0 && a.id < b.id && b.id < c.id);
    EXPECT_FALSE(store.ChangedElsewhere()) << "its own writes are no news";
    Shipment d = MakeShipment(u"D", kNow + kDay, kNow);
    ASSERT_TRUE(theirs.Add(d));
    EXPECT_TRUE(store.ChangedElsewhere());
    ASSERT_EQ(Invoices(store), (Names{u"D", u"C", u"B", u"A"}));
    EXPECT_FALSE(store.ChangedElsewhere());

    // An update reaches every field.
    b.itemName = u"바뀐 물품";
    b.status = Done;
    b.orderDate = kNow - kDay;
    ASSERT_TRUE(store.Update(b));
    EXPECT_EQ(Fields({store.Read(b.id).value_or(Shipment{})}), Fields({b}));

    // The newest, deleted meanwhile by the other: its id is not reused, and writes through
    // it fail instead of reaching another.
    ASSERT_TRUE(theirs.Delete(d.id));
    Shipment e = MakeShipment(u"E", kNow, kNow);
    ASSERT_TRUE(store.Add(e));
    EXPECT_GT(e.id, d.id);
    for (const int64_t missing : {d.id, int64_t{0}, int64_t{-1}}) {
        d.id = missing;
        EXPECT_FALSE(store.Update(d));
        EXPECT_TRUE(store.LastError() == StoreError::NotFound && !IsTransient(store.LastError()));
        EXPECT_FALSE(store.Delete(missing) || store.Read(missing).has_value());
    }
    EXPECT_EQ(Invoices(store), (Names{u"E", u"C", u"B", u"A"}));

    std::vector<Shipment> many(1000, MakeShipment(u"many", kNow, kNow));
    ASSERT_TRUE(store.AddBatch(many));

    // A write that fails undoes the batch's earlier ones; so does a batch that gives up.
    EXPECT_FALSE(store.Batch(
        [&] { return store.Add(MakeShipment(u"undone", kNow, kNow)) && store.Delete(a.id) && store.Update(d); }));
    EXPECT_EQ(store.LastError(), StoreError::NotFound);
    EXPECT_FALSE(store.Batch([&] { return store.Add(MakeShipment(u"undone", kNow, kNow)) && false; }));
    EXPECT_TRUE(Invoices(store).size() == 1004u && store.Read(a.id).has_value()) << "nothing added, nothing deleted";
    // A batch inside a batch joins it.
    EXPECT_TRUE(store.Batch([&] { return store.Batch([&] { return store.Delete(a.id); }); }));
    EXPECT_FALSE(store.Read(a.id).has_value());

    // Tracking: events are stored once and read newest first; the latest event of many
    // shipments and their checks; a deleted shipment takes its events along, and a check
    // that was under way when it went writes nothing.
    const std::vector<int64_t> ids{b.id, c.id, e.id};
    ShipmentTracking& tracking = store.Tracking();
    EXPECT_FALSE(tracking.LastCheck(ids[0]).has_value());
    CheckRecord record;
    const TrackingEvent untimed{std::nullopt, "AT_PICKUP", "집화", "서울", ""};
    const std::vector<TrackingEvent> first{untimed, Event(100, "AT_PICKUP"), Event(200, "IN_TRANSIT")};
    using Latest = std::optional<TrackingEvent>;
    ASSERT_TRUE(tracking.AddEvents(ids[0], first, first[2], 1000, record));
    EXPECT_EQ(Told(record), std::tuple(true, true, Latest(), Latest(first[2])));
    // The same events again (the untimed one too), and one more with a second of the same
    // time; the current event is what the check names, and stays when it names none, even
    // an older one.
    const std::vector<TrackingEvent> second{untimed, first[1], first[2], Event(200, "IN_TRANSIT", "대전")};
    ASSERT_TRUE(tracking.AddEvents(ids[0], first, std::nullopt, 2000, record));
    EXPECT_EQ(Told(record), std::tuple(false, false, Latest(first[2]), Latest(first[2])));
    ASSERT_TRUE(tracking.AddEvents(ids[0], second, first[1], 3000, record));
    EXPECT_EQ(Told(record), std::tuple(true, false, Latest(first[2]), Latest(first[1])));
    EXPECT_EQ(tracking.LastCheck(ids[0]), 3000);
    // Of two at the same time the one stored later is newer; one without a time is before all.
    std::vector<TrackingEvent> events;
    ASSERT_TRUE(tracking.Events(ids[0], events));
    EXPECT_EQ(events, (std::vector{second[3], first[2], first[1], untimed}));

    ASSERT_TRUE(tracking.AddEvents(ids[2], std::vector{Event(50, "IN_TRANSIT")}, Event(50, "IN_TRANSIT"), 20, record));
    ASSERT_TRUE(tracking.AddEvents(ids[1], std::vector<TrackingEvent>{}, std::nullopt, 30, record));
    std::map<int64_t, TrackingEvent> latest;
    ASSERT_TRUE(tracking.LatestEvents(ids, latest));
    EXPECT_EQ(latest, (std::map<int64_t, TrackingEvent>{{ids[0], first[1]}, {ids[2], Event(50, "IN_TRANSIT")}}));
    EXPECT_TRUE(tracking.LatestEvents({}, latest) && latest.empty());
    std::map<int64_t, Instant> checks;
    ASSERT_TRUE(tracking.LastChecks(checks));
    EXPECT_EQ(checks, (std::map<int64_t, Instant>{{ids[0], 3000}, {ids[1], 30}, {ids[2], 20}}));
    ASSERT_TRUE(store.Delete(ids[0]) && store.Delete(ids[1]) && store.Delete(ids[2]));
    EXPECT_FALSE(tracking.AddEvents(ids[0], std::vector{Event(400, "DELIVERED")}, std::nullopt, 40, record));
    EXPECT_EQ(store.LastError(), StoreError::NotFound);
    EXPECT_EQ(test::Column(PathOf("VELDAN.EDB"), "SELECT (SELECT count(*) FROM TRACKDB_events) + "
                                                 "(SELECT count(*) FROM TRACKDB_checks)"),
              std::vector<std::string>{"0"});

    // A full disk (a file-size limit): exactly the acknowledged shipments remain, the file
    // intact; another connection sees each of them, so none waits in this one for a commit.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit unlimited = limit;
    limit.rlim_cur =
        std::max(fs::file_size(PathOf("VELDAN.EDB")), fs::file_size(PathOf("VELDAN.EDB-wal"))) + 256 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    uint32_t acknowledged = 0;
    while (acknowledged < 10000 &&
           store.Add(MakeShipment(std::u16string(3000, u'x') + test::Numbered("0-", acknowledged), kNow, kNow))) {
        ++acknowledged;
    }
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &unlimited), 0);
    EXPECT_TRUE(store.LastError() == StoreError::Full && IsTransient(store.LastError()));
    EXPECT_TRUE(acknowledged > 0 && acknowledged < 10000) << acknowledged;
    EXPECT_EQ(Invoices(theirs).size(), 1000 + acknowledged);
    EXPECT_EQ(test::Column(PathOf("VELDAN.EDB"), "PRAGMA integrity_check"), std::vector<std::string>{"ok"});

    // Another program holds the write lock longer than the store waits.
    SQLite::Database other(PathOf("VELDAN.EDB"), SQLite::OPEN_READWRITE);
    SQLite::Transaction lock(other, SQLite::TransactionBehavior::EXCLUSIVE);
    EXPECT_FALSE(store.Add(MakeShipment(u"y", kNow, kNow)));
    EXPECT_TRUE(store.LastError() == StoreError::Busy && IsTransient(store.LastError()));
}

// Queries give what filtering, matching and sorting what was added gives, in a vector and
// in the compact table a list reads, whole or the top of it with the length of the whole.
// Odd text and values come back as they were, past a column the store does not know.
TEST_F(ShipmentDatabaseTest, QueriesGiveWhatAPlainFilterMatchAndSortOfTheAddedShipmentsGives) {
    std::vector<Shipment> added{{0, u"6012-3456-7890", u"iPhone 케이스", kNow - 3 * kDay},
                                {0, u"c", u"USB-C 케이블", kNow - 2 * kDay}};
    std::mt19937 random(5);
    for (uint32_t i = 0; i < 60; ++i) { // dates of a few days only: many are equal
        added.push_back(MakeShipment(test::Numbered(i % 2 ? "b-" : "B ", i), kNow - random() % 4 * kDay,
                                     kNow - random() % 5 * kDay, static_cast<int>(random() % 3)));
        added.back().courierIndex = static_cast<int32_t>(i % 5);
    }
    Shipment odd{-1, {u'\xFFFE', u'a', u'b'}, {}, kNow + 17, kNow - 3 * kDay + 5, 0x1FFFF};
    odd.itemName = {u'\xFEFF', u'\xD800', u'x', u'\0', u'\xDC00', u'한', u'\xD83D', u'\xDE00'};
    {
        CShipmentDatabase store;
        ASSERT_TRUE(OpenStore(store) && store.AddBatch(added) && store.Add(odd));
    }
    SQLite::Database(PathOf("VELDAN.EDB"), SQLite::OPEN_READWRITE)
        .exec("ALTER TABLE TRACKDB ADD COLUMN extra TEXT DEFAULT 'ignored'");
    odd.courierIndex = odd.status = 0xFFFF; // the store keeps 16 bits of them
    added.push_back(odd);
    CShipmentDatabase store;
    ASSERT_TRUE(OpenStore(store));
    ShipmentTable table; // each query replaces what the one before gave
    // The item name holds the text, Latin case aside; or the invoice number does once blanks
    // and hyphens are dropped from both, when the text is more than those.
    const auto fold = [](std::u16string text, bool number) {
        std::erase_if(text,
                      [&](char16_t c) { return number && (c == u' ' || c == u'-' || c == u'\t' || c == u'\u3000'); });
        std::ranges::transform(text, text.begin(),
                               [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; });
        return text;
    };
    const auto holds = [&](const std::u16string& in, const std::u16string& text, bool number) {
        return fold(in, number).find(fold(text, number)) != std::u16string::npos;
    };
    for (const std::u16string text : {u"", u"IPHONE", u"3456 78", u"물품 B 1", u"b-c", u"-", u"B-1", u"\uFFFEA"}) {
        for (const ShipmentSortKey key : {ShipmentSortKey::EntryDate, ShipmentSortKey::OrderDate}) {
            for (const bool newestFirst : {true, false}) {
                for (const int filter : {FILTER_ALL, int{InDelivery}, int{Cancelled}, 0x10001}) {
                    SCOPED_TRACE(testing::PrintToString(std::tuple(static_cast<int>(key), newestFirst, filter, text)));
                    std::vector<Shipment> expected;
                    std::copy_if(added.begin(), added.end(), std::back_inserter(expected), [&](const Shipment& s) {
                        return (filter == FILTER_ALL || s.status == filter) &&
                               (holds(s.itemName, text, false) ||
                                (!fold(text, true).empty() && holds(s.invoiceNumber, text, true)));
                    });
                    std::ranges::sort(expected, {}, [&](const Shipment& s) {
                        const Instant date = key == ShipmentSortKey::EntryDate ? s.entryDate : s.orderDate;
                        return newestFirst ? std::pair(-date, -s.id) : std::pair(date, s.id);
                    });
                    const ShipmentQuery query{filter, key, newestFirst, text};
                    std::vector<Shipment> shipments{MakeShipment(u"replaced", 0, 0)};
                    ASSERT_TRUE(store.Query(query, shipments) && store.Query(query, table));
                    EXPECT_EQ(Fields(shipments), Fields(expected));
                    EXPECT_EQ(Fields(table), Fields(expected));

                    size_t selected = 99, inTable = 99;
                    ASSERT_TRUE(store.QueryFirst(query, 5, shipments, selected) &&
                                store.QueryFirst(query, 5, table, inTable));
                    EXPECT_EQ(std::make_pair(selected, inTable), std::make_pair(expected.size(), expected.size()));
                    expected.resize(std::min<size_t>(expected.size(), 5));
                    EXPECT_EQ(Fields(shipments), Fields(expected));
                    EXPECT_EQ(Fields(table), Fields(expected));
                }
            }
        }
    }
}

// Another program's database, in either journal mode, with its own tables; a table of our
// name that lacks our columns; ours, but written by a newer program; ours, damaged: each
// is left byte for byte. A read-only volume is refused without side files and opens once
// writable; nothing is made in a read-only folder; side files an earlier run left
// read-only lock nobody out. As root every file is writable: the checks run as an
// ordinary user, who is handed the folder first, in a child whose failure fails the test.
TEST_F(ShipmentDatabaseTest, FilesThatAreNotOursDamagedOrReadOnlyAreLeftByteForByte) {
    MakeOurVolume("VELDAN.EDB");
    MakeOurVolume("stale.edb");
    m_folder.Write("stale.edb-shm", "");
    m_folder.Write("stale.edb-wal", "");
    fs::create_directory(PathOf("locked"));
    const auto body = [&] {
        const auto made = [&](const std::string& name, const std::string& sql) {
            SQLite::Database(PathOf(name), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE).exec(sql);
            return name;
        };
        const std::string notes = "CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT); CREATE INDEX notes_body ON "
                                  "notes (body); INSERT INTO notes (body) VALUES ('메모')";
        ExpectRefused(made("notes.db", notes), StoreError::Foreign);
        ExpectRefused(made("notes-wal.db", "PRAGMA journal_mode = WAL; " + notes), StoreError::Foreign);
        ExpectRefused(made("odd.db", "CREATE TABLE TRACKDB (id INTEGER PRIMARY KEY, name TEXT)"), StoreError::Foreign);
        MakeOurVolume("newer.edb");
        // A relative path is refused untouched, even one naming a sound volume of ours, and
        // a new one is not made anywhere.
        const std::string newer = FileBytes(PathOf("newer.edb"));
        // Back by descriptor: the ordinary user may not be let through the folders above it.
        const int workingFolder = open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(workingFolder, 0);
        fs::current_path(m_folder.Path());
        for (const char16_t* path : {u"newer.edb", u"./newer.edb", u"fresh.edb", u""}) {
            CShipmentDatabase relative;
            EXPECT_FALSE(relative.MountVolume(path) || relative.LastError() != StoreError::Io ||
                         relative.Open(u"TRACKDB"));
        }
        const int back = fchdir(workingFolder);
        close(workingFolder);
        ASSERT_EQ(back, 0);
        EXPECT_EQ(FileBytes(PathOf("newer.edb")), newer);
        EXPECT_FALSE(HasSideFile("newer.edb") || fs::exists(PathOf("fresh.edb")));
        ExpectRefused(made("newer.edb", "PRAGMA user_version = 99"), StoreError::TooNew);
        ExpectRefused(m_folder.Write("garbage.edb", std::string(8192, '\xA5')).filename(), StoreError::Damaged);
        fs::create_directory(PathOf("folder.edb"));
        ExpectRefused("folder.edb", StoreError::Foreign);
        ASSERT_EQ(chmod(PathOf("VELDAN.EDB").c_str(), 0444), 0);
        ExpectRefused("VELDAN.EDB", StoreError::ReadOnly);
        ASSERT_EQ(chmod(PathOf("VELDAN.EDB").c_str(), 0644), 0);
        {
            CShipmentDatabase store;
            ASSERT_TRUE(OpenStore(store)) << "once writable again, with nothing to delete by hand";
            EXPECT_EQ(Invoices(store), Names{u"kept"});
            std::vector<Shipment> large(150, MakeShipment(std::u16string(400, u'x'), kNow, kNow));
            ASSERT_TRUE(store.AddBatch(large));
        }
        const std::string sound = FileBytes(PathOf("VELDAN.EDB"));
        ExpectRefused(m_folder.Write("cut.edb", sound.substr(0, sound.size() / 2)).filename(), StoreError::Damaged);
        m_folder.Write("scrambled.edb", sound.substr(0, 8192) + std::string(4096, '\xA5') + sound.substr(12288));
        ExpectRefused("scrambled.edb", StoreError::Damaged);

        // With the page check left for later, a store whose header and schema are sound opens
        // and reads; the check then refuses it before anything is written, as a mount would.
        // A store opened on another thread and moved keeps the check it owes.
        const std::string scrambled = FileBytes(PathOf("scrambled.edb"));
        const auto mountLater = [&](CShipmentDatabase& store, const char* name) {
            std::thread([&] {
                EXPECT_TRUE(store.MountVolume(m_folder.File(name), CPropertyDatabase::Check::BeforeFirstWrite) &&
                            store.Open(u"TRACKDB"));
            }).join();
        };
        for (const int first : {0, 1, 2}) { // the check, a write, a write after a move
            CShipmentDatabase opened;
            mountLater(opened, "scrambled.edb");
            CShipmentDatabase moved;
            if (first == 2) {
                moved = std::move(opened);
                EXPECT_FALSE(opened.IsOpen() || opened.Add(MakeShipment(u"A", kNow, kNow)));
            }
            CShipmentDatabase& store = first == 2 ? moved : opened;
            EXPECT_FALSE(first == 0 ? store.CheckVolume() : store.Add(MakeShipment(u"A", kNow, kNow))) << first;
            EXPECT_EQ(store.LastError(), StoreError::Damaged);
            EXPECT_FALSE(store.IsOpen() || store.Delete(1));
            EXPECT_EQ(FileBytes(PathOf("scrambled.edb")), scrambled);
            EXPECT_FALSE(HasSideFile("scrambled.edb"));
        }
        CShipmentDatabase ours;
        mountLater(ours, "VELDAN.EDB");
        CShipmentDatabase moved = std::move(ours);
        EXPECT_TRUE(moved.Add(MakeShipment(u"A", kNow, kNow)) && moved.CheckVolume());
        EXPECT_EQ(Invoices(moved).size(), 152u);
        // The tracking part goes on working on the store it belongs to.
        std::map<int64_t, Instant> checks;
        EXPECT_TRUE(moved.Tracking().LastChecks(checks));
        EXPECT_FALSE(ours.Tracking().LastChecks(checks));
        EXPECT_EQ(ours.LastError(), StoreError::NotOpen);

        // An empty file is an empty database and becomes ours.
        m_folder.Write("empty.edb", "");
        CShipmentDatabase empty;
        EXPECT_TRUE(OpenStore(empty, "empty.edb") && empty.Add(MakeShipment(u"first", kNow, kNow)) &&
                    empty.LastError() == StoreError::None);

        ASSERT_EQ(chmod(PathOf("locked").c_str(), 0555), 0);
        CShipmentDatabase locked;
        EXPECT_FALSE(OpenStore(locked, "locked/VELDAN.EDB") || !fs::is_empty(PathOf("locked")));
        EXPECT_EQ(locked.LastError(), StoreError::ReadOnly);

        ASSERT_EQ(chmod(PathOf("stale.edb-shm").c_str(), 0444) | chmod(PathOf("stale.edb-wal").c_str(), 0444), 0);
        CShipmentDatabase stale;
        EXPECT_TRUE(OpenStore(stale, "stale.edb") && stale.Add(MakeShipment(u"more", kNow, kNow)));
    };
    if (geteuid() != 0) {
        body();
        return;
    }
    constexpr uid_t kNobody = 65534;
    for (const auto& entry : fs::recursive_directory_iterator(m_folder.Path())) {
        ASSERT_EQ(lchown(entry.path().c_str(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(chown(m_folder.Path().c_str(), kNobody, kNobody), 0);
    const pid_t child = test::ForkChild(
        [&] { return setgid(kNobody) == 0 && setuid(kNobody) == 0 && (body(), !::testing::Test::HasFailure()); });
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "see the child's failures above";
}

} // namespace
} // namespace parcelo
