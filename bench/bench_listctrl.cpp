// Cost of filling the HTML list (insert + measure) and of one full paint, with
// item texts like the shipment list's.
#include "listui/HTMLListCtrl.h"
#include "platform/QtImageList.h"
#include "res/resource.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>
#include <vector>

namespace parcelo {
namespace {

constexpr int kLogoSize = 25;

std::u16string Number(int value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

std::vector<std::u16string> ItemTexts(int count) {
    std::vector<std::u16string> texts;
    texts.reserve(count);
    for (int i = 0; i < count; ++i) {
        texts.push_back(u"상품명: <h>운동화 " + Number(i) + u"</h> <br> <font color=#0000ff>CJ대한통운: " +
                        Number(123456789 + i) + u"</font> <br> 주문일: 2026-12-" + Number(1 + i % 28) + u" (" +
                        Number(i % 9) + u"일 경과)");
    }
    return texts;
}

// A list as the main window shows it: 480 x 640, grid lines and courier logos.
struct ListFixture {
    ListFixture() : logos(MakeLogoStrip(), kLogoSize), list(nullptr, IDC_SHIPMENT_LIST) {
        list.resize(482, 642);
        list.show();
        QApplication::processEvents();
        list.SetImageList(&logos);
        list.SetExtendedStyle(HTMLLIST_STYLE_GRIDLINES | HTMLLIST_STYLE_IMAGES);
    }
    static QPixmap MakeLogoStrip() {
        QPixmap strip(kLogoSize * kCourierLogoCount, kLogoSize);
        strip.fill(Qt::darkCyan);
        return strip;
    }
    void Fill(const std::vector<std::u16string>& texts) {
        for (size_t i = 0; i < texts.size(); ++i) {
            list.InsertItem(texts[i], static_cast<int>(i % kCourierLogoCount), static_cast<uint32_t>(i), ITEM_HTML);
        }
    }

    QtImageList logos;
    CHTMLListCtrl list;
};

void BM_InsertAndMeasure(benchmark::State& state) {
    const auto texts = ItemTexts(static_cast<int>(state.range(0)));
    ListFixture fixture;
    for (auto _ : state) {
        state.PauseTiming();
        fixture.list.DeleteAllItems();
        state.ResumeTiming();
        fixture.Fill(texts);
        benchmark::DoNotOptimize(fixture.list.GetTotalHeight());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_InsertAndMeasure)->Arg(1000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_InsertAndMeasure)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_FullPaint(benchmark::State& state) {
    ListFixture fixture;
    fixture.Fill(ItemTexts(static_cast<int>(state.range(0))));
    fixture.list.SetSelectedIndex(3);
    QWidget* client = fixture.list.viewport();
    QImage target(client->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        client->render(&target);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullPaint)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

} // namespace
} // namespace parcelo

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
