// Export and import against the store: 100,000 stored shipments written to a CSV or JSON
// file (goal: at most 1 s), and a file of 10,000 shipments planned and added to a store in
// one transaction (goal: at most 1 s).
#include "SampleShipments.h"
#include "config/TempFolder.h"
#include "transfer/ShipmentTransfer.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using parcelo::Courier;
using parcelo::CShipmentDatabase;
using parcelo::Shipment;
using parcelo::ShipmentTransfer;

constexpr parcelo::Instant kStart = 1'609'459'200; // 2021-01-01

std::vector<Courier> Couriers() {
    std::vector<Courier> couriers(15);
    for (size_t i = 0; i < couriers.size(); ++i) {
        const std::u16string name = u"택배사" + std::u16string(1, static_cast<char16_t>(u'A' + i));
        std::copy(name.begin(), name.end(), couriers[i].name);
        couriers[i].code = static_cast<int32_t>(i + 1);
    }
    return couriers;
}

void Fill(CShipmentDatabase& store, int count) {
    std::vector<Shipment> shipments;
    shipments.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        Shipment shipment = parcelo::bench::SampleShipment(i, kStart);
        shipments.push_back(std::move(shipment));
    }
    store.AddBatch(shipments);
}

void BM_ExportStoreToFile(benchmark::State& state) {
    parcelo::test::TempFolder folder;
    CShipmentDatabase store;
    store.MountVolume(folder.File("VELDAN.EDB"));
    store.Open(u"TRACKDB");
    Fill(store, 100'000);
    const std::vector<Courier> couriers = Couriers();
    ShipmentTransfer transfer(store, couriers);
    const auto format = state.range(0) == 0 ? ShipmentTransfer::Format::Csv : ShipmentTransfer::Format::Json;
    const std::string file = (folder.Path() / "export").string();
    for (auto _ : state) {
        size_t count = 0;
        if (transfer.Export(file, format, {}, &count) != ShipmentTransfer::Error::None || count != 100'000) {
            state.SkipWithError("export failed");
        }
    }
    state.SetLabel(state.range(0) == 0 ? "CSV" : "JSON");
}
BENCHMARK(BM_ExportStoreToFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImportIntoStore(benchmark::State& state) {
    parcelo::test::TempFolder folder;
    const std::vector<Courier> couriers = Couriers();
    const std::string file = (folder.Path() / "import.json").string();
    {
        CShipmentDatabase source;
        source.MountVolume(folder.File("source.edb"));
        source.Open(u"TRACKDB");
        Fill(source, 10'000);
        ShipmentTransfer(source, couriers).Export(file, ShipmentTransfer::Format::Json);
    }
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto store = std::make_unique<CShipmentDatabase>();
        store->MountVolume(folder.File("target" + std::to_string(round++) + ".edb"));
        store->Open(u"TRACKDB");
        ShipmentTransfer transfer(*store, couriers);
        state.ResumeTiming();
        parcelo::ImportPlan plan;
        if (transfer.PlanImport(file, plan) != ShipmentTransfer::Error::None || plan.toAdd.size() != 10'000 ||
            transfer.CommitImport(plan) != ShipmentTransfer::Error::None) {
            state.SkipWithError("import failed");
        }
    }
}
BENCHMARK(BM_ImportIntoStore)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
