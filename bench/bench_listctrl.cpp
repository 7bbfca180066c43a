// The HTML list at the sizes the shipment list reaches: refills (a filter or a sort
// switch hands the list a ready vector of items), one paint, a key or wheel step with
// its repaint, and a whole refresh of 1,000 items against QTextDocument laying out the
// same markup. Every timed region includes the events the list leaves queued.
#include "WidgetBenchmarkMain.h"
#include "listui/HTMLListCtrl.h"
#include "platform/resource.h"
#include "render/qt/QtImageList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QTextDocument>
#include <QWheelEvent>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace parcelo {
namespace {

constexpr int kLogoSize = 25;

std::u16string Number(int64_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

struct Entry {
    std::u16string text;
    int image = 0;
    int64_t data = 0;
};
using Entries = std::vector<Entry>;

// The three item formats of the shipment list, by status.
std::u16string ItemText(int i, const std::u16string& tag = {}) {
    const std::u16string name = u"운동화 " + tag + Number(i);
    const std::u16string line = u"CJ대한통운: " + Number(601234567890LL + i * 7919LL);
    const std::u16string date = u"주문일: 2026-12-" + Number(1 + i % 28);
    switch (i % 3) {
    case 1:
        return u"<font color=#aaaaaa>상품명: <h>" + name + u"</h> <br> " + line + u" <br> " + date + u"</font>";
    case 2:
        return u"<font color=#ff0000>상품명: <h>" + name + u"</h> <br> " + line + u" <br> " + date + u"</font>";
    default:
        return u"상품명: <h>" + name + u"</h> <br> <font color=#0000ff>" + line + u"</font> <br> " + date + u" (" +
               Number(i % 9) + u"일 경과)";
    }
}

Entries MakeEntries(int count, const std::u16string& tag = {}) {
    Entries entries;
    entries.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        entries.push_back({ItemText(i, tag), i % kCourierLogoCount, 1'000'000'000LL + i});
    }
    return entries;
}

// Those in delivery (every third), as the filter leaves them.
Entries InDelivery(const Entries& all) {
    Entries some;
    for (size_t i = 0; i < all.size(); i += 3) {
        some.push_back(all[i]);
    }
    return some;
}

Entries Reversed(const Entries& all) {
    return Entries(all.rbegin(), all.rend());
}

void RunPostedEvents() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// Counts the paints of a widget and the pixels they cover.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int64_t paints = 0;
    int64_t pixels = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            for (const QRect& r : static_cast<QPaintEvent*>(event)->region()) {
                pixels += static_cast<int64_t>(r.width()) * r.height();
            }
        }
        return false;
    }
};

// A list as the main window shows it: 480 x 640, grid lines and courier logos.
struct ListFixture {
    ListFixture() : logos(MakeLogoStrip(), kLogoSize), list(nullptr, IDC_SHIPMENT_LIST) {
        list.resize(482, 642);
        list.show();
        RunPostedEvents();
        list.SetImageList(&logos);
        list.SetExtendedStyle(HTMLLIST_STYLE_GRIDLINES | HTMLLIST_STYLE_IMAGES);
        target = QImage(list.viewport()->size(), QImage::Format_RGB32);
    }
    static QPixmap MakeLogoStrip() {
        QPixmap strip(kLogoSize * kCourierLogoCount, kLogoSize);
        strip.fill(Qt::darkCyan);
        return strip;
    }
    // Empties the list and fills it from `entries`, whose texts are moved in.
    void Refill(Entries&& entries) {
        list.DeleteAllItems();
        for (Entry& entry : entries) {
            list.InsertItem(std::move(entry.text), entry.image, entry.data, ITEM_HTML);
        }
        list.viewport()->update();
    }
    // A whole paint of the client area into an image, as a grab does.
    void Paint() { list.viewport()->render(&target); }
    // Runs the list's deferred work (if any) until none is left.
    void Settle() {
        for (int round = 0; round < 100000; ++round) {
            RunPostedEvents();
            if (!list.HasPendingWork()) {
                break;
            }
        }
    }

    QtImageList logos;
    CHTMLListCtrl list;
    QImage target;
};

// A filter or sort switch as the list sees it: the old items go and the new ones come
// from a ready vector; the time runs until the first frame is painted and the queued
// events are handled. Iterations alternate between two fillings.
void RefillSwitch(benchmark::State& state, const Entries& first, const Entries& second) {
    ListFixture fixture;
    fixture.Refill(Entries(second));
    fixture.Settle();
    PaintCounter counter(fixture.list.viewport());
    bool useFirst = true;
    for (auto _ : state) {
        state.PauseTiming();
        Entries copy = useFirst ? first : second;
        state.ResumeTiming();
        fixture.Refill(std::move(copy));
        RunPostedEvents(); // the scroll-range notice and the repaint
        state.PauseTiming();
        fixture.Settle();
        useFirst = !useFirst;
        state.ResumeTiming();
    }
    state.counters["paints"] =
        benchmark::Counter(static_cast<double>(counter.paints), benchmark::Counter::kAvgIterations);
}

const Entries& AllEntries() {
    static const Entries all = MakeEntries(100000);
    return all;
}

void BM_FilterSwitch(benchmark::State& state) {
    static const Entries some = InDelivery(AllEntries());
    RefillSwitch(state, AllEntries(), some);
}
BENCHMARK(BM_FilterSwitch)->Name("BM_FilterSwitch/100000")->Unit(benchmark::kMillisecond)->Iterations(4);

void BM_SortSwitch(benchmark::State& state) {
    static const Entries reversed = Reversed(AllEntries());
    RefillSwitch(state, AllEntries(), reversed);
}
BENCHMARK(BM_SortSwitch)->Name("BM_SortSwitch/100000")->Unit(benchmark::kMillisecond)->Iterations(4);

// The work left after the first frame of a refill with texts the list has not seen,
// slice by slice: the longest slice is how long input may wait (wall and thread time).
double ThreadMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void BM_BackgroundSlices(benchmark::State& state) {
    ListFixture fixture;
    static int generation = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Appended piece by piece: g++ 12 warns (wrongly) of an overlap in u"g" + ... + u" ".
        std::u16string prefix = u"g";
        prefix += Number(++generation);
        prefix += u' ';
        fixture.Refill(MakeEntries(100000, prefix));
        RunPostedEvents();
        state.ResumeTiming();
        double longestWall = 0;
        double longestThread = 0;
        int slices = 0;
        QElapsedTimer clock;
        while (fixture.list.HasPendingWork()) {
            clock.start();
            const double threadStart = ThreadMilliseconds();
            QCoreApplication::processEvents();
            longestWall = std::max(longestWall, static_cast<double>(clock.nsecsElapsed()) / 1e6);
            longestThread = std::max(longestThread, ThreadMilliseconds() - threadStart);
            ++slices;
        }
        state.counters["longest_slice_ms"] = longestWall;
        state.counters["longest_slice_cpu_ms"] = longestThread;
        state.counters["slices"] = slices;
    }
}
BENCHMARK(BM_BackgroundSlices)->Name("BM_BackgroundSlices/100000")->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_FullPaint(benchmark::State& state) {
    ListFixture fixture;
    fixture.Refill(MakeEntries(static_cast<int>(state.range(0))));
    fixture.list.SetSelectedIndex(3);
    RunPostedEvents();
    fixture.Settle();
    for (auto _ : state) {
        fixture.Paint();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullPaint)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

// A fixture of `count` items settled, with the selection half-way down and in view.
std::unique_ptr<ListFixture> HalfWay(int count) {
    auto fixture = std::make_unique<ListFixture>();
    fixture->Refill(MakeEntries(count));
    RunPostedEvents();
    fixture->Settle();
    fixture->list.SetSelectedIndex(count / 2);
    fixture->list.EnsureVisible(count / 2);
    fixture->Paint();
    return fixture;
}

// A key or wheel step as the program lives it: the event, then the repaint the event
// loop does for it, whatever part of the list that covers.
void BM_KeyStep(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    auto fixture = HalfWay(count);
    RunPostedEvents();
    PaintCounter counter(fixture->list.viewport());
    for (auto _ : state) {
        if (fixture->list.GetSelectedIndex() >= count - 1) {
            state.PauseTiming();
            fixture->list.SetSelectedIndex(count / 2);
            fixture->list.EnsureVisible(count / 2);
            state.ResumeTiming();
        }
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(&fixture->list, &down);
        RunPostedEvents();
    }
    state.counters["paints"] =
        benchmark::Counter(static_cast<double>(counter.paints), benchmark::Counter::kAvgIterations);
    state.counters["painted_px"] =
        benchmark::Counter(static_cast<double>(counter.pixels), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_KeyStep)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_WheelStep(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    auto fixture = HalfWay(count);
    QScrollBar* bar = fixture->list.verticalScrollBar();
    const int restart = bar->value();
    QWidget* client = fixture->list.viewport();
    const QPointF at(50, 50);
    RunPostedEvents();
    PaintCounter counter(client);
    for (auto _ : state) {
        if (bar->value() >= bar->maximum()) {
            state.PauseTiming();
            bar->setValue(restart);
            state.ResumeTiming();
        }
        QWheelEvent wheel(at, client->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(client, &wheel);
        RunPostedEvents();
    }
    state.counters["paints"] =
        benchmark::Counter(static_cast<double>(counter.paints), benchmark::Counter::kAvgIterations);
    state.counters["painted_px"] =
        benchmark::Counter(static_cast<double>(counter.pixels), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_WheelStep)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// A whole refresh of 1,000 items with texts the list has not measured before: fill,
// the queued events, the first frame and then every deferred measurement.
void BM_Refresh(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    ListFixture fixture;
    PaintCounter counter(fixture.list.viewport());
    const Entries a = MakeEntries(count, u"a");
    const Entries b = MakeEntries(count, u"b");
    bool useA = true;
    for (auto _ : state) {
        state.PauseTiming();
        Entries copy = useA ? a : b;
        useA = !useA;
        state.ResumeTiming();
        fixture.Refill(std::move(copy));
        RunPostedEvents(); // the scroll-range notice and the repaint
        fixture.Settle();
    }
    state.counters["paints"] =
        benchmark::Counter(static_cast<double>(counter.paints), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Refresh)->Arg(1000)->Unit(benchmark::kMillisecond);

// The same refresh when the texts are those of the filling before (an edit or a
// status change refills the list with mostly the same texts).
void BM_RefreshSameTexts(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    ListFixture fixture;
    const Entries a = MakeEntries(count, u"a");
    for (auto _ : state) {
        state.PauseTiming();
        Entries copy = a;
        state.ResumeTiming();
        fixture.Refill(std::move(copy));
        RunPostedEvents(); // the scroll-range notice and the repaint
        fixture.Settle();
    }
}
BENCHMARK(BM_RefreshSameTexts)->Arg(1000)->Unit(benchmark::kMillisecond);

// QTextDocument laying out the same 1,000 texts at the list's text width and font.
void BM_QTextDocumentLayout(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    ListFixture fixture;
    std::vector<QString> html;
    for (const Entry& entry : MakeEntries(count, u"a")) {
        html.push_back(QString::fromStdU16String(entry.text));
    }
    QTextDocument document;
    document.setDefaultFont(fixture.list.font());
    document.setDocumentMargin(0);
    const int width = fixture.list.viewport()->width() - 5 - kLogoSize - 10;
    double height = 0;
    for (auto _ : state) {
        for (const QString& text : html) {
            document.setHtml(text);
            document.setTextWidth(width);
            height += document.size().height();
        }
    }
    benchmark::DoNotOptimize(height);
}
BENCHMARK(BM_QTextDocumentLayout)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace parcelo

int main(int argc, char** argv) {
    return parcelo::bench::RunWidgetBenchmarks(argc, argv);
}
