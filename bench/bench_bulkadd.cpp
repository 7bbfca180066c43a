// Adding many shipments at once: reviewing 1,000 pasted numbers against a store that
// already holds 10,000 shipments, and adding the 1,000 reviewed rows in one transaction.
#include "config/TempFolder.h"
#include "couriers/CourierDetector.h"
#include "dialogs/BulkAddReview.h"
#include "store/ShipmentDatabase.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace {

using parcelo::BulkAddReview;
using parcelo::CourierDetector;

constexpr parcelo::Instant kToday = 1'733'529'600; // 2024-12-07

std::u16string Widen(const std::string& text) {
    return {text.begin(), text.end()};
}

// The rules of the sample parcelo.ini.
std::vector<CourierDetector::Rule> SampleRules() {
    return {{0, u"\\d{10}|\\d{12}", u""}, {1, u"\\d{13}", u""}, {2, u"\\d{10}|\\d{12}", u"mod7"},
            {3, u"\\d{12}", u""},         {4, u"\\d{11}", u""}, {14, u"E[A-Z]\\d{9}[A-Z]{2}", u"s10"}};
}

// 1,000 lines as copied from a shop's order list: item name, amount, number; every
// number is 13 digits, so one courier takes each.
std::u16string PastedOrderList() {
    std::u16string text;
    for (int row = 1; row <= 1000; ++row) {
        text += u"무선 이어폰 " + Widen(std::to_string(row)) + u"호\t39,900원\t" +
                Widen(std::to_string(6'012'345'000'000LL + row * 7919LL)) + u"\r\n";
    }
    return text;
}

BulkAddReview::StoredKeys TenThousandStoredKeys() {
    BulkAddReview::StoredKeys keys;
    for (int i = 0; i < 10'000; ++i) {
        keys.emplace(i % 15, Widen(std::to_string(601'234'500'000LL + i * 7919LL)));
    }
    return keys;
}

void BM_ReviewPasted1000Lines(benchmark::State& state) {
    const CourierDetector detector(SampleRules(), [](std::string_view) {});
    const std::u16string text = PastedOrderList();
    BulkAddReview review(detector, TenThousandStoredKeys());
    for (auto _ : state) {
        review.SetText(text);
        benchmark::DoNotOptimize(review.Rows().data());
    }
    if (review.Rows().size() != 1000 || !review.CheckedWithoutCourier().empty()) {
        state.SkipWithError("expected 1,000 rows, each with its courier");
    }
}
BENCHMARK(BM_ReviewPasted1000Lines)->Unit(benchmark::kMillisecond);

// What OK does: the shipments of the ticked rows, added in one transaction (one sync).
// The store grows by 1,000 shipments with each iteration.
void BM_Add1000ReviewedRows(benchmark::State& state) {
    const CourierDetector detector(SampleRules(), [](std::string_view) {});
    BulkAddReview review(detector, {});
    review.SetText(PastedOrderList());
    const parcelo::test::TempFolder folder;
    parcelo::CShipmentDatabase store;
    if (!store.MountVolume(folder.File("bulk.edb")) || !store.Open(u"TRACKDB")) {
        state.SkipWithError("store not opened");
        return;
    }
    for (auto _ : state) {
        std::vector<parcelo::Shipment> shipments = review.MakeShipments(kToday, kToday + 3600);
        if (shipments.size() != 1000 || !store.AddBatch(shipments)) {
            state.SkipWithError("AddBatch failed");
            break;
        }
    }
}
BENCHMARK(BM_Add1000ReviewedRows)->Unit(benchmark::kMillisecond)->Iterations(30);

} // namespace

BENCHMARK_MAIN();
