#include "platform/QtDrawingContext.h"

#include "listui/MarkupRenderer.h"
#include "platform/QtImageList.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace parcelo {
namespace {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "QtDrawingContextTest";
    static char* argv[] = {name, nullptr};
    static const QGuiApplication application(argc, argv);
}

class QtDrawingContextTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        image.fill(Qt::white);
    }

    // Draws with a fresh context and returns the bounding box of all ink.
    QRect Paint(const std::function<void(DrawingContext&)>& draw) {
        {
            QPainter painter(&image);
            QtDrawingContext dc(painter, font);
            draw(dc);
        }
        QRect box;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                box |= qGray(image.pixel(x, y)) < 250 ? QRect(x, y, 1, 1) : QRect();
            }
        }
        return box;
    }

    int Count(const std::function<bool(QRgb)>& match) const {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                count += match(image.pixel(x, y)) ? 1 : 0;
            }
        }
        return count;
    }

    QImage image{300, 80, QImage::Format_RGB32};
    QFont font = [] {
        QFont korean(QStringLiteral("Noto Sans CJK KR"));
        korean.setPixelSize(20);
        return korean;
    }();
};

void DrawMarkup(DrawingContext& dc, std::u16string_view text, Rect rect) {
    DrawMarkupText(&dc, text.data(), static_cast<int>(text.size()), &rect, DT_WORDBREAK);
}

Rect MeasureMarkup(DrawingContext& dc, std::u16string_view text, Rect rect) {
    DrawMarkupText(&dc, text.data(), static_cast<int>(text.size()), &rect, DT_CALCRECT | DT_WORDBREAK);
    return rect;
}

TEST_F(QtDrawingContextTest, MarkupColoursFontsAndMeasuresLikeItDraws) {
    ASSERT_TRUE(QFontInfo(font).family().startsWith(QStringLiteral("Noto Sans CJK")));
    Paint([](DrawingContext& dc) { DrawMarkup(dc, u"<font color=#ff0000>운동화 HH</font>", {0, 0, 300, 80}); });
    EXPECT_GT(Count([](QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; }), 50);
    // Nothing but shades of the one colour: no fringes from sub-pixel smoothing.
    EXPECT_EQ(Count([](QRgb p) { return qGray(p) < 250 && (qGreen(p) != qBlue(p) || qRed(p) < qGreen(p)); }), 0);

    // Bold is wider, and measuring agrees with what is drawn.
    QImage probe(1, 1, QImage::Format_RGB32);
    QPainter painter(&probe);
    QtDrawingContext dc(painter, font);
    const Rect regular = MeasureMarkup(dc, u"상품명 Heading", {0, 0, 300, 80});
    EXPECT_GT(MeasureMarkup(dc, u"<b>상품명 Heading</b>", {0, 0, 300, 80}).right, regular.right);
    EXPECT_EQ(regular.bottom, QFontMetrics(font).height());
    image.fill(Qt::white);
    const QRect ink = Paint([](DrawingContext& d) { DrawMarkup(d, u"상품명 Heading", {0, 0, 300, 80}); });
    EXPECT_NEAR(ink.right() + 1, regular.right, 3);
    // The three-line item measures three lines.
    const Rect item = MeasureMarkup(
        dc, u"상품명: <h>운동화</h> <br> <font color=#0000ff>CJ대한통운: 123</font> <br> 주문일: 2026-12-1",
        {0, 0, 400, 0});
    EXPECT_EQ(item.bottom, 3 * QFontMetrics(font).height());
}

TEST_F(QtDrawingContextTest, ClipsTextToItsRectangle) {
    // The bold word follows the Korean one without white space, so it stays on the line and is cut at its right edge.
    const QRect ink = Paint([](DrawingContext& dc) {
        DrawMarkup(dc, u"가나다라<b>WWWWW</b>", {10, 10, 150, 40});
        Rect line{10, 50, 60, 60}; // too low for the text: the clip keeps it within 10 pixels
        dc.DrawText(u"WWWWWWW", line, DT_SINGLELINE);
    });
    EXPECT_TRUE(QRect(QPoint(10, 10), QPoint(149, 59)).contains(ink)) << ink.x() << "," << ink.y();

    // With DT_NOCLIP the end ellipsis alone keeps a long text in its rectangle.
    image.fill(Qt::white);
    const QRect elided = Paint([](DrawingContext& dc) {
        Rect rect{0, 0, 120, 80};
        dc.DrawText(u"배송중 배송중 배송중 배송중 배송중", rect,
                    DT_END_ELLIPSIS | DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE | DT_VCENTER);
    });
    EXPECT_LE(elided.right(), 119);
    EXPECT_NEAR(elided.center().y(), 40, 4);
}

TEST_F(QtDrawingContextTest, WrapsLikeThePlatformAndKeepsSelectedFonts) {
    QImage probe(1, 1, QImage::Format_RGB32);
    QPainter painter(&probe);
    QtDrawingContext dc(painter, font);
    const int lineHeight = QFontMetrics(font).height();
    const int word = dc.MeasureText(u"가나다").cx;
    Rect wrapped{5, 5, 5 + word + word / 2, 5};
    EXPECT_EQ(dc.DrawText(u"가나다 가나다\n가", wrapped, DT_CALCRECT | DT_WORDBREAK), 3 * lineHeight);
    EXPECT_EQ(wrapped, (Rect{5, 5, 5 + word, 5 + 3 * lineHeight}));
    Rect single{0, 0, 10, 0};
    dc.DrawText(u"&가 나", single, DT_CALCRECT | DT_SINGLELINE | DT_WORDBREAK);
    EXPECT_EQ(single.right, dc.MeasureText(u"가 나").cx);

    const FontHandle stock = dc.StockSystemFont();
    LogFont description;
    ASSERT_TRUE(dc.DescribeFont(stock, description));
    EXPECT_EQ(description.height, -20);
    const FontHandle bold = CreateStyledFont(dc, stock, MARKUP_STYLE_BOLD);
    const int state = dc.SaveState();
    dc.SelectFont(bold);
    dc.SetTextColor(0x0000FF);
    dc.DeleteFont(bold); // refused while selected
    EXPECT_TRUE(dc.DescribeFont(bold, description));
    dc.RestoreState(state);
    EXPECT_EQ(dc.GetTextColor(), 0u);
    EXPECT_EQ(dc.SelectFont(stock), stock);
    dc.DeleteFont(bold);
    EXPECT_FALSE(dc.DescribeFont(bold, description));
    EXPECT_EQ(dc.SelectFont(bold), FontHandle::None);

    painter.setClipRect(QRect(0, 0, 1, 1));
    EXPECT_EQ(dc.GetClipBox(), (Rect{0, 0, 1, 1}));
}

TEST_F(QtDrawingContextTest, ImageListLeavesMagentaOut) {
    QImage strip(8, 4, QImage::Format_RGB32);
    strip.fill(QColor(0xFF, 0x00, 0xFF));
    QPainter(&strip).fillRect(5, 0, 1, 4, QColor(0, 0x80, 0)); // one green column in image 1
    const QtImageList images(QPixmap::fromImage(strip), 4);
    EXPECT_EQ(images.Count(), 2);

    const QRect ink = Paint([&](DrawingContext& dc) {
        dc.DrawImage(images, 1, {20, 30});
        dc.DrawImage(images, 7, {0, 0});
    });
    EXPECT_EQ(ink, QRect(21, 30, 1, 4)); // the green column alone: magenta and the unknown image draw nothing
}

} // namespace
} // namespace parcelo
