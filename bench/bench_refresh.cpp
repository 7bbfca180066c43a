// One refresh of the delivery status of 200 shipments against the tracking service of
// the tests (an HTTP server on a loopback port that pages events as the service does):
// the first check of each, whose longer histories take two or three pages, and a later
// check, one request each. Counts the requests sent and reports the median wall time
// of the whole refresh (requests, answers and the writes to the store).
#include "platform/qt/QtExecutor.h"
#include "status/EventLoop.h"
#include "status/FakeTrackingServer.h"
#include "status/TrackingRefresher.h"
#include "status/services/QtTrackingClient.h"
#include "store/StoreTestSupport.h"
#include "support/FakeClock.h"
#include "tracking/TrackingSamples.h"

#include <QCoreApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace parcelo;
using Answer = test::FakeTrackingServer::Answer;

constexpr int kShipments = 200;

// Each number's history: 12, 30 or 55 events, so that a first check takes one to three pages.
std::map<std::string, std::vector<nlohmann::json>> Histories() {
    std::map<std::string, std::vector<nlohmann::json>> histories;
    for (int i = 0; i < kShipments; ++i) {
        const int count = i % 3 == 0 ? 12 : i % 3 == 1 ? 30 : 55;
        std::vector<nlohmann::json>& events = histories[std::to_string(600'000 + i)];
        for (int e = 0; e < count; ++e) {
            const int minute = e % 60;
            events.push_back(
                test::EventNode("2024-03-0" + std::to_string(1 + e / 60) + "T10:" + (minute < 10 ? "0" : "") +
                                    std::to_string(minute) + ":00+09:00",
                                e + 1 == count ? "OUT_FOR_DELIVERY" : "IN_TRANSIT", "허브 " + std::to_string(e)));
        }
    }
    return histories;
}

struct Rig {
    test::TempFolder folder;
    CShipmentDatabase store;
    test::FakeTrackingServer server;
    FakeClock clock{1'709'615'220};
    QtTrackingClient client{clock};
    QtExecutor executor;
    std::unique_ptr<TrackingRefresher> refresher;
    std::map<std::string, std::vector<nlohmann::json>> histories = Histories();

    Rig() {
        store.MountVolume(folder.File("VELDAN.EDB"));
        store.Open(u"TRACKDB");
        std::vector<Shipment> shipments;
        for (const auto& [number, events] : histories) {
            Shipment shipment = test::MakeShipment(std::u16string(number.begin(), number.end()), 0, 0);
            shipment.courierIndex = 0;
            shipments.push_back(shipment);
        }
        store.AddBatch(shipments);
        QtTrackingClient::Settings settings;
        settings.endpoint = server.Url().toString().toStdString();
        client.SetSettings(settings);
        server.SetHandler([this](const std::string& number) {
            const nlohmann::json request = nlohmann::json::parse(server.LastBody().toStdString());
            const nlohmann::json& before = request["variables"]["before"];
            return Answer{200, QByteArray::fromStdString(test::PagedAnswer(
                                   histories[number], before.is_string() ? before.get<std::string>() : ""))};
        });
        refresher = std::make_unique<TrackingRefresher>(store, client, clock, executor);
        refresher->SetCarrierIds({"kr.epost"});
    }

    // One forced refresh; false if it did not check every shipment.
    bool Refresh() {
        bool finished = false;
        RefreshSummary result;
        TrackingRefresher::Callbacks callbacks;
        callbacks.finished = [&](const RefreshSummary& summary, const std::u16string&) {
            result = summary;
            finished = true;
        };
        refresher->SetCallbacks(std::move(callbacks));
        refresher->Start(true);
        test::WaitUntil([&] { return finished; }, 60'000);
        refresher->SetCallbacks({});
        return finished && result.checked == kShipments;
    }
};

void Report(benchmark::State& state, std::vector<double> ms, int requests) {
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms.empty() ? 0 : ms[ms.size() / 2];
    state.counters["requests"] = requests;
}

void BM_FirstRefreshOf200WithPaging(benchmark::State& state) {
    std::vector<double> ms;
    int requests = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto rig = std::make_unique<Rig>();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        if (!rig->Refresh()) {
            state.SkipWithError("not every shipment was checked");
            break;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        requests = rig->server.Requests();
        state.PauseTiming();
        rig.reset();
        state.ResumeTiming();
    }
    Report(state, ms, requests);
}
BENCHMARK(BM_FirstRefreshOf200WithPaging)->Unit(benchmark::kMillisecond)->Iterations(7)->UseRealTime();

void BM_LaterRefreshOf200(benchmark::State& state) {
    Rig rig;
    if (!rig.Refresh()) {
        state.SkipWithError("the first refresh did not check every shipment");
        return;
    }
    std::vector<double> ms;
    int requests = 0;
    for (auto _ : state) {
        const int before = rig.server.Requests();
        const auto start = std::chrono::steady_clock::now();
        if (!rig.Refresh()) {
            state.SkipWithError("not every shipment was checked");
            break;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        requests = rig.server.Requests() - before;
    }
    Report(state, ms, requests);
}
BENCHMARK(BM_LaterRefreshOf200)->Unit(benchmark::kMillisecond)->Iterations(7)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
