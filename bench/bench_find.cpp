// A keystroke in the find field at 100,000 shipments, as the user waits for it: the
// new text, the refill, the events it leaves queued and one paint of the list. Beside
// it the bare store query of the same rows, which every refill makes.
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
#include <memory>
#include <sqlite3.h>
#include <string>

namespace parcelo {
namespace {

using bench::Fixture;

constexpr int kShipments = 100000;

std::unique_ptr<Fixture>& SharedSlot() {
    static std::unique_ptr<Fixture> fixture;
    return fixture;
}
Fixture& Shared() {
    std::unique_ptr<Fixture>& fixture = SharedSlot();
    if (!fixture) {
        fixture = std::make_unique<Fixture>(kShipments);
    }
    return *fixture;
}
// The widgets go while the application still exists.
void ReleaseShared() {
    SharedSlot().reset();
}

// Two texts typed one after the other, so that every iteration changes the find text.
void Keystroke(benchmark::State& state, const QString& first, const QString& second) {
    Fixture& fixture = Shared();
    QWidget* client = fixture.view.List().viewport();
    QImage target(client->size(), QImage::Format_RGB32);
    fixture.view.SetFindText(second); // the search keys are built once, as while typing
    bool odd = false;
    int rows = 0;
    for (auto _ : state) {
        fixture.view.SetFindText(odd ? second : first);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        client->render(&target);
        benchmark::ClobberMemory();
        rows = fixture.view.List().GetItemCount();
        state.PauseTiming();
        while (fixture.view.List().HasPendingWork()) {
            QCoreApplication::processEvents();
        }
        state.ResumeTiming();
        odd = !odd;
    }
    fixture.view.SetFindText({});
    state.counters["rows"] = rows;
}

// A narrowing keystroke: a few hundred rows are left.
void BM_FindKeystrokeNarrow(benchmark::State& state) {
    Keystroke(state, QStringLiteral("6012345"), QStringLiteral("60123450"));
}
BENCHMARK(BM_FindKeystrokeNarrow)->Unit(benchmark::kMillisecond);

// The first keystroke of an initial-consonant search: every row is still shown.
void BM_FindKeystrokeBroad(benchmark::State& state) {
    Keystroke(state, QStringLiteral("ㅁ"), QStringLiteral("ㅁㅅ"));
}
BENCHMARK(BM_FindKeystrokeBroad)->Unit(benchmark::kMillisecond);

// What every refill pays first: the store's query of the same 100,000 rows.
void BM_StoreQueryOfTheSameRows(benchmark::State& state) {
    Fixture& fixture = Shared();
    std::vector<Shipment> shipments;
    for (auto _ : state) {
        fixture.store.Query(fixture.view.Query(), shipments);
        benchmark::DoNotOptimize(shipments.data());
    }
    state.counters["rows"] = static_cast<double>(shipments.size());
}
BENCHMARK(BM_StoreQueryOfTheSameRows)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace parcelo

int main(int argc, char** argv) {
    return parcelo::bench::RunWidgetBenchmarks(argc, argv, [] { parcelo::ReleaseShared(); });
}
