// Detecting the courier of an invoice number against a full courier table, and
// turning a pasted list into numbers with their couriers.
#include "couriers/CourierDetector.h"
#include "couriers/NumberPasteParser.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace {

std::u16string Widen(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

// 99 couriers: digit counts from 8 to 14, some with a leading digit, a third with
// the mod7 check, and an S10 courier every tenth.
std::vector<parcelo::CourierDetector::Rule> NinetyNineRules() {
    std::vector<parcelo::CourierDetector::Rule> rules;
    for (int index = 0; index < 99; ++index) {
        std::string pattern;
        if (index % 10 == 9) {
            pattern = "E[A-Z]\\d{9}[A-Z]{2}";
        } else if (index % 4 == 0) {
            pattern = std::to_string(index % 9 + 1) + "\\d{" + std::to_string(9 + index % 5) + "}";
        } else {
            pattern = "\\d{" + std::to_string(8 + index % 7) + "}|\\d{" + std::to_string(10 + index % 3) + "}";
        }
        const char16_t* check = index % 10 == 9 ? u"s10" : index % 3 == 0 ? u"mod7" : u"";
        rules.push_back({index, Widen(pattern), check});
    }
    return rules;
}

void BM_DetectAmong99Couriers(benchmark::State& state) {
    const parcelo::CourierDetector detector(NinetyNineRules(), [](std::string_view) {});
    const std::u16string number = u"5078-1234-5670";
    size_t found = 0;
    for (auto _ : state) {
        const std::vector<int> couriers = detector.Detect(number);
        found = couriers.size();
        benchmark::DoNotOptimize(couriers.data());
    }
    if (found == 0) {
        state.SkipWithError("no courier detected");
    }
}
BENCHMARK(BM_DetectAmong99Couriers)->Unit(benchmark::kMicrosecond);

// 1,000 lines as copied from a shop's order list: row, item name, amount, number, status.
std::u16string PastedOrderList() {
    std::u16string text;
    for (int row = 1; row <= 1000; ++row) {
        const std::string digits = std::to_string(507812340000LL + row * 7919LL);
        std::u16string number = Widen(digits.substr(0, 4) + "-" + digits.substr(4, 4) + "-" + digits.substr(8));
        text += Widen(std::to_string(row)) + u"\t무선 이어폰 " + Widen(std::to_string(row)) + u"호\t39,900원\t" +
                number + u"\t배송중\r\n";
    }
    return text;
}

void BM_PasteAndDetect1000Lines(benchmark::State& state) {
    const parcelo::CourierDetector detector(NinetyNineRules(), [](std::string_view) {});
    const std::u16string text = PastedOrderList();
    size_t numbers = 0;
    for (auto _ : state) {
        const parcelo::PasteResult result = parcelo::NumberPasteParser::Parse(text);
        for (const parcelo::PastedNumber& number : result.numbers) {
            const std::vector<int> couriers = detector.Detect(number.normalised);
            benchmark::DoNotOptimize(couriers.data());
        }
        numbers = result.numbers.size();
    }
    if (numbers != 1000) {
        state.SkipWithError("expected 1,000 numbers");
    }
}
BENCHMARK(BM_PasteAndDetect1000Lines)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
