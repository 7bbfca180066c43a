#include "listui/HTMLListCtrl.h"

#include "platform/QtImageList.h"
#include "res/resource.h"
#include "support/FakeDrawingContext.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <vector>

namespace parcelo {
namespace {

constexpr int kClientWidth = 200;
constexpr int kClientHeight = 300;

using Codes = std::vector<int>;

class HTMLListCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The frame's one-pixel border lies around a 200 x 300 client area.
        list.resize(kClientWidth + 2, kClientHeight + 2);
        list.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list.show();
        QObject::connect(&list, &CHTMLListCtrl::notify, [this](const HTMLListNotify& n) { log.push_back(n); });
    }

    void AddFixed(int count, int height) {
        for (int i = 0; i < count; ++i) {
            list.InsertItem(u"item", 0, 100 + i, ITEM_TEXT, height);
        }
    }
    QImage Paint() { return list.viewport()->grab().toImage(); }
    QWidget* Client() { return list.viewport(); }
    int ScrollPos() { return list.verticalScrollBar()->value(); }
    // Clears the log, taps at (x, y) and returns the codes the tap sent.
    Codes Tap(int x, int y) {
        log.clear();
        QTest::mouseClick(Client(), Qt::LeftButton, {}, QPoint(x, y));
        return Sent();
    }
    Codes Sent() const {
        Codes codes;
        for (const HTMLListNotify& n : log) {
            codes.push_back(n.code);
        }
        return codes;
    }
    void Key(Qt::Key key) { QTest::keyClick(&list, key); }
    void Wheel(int delta) {
        const QPointF at(50, 50);
        QWheelEvent event(at, Client()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(Client(), &event);
    }

    CHTMLListCtrl list{nullptr, 77};
    std::vector<HTMLListNotify> log;
};

TEST_F(HTMLListCtrlTest, TapsAndDoubleTapsNotifyInOrder) {
    AddFixed(3, 60);
    Paint();
    ASSERT_EQ(Tap(100, 90), (Codes{HTMLLIST_LBUTTONDOWN, HTMLLIST_SELCHANGED}));
    EXPECT_EQ(std::tuple(log[1].item, log[1].data, log[1].idFrom, list.GetSelectedIndex()), std::tuple(1, 101u, 77, 1));

    // A short list cannot scroll and is white below its last item.
    const QImage image = Paint();
    EXPECT_EQ(image.pixelColor(150, 90), list.palette().color(QPalette::Button));
    EXPECT_EQ(image.pixelColor(150, 250), QColor(Qt::white));
    Wheel(-120);
    EXPECT_EQ(std::pair(list.verticalScrollBar()->maximum(), ScrollPos()), std::pair(0, 0));

    ASSERT_EQ(Tap(100, 250), (Codes{HTMLLIST_LBUTTONDOWN, HTMLLIST_SELCHANGED}));
    EXPECT_EQ(std::pair(log[1].item, list.GetSelectedIndex()), std::pair(-1, -1));

    Tap(100, 150);
    QTest::mouseDClick(Client(), Qt::LeftButton, {}, QPoint(100, 150));
    QTest::mouseRelease(Client(), Qt::LeftButton, {}, QPoint(100, 150));
    ASSERT_EQ(Sent(), (Codes{HTMLLIST_LBUTTONDOWN, HTMLLIST_SELCHANGED, HTMLLIST_DBLCLICK}));
    EXPECT_EQ(std::pair(log[2].item, list.GetSelectedIndex()), std::pair(-1, 2));
}

TEST_F(HTMLListCtrlTest, CheckBoxTogglesByTapAndSpace) {
    list.SetExtendedStyle(HTMLLIST_STYLE_CHECKBOXES);
    AddFixed(2, 60);
    Paint();
    // A handler may empty the list while a tap is being reported.
    QObject::connect(&list, &CHTMLListCtrl::notify, [this](const HTMLListNotify& n) {
        if (n.code == HTMLLIST_CHECKCHANGED && n.data == 101) {
            list.DeleteAllItems();
        }
    });

    Tap(100, 30); // selects item 0 without touching its box, which spans x 3..17 and y 22..36
    ASSERT_EQ(Tap(10, 30), (Codes{HTMLLIST_LBUTTONDOWN, HTMLLIST_CHECKCHANGED, HTMLLIST_SELCHANGED}));
    EXPECT_TRUE(log[1].ticked && list.GetItemCheck(0));

    log.clear();
    Key(Qt::Key_Space);
    ASSERT_EQ(Sent(), Codes{HTMLLIST_CHECKCHANGED});
    EXPECT_EQ(std::tuple(log[0].item, log[0].ticked, list.GetItemCheck(0)), std::tuple(0, false, false));

    ASSERT_EQ(Tap(10, 90), (Codes{HTMLLIST_LBUTTONDOWN, HTMLLIST_CHECKCHANGED, HTMLLIST_SELCHANGED}));
    EXPECT_EQ(std::tuple(log[2].data, log[2].ticked, list.GetItemCount()), std::tuple(101u, true, 0));
}

TEST_F(HTMLListCtrlTest, ArrowKeysMoveWithoutWrapping) {
    AddFixed(5, 100); // 500 pixels in a client area of 300
    Paint();
    Key(Qt::Key_Down);
    EXPECT_EQ(std::pair(list.GetSelectedIndex(), ScrollPos()), std::pair(4, 200));
    Key(Qt::Key_Down);
    EXPECT_EQ(list.GetSelectedIndex(), 4);
    ASSERT_EQ(Sent(), (Codes{HTMLLIST_SELCHANGED, HTMLLIST_SELCHANGED}));
    EXPECT_EQ(log[1].item, 4);

    list.SetSelectedIndex(-1);
    log.clear();
    Key(Qt::Key_Up);
    Key(Qt::Key_Up);
    EXPECT_EQ(std::tuple(list.GetSelectedIndex(), ScrollPos(), log.size()), std::tuple(0, 0, 2u));

    // A selection left past the end by a shorter refill continues from the last item.
    list.DeleteAllItems();
    AddFixed(2, 100);
    list.SetSelectedIndex(4);
    Key(Qt::Key_Up);
    EXPECT_EQ(list.GetSelectedIndex(), 1);

    list.DeleteAllItems();
    list.SetSelectedIndex(-1);
    log.clear();
    Key(Qt::Key_Down);
    Key(Qt::Key_Up);
    EXPECT_EQ(list.GetSelectedIndex(), -1);
    EXPECT_TRUE(log.empty());
    Key(Qt::Key_Return);
    EXPECT_EQ(Sent(), Codes{HTMLLIST_RETURN});
}

TEST_F(HTMLListCtrlTest, ScrollsByFixedStepsAndEnsuresVisibility) {
    list.InsertItem(u"top", 0, 0, ITEM_TEXT, 60);
    list.InsertItem(u"tall", 0, 0, ITEM_TEXT, 400);
    list.InsertItem(u"bottom", 0, 0, ITEM_TEXT, 60);
    EXPECT_EQ(list.verticalScrollBar()->maximum(), 220);

    list.verticalScrollBar()->setValue(200);
    Paint();
    EXPECT_EQ(list.GetItemRect(1), (Rect{0, -140, kClientWidth, 260}));
    list.EnsureVisible(1);
    EXPECT_EQ(ScrollPos(), 60);
    list.EnsureVisible(2);
    EXPECT_EQ(ScrollPos(), 220);

    Wheel(120);
    EXPECT_EQ(ScrollPos(), 180);
    Wheel(-240);
    Wheel(60); // half a notch moves half a step
    EXPECT_EQ(ScrollPos(), 200);

    QScrollBar* bar = list.verticalScrollBar();
    for (const auto& [action, position] : {std::pair{QAbstractSlider::SliderSingleStepSub, 150},
                                           {QAbstractSlider::SliderPageStepSub, 100},
                                           {QAbstractSlider::SliderPageStepAdd, 150}}) {
        bar->triggerAction(action);
        EXPECT_EQ(ScrollPos(), position) << action;
    }
}

TEST_F(HTMLListCtrlTest, SelectionSurvivesRefillAndMeasuredItemsFollowTheWidth) {
    const std::u16string longText = u"several words that wrap onto more lines when the list is narrow";
    list.InsertItem(longText, 0, 0, ITEM_TEXT);
    list.InsertItem(longText, 0, 0, ITEM_TEXT, 70);
    list.InsertItem(u"<b>bold</b> words and <font color=#0000ff>blue words</font> that wrap", 0, 0, ITEM_HTML);
    Paint();
    const int wideHeight = list.GetItemRect(0).Height();
    const int wideMarkupHeight = list.GetItemRect(2).Height();

    list.resize(82, kClientHeight + 2);
    Paint();
    EXPECT_GT(list.GetItemRect(0).Height(), wideHeight);
    EXPECT_GT(list.GetItemRect(2).Height(), wideMarkupHeight);
    EXPECT_EQ(list.GetItemRect(1).Height(), 70);

    Tap(40, list.GetItemRect(1).top + 5);
    list.DeleteAllItems();
    EXPECT_EQ(list.GetSelectedIndex(), 1);
    EXPECT_TRUE(list.GetItemRect(0).IsEmpty());
    AddFixed(3, 60);
    EXPECT_EQ(Paint().pixelColor(75, 110), list.palette().color(QPalette::Button));
}

TEST_F(HTMLListCtrlTest, ItemWithoutImageIsMeasuredNarrowerButDrawnShifted) {
    QPixmap strip(60, 20); // two 30 x 20 images
    strip.fill(Qt::red);
    const QtImageList images(strip, 30);
    list.SetImageList(&images);
    const std::u16string text = u"a few words to wrap at some width";

    const int plain = list.MeasureItem(text, ITEM_TEXT, 9, 100);
    list.SetExtendedStyle(HTMLLIST_STYLE_IMAGES);
    EXPECT_EQ(list.MeasureItem(text, ITEM_TEXT, 9, 100), plain);
    EXPECT_GT(list.MeasureItem(text, ITEM_TEXT, 0, 100), plain);

    FakeDrawingContext dc;
    HTMLListItem item;
    item.text = u"x";
    item.image = 9;
    list.DrawItem(dc, Rect{0, 0, 200, 60}, item, false);
    ASSERT_EQ(dc.TextCalls().size(), 1u);
    EXPECT_EQ(std::pair(dc.TextCalls()[0].rect.left, dc.TextCalls()[0].rect.top), std::pair(30 + 10 + 5, 5));
    for (const FakeDrawCall& call : dc.Calls()) {
        EXPECT_NE(call.kind, FakeDrawCall::Kind::Image);
    }
}

TEST_F(HTMLListCtrlTest, HoldAndRightButtonAskForTheContextMenu) {
    AddFixed(2, 60);
    Paint();
    const QPoint at(40, 30);
    const QPoint global = Client()->mapToGlobal(at);
    QTest::mousePress(Client(), Qt::LeftButton, {}, at);
    QTest::qWait(700);
    QTest::mouseRelease(Client(), Qt::LeftButton, {}, at);
    ASSERT_EQ(Sent(), (Codes{HTMLLIST_LBUTTONDOWN, HTMLLIST_SELCHANGED, HTMLLIST_CONTEXTMENU}));
    EXPECT_EQ(log[2].point, (Point{global.x(), global.y()}));

    log.clear(); // a press that moves away is a drag, not a hold
    QTest::mousePress(Client(), Qt::LeftButton, {}, at);
    QTest::mouseMove(Client(), at + QPoint(30, 0));
    QTest::qWait(700);
    QTest::mouseRelease(Client(), Qt::LeftButton, {}, at + QPoint(30, 0));
    EXPECT_EQ(Sent(), (Codes{HTMLLIST_LBUTTONDOWN, HTMLLIST_SELCHANGED}));

    log.clear();
    QTest::mousePress(Client(), Qt::RightButton, {}, at);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, global);
    QApplication::sendEvent(Client(), &request);
    QTest::mouseRelease(Client(), Qt::RightButton, {}, at);
    ASSERT_EQ(Sent(), (Codes{HTMLLIST_RBUTTONDOWN, HTMLLIST_CONTEXTMENU}));
    EXPECT_EQ(log[1].point, (Point{global.x(), global.y()}));
}

} // namespace
} // namespace parcelo

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
