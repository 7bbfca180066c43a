#include "ui/DropDownButton.h"

#include "platform/resource.h"
#include "render/qt/DpiCache.h"
#include "render/qt/ResourceImages.h"
#include "ui/DropDownButtonAccessible.h"
#include "ui/QtMenuBuilder.h"

#include <QAccessible>
#include <QAction>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <algorithm>

namespace parcelo {

namespace {

// Up to kLargeArrowDpi the small arrow is used; above it the arrow is drawn in
// proportion to the large one, which is made for kArrowDrawnDpi: a
// kArrowBox-pixel square, transparent but for a triangle whose top row starts
// at (kArrowLeft, kArrowTop) and is kArrowWidth pixels wide, each row below one
// pixel shorter at both ends (the picture IDI_ARROW_DOWN_HIRES).
constexpr int kLargeArrowDpi = 130;
constexpr int kArrowDrawnDpi = 192;
constexpr int kArrowBox = 32;
constexpr int kArrowLeft = 6;
constexpr int kArrowTop = 14;
constexpr int kArrowWidth = 19;
// The menus open kMenuTop - kMenuTopOrigin (21) pixels below the top of the
// window's client area, at the bar's lower edge, so that they seem to drop out
// of it. The two lengths are scaled each on its own before they are subtracted.
constexpr int kMenuTop = 47;
constexpr int kMenuTopOrigin = 26;
constexpr int kArrowSpace = 14; // room for the arrow right of a right-aligned caption

QImage DrawnArrow(int dpi) {
    const auto scaled = [dpi](int length) { return (length * dpi + kArrowDrawnDpi / 2) / kArrowDrawnDpi; };
    const int box = std::max(1, scaled(kArrowBox));
    const int left = scaled(kArrowLeft), top = scaled(kArrowTop), width = scaled(kArrowWidth);
    QImage image(box, box, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int row = 0; width - 2 * row > 0 && top + row < box; ++row) {
        for (int x = left + row; x < std::min(box, left + width - row); ++x) {
            image.setPixel(x, top + row, 0xFF000000);
        }
    }
    return image;
}

} // namespace

QPixmap CDropDownButton::ArrowPicture(const ScreenDpi& dpi) {
    QPixmap picture =
        QPixmap::fromImage(dpi.x <= kLargeArrowDpi ? LoadResourceImage(IDI_ARROW_DOWN) : DrawnArrow(dpi.x));
    picture.setDevicePixelRatio(dpi.ratio); // one picture pixel to a device pixel
    return picture;
}

int CDropDownButton::ArrowWidth() const {
    return LogicalLength(m_arrowIcon.width(), m_arrowIcon.devicePixelRatio());
}

CDropDownButton::CDropDownButton(int menuId, int subMenuIndex, bool iconAfterText, QWidget* parent)
    : QWidget(parent), m_menu(QtMenuBuilder::BuildSubMenu(menuId, static_cast<std::size_t>(subMenuIndex), this)),
      m_subMenuIndex(subMenuIndex), m_iconAfterText(iconAfterText), m_arrowIcon(ArrowPicture(DpiCache::Program())) {
    if (m_menu != nullptr) {
        connect(m_menu, &QMenu::triggered, this,
                [this](QAction* action) { OnChoice(QtMenuBuilder::CommandOf(action)); });
    }
    // Reached with Tab, not by a click, which leaves the focus on the list.
    setFocusPolicy(Qt::TabFocus);
    // Screen readers see a combo box named by the caption.
    static const bool accessible = (QAccessible::installFactory(&DropDownButtonAccessible::Create), true);
    (void)accessible;
    setAccessibleName(Caption());
}

QString CDropDownButton::Caption() const {
    if (m_menu == nullptr || m_selection < 0 || m_selection >= m_menu->actions().size()) {
        return {};
    }
    return m_menu->actions().at(m_selection)->text();
}

int CDropDownButton::WidthForEveryCaption() const {
    const ScreenDpi& dpi = DpiCache::Program();
    const int arrow = m_iconAfterText ? dpi.LogicalX(2) + ArrowWidth() : dpi.LogicalX(kArrowSpace);
    int widest = 0;
    if (m_menu != nullptr) {
        for (const QAction* action : m_menu->actions()) {
            widest = std::max(widest, fontMetrics().horizontalAdvance(action->text()));
        }
    }
    return dpi.LogicalX(3) + widest + arrow;
}

QPoint CDropDownButton::PopupPosition() const {
    // Measured from the window's client area, so the menus follow the window
    // wherever it is on the screen.
    const ScreenDpi& dpi = DpiCache::Program();
    const int top = window()->mapToGlobal(QPoint(0, 0)).y() +
                    LogicalLength(dpi.ScaleY(kMenuTop) - dpi.ScaleY(kMenuTopOrigin), dpi.ratio);
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    if (m_iconAfterText || m_menu == nullptr) {
        return {origin.x(), top};
    }
    return {origin.x() + width() - m_menu->sizeHint().width(), top};
}

void CDropDownButton::OpenMenu() {
    if (m_menu != nullptr) {
        m_menu->popup(PopupPosition());
    }
}

void CDropDownButton::OnChoice(int command) {
    unsigned message = 0;
    if (command >= ID_FILTER_ALL && command <= ID_FILTER_CANCELLED) {
        m_selection = command - ID_FILTER_ALL;
        message = WM_FILTER_CHANGED;
    } else if (command >= ID_SORT_ENTRY_DESC && command <= ID_SORT_ORDER_ASC) {
        m_selection = command - ID_SORT_ENTRY_DESC;
        message = WM_SORT_CHANGED;
    } else {
        return;
    }
    update();
    setAccessibleName(Caption());
    emit notifyMainWindow(message, static_cast<uint32_t>(command));
}

void CDropDownButton::paintEvent(QPaintEvent*) {
    const ScreenDpi& dpi = DpiCache::Program();
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));

    const int left = dpi.LogicalX(3);
    const int top = dpi.LogicalY(1);
    const QString caption = Caption();
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.setFont(font());
    if (m_iconAfterText) {
        const int textWidth = fontMetrics().horizontalAdvance(caption);
        painter.drawText(QRect(left, top, width() - left, height() - top), Qt::AlignLeft | Qt::AlignTop, caption);
        painter.drawPixmap(left + dpi.LogicalX(2) + textWidth, top, m_arrowIcon);
    } else {
        const int arrowLeft = width() - dpi.LogicalX(kArrowSpace);
        painter.drawText(QRect(left, top, arrowLeft - left, height() - top), Qt::AlignRight | Qt::AlignTop, caption);
        painter.drawPixmap(arrowLeft, top, m_arrowIcon);
    }
    if (hasFocus()) {
        // Two pixels of the highlight colour: plain to see on the button's colour.
        const int line = dpi.LogicalX(2);
        painter.setPen(QPen(palette().color(QPalette::Highlight), line));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(line / 2, line / 2, -(line + 1) / 2, -(line + 1) / 2));
    }
}

void CDropDownButton::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Down:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OpenMenu();
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void CDropDownButton::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void CDropDownButton::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void CDropDownButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        OpenMenu();
    }
}

} // namespace parcelo
