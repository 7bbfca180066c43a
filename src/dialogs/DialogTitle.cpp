#include "dialogs/DialogTitle.h"

#include "render/DrawingContext.h"
#include "render/qt/DpiCache.h"
#include "render/qt/QtDrawingContext.h"

#include <QPainter>
#include <QPalette>
#include <QWidget>

namespace parcelo {
namespace {

constexpr int kBandHeight = 24; // at 96 dots per inch
constexpr int kTextIndent = 8;
constexpr ColorRef kTitleColor = Rgb(0, 0, 156);
constexpr ColorRef kRuleColor = Rgb(0, 0, 0);

} // namespace

int TitleBandHeight(const ScreenDpi& dpi) {
    return dpi.LogicalY(kBandHeight);
}

void DrawDialogTitle(DrawingContext& dc, std::u16string_view title, const ScreenDpi& dpi) {
    const int width = dc.HorizontalResolution();

    // SelectFont answers with the font it replaces: swap in the stock font to learn the current one.
    const FontHandle current = dc.SelectFont(dc.StockSystemFont());
    dc.SelectFont(current);
    LogFont bold;
    dc.DescribeFont(current, bold);
    bold.weight = FW_BOLD;
    const FontHandle boldFont = dc.CreateFont(bold);
    const FontHandle previous = boldFont != FontHandle::None ? dc.SelectFont(boldFont) : current;

    const ColorRef previousColor = dc.SetTextColor(kTitleColor);
    const int height = TitleBandHeight(dpi);
    Rect band{kTextIndent, 0, width, height};
    dc.DrawText(title, band, DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_NOPREFIX);
    dc.SetTextColor(previousColor);
    dc.SelectFont(previous);

    dc.DrawLine({0, height}, {width, height}, kRuleColor, 1);
    if (boldFont != FontHandle::None) {
        dc.DeleteFont(boldFont);
    }
}

void DrawDialogTitle(DrawingContext& dc, std::u16string_view title) {
    DrawDialogTitle(dc, title, DpiCache::Program());
}

void DrawDialogTitle(QWidget& widget, std::u16string_view title) {
    QPainter painter(&widget);
    QtDrawingContext dc(painter, widget.font());
    // The title's blue was chosen for a light dialog; on a dark one it is drawn readable.
    const QColor window = widget.palette().color(QPalette::Window);
    if (qGray(window.rgb()) < 128) {
        dc.SetReadableOn(Rgb(static_cast<uint32_t>(window.red()), static_cast<uint32_t>(window.green()),
                             static_cast<uint32_t>(window.blue())));
    }
    DrawDialogTitle(dc, title);
}

} // namespace parcelo
