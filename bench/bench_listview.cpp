// The shipment list's refresh (read every shipment, format, insert, the queued events
// and the first frame) at 1,000 and 100,000 shipments, and one full paint of the list
// at 100 and 100,000 items.
#include "listui/ShipmentListView.h"
#include "platform/Clock.h"
#include "res/resource.h"
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

constexpr Instant kStart = 1'609'459'200; // 2021-01-01

std::vector<Courier> Couriers() {
    std::vector<Courier> couriers(kCourierLogoCount);
    for (Courier& courier : couriers) {
        std::u16string_view name = u"한진택배";
        std::copy(name.begin(), name.end(), courier.name);
    }
    return couriers;
}

// A volume of `count` shipments of every status, written in one transaction.
class Volume {
public:
    explicit Volume(int count) {
        {
            CShipmentDatabase store;
            store.MountVolume(File());
            store.Open(u"TRACKDB");
        }
        SQLite::Database raw(m_folder.Path() / "VELDAN.EDB", SQLite::OPEN_READWRITE);
        SQLite::Transaction transaction(raw);
        SQLite::Statement insert(raw, "INSERT INTO TRACKDB (courier, invoice_number, item_name, entry_date, "
                                      "order_date, status) VALUES (?, ?, ?, ?, ?, ?)");
        for (int i = 0; i < count; ++i) {
            const std::string invoice = std::to_string(601234500000LL + i * 7919LL);
            const Instant entry = kStart + i * 947LL;
            insert.bind(1, i % kCourierLogoCount);
            insert.bind(2, invoice);
            insert.bind(3, "무선 이어폰 " + invoice.substr(8));
            insert.bind(4, static_cast<int64_t>(entry));
            insert.bind(5, static_cast<int64_t>(entry - (i % 40) * 3600LL));
            insert.bind(6, i % 3);
            insert.exec();
            insert.reset();
        }
        transaction.commit();
    }
    std::u16string File() const { return m_folder.File("VELDAN.EDB"); }

private:
    test::TempFolder m_folder;
};

// The list view as the main window holds it, 480 x 640 at 96 dots per inch.
struct Fixture {
    explicit Fixture(int count) : volume(count) {
        store.MountVolume(volume.File());
        store.Open(u"TRACKDB");
        view.resize(480, 640);
        view.show();
        QApplication::processEvents();
        view.OnInitialUpdate();
    }
    Volume volume;
    std::vector<Courier> couriers = Couriers();
    CShipmentDatabase store;
    Clock clock;
    CShipmentListView view{couriers, store, clock};
};

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

// A refresh as the user waits for it: the fill, then the events it leaves queued and
// the repaint, up to the first frame. What the list does after that, in slices, is not
// counted here.
void BM_FillList(benchmark::State& state) {
    Fixture& fixture = SharedFixture(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        fixture.view.Refresh(RefillCause::User);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(fixture.view.List().GetTotalHeight());
        state.PauseTiming();
        while (fixture.view.List().HasPendingWork()) {
            QCoreApplication::processEvents();
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FillList)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillList)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qputenv("PARCELO_DPI", "96");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    parcelo::Fixtures().clear();
    return 0;
}
