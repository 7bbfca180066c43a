#include "store/ShipmentDatabase.h"

#include "store/StoreTestSupport.h"

#include <algorithm>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>

namespace parcelo {
namespace {

using test::Invoices;
using test::MakeShipment;
using Names = std::vector<std::u16string>;

constexpr Instant kNow = 1'717'200'000;
constexpr Instant kDay = 86400;

std::u16string Numbered(int round, uint32_t i) {
    return test::Numbered(std::to_string(round) + "-", i);
}

// Every field of each shipment, in the order given.
auto Fields(const std::vector<Shipment>& shipments) {
    std::vector<std::tuple<int64_t, int32_t, std::u16string, std::u16string, Instant, Instant, int32_t>> fields;
    for (const Shipment& s : shipments) {
        fields.emplace_back(s.id, s.courierIndex, s.invoiceNumber, s.itemName, s.entryDate, s.orderDate, s.status);
    }
    return fields;
}

class ShipmentDatabaseTest : public test::StoreFolderTest {
protected:
    SQLite::Database Raw() { return {PathOf("VELDAN.EDB"), SQLite::OPEN_READWRITE}; }
    std::string IntegrityCheck() { return Raw().execAndGet("PRAGMA integrity_check").getString(); }

    test::ScopedEnv m_zone{"TZ", test::kBerlinRule};
};

// Odd text and values come back as they were, past a column the store does not know.
TEST_F(ShipmentDatabaseTest, KeepsRecordsExactly) {
    Shipment odd = MakeShipment(u"", kNow + 17, kNow - 3 * kDay + 5, 0x1FFFF);
    odd.courierIndex = -1;
    odd.invoiceNumber = std::u16string{u'\xFFFE', u'a', u'b'};
    odd.itemName = std::u16string{u'\xFEFF', u'\xD800', u'x', u'\0', u'\xDC00', u'한', u'\xD83D', u'\xDE00'};
    {
        CShipmentDatabase store;
        ASSERT_TRUE(OpenStore(store) && store.Add(odd));
    }
    Raw().exec("ALTER TABLE TRACKDB ADD COLUMN extra TEXT DEFAULT 'ignored'");
    CShipmentDatabase reopened;
    ASSERT_TRUE(OpenStore(reopened));
    std::vector<Shipment> all{MakeShipment(u"replaced", 0, 0)};
    ASSERT_TRUE(reopened.Query({}, all));
    odd.courierIndex = odd.status = 0xFFFF; // the store keeps 16 bits of them
    EXPECT_EQ(Fields(all), Fields({odd}));
}

// Another connection's write, and only that, makes the list out of date.
TEST_F(ShipmentDatabaseTest, ChangesElsewhereAreNoticed) {
    CShipmentDatabase mine;
    CShipmentDatabase theirs;
    ASSERT_TRUE(OpenStore(mine) && OpenStore(theirs));
    Shipment shipment = MakeShipment(u"A", kNow - kDay, kNow);
    ASSERT_TRUE(mine.Add(shipment));
    ASSERT_EQ(Invoices(mine), Names{u"A"});
    EXPECT_FALSE(mine.ChangedElsewhere()) << "its own writes are no news";
    ASSERT_TRUE(theirs.Add(MakeShipment(u"B", kNow, kNow)));
    EXPECT_TRUE(mine.ChangedElsewhere());
    ASSERT_EQ(Invoices(mine), (Names{u"B", u"A"}));
    EXPECT_FALSE(mine.ChangedElsewhere());

    // Gone meanwhile: nothing is touched in its place.
    ASSERT_TRUE(theirs.Delete(shipment.id));
    shipment.invoiceNumber = u"A2";
    EXPECT_FALSE(mine.Update(shipment) || mine.Delete(shipment.id));
    EXPECT_EQ(mine.LastError(), StoreError::NotFound);
    EXPECT_FALSE(IsTransient(mine.LastError()));
    EXPECT_EQ(Invoices(mine), Names{u"B"});
}

TEST_F(ShipmentDatabaseTest, IdsNameOneShipmentForGood) {
    CShipmentDatabase store;
    ASSERT_TRUE(OpenStore(store));
    Shipment a = MakeShipment(u"A", kNow, kNow);
    Shipment b = MakeShipment(u"B", kNow, kNow);
    Shipment c = MakeShipment(u"C", kNow, kNow);
    ASSERT_TRUE(store.Add(a) && store.Add(b) && store.Add(c));
    EXPECT_TRUE(a.id > 0 && a.id < b.id && b.id < c.id);

    // An update moves its record in the order-date order.
    const ShipmentQuery byOrderDate{FILTER_ALL, ShipmentSortKey::OrderDate, true, {}};
    b.itemName = u"바뀐 물품";
    b.status = Done;
    b.orderDate = kNow - kDay;
    ASSERT_TRUE(store.Update(b));
    EXPECT_EQ(Invoices(store, byOrderDate), (Names{u"C", u"A", u"B"}));
    EXPECT_EQ(Fields({store.Read(b.id).value_or(Shipment{})}), Fields({b}));

    // A deleted newest id is not reused: writes through it fail instead of reaching another.
    ASSERT_TRUE(store.Delete(c.id));
    Shipment d = MakeShipment(u"D", kNow, kNow);
    ASSERT_TRUE(store.Add(d));
    EXPECT_GT(d.id, c.id);
    const Names before = Invoices(store);
    c.invoiceNumber = u"C2";
    for (const int64_t missing : {c.id, int64_t{0}, int64_t{-1}}) {
        c.id = missing;
        EXPECT_FALSE(store.Update(c));
        EXPECT_EQ(store.LastError(), StoreError::NotFound);
        EXPECT_FALSE(store.Delete(missing) || store.Read(missing).has_value());
    }
    EXPECT_EQ(Invoices(store), before);
}

// Queries give what filtering and sorting what was added gives, in a vector and in the
// compact table a list reads, whole or the top of it with the length of the whole.
TEST_F(ShipmentDatabaseTest, QueriesFilterAndSortAsAPlainSortDoes) {
    CShipmentDatabase store;
    ASSERT_TRUE(OpenStore(store));
    std::mt19937 random(5);
    std::vector<Shipment> added;
    for (uint32_t i = 0; i < 60; ++i) { // dates of a few days only: many are equal
        added.push_back(MakeShipment(Numbered(0, i), kNow - random() % 4 * kDay, kNow - random() % 5 * kDay,
                                     static_cast<int>(random() % 3)));
        added.back().courierIndex = static_cast<int32_t>(i % 5);
    }
    ASSERT_TRUE(store.AddBatch(added));
    const auto fromTable = [](const ShipmentTable& table) {
        std::vector<Shipment> shipments;
        for (size_t i = 0; i < table.Size(); ++i) {
            shipments.push_back(table.At(i));
        }
        return shipments;
    };
    for (const ShipmentSortKey key : {ShipmentSortKey::EntryDate, ShipmentSortKey::OrderDate}) {
        for (const bool newestFirst : {true, false}) {
            for (const int filter : {FILTER_ALL, int{InDelivery}, int{Cancelled}, 0x10001}) {
                SCOPED_TRACE(testing::Message() << static_cast<int>(key) << newestFirst << " filter " << filter);
                std::vector<Shipment> expected;
                std::copy_if(added.begin(), added.end(), std::back_inserter(expected),
                             [&](const Shipment& s) { return filter == FILTER_ALL || s.status == filter; });
                std::sort(expected.begin(), expected.end(), [&](const Shipment& a, const Shipment& b) {
                    const auto date = [&](const Shipment& s) {
                        return key == ShipmentSortKey::EntryDate ? s.entryDate : s.orderDate;
                    };
                    return std::make_pair(date(a), a.id) < std::make_pair(date(b), b.id);
                });
                if (newestFirst) {
                    std::reverse(expected.begin(), expected.end());
                }
                const ShipmentQuery query{filter, key, newestFirst, {}};
                std::vector<Shipment> shipments{MakeShipment(u"replaced", 0, 0)};
                ShipmentTable table;
                table.Append(MakeShipment(u"replaced", 0, 0));
                ASSERT_TRUE(store.Query(query, shipments) && store.Query(query, table));
                EXPECT_EQ(Fields(shipments), Fields(expected));
                EXPECT_EQ(Fields(fromTable(table)), Fields(expected));

                size_t selected = 99;
                size_t inTable = 99;
                ASSERT_TRUE(store.QueryFirst(query, 5, shipments, selected) &&
                            store.QueryFirst(query, 5, table, inTable));
                EXPECT_EQ(std::make_pair(selected, inTable), std::make_pair(expected.size(), expected.size()));
                expected.resize(std::min<size_t>(expected.size(), 5));
                EXPECT_EQ(Fields(shipments), Fields(expected));
                EXPECT_EQ(Fields(fromTable(table)), Fields(expected));
            }
        }
    }
}

TEST_F(ShipmentDatabaseTest, TextMatchesTheItemNameOrTheInvoiceNumberWithoutItsBlanks) {
    CShipmentDatabase store;
    ASSERT_TRUE(OpenStore(store));
    std::vector<Shipment> added = {MakeShipment(u"6012-3456-7890", kNow - 3 * kDay, kNow),
                                   MakeShipment(u"b", kNow - 2 * kDay, kNow), MakeShipment(u"c", kNow - 2 * kDay, kNow),
                                   MakeShipment(u"d", kNow - kDay, kNow)};
    added[0].itemName = u"iPhone 케이스";
    added[2].itemName = u"USB-C 케이블";
    ASSERT_TRUE(store.AddBatch(added));
    const std::u16string a = added[0].invoiceNumber;
    const auto matching = [&](const std::u16string& text) { return Invoices(store, {FILTER_ALL, {}, false, text}); };
    EXPECT_EQ(matching(u"IPHONE"), Names{a});
    EXPECT_EQ(matching(u"3456 78"), Names{a}) << "blanks and hyphens do not count in the invoice number";
    EXPECT_EQ(matching(u"물품 B"), Names{u"b"});
    EXPECT_EQ(matching(u"b-c"), Names{u"c"}) << "in the item name they do";
    EXPECT_EQ(matching(u"-"), Names{u"c"}) << "a hyphen alone is no invoice number to look for";
    EXPECT_EQ(matching(u""), (Names{a, u"b", u"c", u"d"}));
    std::vector<Shipment> top;
    size_t selected = 0;
    ASSERT_TRUE(store.QueryFirst({FILTER_ALL, {}, true, u"물품"}, 1, top, selected));
    EXPECT_EQ(top.at(0).invoiceNumber, u"d");
    EXPECT_EQ(selected, 2u) << "counted after matching the text";
}

TEST_F(ShipmentDatabaseTest, BatchesKeepAllOrNothing) {
    CShipmentDatabase store;
    ASSERT_TRUE(OpenStore(store));
    Shipment kept = MakeShipment(u"kept", kNow, kNow);
    ASSERT_TRUE(store.Add(kept));

    std::vector<Shipment> many;
    for (uint32_t i = 0; i < 1000; ++i) {
        many.push_back(MakeShipment(Numbered(1, i), kNow + i, kNow));
    }
    ASSERT_TRUE(store.AddBatch(many));
    EXPECT_TRUE(std::all_of(many.begin(), many.end(), [](const Shipment& s) { return s.id > 0; }));
    EXPECT_EQ(Invoices(store).size(), 1001u);

    // A write that fails undoes the batch's earlier ones.
    Shipment gone = MakeShipment(u"gone", kNow, kNow);
    gone.id = 999'999;
    EXPECT_FALSE(store.Batch(
        [&] { return store.Add(MakeShipment(u"undone", kNow, kNow)) && store.Delete(kept.id) && store.Update(gone); }));
    EXPECT_EQ(store.LastError(), StoreError::NotFound);
    // So does a batch that gives up.
    EXPECT_FALSE(store.Batch([&] { return store.Add(MakeShipment(u"undone", kNow, kNow)) && false; }));
    const Names all = Invoices(store);
    EXPECT_EQ(all.size(), 1001u);
    EXPECT_EQ(std::count(all.begin(), all.end(), u"undone"), 0);
    EXPECT_TRUE(store.Read(kept.id).has_value());

    // A batch inside a batch joins it.
    EXPECT_TRUE(store.Batch([&] { return store.Batch([&] { return store.Delete(kept.id); }); }));
    EXPECT_FALSE(store.Read(kept.id).has_value());
}

TEST_F(ShipmentDatabaseTest, DamagedVolumesAreRefusedAndLeftAlone) {
    {
        CShipmentDatabase store;
        ASSERT_TRUE(OpenStore(store));
        for (int i = 0; i < 150; ++i) {
            ASSERT_TRUE(store.Add(MakeShipment(std::u16string(400, u'x'), kNow + i, kNow)));
        }
    }
    const std::string sound = test::FileBytes(PathOf("VELDAN.EDB"));
    m_folder.Write("truncated.edb", sound.substr(0, sound.size() / 2));
    m_folder.Write("scrambled.edb", sound.substr(0, 8192) + std::string(4096, '\xA5') + sound.substr(12288));
    const std::string scrambled = test::FileBytes(PathOf("scrambled.edb"));
    for (const char* name : {"truncated.edb", "scrambled.edb"}) { // files that are not ours: StoreRefusalTest
        const std::string before = test::FileBytes(PathOf(name));
        CShipmentDatabase store;
        EXPECT_FALSE(OpenStore(store, name) || store.Add(MakeShipment(u"A", kNow, kNow)) || store.Delete(1)) << name;
        EXPECT_EQ(test::FileBytes(PathOf(name)), before) << name;
    }

    // With the page check left for later, a store whose header and schema are sound opens
    // and reads; the check then refuses it before anything is written, as a mount would.
    // A store opened on another thread and moved keeps the check it owes.
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
        EXPECT_EQ(test::FileBytes(PathOf("scrambled.edb")), scrambled);
        EXPECT_FALSE(std::filesystem::exists(PathOf("scrambled.edb-wal")) ||
                     std::filesystem::exists(PathOf("scrambled.edb-shm")));
    }
    CShipmentDatabase ours;
    mountLater(ours, "VELDAN.EDB");
    CShipmentDatabase moved = std::move(ours);
    EXPECT_TRUE(moved.Add(MakeShipment(u"A", kNow, kNow)) && moved.CheckVolume());
    EXPECT_EQ(Invoices(moved).size(), 151u);
    // The tracking part goes on working on the store it belongs to.
    std::map<int64_t, Instant> checks;
    EXPECT_TRUE(moved.Tracking().LastChecks(checks));
    EXPECT_FALSE(ours.Tracking().LastChecks(checks));
    EXPECT_EQ(ours.LastError(), StoreError::NotOpen);
}

// A full disk (a file-size limit): exactly the acknowledged shipments remain, the file intact.
TEST_F(ShipmentDatabaseTest, FullDiskFailsCleanly) {
    CShipmentDatabase store;
    ASSERT_TRUE(OpenStore(store));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit unlimited = limit;
    limit.rlim_cur = rlim_t{256} * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    uint32_t acknowledged = 0;
    while (acknowledged < 10000 &&
           store.Add(MakeShipment(std::u16string(3000, u'x') + Numbered(0, acknowledged), kNow, kNow))) {
        ++acknowledged;
    }
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &unlimited), 0);
    EXPECT_EQ(store.LastError(), StoreError::Full);
    EXPECT_TRUE(IsTransient(store.LastError()));
    EXPECT_TRUE(acknowledged > 0 && acknowledged < 10000) << acknowledged;
    CShipmentDatabase reopened;
    ASSERT_TRUE(OpenStore(reopened));
    EXPECT_EQ(Invoices(reopened).size(), acknowledged);
    EXPECT_EQ(IntegrityCheck(), "ok");
}

// A child adds and reports each acknowledged Add; killed at random, again: every one must remain.
TEST_F(ShipmentDatabaseTest, AcknowledgedAddsSurviveKills) {
    std::mt19937 random(42);
    std::set<std::u16string> acknowledged;
    for (int round = 0; round < 25; ++round) {
        int acks[2];
        ASSERT_EQ(pipe(acks), 0);
        const pid_t child = test::ForkChild([&] {
            CShipmentDatabase store;
            bool going = OpenStore(store);
            for (uint32_t i = 0; going && i < 100000; ++i) {
                going = !store.Add(MakeShipment(Numbered(round, i), kNow + i, kNow)) ||
                        write(acks[1], &i, sizeof i) == sizeof i;
            }
            return going;
        });
        close(acks[1]);
        uint32_t n = 0;
        for (bool first = true; read(acks[0], &n, sizeof n) == sizeof n; first = false) {
            acknowledged.insert(Numbered(round, n));
            if (first) { // the kill comes only once the child is adding
                usleep(std::uniform_int_distribution<useconds_t>(0, 40'000)(random));
                kill(child, SIGKILL);
            }
        }
        close(acks[0]);
        waitpid(child, nullptr, 0);
    }
    CShipmentDatabase store;
    ASSERT_TRUE(OpenStore(store));
    const Names all = Invoices(store);
    const std::set<std::u16string> present(all.begin(), all.end());
    EXPECT_FALSE(acknowledged.empty());
    EXPECT_TRUE(std::includes(present.begin(), present.end(), acknowledged.begin(), acknowledged.end()));
    EXPECT_EQ(IntegrityCheck(), "ok");
}

TrackingEvent Event(Instant time, const std::string& code, const std::string& place = "서울") {
    return {time, code, code == "DELIVERED" ? "배달완료" : "이동중", place, "설명 " + std::to_string(time)};
}

class TrackingStoreTest : public test::StoreFolderTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenStore(m_store));
        for (int i = 0; i < 3; ++i) {
            Shipment shipment = test::MakeShipment(u"60123456789" + std::u16string(1, u'0' + i), 0, 0);
            ASSERT_TRUE(m_store.Add(shipment));
            m_ids.push_back(shipment.id);
        }
    }

    CShipmentDatabase m_store;
    std::vector<int64_t> m_ids;
};

TEST_F(TrackingStoreTest, StoresEventsOnceAndReadsThemNewestFirst) {
    const int64_t id = m_ids[0];
    EXPECT_FALSE(m_store.Tracking().LastCheck(id).has_value());
    CheckRecord record;
    const TrackingEvent untimed{std::nullopt, "AT_PICKUP", "집화", "서울", ""};
    const std::vector<TrackingEvent> first{untimed, Event(100, "AT_PICKUP"), Event(200, "IN_TRANSIT")};
    ASSERT_TRUE(m_store.Tracking().AddEvents(id, first, first[2], 1000, record));
    EXPECT_TRUE(record.stored && record.firstCheck);
    EXPECT_FALSE(record.latestBefore.has_value());
    EXPECT_EQ(record.latest, first[2]);

    // The same events again (the untimed one too), and one more with a second of the same
    // time; the current event is what the check names, and stays when it names none.
    std::vector<TrackingEvent> second = first;
    second.push_back(Event(200, "IN_TRANSIT", "대전"));
    ASSERT_TRUE(m_store.Tracking().AddEvents(id, first, std::nullopt, 2000, record));
    EXPECT_FALSE(record.stored || record.firstCheck);
    EXPECT_EQ(record.latest, first[2]);
    EXPECT_EQ(record.latest, record.latestBefore);
    ASSERT_TRUE(m_store.Tracking().AddEvents(id, second, first[1], 3000, record));
    EXPECT_TRUE(record.stored);
    EXPECT_EQ(record.latest, first[1]) << "an older event the service names current";
    EXPECT_EQ(m_store.Tracking().LastCheck(id), 3000);

    std::vector<TrackingEvent> events;
    ASSERT_TRUE(m_store.Tracking().Events(id, events));
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].location, "대전") << "of two at the same time, the one stored later is newer";
    EXPECT_EQ(events[2], first[1]);
    EXPECT_EQ(events[3], untimed) << "no time: before all";
}

// The latest event of many shipments and their checks; a deleted shipment takes its
// events along, and a check that was under way when it went writes nothing.
TEST_F(TrackingStoreTest, LatestEventsOfManyLastChecksAndDeletedShipments) {
    CheckRecord record;
    ASSERT_TRUE(m_store.Tracking().AddEvents(m_ids[0], std::vector{Event(300, "DELIVERED"), Event(100, "AT_PICKUP")},
                                             Event(300, "DELIVERED"), 10, record));
    ASSERT_TRUE(m_store.Tracking().AddEvents(m_ids[2], std::vector{Event(50, "IN_TRANSIT")}, Event(50, "IN_TRANSIT"),
                                             20, record));
    ASSERT_TRUE(m_store.Tracking().AddEvents(m_ids[1], std::vector<TrackingEvent>{}, std::nullopt, 30, record));
    std::map<int64_t, TrackingEvent> latest;
    ASSERT_TRUE(m_store.Tracking().LatestEvents(m_ids, latest));
    ASSERT_EQ(latest.size(), 2u);
    EXPECT_EQ(latest[m_ids[0]].statusCode, "DELIVERED");
    EXPECT_EQ(latest[m_ids[2]].time, 50);
    ASSERT_TRUE(m_store.Tracking().LatestEvents({}, latest));
    EXPECT_TRUE(latest.empty());
    std::map<int64_t, Instant> checks;
    ASSERT_TRUE(m_store.Tracking().LastChecks(checks));
    EXPECT_EQ(checks, (std::map<int64_t, Instant>{{m_ids[0], 10}, {m_ids[1], 30}, {m_ids[2], 20}}));

    for (const int64_t id : m_ids) {
        ASSERT_TRUE(m_store.Delete(id));
    }
    EXPECT_FALSE(
        m_store.Tracking().AddEvents(m_ids[0], std::vector{Event(400, "DELIVERED")}, std::nullopt, 40, record));
    EXPECT_EQ(m_store.LastError(), StoreError::NotFound);
    SQLite::Database raw(PathOf("VELDAN.EDB"), SQLite::OPEN_READONLY);
    EXPECT_EQ(
        raw.execAndGet("SELECT (SELECT count(*) FROM TRACKDB_events) + (SELECT count(*) FROM TRACKDB_checks)").getInt(),
        0);
}

using test::FileBytes;
namespace fs = std::filesystem;

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
