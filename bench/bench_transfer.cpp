// Export, import parsing and find over many shipments.
#include "list/ShipmentMatcher.h"
#include "transfer/ShipmentExporter.h"
#include "transfer/ShipmentFileParser.h"
#include "transfer/TransferTestData.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace {

using parcelo::testdata::AwkwardRecords;
using parcelo::testdata::SeoulOffset;

const std::vector<parcelo::TransferRecord>& Records(size_t count) {
    static std::vector<parcelo::TransferRecord> records;
    if (records.size() != count) {
        records = AwkwardRecords(count);
    }
    return records;
}

void BM_ExportCsv(benchmark::State& state) {
    const auto& records = Records(100'000);
    const parcelo::ShipmentExporter exporter;
    for (auto _ : state) {
        benchmark::DoNotOptimize(exporter.ToCsv(records));
    }
}
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond);

void BM_ExportJson(benchmark::State& state) {
    const auto& records = Records(100'000);
    const parcelo::ShipmentExporter exporter;
    for (auto _ : state) {
        benchmark::DoNotOptimize(exporter.ToJson(records));
    }
}
BENCHMARK(BM_ExportJson)->Unit(benchmark::kMillisecond);

void BM_ParseImport(benchmark::State& state) {
    const auto records = AwkwardRecords(10'000);
    const parcelo::ShipmentExporter exporter(SeoulOffset);
    const std::string file = state.range(0) == 0 ? exporter.ToCsv(records) : exporter.ToJson(records);
    parcelo::ParseOptions options;
    options.now = 1'700'000'000;
    const parcelo::ShipmentFileParser parser(options);
    for (auto _ : state) {
        benchmark::DoNotOptimize(parser.Parse(file));
    }
    state.SetLabel(state.range(0) == 0 ? "CSV, 10,000" : "JSON, 10,000");
}
BENCHMARK(BM_ParseImport)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A list of 100,000 shipments with realistic names; the keys are built once.
const std::vector<parcelo::ShipmentSearchKey>& SearchKeys() {
    static const std::vector<parcelo::ShipmentSearchKey> keys = [] {
        const char16_t* items[] = {u"노트북 가방",         u"책상 의자",     u"USB-C Cable 2m", u"운동화",
                                   u"Apple iPhone 케이스", u"커피 원두 1kg", u"유아용 책",      u"Bluetooth Speaker",
                                   u"겨울 패딩 점퍼",      u"차량용 충전기"};
        const char16_t* couriers[] = {u"CJ대한통운", u"우체국택배", u"한진택배", u"롯데택배", u"로젠택배"};
        std::vector<parcelo::ShipmentSearchKey> built;
        built.reserve(100'000);
        for (size_t i = 0; i < 100'000; ++i) {
            std::u16string invoice(12, static_cast<char16_t>(u'1' + i % 9));
            invoice[0] = u'6';
            invoice[4] = u'-';
            built.push_back(parcelo::ShipmentSearchKey::Make(couriers[i % 5], invoice, items[i % 10]));
        }
        return built;
    }();
    return keys;
}

void FindPass(benchmark::State& state, std::u16string_view query) {
    const auto& keys = SearchKeys();
    for (auto _ : state) {
        const parcelo::ShipmentMatcher matcher(query);
        size_t found = 0;
        for (const auto& key : keys) {
            found += matcher.Matches(key) ? 1 : 0;
        }
        benchmark::DoNotOptimize(found);
    }
}

void BM_FindInitial(benchmark::State& state) {
    FindPass(state, u"ㅊ");
}
BENCHMARK(BM_FindInitial)->Unit(benchmark::kMillisecond);

void BM_FindLatin(benchmark::State& state) {
    FindPass(state, u"cable");
}
BENCHMARK(BM_FindLatin)->Unit(benchmark::kMillisecond);

void BM_FindMixed(benchmark::State& state) {
    FindPass(state, u"노ㅌㅂㄱ");
}
BENCHMARK(BM_FindMixed)->Unit(benchmark::kMillisecond);

void BM_BuildSearchKeys(benchmark::State& state) {
    const auto& records = Records(100'000);
    for (auto _ : state) {
        std::vector<parcelo::ShipmentSearchKey> keys;
        keys.reserve(records.size());
        for (const auto& record : records) {
            keys.push_back(parcelo::ShipmentSearchKey::Make(record.courierName, record.invoiceNumber, record.itemName));
        }
        benchmark::DoNotOptimize(keys.data());
    }
}
BENCHMARK(BM_BuildSearchKeys)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
