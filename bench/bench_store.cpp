// The shipment store's two hot paths: loading every shipment for a refresh, measured
// against a bare SELECT of the same rows, and one durable Add.
#include "store/ShipmentDatabase.h"
#include "store/StoreTestSupport.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Transaction.h>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <malloc.h>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using parcelo::CShipmentDatabase;
using parcelo::Shipment;

constexpr int kShipments = 100'000;
constexpr parcelo::Instant kStart = 1'609'459'200; // 2021-01-01

const char* const kSelectAll = "SELECT courier, invoice_number, item_name, entry_date, order_date, status "
                               "FROM TRACKDB ORDER BY entry_date DESC, id DESC";

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

// A volume of 100,000 shipments spread over three years, written once for the whole run.
class LargeVolume {
public:
    LargeVolume() {
        {
            CShipmentDatabase store;
            store.MountVolume(File());
            store.Open(u"TRACKDB");
        }
        SQLite::Database raw(m_folder.Path() / "VELDAN.EDB", SQLite::OPEN_READWRITE);
        SQLite::Transaction transaction(raw);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(raw.getHandle(),
                           "INSERT INTO TRACKDB (courier, invoice_number, item_name, entry_date, order_date, status) "
                           "VALUES (?, ?, ?, ?, ?, ?)",
                           -1, &insert, nullptr);
        for (int i = 0; i < kShipments; ++i) {
            const std::string digits = std::to_string(601234500000LL + i * 7919LL);
            const std::u16string invoice(digits.begin(), digits.end());
            const std::u16string item = u"무선 이어폰 " + invoice.substr(8);
            const parcelo::Instant entry = kStart + i * 947LL;
            sqlite3_bind_int(insert, 1, i % 15);
            sqlite3_bind_text16(insert, 2, invoice.data(), static_cast<int>(invoice.size() * 2), SQLITE_TRANSIENT);
            sqlite3_bind_text16(insert, 3, item.data(), static_cast<int>(item.size() * 2), SQLITE_TRANSIENT);
            sqlite3_bind_int64(insert, 4, static_cast<int64_t>(parcelo::InstantToStoredTime(entry)));
            sqlite3_bind_int64(insert, 5, static_cast<int64_t>(parcelo::InstantToStoredTime(entry - (i % 40) * 3600)));
            sqlite3_bind_int(insert, 6, i % 3);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        transaction.commit();
    }

    std::u16string File() const { return m_folder.File("VELDAN.EDB"); }

private:
    parcelo::test::TempFolder m_folder;
};

const LargeVolume& Volume() {
    static const parcelo::test::ScopedEnv zone("TZ", parcelo::test::kBerlinRule);
    static const LargeVolume volume;
    return volume;
}

size_t ReadAllOnce(CShipmentDatabase& store) {
    std::vector<Shipment> shipments;
    store.ReadAll(shipments);
    benchmark::DoNotOptimize(shipments.data());
    return shipments.size();
}

// Steps the same rows and touches every column, as the least any loader has to do.
size_t BareSelectOnce(sqlite3* connection) {
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(connection, kSelectAll, -1, &select, nullptr);
    size_t rows = 0;
    int64_t sum = 0;
    while (sqlite3_step(select) == SQLITE_ROW) {
        for (int column : {0, 3, 4, 5}) {
            sum += sqlite3_column_int64(select, column);
        }
        for (int column : {1, 2}) {
            benchmark::DoNotOptimize(sqlite3_column_text16(select, column));
            sum += sqlite3_column_bytes16(select, column);
        }
        ++rows;
    }
    sqlite3_finalize(select);
    benchmark::DoNotOptimize(sum);
    return rows;
}

void BM_ReadAll100k(benchmark::State& state) {
    CShipmentDatabase store;
    store.MountVolume(Volume().File());
    store.Open(u"TRACKDB");
    for (auto _ : state) {
        if (ReadAllOnce(store) != kShipments) {
            state.SkipWithError("wrong row count");
        }
    }
}
BENCHMARK(BM_ReadAll100k)->Unit(benchmark::kMillisecond);

void BM_BareSelect100k(benchmark::State& state) {
    CShipmentDatabase store; // the same connection settings
    store.MountVolume(Volume().File());
    SQLite::Database raw(std::string(store.VolumeFile()), SQLite::OPEN_READONLY);
    for (auto _ : state) {
        if (BareSelectOnce(raw.getHandle()) != kShipments) {
            state.SkipWithError("wrong row count");
        }
    }
}
BENCHMARK(BM_BareSelect100k)->Unit(benchmark::kMillisecond);

// Both loaders alternately in one run, in CPU time; the ratio of their medians is the
// figure to watch (ReadAll must stay within twice the bare SELECT). `ratio_fresh_pages`
// is the worst case in which the allocator handed the last refresh's memory back to the
// kernel, so that every page of the new collection is faulted in again.
void BM_ReadAllVersusBareSelect(benchmark::State& state) {
    CShipmentDatabase store;
    store.MountVolume(Volume().File());
    store.Open(u"TRACKDB");
    SQLite::Database raw(std::string(store.VolumeFile()), SQLite::OPEN_READONLY);
    std::vector<double> readAll;
    std::vector<double> readAllFreshPages;
    std::vector<double> bare;
    for (auto _ : state) {
        double start = ThreadCpuMs();
        ReadAllOnce(store);
        readAll.push_back(ThreadCpuMs() - start);
        start = ThreadCpuMs();
        BareSelectOnce(raw.getHandle());
        bare.push_back(ThreadCpuMs() - start);
        malloc_trim(0);
        start = ThreadCpuMs();
        ReadAllOnce(store);
        readAllFreshPages.push_back(ThreadCpuMs() - start);
    }
    state.counters["readall_ms"] = MedianMs(readAll);
    state.counters["select_ms"] = MedianMs(bare);
    state.counters["ratio"] = MedianMs(readAll) / MedianMs(bare);
    state.counters["ratio_fresh_pages"] = MedianMs(readAllFreshPages) / MedianMs(bare);
}
BENCHMARK(BM_ReadAllVersusBareSelect)->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_AddDurable(benchmark::State& state) {
    parcelo::test::TempFolder folder;
    CShipmentDatabase store;
    store.MountVolume(folder.File("add.edb"));
    store.Open(u"TRACKDB");
    Shipment shipment = parcelo::test::MakeShipment(u"601234567890", kStart, kStart);
    std::vector<double> samples;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (!store.Add(shipment)) {
            state.SkipWithError("Add failed");
        }
        samples.push_back(ElapsedMs(start));
        ++shipment.entryDate;
    }
    state.counters["median_us"] = MedianMs(samples) * 1000;
}
BENCHMARK(BM_AddDurable)->Iterations(200)->Unit(benchmark::kMicrosecond);

// Start-up: mounting checks the whole volume before anything is written to it.
void BM_MountAndOpen100k(benchmark::State& state) {
    for (auto _ : state) {
        CShipmentDatabase store;
        if (!store.MountVolume(Volume().File()) || !store.Open(u"TRACKDB")) {
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
