// Built at 96 and, in a second executable, at 192 dots per inch: every length is checked at both scales.
#include "app/FilterSortBar.h"

#include "app/MainFrame.h"
#include "gui/ShellTestSupport.h"
#include "platform/QtMenuBuilder.h"
#include "res/resource.h"
#include "support/FakeMessageBoxService.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <memory>

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
        ClearProfileAndData();
        InstallCourierFile("[COURIERS]\nID01=하나;1;;1111;https://one.example/%s\n");
        frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(frame->LoadFrame());
        frame->setGeometry(300, 40, S(240), S(320)); // a phone screen at this resolution
        frame->show();
        bar = &frame->FilterSortBar();
        QObject::connect(bar, &CFilterSortBar::notifyMainWindow, [this](unsigned message, uint32_t command) {
            sent.push_back({message, command});
        });
    }

    FakeMessageBoxService messages;
    std::unique_ptr<CMainFrame> frame;
    CFilterSortBar* bar = nullptr;
    Sent sent;
};

TEST_F(FilterSortBarTest, HalvesOfTheWindowOnTopOfTheListWithMenusOpeningBelowIt) {
    ASSERT_EQ(DpiCache().DpiX(), kDpi);
    CDropDownButton& filter = bar->FilterButton();
    CDropDownButton& sort = bar->SortButton();
    const CShipmentListView& view = frame->View();
    for (const QSize size : {QSize(S(320), S(240)), QSize(S(240), S(320))}) { // turned, then upright
        frame->resize(size);
        const int half = size.width() / 2;
        EXPECT_EQ(bar->geometry(), QRect(0, 0, size.width(), S(22)));
        EXPECT_EQ(filter.geometry(), QRect(0, S(2), half - S(5), S(200)));
        EXPECT_EQ(sort.geometry(), QRect(half + S(5), S(2), half - S(5), S(200)));
        EXPECT_EQ(view.y(), S(22));
        EXPECT_EQ(view.List().geometry(), QRect(-S(1), -S(1), view.width() + S(2), view.height() + S(2)));
    }
    // Menus open at the phone's screen y of 47 less its 26-pixel navigation bar, from the window's client top.
    const int menuTop = frame->mapToGlobal(QPoint(0, 0)).y() + S(47) - S(26);
    EXPECT_EQ(filter.PopupPosition(), QPoint(filter.mapToGlobal(QPoint(0, 0)).x(), menuTop));
    EXPECT_EQ(sort.PopupPosition() + QPoint(sort.Menu()->sizeHint().width(), 0),
              QPoint(sort.mapToGlobal(QPoint(sort.width(), 0)).x(), menuTop));
}

TEST_F(FilterSortBarTest, ChoicesChangeTheCaptionAndTellTheMainWindowEachTime) {
    QMenu& filters = *bar->FilterButton().Menu();
    QTest::mousePress(&bar->FilterButton(), Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_TRUE(filters.isVisible());
    QtMenuBuilder::FindCommand(filters, ID_FILTER_DONE)->trigger();
    filters.close();
    QtMenuBuilder::FindCommand(filters, ID_FILTER_DONE)->trigger(); // the same choice again is told again
    QtMenuBuilder::FindCommand(*bar->SortButton().Menu(), ID_SORT_ORDER_ASC)->trigger();
    EXPECT_EQ(bar->FilterButton().Caption(), "완료 표시");
    EXPECT_EQ(bar->SortButton().Caption(), "주문일 순");
    EXPECT_EQ(sent, (Sent{{WM_FILTER_CHANGED, ID_FILTER_DONE},
                          {WM_FILTER_CHANGED, ID_FILTER_DONE},
                          {WM_SORT_CHANGED, ID_SORT_ORDER_ASC}}));
}

} // namespace
} // namespace parcelo::test

int main(int argc, char** argv) {
    return parcelo::test::RunShellTests(argc, argv, QT_STRINGIFY(PARCELO_TEST_DPI));
}
