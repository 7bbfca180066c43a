// Measuring the shipment list's item texts: the markup renderer on the Qt
// drawing context against QTextDocument laying out the same markup. One
// iteration measures 1,000 items, as a refill of a long list does.
#include "render/MarkupRenderer.h"
#include "render/qt/QtDrawingContext.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QTextDocument>
#include <array>
#include <benchmark/benchmark.h>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace parcelo;

constexpr int ITEM_COUNT = 1000;
// A 480-pixel-wide list less the text margin and a 50-pixel logo with its gap.
constexpr int TEXT_WIDTH = 480 - 5 - 60;
constexpr int FONT_PIXELS = 24;
constexpr uint32_t MEASURE_FORMAT = DT_CALCRECT | DT_EXTERNALLEADING | DT_WORDBREAK;

const std::array<const char16_t*, 16> ITEM_NAMES = {
    u"운동화",           u"노트북 가방",        u"무선 이어폰",   u"겨울 패딩 점퍼",
    u"USB-C 충전기 65W", u"유기농 현미 10kg",   u"아이폰 케이스", u"전기 주전자",
    u"캠핑 의자 2개",    u"책: 한국사 이야기",  u"로봇 청소기",   u"커피 원두 1kg",
    u"블루투스 키보드",  u"어린이 동화책 세트", u"LED 스탠드",    u"등산화 270mm"};
const std::array<const char16_t*, 15> COURIERS = {
    u"CJ대한통운", u"우체국택배",        u"한진택배", u"로젠택배", u"롯데택배", u"경동택배", u"대신택배", u"일양로지스",
    u"합동택배",   u"CVSnet 편의점택배", u"천일택배", u"건영택배", u"호남택배", u"EMS",      u"DHL"};

QString ItemText(int index, std::mt19937& random) {
    std::uniform_int_distribution<long long> invoice(1'000'000'000LL, 9'999'999'999'999LL);
    std::uniform_int_distribution<int> month(1, 12);
    std::uniform_int_distribution<int> day(1, 28);
    std::uniform_int_distribution<int> elapsed(0, 30);
    const QString name = QString::fromUtf16(ITEM_NAMES[static_cast<size_t>(index) % ITEM_NAMES.size()]);
    const QString courier = QString::fromUtf16(COURIERS[static_cast<size_t>(index * 7) % COURIERS.size()]);
    const QString number = QString::number(invoice(random));
    const QString date = QStringLiteral("%1-%2-%3").arg(2026).arg(month(random)).arg(day(random));
    switch (index % 6) {
    case 4:
        return QStringLiteral("<font color=#aaaaaa>상품명: <h>%1</h> <br> %2: %3 <br> 주문일: %4</font>")
            .arg(name, courier, number, date);
    case 5:
        return QStringLiteral("<font color=#ff0000>상품명: <h>%1</h> <br> %2: %3 <br> 주문일: %4</font>")
            .arg(name, courier, number, date);
    default:
        return QStringLiteral("상품명: <h>%1</h> <br> <font color=#0000ff>%2: %3</font> <br> 주문일: %4 (%5일 경과)")
            .arg(name, courier, number, date)
            .arg(elapsed(random));
    }
}

struct Items {
    std::vector<QString> html;
    std::vector<std::u16string> markup;
};

const Items& ShipmentItems() {
    static const Items items = [] {
        Items made;
        std::mt19937 random(20261201);
        for (int index = 0; index < ITEM_COUNT; ++index) {
            made.html.push_back(ItemText(index, random));
            made.markup.push_back(made.html.back().toStdU16String());
        }
        return made;
    }();
    return items;
}

QFont ListFont() {
    QFont font(QStringLiteral("Noto Sans CJK KR"));
    font.setPixelSize(FONT_PIXELS);
    return font;
}

void MeasureWithRenderer(benchmark::State& state, bool coldCache) {
    const Items& items = ShipmentItems();
    const QFont font = ListFont();
    QImage probe(1, 1, QImage::Format_RGB32);
    QPainter painter(&probe);
    int64_t height = 0;
    for (auto _ : state) {
        if (coldCache) {
            QtDrawingContext::ClearMeasureCache();
        }
        QtDrawingContext dc(painter, font);
        for (const std::u16string& text : items.markup) {
            Rect rect{0, 0, TEXT_WIDTH, 800};
            DrawMarkupText(&dc, text.data(), static_cast<int>(text.size()), &rect, MEASURE_FORMAT);
            height += rect.bottom;
        }
    }
    benchmark::DoNotOptimize(height);
    state.SetItemsProcessed(state.iterations() * ITEM_COUNT);
}

void BM_MarkupRenderer(benchmark::State& state) {
    MeasureWithRenderer(state, false);
}
void BM_MarkupRendererColdCache(benchmark::State& state) {
    MeasureWithRenderer(state, true);
}

void BM_QTextDocument(benchmark::State& state) {
    const Items& items = ShipmentItems();
    QTextDocument document;
    document.setDefaultFont(ListFont());
    document.setDocumentMargin(0);
    double height = 0;
    for (auto _ : state) {
        for (const QString& html : items.html) {
            document.setHtml(html);
            document.setTextWidth(TEXT_WIDTH);
            height += document.size().height();
        }
    }
    benchmark::DoNotOptimize(height);
    state.SetItemsProcessed(state.iterations() * ITEM_COUNT);
}

BENCHMARK(BM_MarkupRenderer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MarkupRendererColdCache)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QTextDocument)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
