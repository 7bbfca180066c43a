#include "render/qt/QtDrawingContext.h"

#include "render/MarkupRenderer.h"
#include "render/qt/QtImageList.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <span>

namespace parcelo {
namespace {

class QtDrawingContextTest : public ::testing::Test {
protected:
    // Draws with a fresh context on a white image and returns the bounding box of all ink.
    QRect Paint(const std::function<void(DrawingContext&)>& draw, const QFont* with = nullptr) {
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            QtDrawingContext dc(painter, with != nullptr ? *with : font);
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

    QImage image{300, 80, QImage::Format_RGB32};
    QFont font = [] {
        QFont korean(QStringLiteral("Noto Sans CJK KR"));
        korean.setPixelSize(20);
        return korean;
    }();
    QImage probe{1, 1, QImage::Format_RGB32};
    QPainter probePainter{&probe};
    QtDrawingContext measure{probePainter, font};
};

Rect DrawMarkup(DrawingContext& dc, std::u16string_view text, Rect rect, unsigned format = DT_WORDBREAK) {
    DrawMarkupText(&dc, text.data(), static_cast<int>(text.size()), &rect, format);
    return rect;
}

TEST_F(QtDrawingContextTest, ColoursMeasuresAndClipsTextLikeItDrawsAndCachedWordsDrawAsDrawText) {
    ASSERT_TRUE(QFontInfo(font).family().startsWith(QStringLiteral("Noto Sans CJK")));
    Paint([](DrawingContext& dc) { DrawMarkup(dc, u"<font color=#ff0000>운동화 HH</font>", {0, 0, 300, 80}); });
    const std::span pixels(reinterpret_cast<const QRgb*>(image.constBits()), image.sizeInBytes() / sizeof(QRgb));
    const auto isRed = [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; };
    // Anything but shades of the one colour is a fringe left by sub-pixel smoothing.
    const auto isFringe = [](QRgb p) { return qGray(p) < 250 && (qGreen(p) != qBlue(p) || qRed(p) < qGreen(p)); };
    EXPECT_GT(std::ranges::count_if(pixels, isRed), 50);
    EXPECT_EQ(std::ranges::count_if(pixels, isFringe), 0);

    const Rect measured = DrawMarkup(measure, u"상품명 Heading", {0, 0, 300, 80}, DT_CALCRECT | DT_WORDBREAK);
    const QRect ink = Paint([](DrawingContext& dc) { DrawMarkup(dc, u"상품명 Heading", {0, 0, 300, 80}); });
    EXPECT_NEAR(ink.right() + 1, measured.right, 3);

    // The bold word follows the Korean one without white space, so it stays on the line and is cut at its right edge.
    const QRect clipped = Paint([](DrawingContext& dc) { DrawMarkup(dc, u"가나다라<b>WWWWW</b>", {10, 10, 150, 40}); });
    EXPECT_TRUE(QRect(QPoint(10, 10), QPoint(149, 39)).contains(clipped)) << clipped.x() << "," << clipped.y();

    // With DT_NOCLIP the end ellipsis alone keeps a long text in its rectangle.
    constexpr uint32_t kSingleLine = DT_END_ELLIPSIS | DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE | DT_VCENTER;
    Rect rect{0, 0, 120, 80};
    const QRect elided =
        Paint([&](DrawingContext& dc) { dc.DrawText(u"배송중 배송중 배송중 배송중 배송중", rect, kSingleLine); });
    EXPECT_TRUE(elided.right() <= 119 && std::abs(elided.center().y() - 40) <= 4) << elided.right();

    // Words drawn from the shaping cache give drawText's pixels, every time, underlined or not.
    const QString text = QStringLiteral("CJ대한통운: 6012 3일");
    for (const bool underline : {false, true}) {
        QFont shown = font;
        shown.setUnderline(underline);
        QImage expected(image.size(), image.format());
        expected.fill(Qt::white);
        QPainter painter(&expected);
        painter.setFont(shown);
        painter.setPen(QColor(0, 0, 255));
        painter.drawText(QPoint(7, 3 + QFontMetrics(shown).ascent()), text);
        painter.end();
        for (int pass = 0; pass < 2; ++pass) {
            Paint(
                [&](DrawingContext& dc) {
                    dc.SetTextColor(Rgb(0, 0, 255));
                    Rect at{7, 3, 300, 80};
                    dc.DrawText(text.toStdU16String(), at, DT_NOCLIP | DT_SINGLELINE);
                },
                &shown);
            EXPECT_EQ(image, expected) << "underline " << underline << ", pass " << pass;
        }
    }
}

TEST_F(QtDrawingContextTest, ASelectedFontIsNotDeletedRestoringReselectsTheOldOneAndImagesLeaveMagentaOut) {
    const FontHandle stock = measure.StockSystemFont();
    const FontHandle bold = CreateStyledFont(measure, stock, MARKUP_STYLE_BOLD);
    LogFont description;
    measure.SaveState();
    measure.SelectFont(bold);
    measure.DeleteFont(bold); // refused while selected
    EXPECT_TRUE(measure.DescribeFont(bold, description));
    measure.RestoreState(-1); // counted back from the last state saved
    EXPECT_EQ(measure.SelectFont(stock), stock);
    measure.DeleteFont(bold);
    EXPECT_FALSE(measure.DescribeFont(bold, description) || measure.SelectFont(bold) != FontHandle::None);

    QImage strip(8, 4, QImage::Format_RGB32);
    strip.fill(QColor(0xFF, 0x00, 0xFF));
    QPainter(&strip).fillRect(5, 0, 1, 4, QColor(0, 0x80, 0)); // one green column in image 1
    const QtImageList images(QPixmap::fromImage(strip), 4);
    const QRect ink = Paint([&](DrawingContext& dc) {
        dc.DrawImage(images, 1, {20, 30});
        dc.DrawImage(images, 7, {0, 0});
    });
    EXPECT_EQ(ink, QRect(21, 30, 1, 4)); // the green column alone: magenta and the unknown image draw nothing
}

} // namespace
} // namespace parcelo

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen"); // no test here needs a display
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
