// Built twice, at 96 dots per inch and at 192 (the resolution is read once per
// process), so that every length below is checked at both scales.
#include "app/FilterSortBar.h"

#include "app/MainFrame.h"
#include "gui/ShellTestSupport.h"
#include "platform/QtImageList.h"
#include "platform/QtMenuBuilder.h"
#include "platform/ResourceImages.h"
#include "res/resource.h"
#include "support/FakeMessageBoxService.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>

#ifndef PARCELO_TEST_DPI
#define PARCELO_TEST_DPI 96
#endif

namespace parcelo::test {
namespace {

using Sent = std::vector<std::pair<unsigned, uint32_t>>;
constexpr int kDpi = PARCELO_TEST_DPI;
constexpr int S(int value) {
    return ScaleLength(value, kDpi);
}

class FilterSortBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(&bar);
        layout->addStretch();
        bar.setFixedHeight(S(22));
        window.setGeometry(300, 40, S(240), S(320)); // a phone screen at this resolution
        window.show();
        ASSERT_TRUE(bar.CreateDropDowns());
        QObject::connect(&bar, &CFilterSortBar::notifyMainWindow, [this](unsigned message, uint32_t command) {
            sent.push_back({message, command});
        });
    }
    // The first black pixel of the arrow's top row, painted `arrowLeft` into the button.
    static bool ArrowAt(CDropDownButton& button, int arrowLeft) {
        const QImage image = button.grab().toImage();
        const QPoint row = kDpi == 192 ? QPoint(6, 14) : QPoint(4, 7);
        const int y = S(1) + row.y();
        return image.pixelColor(arrowLeft + row.x(), y) == Qt::black &&
               image.pixelColor(arrowLeft + row.x() - 1, y) != Qt::black;
    }

    QWidget window;
    CFilterSortBar bar{&window};
    Sent sent;
};

TEST_F(FilterSortBarTest, HalvesOfTheWindowWithAGapAtTheBoundary) {
    ASSERT_EQ(DpiCache().DpiX(), kDpi);
    CDropDownButton& filter = bar.FilterButton();
    CDropDownButton& sort = bar.SortButton();
    EXPECT_EQ(filter.geometry(), QRect(0, S(2), S(120) - S(5), S(200)));
    EXPECT_EQ(sort.geometry(), QRect(S(120) + S(5), S(2), S(120) - S(5), S(200)));

    // The menus open just below the bar: the phone's screen y of 47 less its 26-pixel
    // navigation bar, counted from the top of the window's client area.
    const int menuTop = window.mapToGlobal(QPoint(0, 0)).y() + S(47) - S(26);
    EXPECT_EQ(filter.PopupPosition(), QPoint(filter.mapToGlobal(QPoint(0, 0)).x(), menuTop));
    EXPECT_EQ(sort.PopupPosition() + QPoint(sort.Menu()->sizeHint().width(), 0),
              QPoint(sort.mapToGlobal(QPoint(sort.width(), 0)).x(), menuTop));

    window.resize(S(320), S(240)); // turned to landscape
    EXPECT_EQ(filter.geometry(), QRect(0, S(2), S(160) - S(5), S(200)));
    EXPECT_EQ(sort.geometry(), QRect(S(160) + S(5), S(2), S(160) - S(5), S(200)));
}

TEST_F(FilterSortBarTest, CaptionsAndArrowsArePaintedWhereTheyBelong) {
    const QImage arrow = LoadResourceImage(kDpi == 192 ? IDI_ARROW_DOWN_HIRES : IDI_ARROW_DOWN);
    EXPECT_EQ(bar.FilterButton().ArrowIcon().toImage(), arrow.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    EXPECT_TRUE(ArrowAt(bar.SortButton(), bar.SortButton().width() - S(14)));
    const int textWidth = bar.FilterButton().fontMetrics().horizontalAdvance("모두 표시");
    EXPECT_TRUE(ArrowAt(bar.FilterButton(), S(3) + S(2) + textWidth));
}

TEST_F(FilterSortBarTest, ChoicesChangeTheCaptionAndTellTheMainWindowEachTime) {
    QMenu& filters = *bar.FilterButton().Menu();
    QTest::mousePress(&bar.FilterButton(), Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_TRUE(filters.isVisible());
    QtMenuBuilder::FindCommand(filters, ID_FILTER_DONE)->trigger();
    filters.close();
    QtMenuBuilder::FindCommand(filters, ID_FILTER_DONE)->trigger();
    QtMenuBuilder::FindCommand(*bar.SortButton().Menu(), ID_SORT_ORDER_ASC)->trigger();
    EXPECT_EQ(bar.FilterButton().Caption(), "완료 표시");
    EXPECT_EQ(bar.SortButton().Caption(), "주문일 순");
    EXPECT_EQ(sent, (Sent{{WM_FILTER_CHANGED, ID_FILTER_DONE},
                          {WM_FILTER_CHANGED, ID_FILTER_DONE},
                          {WM_SORT_CHANGED, ID_SORT_ORDER_ASC}}));
}

TEST(MainWindowLayoutTest, BarOnTopListBorderOutsideTheView) {
    FakeMessageBoxService messages;
    ClearProfileAndData();
    InstallCourierFile("[COURIERS]\nID01=하나;1;;1111;https://one.example/%s\n");
    CMainFrame frame;
    ASSERT_TRUE(frame.LoadFrame());
    frame.show();
    const CShipmentListView& view = frame.View();
    Size logo;
    ASSERT_TRUE(view.Logos()->GetImageSize(14, logo));
    EXPECT_EQ(logo, kDpi > 130 ? (Size{50, 50}) : (Size{25, 25}));
    for (const QSize size : {QSize(480, 640), QSize(640, 480)}) { // upright, then turned
        frame.resize(size);
        EXPECT_EQ(frame.FilterSortBar().geometry(), QRect(0, 0, size.width(), S(22)));
        EXPECT_EQ(view.y(), S(22));
        EXPECT_EQ(view.List().geometry(), QRect(-S(1), -S(1), view.width() + S(2), view.height() + S(2)));
    }
}

} // namespace
} // namespace parcelo::test

int main(int argc, char** argv) {
    return parcelo::test::RunShellTests(argc, argv, QT_STRINGIFY(PARCELO_TEST_DPI));
}
