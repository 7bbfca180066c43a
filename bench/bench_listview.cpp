// The shipment list's refresh (read every shipment, format, insert, the queued events
// and the first frame) at 1,000 and 100,000 shipments, and one full paint of the list
// at 100 and 100,000 items.
#include "ListViewFixture.h"
#include "WidgetBenchmarkMain.h"
#include "listui/ShipmentListView.h"
#include "platform/Clock.h"
#include "platform/resource.h"
#include "store/ShipmentDatabase.h"
#include "store/StoreTestSupport.h"

#include <QApplication>
#include <QImage>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Transaction.h>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <sqlite3.h>
#include <string>

namespace parcelo {
namespace {

using bench::Fixture;

// One fixture per shipment count, shared by the benchmarks of that count. The
// widgets in them must go before the QApplication does, so main() empties the
// map while the application still exists instead of leaving it to static
// destruction.
std::map<int, std::unique_ptr<Fixture>>& Fixtures() {
    static std::map<int, std::unique_ptr<Fixture>> fixtures;
    return fixtures;
}

Fixture& SharedFixture(int count) {
    std::unique_ptr<Fixture>& fixture = Fixtures()[count];
    if (!fixture) {
        fixture = std::make_unique<Fixture>(count);
    }
    return *fixture;
}

// Refills the list as the user waits for it: `refill`, then the events it leaves queued
// and the repaint, up to the first frame. What the list does after that, in slices, is
// not counted.
template <typename Refill> void TimeToFirstFrame(benchmark::State& state, Fixture& fixture, Refill refill) {
    for (auto _ : state) {
        refill();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(fixture.view.List().GetTotalHeight());
        state.PauseTiming();
        while (fixture.view.List().HasPendingWork()) {
            QCoreApplication::processEvents();
        }
        state.ResumeTiming();
    }
}

void BM_FillList(benchmark::State& state) {
    Fixture& fixture = SharedFixture(static_cast<int>(state.range(0)));
    TimeToFirstFrame(state, fixture, [&] { fixture.view.Refresh(RefillCause::User); });
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FillList)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillList)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

// A filter or sort switch: the store's query in the new filter and order, the fill and
// the first frame, alternating between two commands.
void SwitchView(benchmark::State& state, void (CShipmentListView::*command)(uint32_t), uint32_t first,
                uint32_t second) {
    Fixture& fixture = SharedFixture(100000);
    bool useFirst = true;
    TimeToFirstFrame(state, fixture, [&] {
        (fixture.view.*command)(useFirst ? first : second);
        useFirst = !useFirst;
    });
    (fixture.view.*command)(first);
}

void BM_ViewFilterSwitch(benchmark::State& state) {
    SwitchView(state, &CShipmentListView::FilterBy, ID_FILTER_ALL, ID_FILTER_IN_DELIVERY);
}
BENCHMARK(BM_ViewFilterSwitch)->Name("BM_ViewFilterSwitch/100000")->Unit(benchmark::kMillisecond)->Iterations(6);

void BM_ViewSortSwitch(benchmark::State& state) {
    SwitchView(state, &CShipmentListView::SortBy, ID_SORT_ENTRY_DESC, ID_SORT_ORDER_ASC);
}
BENCHMARK(BM_ViewSortSwitch)->Name("BM_ViewSortSwitch/100000")->Unit(benchmark::kMillisecond)->Iterations(6);

void BM_PaintList(benchmark::State& state) {
    Fixture& fixture = SharedFixture(static_cast<int>(state.range(0)));
    fixture.view.List().SetSelectedIndex(3);
    QWidget* client = fixture.view.List().viewport();
    QImage target(client->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        client->render(&target);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PaintList)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace parcelo

int main(int argc, char** argv) {
    return parcelo::bench::RunWidgetBenchmarks(argc, argv, [] { parcelo::Fixtures().clear(); });
}
