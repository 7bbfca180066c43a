#include "ui/FilterSortBar.h"

#include "platform/resource.h"
#include "render/qt/DpiCache.h"

#include <QMenu>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>

namespace parcelo {

namespace {

constexpr int kButtonTop = 2;
constexpr int kButtonHeight = 200; // far taller than the bar, which clips the buttons
constexpr int kGap = 5;            // on each side of the boundary between the halves

} // namespace

CFilterSortBar::CFilterSortBar(QWidget* parent)
    : QWidget(parent), m_filterButton(IDR_POPUPS, kPopupFilterMenu, true, this),
      m_sortButton(IDR_POPUPS, kPopupSortMenu, false, this) {
    m_filterButton.setObjectName(QStringLiteral("Filter"));
    m_sortButton.setObjectName(QStringLiteral("Sort"));
    m_filterButton.hide();
    m_sortButton.hide();
    connect(&m_filterButton, &CDropDownButton::notifyMainWindow, this, &CFilterSortBar::notifyMainWindow);
    connect(&m_sortButton, &CDropDownButton::notifyMainWindow, this, &CFilterSortBar::notifyMainWindow);
}

bool CFilterSortBar::CreateDropDowns() {
    m_created = true;
    if (m_filterButton.Menu() == nullptr) {
        return false;
    }
    PlaceButtons();
    m_filterButton.show();
    if (m_sortButton.Menu() == nullptr) {
        return false;
    }
    m_sortButton.show();
    return true;
}

int CFilterSortBar::MinimumWindowWidth() const {
    const int widest = std::max(m_filterButton.WidthForEveryCaption(), m_sortButton.WidthForEveryCaption());
    return 2 * (widest + DpiCache::Program().LogicalX(kGap));
}

void CFilterSortBar::PlaceButtons() {
    const ScreenDpi& dpi = DpiCache::Program();
    const int height = dpi.LogicalY(kButtonHeight);
    const int top = dpi.LogicalY(kButtonTop);
    const int gap = dpi.LogicalX(kGap);
    const int half = window()->width() / 2;
    m_filterButton.setGeometry(0, top, half - gap, height);
    m_sortButton.setGeometry(half + gap, top, half - gap, height);
}

void CFilterSortBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_created) {
        PlaceButtons();
    }
}

void CFilterSortBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
}

} // namespace parcelo
