// A keystroke in the find field at 100,000 shipments, as the user waits for it: the
// new text, the refill, the events it leaves queued and one paint of the list. Beside
// it the bare store query of the same rows, which every refill makes.
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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qputenv("PARCELO_DPI", "96");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    parcelo::ReleaseShared();
    return 0;
}
