#include "listui/HTMLListCtrl.h"

#include "listui/MarkupRenderer.h"
#include "platform/QtDrawingContext.h"
#include "platform/QtImageList.h"
#include "platform/ResourceImages.h"
#include "res/resource.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPalette>
#include <QPixmap>
#include <QResizeEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace parcelo {

namespace {

constexpr ColorRef kWhite = Rgb(255, 255, 255);
constexpr ColorRef kBlack = Rgb(0, 0, 0);

constexpr int kLineStep = 50;
constexpr int kPageStep = 50;
constexpr int kWheelStep = 40;
constexpr int kWheelNotch = 120;
constexpr int kHoldMilliseconds = 500;

constexpr uint32_t kMeasureMarkup = DT_CALCRECT | DT_EXTERNALLEADING | DT_WORDBREAK;
constexpr uint32_t kMeasureSingleLine = DT_CALCRECT | DT_SINGLELINE | DT_VCENTER;
constexpr uint32_t kDrawSingleLine = DT_END_ELLIPSIS | DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE | DT_VCENTER;

ColorRef ToColorRef(const QColor& color) {
    return Rgb(color.red(), color.green(), color.blue());
}

std::unique_ptr<QtImageList> LoadCheckBoxes() {
    return std::make_unique<QtImageList>(QPixmap::fromImage(LoadResourceImage(IDB_CHECKBOXES)), kCheckBoxImageSize);
}

bool InCheckBox(const Rect& itemRect, QPoint point) {
    const int centre = itemRect.top + itemRect.Height() / 2;
    const Rect box{itemRect.left + 3, centre - 8, itemRect.left + 18, centre + 7};
    return box.Contains(Point{point.x(), point.y()});
}

} // namespace

CHTMLListCtrl::CHTMLListCtrl(QWidget* parent, int controlId) : QAbstractScrollArea(parent), m_controlId(controlId) {
    setObjectName(QStringLiteral("HTMLListCtrl"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Painting covers the whole client area itself; nothing is erased first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    viewport()->setCursor(Qt::ArrowCursor);

    m_selectionColor = ToColorRef(palette().color(QPalette::Button));
    m_checkBoxes = LoadCheckBoxes();
    m_clientWidth = viewport()->width();
    m_clientHeight = viewport()->height();

    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, 0);
    bar->setSingleStep(kLineStep);
    connect(bar, &QAbstractSlider::actionTriggered, this, &CHTMLListCtrl::OnScrollAction);

    m_holdTimer.setSingleShot(true);
    m_holdTimer.setInterval(kHoldMilliseconds);
    connect(&m_holdTimer, &QTimer::timeout, this, &CHTMLListCtrl::OnHoldTimeout);
}

CHTMLListCtrl::~CHTMLListCtrl() {
    DropMeasuringContext();
}

int CHTMLListCtrl::InsertItem(std::u16string text, int image, uint32_t data, int kind, int height) {
    HTMLListItem item;
    item.index = GetItemCount();
    item.text = std::move(text);
    item.kind = kind;
    item.image = image;
    item.data = data;
    if (height == 0) {
        item.height = MeasureItem(item.text, kind, image, m_clientWidth);
    } else {
        item.height = height;
        item.fixedHeight = true;
    }
    m_totalHeight += item.height;
    m_items.push_back(std::move(item));
    UpdateScrollRange();
    return GetItemCount() - 1;
}

void CHTMLListCtrl::DeleteAllItems() {
    m_items.clear();
    m_totalHeight = 0;
}

void CHTMLListCtrl::SetSelectedIndex(int index) {
    m_selected = std::max(index, -1);
    viewport()->update();
}

uint32_t CHTMLListCtrl::GetItemData(int index) const {
    return HasItem(index) ? m_items[index].data : 0;
}

Rect CHTMLListCtrl::GetItemRect(int index) const {
    return HasItem(index) ? m_items[index].rect : Rect{};
}

bool CHTMLListCtrl::GetItemCheck(int index) const {
    return HasItem(index) && m_items[index].ticked;
}

void CHTMLListCtrl::SetItemCheck(int index, bool ticked) {
    if (!HasItem(index)) {
        return;
    }
    m_items[index].ticked = ticked;
    InvalidateItem(index);
}

void CHTMLListCtrl::SetExtendedStyle(uint32_t style) {
    m_style = style;
    RemeasureAll();
    UpdateScrollRange();
    viewport()->update();
}

void CHTMLListCtrl::SetImageList(const ImageList* images) {
    m_images = images;
}

void CHTMLListCtrl::EnsureVisible(int index) {
    if (!HasItem(index)) {
        return;
    }
    int top = 0;
    for (int i = 0; i < index; ++i) {
        top += m_items[i].height;
    }
    const int bottom = top + m_items[index].height;
    const int position = ScrollPos();
    int wanted = position;
    if (top < position) {
        wanted = top;
    } else if (bottom > position + m_clientHeight) {
        wanted = bottom - m_clientHeight;
    }
    if (wanted != position) {
        SetScrollPos(wanted);
    }
}

void CHTMLListCtrl::DrawItem(DrawingContext& dc, const Rect& rect, const HTMLListItem& item, bool selected) {
    const Rect clip = dc.GetClipBox();
    if (rect.bottom < clip.top || clip.bottom < rect.top) {
        return;
    }
    dc.FillRect(rect, selected ? m_selectionColor : kWhite);
    if (m_style & HTMLLIST_STYLE_GRIDLINES) {
        dc.DrawEdge(rect, BDR_SUNKENINNER, BF_FLAT | BF_LEFT | BF_BOTTOM);
    }

    const int halfHeight = rect.Height() / 2;
    int x = rect.left;
    const bool checkBoxes = (m_style & HTMLLIST_STYLE_CHECKBOXES) != 0;
    if (checkBoxes) {
        dc.DrawImage(*m_checkBoxes, item.ticked ? 1 : 0, Point{rect.left + 3, rect.top + halfHeight - 8});
        x = rect.left + 19;
    }

    // Every item's text is shifted by the width of image 0, whether or not the
    // item's own image exists, so that the texts of a list line up.
    int imageWidth = 0;
    Size imageSize;
    if ((m_style & HTMLLIST_STYLE_IMAGES) && m_images != nullptr && m_images->GetImageSize(0, imageSize)) {
        imageWidth = imageSize.cx;
        if (item.image >= 0 && item.image < m_images->Count()) {
            dc.DrawImage(*m_images, item.image, Point{x + 5, rect.top + halfHeight - imageSize.cy / 2});
        }
    }

    Rect textRect = rect;
    textRect.left = rect.left + (imageWidth != 0 ? imageWidth + 10 : 0) + (checkBoxes ? 21 : 5);
    textRect.top = item.fixedHeight ? rect.top : rect.top + 5;
    const ColorRef previousColor = dc.SetTextColor(kBlack);
    switch (item.kind) {
    case ITEM_HTML:
        DrawMarkupText(&dc, item.text.c_str(), static_cast<int>(item.text.size()), &textRect, DT_WORDBREAK);
        break;
    case ITEM_TEXT:
        dc.DrawText(item.text, textRect, DT_WORDBREAK);
        break;
    case ITEM_SINGLELINE:
        dc.DrawText(item.text, textRect, kDrawSingleLine);
        break;
    default:
        break;
    }
    dc.SetTextColor(previousColor);

    if (m_hasFocus && selected) {
        dc.DrawFocusRect(rect);
    }
}

int CHTMLListCtrl::MeasureItem(const std::u16string& text, int kind, int image, int width) {
    // An item whose own image is missing gets no image margin here, although
    // drawing shifts its text like any other; the extra room is harmless.
    int imageExtra = 0;
    Size imageSize;
    if ((m_style & HTMLLIST_STYLE_IMAGES) && m_images != nullptr && m_images->Count() > 0 &&
        m_images->GetImageSize(image, imageSize)) {
        imageExtra = imageSize.cx + 10;
    }
    const int margin = (m_style & HTMLLIST_STYLE_CHECKBOXES) ? 24 : 5;
    const int layoutWidth = width - margin - imageExtra;

    Rect measured{0, 0, layoutWidth, 0};
    switch (kind) {
    case ITEM_HTML:
        measured.bottom = m_clientHeight;
        DrawMarkupText(&MeasuringContext(), text.c_str(), static_cast<int>(text.size()), &measured, kMeasureMarkup);
        break;
    case ITEM_TEXT:
        MeasuringContext().DrawText(text, measured, kMeasureMarkup);
        break;
    case ITEM_SINGLELINE:
        MeasuringContext().DrawText(text, measured, kMeasureSingleLine);
        break;
    default:
        // Unknown kinds take no room for text, only the padding.
        break;
    }
    return measured.Height() + 10;
}

void CHTMLListCtrl::paintEvent(QPaintEvent*) {
    const QSize size = viewport()->size();
    if (size.isEmpty()) {
        return;
    }
    if (m_backBuffer.size() != size) {
        m_backBuffer = QImage(size, QImage::Format_RGB32);
    }
    {
        QPainter painter(&m_backBuffer);
        QtDrawingContext dc(painter, font());
        dc.FillRect(Rect{0, 0, size.width(), size.height()}, kWhite);
        // Every item gets its rectangle; only those that reach into the clip box are
        // handed to DrawItem, which would skip the others anyway. Asking once here
        // keeps a paint of a very long list as cheap as one of a short list.
        const Rect clip = dc.GetClipBox();
        Rect rect{0, -ScrollPos(), size.width(), -ScrollPos()};
        int position = 0;
        for (HTMLListItem& item : m_items) {
            rect.bottom = rect.top + item.height;
            if (rect.bottom >= clip.top && rect.top <= clip.bottom) {
                DrawItem(dc, rect, item, position == m_selected);
            }
            item.rect = rect;
            rect.top = rect.bottom;
            ++position;
        }
    }
    QPainter(viewport()).drawImage(0, 0, m_backBuffer);
}

void CHTMLListCtrl::resizeEvent(QResizeEvent*) {
    const int width = viewport()->width();
    m_clientHeight = viewport()->height();
    if (width != m_clientWidth) {
        m_clientWidth = width;
        RemeasureAll();
    }
    UpdateScrollRange();
    viewport()->update();
}

void CHTMLListCtrl::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        DropMeasuringContext();
        RemeasureAll();
        UpdateScrollRange();
        viewport()->update();
    }
}

void CHTMLListCtrl::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        OnPress(at);
        m_pressPos = at;
        m_holdTimer.start();
    } else if (event->button() == Qt::RightButton) {
        Send(HTMLLIST_RBUTTONDOWN, -1);
    }
    event->accept();
}

void CHTMLListCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (m_holdTimer.isActive() &&
        (event->position().toPoint() - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        m_holdTimer.stop();
    }
    event->accept();
}

void CHTMLListCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_holdTimer.stop();
    }
    event->accept();
}

void CHTMLListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Send(HTMLLIST_DBLCLICK, -1);
    }
    event->accept();
}

void CHTMLListCtrl::contextMenuEvent(QContextMenuEvent* event) {
    // A right click acts on what lies under the pointer: that item is selected first,
    // as a tap would, so the menu offers its entries. A menu asked for from the
    // keyboard is about the selection as it stands.
    if (event->reason() == QContextMenuEvent::Mouse) {
        SelectForMenu(HitTest(event->pos()));
    }
    SendContextMenu(event->globalPos());
    event->accept();
}

void CHTMLListCtrl::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        MoveSelection(event->key());
        break;
    case Qt::Key_Space:
        if ((m_style & HTMLLIST_STYLE_CHECKBOXES) && HasItem(m_selected)) {
            SetItemCheck(m_selected, !GetItemCheck(m_selected));
            Send(HTMLLIST_CHECKCHANGED, m_selected);
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Send(HTMLLIST_RETURN, -1);
        break;
    default:
        // Other keys go to the parent, as they would without this control; the scroll
        // area's own handling would scroll by keys the list does not define.
        QWidget::keyPressEvent(event); // NOLINT(bugprone-parent-virtual-call)
        return;
    }
    event->accept();
}

void CHTMLListCtrl::wheelEvent(QWheelEvent* event) {
    // 40 pixels per notch; finer wheels move proportionally.
    m_wheelRemainder += event->angleDelta().y();
    const int pixels = m_wheelRemainder * kWheelStep / kWheelNotch;
    m_wheelRemainder -= pixels * kWheelNotch / kWheelStep;
    if (pixels != 0) {
        SetScrollPos(ScrollPos() - pixels);
    }
    event->accept();
}

void CHTMLListCtrl::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    m_hasFocus = true;
    InvalidateItem(m_selected);
}

void CHTMLListCtrl::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    m_hasFocus = false;
    InvalidateItem(m_selected);
}

void CHTMLListCtrl::scrollContentsBy(int, int) {
    viewport()->update();
}

void CHTMLListCtrl::RemeasureAll() {
    m_totalHeight = 0;
    int position = 0;
    for (HTMLListItem& item : m_items) {
        item.index = position++;
        if (!item.fixedHeight) {
            item.height = MeasureItem(item.text, item.kind, item.image, m_clientWidth);
        }
        m_totalHeight += item.height;
    }
}

void CHTMLListCtrl::UpdateScrollRange() {
    QScrollBar* bar = verticalScrollBar();
    // The page step sets the thumb's size; paging itself moves by kPageStep (OnScrollAction).
    bar->setPageStep(std::max(m_clientHeight, 1));
    bar->setRange(0, std::max(0, m_totalHeight - m_clientHeight));
}

int CHTMLListCtrl::ScrollPos() const {
    return verticalScrollBar()->value();
}

void CHTMLListCtrl::SetScrollPos(int position) {
    verticalScrollBar()->setValue(position);
}

void CHTMLListCtrl::OnScrollAction(int action) {
    QScrollBar* bar = verticalScrollBar();
    if (action == QAbstractSlider::SliderPageStepAdd) {
        bar->setSliderPosition(std::min(bar->value() + kPageStep, bar->maximum()));
    } else if (action == QAbstractSlider::SliderPageStepSub) {
        bar->setSliderPosition(std::max(bar->value() - kPageStep, bar->minimum()));
    }
}

void CHTMLListCtrl::OnPress(QPoint at) {
    setFocus(Qt::MouseFocusReason);
    Send(HTMLLIST_LBUTTONDOWN, -1);

    const int hit = HitTest(at);
    m_selected = hit;
    if (hit < 0) {
        Send(HTMLLIST_SELCHANGED, -1);
        viewport()->update();
        return;
    }

    // Both records are made before the first is sent: a handler may refill the list.
    const bool toggled = (m_style & HTMLLIST_STYLE_CHECKBOXES) && InCheckBox(m_items[hit].rect, at);
    if (toggled) {
        m_items[hit].ticked = !m_items[hit].ticked;
    }
    const HTMLListNotify checkChanged = MakeNotify(HTMLLIST_CHECKCHANGED, hit);
    const HTMLListNotify selectionChanged = MakeNotify(HTMLLIST_SELCHANGED, hit);
    if (toggled) {
        emit notify(checkChanged);
    }
    emit notify(selectionChanged);
    viewport()->update();
}

int CHTMLListCtrl::HitTest(QPoint at) const {
    for (int i = 0; i < GetItemCount(); ++i) {
        if (m_items[i].rect.Contains(Point{at.x(), at.y()})) {
            return i;
        }
    }
    return -1;
}

void CHTMLListCtrl::SelectForMenu(int index) {
    if (index == m_selected) {
        return;
    }
    m_selected = index;
    viewport()->update();
    Send(HTMLLIST_SELCHANGED, index);
}

void CHTMLListCtrl::MoveSelection(int key) {
    const int count = GetItemCount();
    if (count == 0) {
        return;
    }
    const bool up = key == Qt::Key_Up;
    if (m_selected < 0) {
        m_selected = up ? 0 : count - 1;
    } else if (m_selected >= count) {
        // Left past the end by a refill with fewer items: continue from the last one.
        m_selected = count - 1;
    } else if (up && m_selected > 0) {
        --m_selected;
    } else if (!up && m_selected < count - 1) {
        ++m_selected;
    }
    EnsureVisible(m_selected);
    viewport()->update();
    Send(HTMLLIST_SELCHANGED, m_selected);
}

void CHTMLListCtrl::OnHoldTimeout() {
    SendContextMenu(viewport()->mapToGlobal(m_pressPos));
}

HTMLListNotify CHTMLListCtrl::MakeNotify(int code, int index) const {
    HTMLListNotify notification;
    notification.from = this;
    notification.idFrom = m_controlId;
    notification.code = code;
    if (HasItem(index)) {
        const HTMLListItem& item = m_items[index];
        notification.item = index;
        notification.text = item.text;
        notification.data = item.data;
        notification.ticked = item.ticked;
    }
    return notification;
}

void CHTMLListCtrl::Send(int code, int index) {
    const HTMLListNotify notification = MakeNotify(code, index);
    emit notify(notification);
}

void CHTMLListCtrl::SendContextMenu(QPoint globalPoint) {
    HTMLListNotify notification = MakeNotify(HTMLLIST_CONTEXTMENU, -1);
    notification.point = Point{globalPoint.x(), globalPoint.y()};
    emit notify(notification);
}

void CHTMLListCtrl::InvalidateItem(int index) {
    if (HasItem(index)) {
        const Rect& r = m_items[index].rect;
        viewport()->update(QRect(r.left, r.top, r.Width(), r.Height()));
    }
}

DrawingContext& CHTMLListCtrl::MeasuringContext() {
    if (!m_measureContext) {
        m_measureSurface = QImage(1, 1, QImage::Format_RGB32);
        m_measurePainter = std::make_unique<QPainter>(&m_measureSurface);
        m_measureContext = std::make_unique<QtDrawingContext>(*m_measurePainter, font());
    }
    return *m_measureContext;
}

void CHTMLListCtrl::DropMeasuringContext() {
    m_measureContext.reset();
    m_measurePainter.reset();
}

} // namespace parcelo
