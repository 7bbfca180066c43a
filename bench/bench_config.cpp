// Start-up cost of the courier table: reading a full parcelo.ini from disk.
#include "config/TempFolder.h"
#include "couriers/Courier.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// 99 couriers in UTF-8 with Korean names, as a realistic upper bound.
std::string FullCourierFile() {
    std::string text;
    for (int n = 1; n <= 99; ++n) {
        char line[256];
        std::snprintf(
            line, sizeof line,
            "ID%02d=\xED\x83\x9D\xEB\xB0\xB0%02d ; %d ; \xEC\x86\xA1\xEC\x9E\xA5 10\xEC\x9E\x90\xEB\xA6\xAC ; "
            "1588-%04d ; http://track%02d.example.com/trace?invoice=%%s&lang=ko\r\n",
            n, n, 100 + n, n, n);
        text += line;
    }
    return text;
}

void BM_LoadCourierTable99(benchmark::State& state) {
    const parcelo::test::TempFolder folder;
    folder.Write("parcelo.ini", FullCourierFile());
    const std::u16string install = folder.Path().u16string();
    std::vector<parcelo::Courier> couriers;
    for (auto _ : state) {
        const auto loaded = parcelo::LoadCourierTable(install, couriers);
        benchmark::DoNotOptimize(loaded);
        benchmark::DoNotOptimize(couriers.data());
    }
    if (couriers.size() != 99) {
        state.SkipWithError("expected 99 couriers");
    }
}
BENCHMARK(BM_LoadCourierTable99)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
