// Reading the barcodes of a 12-megapixel photograph (4000 x 3000): a label-sized
// Code 128 barcode, slightly turned, on a noisy background; the budget is 300 ms.
#include "barcode/BarcodeReader.h"
#include "support/BarcodeImages.h"

#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

void BM_ReadTwelveMegapixelPhoto(benchmark::State& state) {
    using namespace parcelo::test;
    GreyImage photo = NoisyBackground(4000, 3000, 7);
    const GreyImage label = Encode(ZXing::BarcodeFormat::Code128, "640123456789", 900, 220);
    Place(photo, label, {.centreX = 2300, .centreY = 1300, .degrees = 4, .dark = 40, .light = 225});
    AddNoise(photo, 10, 11);
    for (auto _ : state) {
        const std::vector<std::string> texts = parcelo::BarcodeReader::Read(photo.View());
        if (texts.size() != 1 || texts.front() != "640123456789") {
            state.SkipWithError("the barcode was not read");
            break;
        }
        benchmark::DoNotOptimize(texts.data());
    }
}
BENCHMARK(BM_ReadTwelveMegapixelPhoto)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
