#include "dialogs/AboutDlg.h"

#include "platform/Translation.h"
#include "platform/resource.h"
#include "render/GdiTypes.h"
#include "render/qt/ResourceImages.h"

#include <QImage>
#include <QPainter>

namespace parcelo {
namespace {

constexpr int kRuleLeft = 2;  // at 96 dots per inch
constexpr int kRuleInset = 4; // from the right edge
constexpr int kRuleTop = 60;
constexpr int kLogoTop = 100;
constexpr int kHighDpiLogo = 130; // above this many dots per inch the large logo is used
constexpr ColorRef kRuleColor = Rgb(32, 32, 32);

// The about box's only command: a soft key that closes it.
constexpr MenuItem kAboutMenu[] = {{PARCELO_TR_NOOP("Menu", "확인"), IDOK}};

int LogoFor(int dpiX) {
    return dpiX > kHighDpiLogo ? IDB_ABOUT_LOGO_LARGE : IDB_ABOUT_LOGO;
}

} // namespace

CAboutDlg::Decoration CAboutDlg::LayOutDecoration(int width, const ScreenDpi& dpi, int logoWidth) {
    Decoration decoration;
    const int ruleY = dpi.LogicalY(kRuleTop);
    decoration.rule = QLine(dpi.LogicalX(kRuleLeft), ruleY, width - dpi.LogicalX(kRuleInset), ruleY);
    decoration.logoId = LogoFor(dpi.x);
    decoration.logoTopLeft = QPoint((width - logoWidth) / 2, dpi.LogicalY(kLogoTop));
    return decoration;
}

CAboutDlg::CAboutDlg(QWidget* parent) : CDialog(IDD_ABOUTBOX, parent), m_template(IDD_ABOUTBOX) {}

void CAboutDlg::OnInitDialog() {
    CreateMenuBar(kAboutMenu);
    ChooseTemplate();
}

void CAboutDlg::ChooseTemplate() {
    const int wanted = height() > width() ? IDD_ABOUTBOX : IDD_ABOUTBOX_WIDE;
    if (wanted != m_template) {
        m_template = wanted;
        ApplyTemplateLayout(m_template);
    }
}

void CAboutDlg::resizeEvent(QResizeEvent* event) {
    CDialog::resizeEvent(event);
    if (IsInitialised()) {
        ChooseTemplate();
    }
}

void CAboutDlg::paintEvent(QPaintEvent* event) {
    CDialog::paintEvent(event);
    const ScreenDpi& dpi = DpiCache::Program();
    QImage logo = LoadResourceImage(LogoFor(dpi.x));
    logo.setDevicePixelRatio(dpi.ratio); // one picture pixel to a device pixel
    const Decoration decoration = LayOutDecoration(width(), dpi, LogicalLength(logo.width(), dpi.ratio));

    QPainter painter(this);
    painter.setPen(QPen(QColor(static_cast<int>(RedOf(kRuleColor)), static_cast<int>(GreenOf(kRuleColor)),
                               static_cast<int>(BlueOf(kRuleColor))),
                        1));
    painter.drawLine(decoration.rule);
    painter.drawImage(decoration.logoTopLeft, logo);
}

} // namespace parcelo
