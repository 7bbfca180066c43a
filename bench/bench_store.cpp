// The shipment store's hot paths, each measured against what a bare SQLite call costs
// for the same work: a query of 100,000 shipments with each filter and sort, a read by
// id, one durable update, 1,000 adds in one batch against 1,000 single adds, and the
// migration of a version-1 volume of 100,000 shipments.
#include "SampleShipments.h"
#include "store/ShipmentDatabase.h"
#include "store/StoreTestSupport.h"

#include <SQLiteCpp/Database.h>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <malloc.h>
#include <random>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using parcelo::CShipmentDatabase;
using parcelo::Shipment;
using parcelo::ShipmentQuery;
using parcelo::ShipmentSortKey;

constexpr int kShipments = 100'000;
constexpr parcelo::Instant kStart = 1'609'459'200; // 2021-01-01

double MedianMs(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples.empty() ? 0 : samples[samples.size() / 2];
}

double ElapsedMs(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// CPU time of this thread: the comparison should not depend on what else the machine runs.
double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The shipments of the large volumes: spread over three years, every status.
std::vector<parcelo::test::Version1Row> Rows() {
    std::vector<parcelo::test::Version1Row> rows;
    rows.reserve(kShipments);
    for (int i = 0; i < kShipments; ++i) {
        Shipment shipment = parcelo::bench::SampleShipment(i, kStart);
        rows.push_back({i + 1, shipment, parcelo::test::Version1Ticks(shipment.entryDate),
                        parcelo::test::Version1Ticks(shipment.orderDate)});
    }
    return rows;
}

// The current volume of 100,000 shipments and a version-1 one, written once for the run.
class LargeVolumes {
public:
    LargeVolumes() {
        const std::vector<parcelo::test::Version1Row> rows = Rows();
        parcelo::test::WriteVersion1Volume(m_folder.Path() / "version1.edb", rows);
        std::vector<Shipment> shipments;
        shipments.reserve(rows.size());
        for (const auto& row : rows) {
            shipments.push_back(row.shipment);
        }
        CShipmentDatabase store;
        store.MountVolume(File());
        store.Open(u"TRACKDB");
        store.AddBatch(shipments);
    }

    std::u16string File() const { return m_folder.File("VELDAN.EDB"); }
    std::filesystem::path Version1() const { return m_folder.Path() / "version1.edb"; }
    const parcelo::test::TempFolder& Folder() const { return m_folder; }

private:
    parcelo::test::TempFolder m_folder;
};

const LargeVolumes& Volumes() {
    static const parcelo::test::ScopedEnv zone("TZ", parcelo::test::kBerlinRule);
    static const LargeVolumes volumes;
    return volumes;
}

// Steps the rows of the same SQL and touches every column, as the least any loader
// has to do.
size_t BareSelectOnce(sqlite3* connection, const std::string& sql, int status) {
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(connection, sql.c_str(), -1, &select, nullptr);
    if (status != parcelo::FILTER_ALL) {
        sqlite3_bind_int(select, 1, status);
    }
    size_t rows = 0;
    int64_t sum = 0;
    while (sqlite3_step(select) == SQLITE_ROW) {
        for (int column : {0, 1, 4, 5, 6}) {
            sum += sqlite3_column_int64(select, column);
        }
        for (int column : {2, 3}) {
            benchmark::DoNotOptimize(sqlite3_column_text16(select, column));
            sum += sqlite3_column_bytes16(select, column);
        }
        ++rows;
    }
    sqlite3_finalize(select);
    benchmark::DoNotOptimize(sum);
    return rows;
}

// Argument 0: sort 0..3 (entry newest, entry oldest, order newest, order oldest);
// argument 1: filter -1..2. Query and the bare SELECT alternate in one run, in CPU time;
// `ratio` is the figure to watch.
void BM_QueryVersusBareSelect(benchmark::State& state) {
    CShipmentDatabase store;
    store.MountVolume(Volumes().File());
    store.Open(u"TRACKDB");
    SQLite::Database raw(std::string(store.VolumeFile()), SQLite::OPEN_READONLY);
    ShipmentQuery query;
    query.key = state.range(0) >= 2 ? ShipmentSortKey::OrderDate : ShipmentSortKey::EntryDate;
    query.newestFirst = state.range(0) % 2 == 0;
    query.filter = static_cast<int>(state.range(1));
    const std::string key = query.key == ShipmentSortKey::OrderDate ? "order_date" : "entry_date";
    const std::string direction = query.newestFirst ? " DESC" : "";
    const std::string sql = "SELECT id, courier, invoice_number, item_name, entry_date, order_date, status "
                            "FROM TRACKDB" +
                            std::string(query.filter == parcelo::FILTER_ALL ? "" : " WHERE status = ?") + " ORDER BY " +
                            key + direction + ", id" + direction;
    std::vector<double> queried;
    std::vector<double> bare;
    std::vector<Shipment> shipments;
    for (auto _ : state) {
        double start = ThreadCpuMs();
        store.Query(query, shipments);
        queried.push_back(ThreadCpuMs() - start);
        start = ThreadCpuMs();
        const size_t rows = BareSelectOnce(raw.getHandle(), sql, query.filter);
        bare.push_back(ThreadCpuMs() - start);
        if (rows != shipments.size() || rows == 0) {
            state.SkipWithError("row counts differ");
        }
    }
    state.counters["query_ms"] = MedianMs(queried);
    state.counters["select_ms"] = MedianMs(bare);
    state.counters["ratio"] = MedianMs(queried) / MedianMs(bare);
}
BENCHMARK(BM_QueryVersusBareSelect)
    ->ArgsProduct({{0, 1, 2, 3}, {-1, 0, 1, 2}})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

// The refresh of the list view: every shipment in the chosen order.
void BM_Query100k(benchmark::State& state) {
    CShipmentDatabase store;
    store.MountVolume(Volumes().File());
    store.Open(u"TRACKDB");
    for (auto _ : state) {
        std::vector<Shipment> shipments;
        store.Query({}, shipments);
        if (shipments.size() != kShipments) {
            state.SkipWithError("wrong row count");
        }
    }
}
BENCHMARK(BM_Query100k)->Unit(benchmark::kMillisecond);

// The start of the list view: the top screen of shipments and how many there are in all.
void BM_QueryFirst100k(benchmark::State& state) {
    CShipmentDatabase store;
    store.MountVolume(Volumes().File());
    store.Open(u"TRACKDB");
    ShipmentQuery query;
    query.filter = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::vector<Shipment> shipments;
        size_t selected = 0;
        store.QueryFirst(query, 128, shipments, selected);
        if (shipments.size() != 128 || selected == 0) {
            state.SkipWithError("wrong row count");
        }
    }
}
BENCHMARK(BM_QueryFirst100k)->Arg(parcelo::FILTER_ALL)->Arg(1)->Unit(benchmark::kMillisecond);

// Mounting as the program starts: the page check waits for the first write.
void BM_MountAndOpenCheckingLater100k(benchmark::State& state) {
    for (auto _ : state) {
        CShipmentDatabase store;
        if (!store.MountVolume(Volumes().File(), parcelo::CPropertyDatabase::Check::BeforeFirstWrite) ||
            !store.Open(u"TRACKDB")) {
            state.SkipWithError("open failed");
        }
    }
}
BENCHMARK(BM_MountAndOpenCheckingLater100k)->Unit(benchmark::kMillisecond);

void BM_ReadById(benchmark::State& state) {
    CShipmentDatabase store;
    store.MountVolume(Volumes().File());
    store.Open(u"TRACKDB");
    std::mt19937 random(1);
    std::uniform_int_distribution<int64_t> ids(1, kShipments);
    for (auto _ : state) {
        if (!store.Read(ids(random))) {
            state.SkipWithError("read failed");
        }
    }
}
BENCHMARK(BM_ReadById)->Unit(benchmark::kMicrosecond);

void BM_UpdateDurable(benchmark::State& state) {
    parcelo::test::TempFolder folder;
    CShipmentDatabase store;
    store.MountVolume(folder.File("update.edb"));
    store.Open(u"TRACKDB");
    Shipment shipment = parcelo::test::MakeShipment(u"601234567890", kStart, kStart);
    store.Add(shipment);
    std::vector<double> samples;
    for (auto _ : state) {
        ++shipment.orderDate;
        const auto start = Clock::now();
        if (!store.Update(shipment)) {
            state.SkipWithError("Update failed");
        }
        samples.push_back(ElapsedMs(start));
    }
    state.counters["median_us"] = MedianMs(samples) * 1000;
}
BENCHMARK(BM_UpdateDurable)->Iterations(200)->Unit(benchmark::kMicrosecond);

// 1,000 single adds (each synced) and one batch of 1,000 (one sync), alternately.
void BM_BatchVersusSingleAdds(benchmark::State& state) {
    parcelo::test::TempFolder folder;
    CShipmentDatabase store;
    store.MountVolume(folder.File("add.edb"));
    store.Open(u"TRACKDB");
    std::vector<Shipment> batch(1000, parcelo::test::MakeShipment(u"601234567890", kStart, kStart));
    std::vector<double> singles;
    std::vector<double> batches;
    for (auto _ : state) {
        auto start = Clock::now();
        for (Shipment& shipment : batch) {
            if (!store.Add(shipment)) {
                state.SkipWithError("Add failed");
            }
        }
        singles.push_back(ElapsedMs(start));
        start = Clock::now();
        if (!store.AddBatch(batch)) {
            state.SkipWithError("AddBatch failed");
        }
        batches.push_back(ElapsedMs(start));
    }
    state.counters["singles_ms"] = MedianMs(singles);
    state.counters["batch_ms"] = MedianMs(batches);
    state.counters["ratio"] = MedianMs(singles) / MedianMs(batches);
}
BENCHMARK(BM_BatchVersusSingleAdds)->Iterations(3)->Unit(benchmark::kMillisecond);

// Opening a version-1 volume of 100,000 shipments: the copy, the rebuild with every
// date turned to UTC, the new indexes and the sync, in wall-clock time.
void BM_MigrateVersion1_100k(benchmark::State& state) {
    const std::filesystem::path work = Volumes().Folder().Path() / "migrating.edb";
    std::vector<double> samples;
    for (auto _ : state) {
        state.PauseTiming();
        for (const char* suffix : {"", "-wal", "-shm", ".v1.bak"}) {
            std::filesystem::remove(work.string() + suffix);
        }
        std::filesystem::copy_file(Volumes().Version1(), work);
        state.ResumeTiming();
        const auto start = Clock::now();
        CShipmentDatabase store;
        if (!store.MountVolume(work.u16string()) || !store.Open(u"TRACKDB")) {
            state.SkipWithError("migration failed");
        }
        samples.push_back(ElapsedMs(start));
    }
    state.counters["median_ms"] = MedianMs(samples);
}
BENCHMARK(BM_MigrateVersion1_100k)->Iterations(3)->Unit(benchmark::kMillisecond);

// Start-up: mounting checks the whole volume before anything is written to it.
void BM_MountAndOpen100k(benchmark::State& state) {
    for (auto _ : state) {
        CShipmentDatabase store;
        if (!store.MountVolume(Volumes().File()) || !store.Open(u"TRACKDB")) {
            state.SkipWithError("open failed");
        }
    }
}
BENCHMARK(BM_MountAndOpen100k)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // A long-running program keeps the heap pages of one refresh for the next. Fixed
    // thresholds say so, and keep glibc's self-adjusting ones from making each figure
    // depend on which benchmarks ran before it.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
