#include "listui/HTMLListCtrl.h"

#include "platform/resource.h"
#include "render/Contrast.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

namespace parcelo {
namespace {

constexpr int kClientWidth = 200;
constexpr int kClientHeight = 300;

using Codes = std::vector<int>;

// Records which items a paint draws and where.
class RecordingList : public CHTMLListCtrl {
public:
    using CHTMLListCtrl::CHTMLListCtrl;
    void DrawItem(DrawingContext& dc, const Rect& rect, const HTMLListItem& item, bool selected) override {
        drawn.emplace_back(item.data, rect.top);
        measuredAtFirstDraw = measuredAtFirstDraw < 0 ? MeasureCount() : measuredAtFirstDraw;
        CHTMLListCtrl::DrawItem(dc, rect, item, selected);
    }
    std::vector<std::pair<uint32_t, int>> drawn;
    int64_t measuredAtFirstDraw = -1;
};

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
        std::ranges::transform(log, std::back_inserter(codes), &HTMLListNotify::code);
        return codes;
    }
    void Key(Qt::Key key) { QTest::keyClick(&list, key); }

    RecordingList list{nullptr, 77};
    std::vector<HTMLListNotify> log;
};

// Taps, double taps, a held tap and the check boxes notify in order; a handler may
// empty the list while a tap is being reported.
TEST_F(HTMLListCtrlTest, PointerAndSpaceNotifyInOrder) {
    list.SetExtendedStyle(HTMLLIST_STYLE_CHECKBOXES); // a box spans x 3..17 and y 22..36 of its item
    AddFixed(3, 60);
    Paint();
    ASSERT_EQ(Tap(100, 90), (Codes{HTMLLIST_LBUTTONDOWN, HTMLLIST_SELCHANGED}));
    EXPECT_EQ(std::tuple(log[1].item, log[1].data, log[1].idFrom, list.GetSelectedIndex()), std::tuple(1, 101u, 77, 1));
    ASSERT_EQ(Tap(100, 250), (Codes{HTMLLIST_LBUTTONDOWN, HTMLLIST_SELCHANGED}));
    EXPECT_EQ(std::pair(log[1].item, list.GetSelectedIndex()), std::pair(-1, -1));

    Tap(100, 150);
    QTest::mouseDClick(Client(), Qt::LeftButton, {}, QPoint(100, 150));
    QTest::mouseRelease(Client(), Qt::LeftButton, {}, QPoint(100, 150));
    ASSERT_EQ(Sent(), (Codes{HTMLLIST_LBUTTONDOWN, HTMLLIST_SELCHANGED, HTMLLIST_DBLCLICK}));
    EXPECT_EQ(std::pair(log[2].item, list.GetSelectedIndex()), std::pair(-1, 2));

    // Held, a tap asks for the context menu where it is.
    log.clear();
    const QPoint at(40, 30);
    QTest::mousePress(Client(), Qt::LeftButton, {}, at);
    QTest::qWait(700);
    QTest::mouseRelease(Client(), Qt::LeftButton, {}, at);
    ASSERT_EQ(Sent(), (Codes{HTMLLIST_LBUTTONDOWN, HTMLLIST_SELCHANGED, HTMLLIST_CONTEXTMENU}));
    EXPECT_EQ(log[2].point, (Point{Client()->mapToGlobal(at).x(), Client()->mapToGlobal(at).y()}));

    QObject::connect(&list, &CHTMLListCtrl::notify, [this](const HTMLListNotify& n) {
        if (n.code == HTMLLIST_CHECKCHANGED && n.data == 101) {
            list.DeleteAllItems();
        }
    });
    ASSERT_EQ(Tap(10, 30), (Codes{HTMLLIST_LBUTTONDOWN, HTMLLIST_CHECKCHANGED, HTMLLIST_SELCHANGED}));
    EXPECT_TRUE(log[1].ticked && list.GetItemCheck(0));
    log.clear();
    Key(Qt::Key_Space);
    ASSERT_EQ(Sent(), Codes{HTMLLIST_CHECKCHANGED});
    EXPECT_EQ(std::tuple(log[0].item, log[0].ticked, list.GetItemCheck(0)), std::tuple(0, false, false));
    ASSERT_EQ(Tap(10, 90), (Codes{HTMLLIST_LBUTTONDOWN, HTMLLIST_CHECKCHANGED, HTMLLIST_SELCHANGED}));
    EXPECT_EQ(std::tuple(log[2].data, log[2].ticked, list.GetItemCount()), std::tuple(101u, true, 0));
}

ColorRef ColourAt(const QImage& image, int x, int y) {
    return Rgb(qRed(image.pixel(x, y)), qGreen(image.pixel(x, y)), qBlue(image.pixel(x, y)));
}

// The best (`best`) or least contrast on `background` of the pixels of `area`.
double Contrast(const QImage& image, const QRect& area, ColorRef background, bool best) {
    std::vector<double> ratios;
    for (int at = 0; at < area.width() * area.height(); ++at) {
        ratios.push_back(ContrastRatio(ColourAt(image, area.left() + at % area.width(), area.top() + at / area.width()),
                                       background));
    }
    return best ? std::ranges::max(ratios) : std::ranges::min(ratios);
}

// In a dark palette every text reads (4.5:1) on its background, the selected item's too; the
// focus ring reads (3:1) on the selected item in either palette, and around the client area when
// Tab focused a list without selection, else nothing shows it. An empty list says how to fill it,
// but not while rows are still to come.
TEST_F(HTMLListCtrlTest, TextsAndTheFocusReadInEitherPaletteAndAnEmptyListSaysHowToFillIt) {
    const auto ink = [this] { return Contrast(Paint(), Client()->rect(), Rgb(255, 255, 255), true); };
    EXPECT_EQ(ink(), 1.0);
    list.SetEmptyText(u"새로 만들기(F1)로 첫 배송을 추가하십시오.");
    EXPECT_GE(ink(), 4.5);
    list.SetRowsToCome(3);
    EXPECT_EQ(ink(), 1.0);
    list.SetRowsToCome(0);

    for (const char* colour : {"#ff9999", "#00009c", "#808080"}) {
        const std::string markup = std::string("<font color=") + colour + ">WWWWWWWW</font>";
        list.InsertItem(std::u16string(markup.begin(), markup.end()), 0, 1, ITEM_HTML, 60);
    }
    list.SetSelectedIndex(1);
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(0x23, 0x26, 0x29));
    dark.setColor(QPalette::Text, QColor(0xef, 0xf0, 0xf1));
    dark.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    dark.setColor(QPalette::Button, QColor(0x31, 0x36, 0x3b));
    list.setPalette(dark);
    const QImage image = Paint();
    for (int item = 0; item < 3; ++item) {
        const ColorRef background = ColourAt(image, kClientWidth - 2, item * 60 + 30);
        EXPECT_TRUE(item == 1 || qGray(image.pixel(kClientWidth - 2, item * 60 + 30)) < 128) << "the background";
        EXPECT_GE(Contrast(image, QRect(0, item * 60, kClientWidth, 60), background, true), 4.5) << "item " << item;
    }
    // The least contrast along the ring's two top rows, against the inside of the item.
    const auto ring = [](const QImage& shot, int top) {
        return Contrast(shot, QRect(20, top, kClientWidth - 40, 2), ColourAt(shot, kClientWidth - 6, top + 6), false);
    };
    list.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
    list.setFocus(Qt::OtherFocusReason);
    EXPECT_GE(ring(Paint(), 60), 3.0) << "dark, selected";
    list.setPalette(QPalette());
    EXPECT_GE(ring(Paint(), 60), 3.0) << "light, selected";
    list.SetSelectedIndex(-1);
    EXPECT_EQ(Paint().pixel(kClientWidth / 2, 0), qRgb(255, 255, 255)) << "the seed's look without keys";
    list.clearFocus();
    list.setFocus(Qt::TabFocusReason);
    EXPECT_GE(ring(Paint(), 0), 3.0) << "light, nothing selected, focused by Tab";
    list.clearFocus();
    EXPECT_EQ(Paint().pixel(kClientWidth / 2, 0), qRgb(255, 255, 255));
    EXPECT_EQ(Paint().pixel(kClientWidth - 2, 30), qRgb(255, 255, 255));
}

// Keys move the selection without wrapping and scroll it into view; a scrolled list
// paints and hits the items in view.
TEST_F(HTMLListCtrlTest, KeysMoveWithoutWrappingAndAScrolledListPaintsAndHitsTheItemsInView) {
    AddFixed(6, 100); // 600 pixels in a client area of 300
    Paint();
    Key(Qt::Key_Down);
    EXPECT_EQ(std::pair(list.GetSelectedIndex(), ScrollPos()), std::pair(5, 300));
    Key(Qt::Key_Down);
    EXPECT_EQ(list.GetSelectedIndex(), 5);
    ASSERT_EQ(Sent(), (Codes{HTMLLIST_SELCHANGED, HTMLLIST_SELCHANGED}));
    // Home, End and a page of 300 pixels (three items), never past either end.
    for (const auto& [key, selected, scroll] :
         {std::tuple{Qt::Key_Home, 0, 0}, std::tuple{Qt::Key_PageDown, 3, 100}, std::tuple{Qt::Key_PageDown, 5, 300},
          std::tuple{Qt::Key_PageUp, 2, 200}, std::tuple{Qt::Key_PageUp, 0, 0}, std::tuple{Qt::Key_End, 5, 300}}) {
        Key(key);
        EXPECT_EQ(std::pair(list.GetSelectedIndex(), ScrollPos()), std::pair(selected, scroll)) << key;
    }

    list.verticalScrollBar()->setValue(250);
    list.drawn.clear();
    Paint();
    // The client area shows the list from 250 to 550: items 2 to 5.
    for (const auto& [data, top] : list.drawn) {
        EXPECT_GE(data, 102u);
        EXPECT_EQ(top, static_cast<int>(data - 100) * 100 - 250);
    }
    Tap(100, 60); // 310 down the list
    EXPECT_EQ(list.GetSelectedIndex(), 3);
    list.InsertItem(u"tall", 0, 0, ITEM_TEXT, 400);
    list.verticalScrollBar()->setValue(700);
    Paint();
    list.EnsureVisible(6); // taller than the client area: its top is shown
    EXPECT_EQ(ScrollPos(), 600);

    // The selection outlives a refill and shows in it; left past the end by a shorter refill,
    // it continues from the last item.
    list.DeleteAllItems();
    EXPECT_TRUE(list.GetSelectedIndex() == 3 && list.GetItemRect(0).IsEmpty());
    AddFixed(5, 60);
    EXPECT_EQ(Paint().pixelColor(75, 230), list.palette().color(QPalette::Button));
    list.DeleteAllItems();
    AddFixed(2, 100);
    Key(Qt::Key_Up);
    EXPECT_EQ(list.GetSelectedIndex(), 1);
    list.DeleteAllItems();
    list.SetSelectedIndex(-1);
    log.clear();
    Key(Qt::Key_Down);
    Key(Qt::Key_Up);
    Key(Qt::Key_Return);
    EXPECT_EQ(std::pair(list.GetSelectedIndex(), Sent()), std::pair(-1, Codes{HTMLLIST_RETURN})) << "an empty list";
}

TEST_F(HTMLListCtrlTest, MeasuredItemsAndTheBarFollowTheWidth) {
    const std::u16string longText = u"several words that wrap onto more lines when the list is narrow";
    list.InsertItem(longText, 0, 0, ITEM_TEXT);
    list.InsertItem(longText, 0, 0, ITEM_TEXT, 70);
    Paint();
    const int wideHeight = list.GetItemRect(0).Height();

    list.resize(82, kClientHeight + 2);
    Paint();
    EXPECT_GT(list.GetItemRect(0).Height(), wideHeight);
    EXPECT_EQ(list.GetItemRect(1).Height(), 70);

    // The bar follows a resize in the very next frame, without a turn of the event loop.
    list.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list.resize(62, 42);
    QCoreApplication::processEvents();
    ASSERT_TRUE(list.verticalScrollBar()->isVisible());
    list.resize(kClientWidth * 3, kClientHeight * 2);
    EXPECT_EQ(std::pair(list.verticalScrollBar()->isVisible(), list.viewport()->width()),
              std::pair(false, kClientWidth * 3 - 2));
    list.resize(62, 42);
    EXPECT_TRUE(list.verticalScrollBar()->isVisible());
}

// The first frame does not wait for the measuring of what it does not show; estimated items
// select, scroll and hit like measured ones; refined heights leave the selected item in place.
TEST_F(HTMLListCtrlTest, EstimatedItemsActLikeMeasuredOnesAndRefiningMovesNothingInView) {
    constexpr int kCount = 1000;
    constexpr int64_t kBigData = int64_t{1} << 40; // shipment ids do not fit 32 bits
    // Every seventh text wraps onto several lines, so the estimates are wrong for some.
    const auto text = [](int i) {
        return u"item " + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) +
               (i % 7 == 3 ? u" with words enough to wrap onto a few more lines at this width" : u"");
    };
    for (int i = 0; i < kCount; ++i) {
        list.InsertItem(text(i), 0, kBigData + i, ITEM_TEXT);
    }
    ASSERT_TRUE(QTest::qWaitFor([this] { return list.measuredAtFirstDraw >= 0; }));
    EXPECT_LT(list.measuredAtFirstDraw, kCount / 10);
    EXPECT_TRUE(list.HasPendingWork());

    Key(Qt::Key_Down);
    Paint();
    const int last = kCount - 1;
    const Rect rect = list.GetItemRect(last);
    EXPECT_EQ(std::pair(list.GetSelectedIndex(), rect.bottom), std::pair(last, kClientHeight));
    EXPECT_EQ(rect.Height(), list.MeasureItem(text(last), ITEM_TEXT, 0, kClientWidth));
    const Rect above = list.GetItemRect(last - 1);
    ASSERT_EQ(Tap(100, (above.top + above.bottom) / 2), (Codes{HTMLLIST_LBUTTONDOWN, HTMLLIST_SELCHANGED}));
    EXPECT_EQ(std::pair(log[1].item, log[1].data), std::pair(last - 1, kBigData + last - 1));

    list.SetSelectedIndex(500);
    list.EnsureVisible(500);
    Paint();
    const Rect before = list.GetItemRect(500);
    ASSERT_TRUE(before.top >= 0 && before.bottom <= kClientHeight);
    const int positionBefore = ScrollPos();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !list.HasPendingWork(); })); // measures the items above
    Paint();
    EXPECT_EQ(list.GetItemRect(500), before);
    EXPECT_NE(ScrollPos(), positionBefore) << "the estimates above were off, so the position follows";
    EXPECT_EQ(list.verticalScrollBar()->maximum(), list.GetTotalHeight() - kClientHeight);
    QTest::mouseClick(Client(), Qt::LeftButton, {}, QPoint(100, (before.top + before.bottom) / 2));
    EXPECT_EQ(list.GetSelectedIndex(), 500);
}

} // namespace
} // namespace parcelo
