// Figures of the refresh on the event loop: the longest stall of the loop while 200
// shipments are refreshed, and the memory growth over 1,000 refreshes. They are
// printed; the limits checked are loose, for a shared, busy machine.
#include "platform/QtTrackingClient.h"
#include "platform/TrackingRefresher.h"
#include "store/StoreTestSupport.h"
#include "tracking/EventLoop.h"
#include "tracking/FakeClock.h"
#include "tracking/FakeTrackingServer.h"
#include "tracking/TrackingSamples.h"

#include <QElapsedTimer>
#include <QTimer>
#include <ctime>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>


#if defined(__SANITIZE_ADDRESS__)
#define PARCELO_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PARCELO_ADDRESS_SANITIZER 1
#endif
#endif
#ifndef PARCELO_ADDRESS_SANITIZER
#define PARCELO_ADDRESS_SANITIZER 0
#endif

namespace parcelo {
namespace {

qint64 ThreadCpuNanoseconds() {
    timespec time{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return static_cast<qint64>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

class TrackingFiguresTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_store.MountVolume(m_folder.File("VELDAN.EDB")) && m_store.Open(u"TRACKDB"));
        QtTrackingClient::Settings settings;
        settings.endpoint = m_server.Url().toString();
        m_client.SetSettings(settings);
        m_refresher.SetCarrierIds({"kr.cjlogistics"});
        m_server.SetHandler([this](const std::string& number) {
            // Every answer has one event more than the last, so that every check writes.
            const int step = ++m_steps[number];
            std::vector<nlohmann::json> events;
            for (int i = 0; i < std::min(step, 30); ++i) {
                events.push_back(test::EventNode("2024-03-05T" + std::to_string(10 + i / 60) + ":" +
                                                     (i % 60 < 10 ? "0" : "") + std::to_string(i % 60) + ":00+09:00",
                                                 "IN_TRANSIT", "터미널 " + std::to_string(i)));
            }
            return test::FakeTrackingServer::Answer{200, QByteArray::fromStdString(test::TrackAnswer(events))};
        });
        QObject::connect(&m_refresher, &TrackingRefresher::finished,
                         [this](const RefreshSummary& summary, const QString&) {
                             m_summary = summary;
                             m_finished = true;
                         });
    }

    void AddShipments(int count) {
        std::vector<Shipment> shipments;
        for (int i = 0; i < count; ++i) {
            Shipment shipment =
                test::MakeShipment(u"60" + std::u16string(1, u'0' + i % 10) + std::u16string(1, u'0' + (i / 10) % 10) +
                                       std::u16string(1, u'0' + i / 100),
                                   0, 0);
            shipment.courierIndex = 0;
            shipments.push_back(shipment);
        }
        ASSERT_TRUE(m_store.AddBatch(shipments));
    }

    RefreshSummary Refresh() {
        m_finished = false;
        EXPECT_TRUE(m_refresher.Start(true));
        EXPECT_TRUE(test::WaitUntil([this] { return m_finished; }, 60'000));
        return m_summary;
    }

    test::TempFolder m_folder;
    CTrackingDatabase m_store;
    test::FakeTrackingServer m_server;
    test::FakeClock m_clock;
    QtTrackingClient m_client{m_clock};
    TrackingRefresher m_refresher{m_store, m_client, m_clock};
    std::map<std::string, int> m_steps;
    RefreshSummary m_summary;
    bool m_finished = false;
};

TEST_F(TrackingFiguresTest, LongestEventLoopStallWhileRefreshing200Shipments) {
    AddShipments(200);
    Refresh(); // the first check of each
    // Between two ticks of a 1 ms timer: the wall-clock gap, and the processor time the
    // thread spent in it (the work done, without the time other programs had the processor).
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    qint64 lastCpu = ThreadCpuNanoseconds();
    qint64 longestCpu = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        const qint64 cpu = ThreadCpuNanoseconds();
        longest = std::max(longest, now - last);
        longestCpu = std::max(longestCpu, cpu - lastCpu);
        last = now;
        lastCpu = cpu;
    });
    ticker.start(1);
    clock.start();
    QElapsedTimer whole;
    whole.start();
    const RefreshSummary summary = Refresh();
    ticker.stop();
    EXPECT_EQ(summary.checked, 200u);
    EXPECT_EQ(summary.changed, 200u);
    std::cout << "figure: refresh of 200 shipments took " << whole.elapsed() << " ms; longest event-loop stall "
              << longest / 1000 << " us wall clock, " << longestCpu / 1000 << " us of this thread's processor time\n";
    RecordProperty("longest_stall_us", static_cast<int>(longest / 1000));
    RecordProperty("longest_stall_cpu_us", static_cast<int>(longestCpu / 1000));
    EXPECT_LT(longest, 250'000'000) << "a stall of a quarter second";
}

TEST_F(TrackingFiguresTest, MemoryAfterAThousandRefreshes) {
#if PARCELO_ADDRESS_SANITIZER
    GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine, so the resident size grows; "
                    "its leak checker covers this build instead";
#endif
    AddShipments(4);
    for (int i = 0; i < 50; ++i) {
        Refresh();
    }
    const long before = ResidentKilobytes();
    for (int i = 0; i < 1000; ++i) {
        Refresh();
    }
    const long after = ResidentKilobytes();
    std::cout << "figure: VmRSS " << before << " kB after 50 refreshes, " << after << " kB after 1,050 (growth "
              << after - before << " kB)\n";
    RecordProperty("rss_growth_kb", static_cast<int>(after - before));
    EXPECT_LT(after - before, 8 * 1024);
}

} // namespace
} // namespace parcelo
