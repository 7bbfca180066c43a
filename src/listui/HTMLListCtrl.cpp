#include "listui/HTMLListCtrl.h"

#include "listui/HTMLListAccessible.h"
#include "platform/ProcessFigures.h"
#include "platform/resource.h"
#include "render/Contrast.h"
#include "render/MarkupRenderer.h"
#include "render/qt/DpiCache.h"
#include "render/qt/QtDrawingContext.h"
#include "render/qt/QtImageList.h"
#include "render/qt/ResourceImages.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPalette>
#include <QPixmap>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
namespace parcelo {

namespace {

constexpr ColorRef kWhite = Rgb(255, 255, 255);
constexpr ColorRef kBlack = Rgb(0, 0, 0);

constexpr int kLineStep = 50;
constexpr int kPageStep = 50;
constexpr int kWheelStep = 40;
constexpr int kWheelNotch = 120;
constexpr int kHoldMilliseconds = 500;
// The focus ring: this wide, with at least this contrast on what it is drawn on.
constexpr int kFocusWidth = 2;
constexpr double kFocusContrast = 3.0;

// A background slice of measuring stops after this long.
constexpr int64_t kSliceNanoseconds = 3'000'000;
// Up to this many items the scroll range is set at every insert.
constexpr int kItemsWithPromptRange = 256;

constexpr uint32_t kMeasureMarkup = DT_CALCRECT | DT_EXTERNALLEADING | DT_WORDBREAK;
constexpr uint32_t kMeasureSingleLine = DT_CALCRECT | DT_SINGLELINE | DT_VCENTER;
constexpr uint32_t kDrawSingleLine = DT_END_ELLIPSIS | DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE | DT_VCENTER;

int32_t ClampToInt(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

ColorRef ToColorRef(const QColor& color) {
    return Rgb(color.red(), color.green(), color.blue());
}

// The check boxes are kCheckBoxImageSize logical pixels, whatever the screen;
// where Qt scales, from the strip with twice the pixels.
std::unique_ptr<QtImageList> LoadCheckBoxes() {
    if (DpiCache::Program().ratio > 1) {
        return std::make_unique<QtImageList>(QPixmap::fromImage(LoadResourceImage(IDB_CHECKBOXES_LARGE)),
                                             2 * kCheckBoxImageSize, 2.0);
    }
    return std::make_unique<QtImageList>(QPixmap::fromImage(LoadResourceImage(IDB_CHECKBOXES)), kCheckBoxImageSize);
}

// A frame `width` pixels wide just inside `rect`.
void FillFrame(DrawingContext& dc, const Rect& rect, int width, ColorRef color) {
    dc.FillRect({rect.left, rect.top, rect.right, rect.top + width}, color);
    dc.FillRect({rect.left, rect.bottom - width, rect.right, rect.bottom}, color);
    dc.FillRect({rect.left, rect.top + width, rect.left + width, rect.bottom - width}, color);
    dc.FillRect({rect.right - width, rect.top + width, rect.right, rect.bottom - width}, color);
}

bool InCheckBox(const Rect& itemRect, QPoint point) {
    const int centre = itemRect.top + itemRect.Height() / 2;
    const Rect box{itemRect.left + 3, centre - 8, itemRect.left + 18, centre + 7};
    return box.Contains(Point{point.x(), point.y()});
}

} // namespace

CHTMLListCtrl::CHTMLListCtrl(QWidget* parent, int controlId)
    : QAbstractScrollArea(parent), m_heights([this](const HTMLListItem& item) {
          return MeasureItem(item.text, item.kind, item.image, m_clientWidth);
      }),
      m_controlId(controlId) {
    setObjectName(QStringLiteral("HTMLListCtrl"));
    // Screen readers see the items through the list's own accessible interface.
    static const bool accessible = (QAccessible::installFactory(&HTMLListAccessible::Create), true);
    (void)accessible;
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Painting covers the whole client area itself; nothing is erased first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    viewport()->setCursor(Qt::ArrowCursor);

    TakePaletteColours();
    m_clientWidth = viewport()->width();
    m_clientHeight = viewport()->height();

    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, 0);
    bar->setSingleStep(kLineStep);
    connect(bar, &QAbstractSlider::actionTriggered, this, &CHTMLListCtrl::OnScrollAction);
    connect(bar, &QAbstractSlider::sliderPressed, this, &CHTMLListCtrl::AskForRowsToCome);

    m_refineTimer.setInterval(0);
    connect(&m_refineTimer, &QTimer::timeout, this, &CHTMLListCtrl::RefineSlice);

    m_holdTimer.setSingleShot(true);
    m_holdTimer.setInterval(kHoldMilliseconds);
    connect(&m_holdTimer, &QTimer::timeout, this, &CHTMLListCtrl::OnHoldTimeout);
}

CHTMLListCtrl::~CHTMLListCtrl() {
    DropMeasuringContext();
}

int CHTMLListCtrl::InsertItem(std::u16string text, int image, int64_t data, int kind, int height) {
    HTMLListItem item;
    item.text = std::move(text);
    item.kind = kind;
    item.image = image;
    item.data = data;
    if (height != 0) {
        item.height = height;
        item.fixedHeight = true;
        item.measured = true;
    }
    return Append(std::move(item));
}

int CHTMLListCtrl::InsertItemWithoutText(int image, int64_t data, int kind) {
    HTMLListItem item;
    item.kind = kind;
    item.image = image;
    item.data = data;
    item.textPending = true;
    return Append(std::move(item));
}

int CHTMLListCtrl::Append(HTMLListItem item) {
    // What the client area would show at the current position is measured now,
    // the rest when it comes into view or in the background.
    const int unmeasured = m_heights.Unmeasured();
    m_heights.Append(std::move(item), int64_t{ScrollPos()} + m_clientHeight);
    if (m_heights.Unmeasured() > unmeasured) {
        ScheduleRefinement();
    }
    // A short list's scroll bar follows every item, as callers may look at it; a long
    // one's takes the range once the fill is over (or the list is used before that).
    if (GetItemCount() <= kItemsWithPromptRange) {
        UpdateScrollRange();
    } else {
        m_rangePending = true;
        ScheduleSettle();
    }
    return GetItemCount() - 1;
}

void CHTMLListCtrl::DeleteAllItems() {
    // The items go to the side, for a refill to find their measures.
    if (m_heights.Reset()) {
        ScheduleRefinement();
    }
    m_painted.clear();
    m_paintedCount = 0;
}

void CHTMLListCtrl::SetRowsToCome(int count) {
    m_heights.SetRowsToCome(count);
    UpdateScrollRange();
    viewport()->update();
}

// Input always acts on the whole list: the rows still to come are asked for first.
void CHTMLListCtrl::AskForRowsToCome() {
    if (m_heights.RowsToCome() > 0) {
        emit rowsWanted();
    }
}

bool CHTMLListCtrl::viewportEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        AskForRowsToCome();
        break;
    default:
        break;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

bool CHTMLListCtrl::HasPendingWork() const {
    return m_heights.Unmeasured() > 0 || m_settlePending || m_heights.HasRetired();
}

void CHTMLListCtrl::SetSelectedIndex(int index) {
    m_selected = std::max(index, -1);
    viewport()->update();
    AnnounceChanges();
}

std::u16string CHTMLListCtrl::GetSpokenText(int index) const {
    if (!HasItem(index)) {
        return {};
    }
    const std::u16string text = GetItemText(index);
    if (m_spokenText) {
        return m_spokenText(index, text);
    }
    return m_heights.Item(index).kind == ITEM_HTML ? MarkupToPlainText(text) : text;
}

void CHTMLListCtrl::SelectForAction(int index) {
    SelectForMenu(index);
    EnsureVisible(index);
}

void CHTMLListCtrl::ActivateItem(int index) {
    if (HasItem(index)) {
        SelectForAction(index);
        Send(HTMLLIST_DBLCLICK, -1);
    }
}

void CHTMLListCtrl::OpenItemMenu(int index) {
    if (!HasItem(index)) {
        return;
    }
    SelectForAction(index);
    const Rect rect = CurrentRect(index);
    SendContextMenu(viewport()->mapToGlobal(QPoint(rect.left + rect.Width() / 2, rect.top + rect.Height() / 2)));
}

void CHTMLListCtrl::AnnounceChanges() {
    const int selected = HasItem(m_selected) ? m_selected : -1;
    const bool focused = hasFocus() && selected >= 0;
    std::u16string spoken;
    if (QAccessible::isActive()) {
        // A refill that changed the selected item's text (its state after a status
        // update) is told as a new name of the same item.
        spoken = GetSpokenText(selected);
        if (selected >= 0 && selected == m_announcedSelection && spoken != m_announcedSpoken) {
            QAccessibleEvent renamed(this, QAccessible::NameChanged);
            renamed.setChild(selected);
            QAccessible::updateAccessibility(&renamed);
        }
        if (GetItemCount() != m_announcedCount) {
            QAccessibleEvent reorder(this, QAccessible::ObjectReorder);
            QAccessible::updateAccessibility(&reorder);
        }
        if (selected != m_announcedSelection && HasItem(m_announcedSelection)) {
            QAccessibleEvent removed(this, QAccessible::SelectionRemove);
            removed.setChild(m_announcedSelection);
            QAccessible::updateAccessibility(&removed);
        }
        if (selected != m_announcedSelection && selected >= 0) {
            QAccessibleEvent chosen(this, QAccessible::Selection);
            chosen.setChild(selected);
            QAccessible::updateAccessibility(&chosen);
        }
        if (focused && (selected != m_announcedSelection || !m_announcedFocus)) {
            QAccessibleEvent focus(this, QAccessible::Focus);
            focus.setChild(selected);
            QAccessible::updateAccessibility(&focus);
        }
    }
    m_announcedCount = GetItemCount();
    m_announcedSelection = selected;
    m_announcedFocus = focused;
    m_announcedSpoken = std::move(spoken);
}

int64_t CHTMLListCtrl::GetItemData(int index) const {
    return HasItem(index) ? m_heights.Item(index).data : 0;
}

Rect CHTMLListCtrl::GetItemRect(int index) const {
    if (!HasItem(index) || index >= m_paintedCount) {
        return {};
    }
    const auto painted = std::lower_bound(m_painted.begin(), m_painted.end(), index,
                                          [](const PaintedItem& p, int i) { return p.index < i; });
    if (painted != m_painted.end() && painted->index == index) {
        return painted->rect;
    }
    // Outside the client area: where the item lies now, relative to the painted position.
    const int64_t top = TopOf(index) - m_paintedScroll;
    return {0, ClampToInt(top), m_paintedWidth, ClampToInt(top + m_heights.HeightOf(index))};
}

bool CHTMLListCtrl::GetItemCheck(int index) const {
    return HasItem(index) && m_heights.Item(index).ticked;
}

void CHTMLListCtrl::SetItemCheck(int index, bool ticked) {
    if (!HasItem(index)) {
        return;
    }
    m_heights.Item(index).ticked = ticked;
    InvalidateItem(index);
}

void CHTMLListCtrl::SetExtendedStyle(uint32_t style) {
    m_style = style;
    InvalidateMeasures();
    UpdateScrollRange();
    viewport()->update();
}

void CHTMLListCtrl::SetImageList(const ImageList* images) {
    m_images = images;
    // Measures taken with other images are no guide for a refill.
    RetirePrevious();
}

void CHTMLListCtrl::EnsureVisible(int index) {
    if (!HasItem(index)) {
        return;
    }
    FlushScrollRange();
    MeasureAround(index);
    const int64_t top = TopOf(index);
    const int64_t bottom = top + m_heights.HeightOf(index);
    const int position = ScrollPos();
    int64_t wanted = position;
    if (top < position) {
        wanted = top;
    } else if (bottom > int64_t{position} + m_clientHeight) {
        wanted = bottom - m_clientHeight;
    }
    if (wanted != position) {
        SetScrollPos(ClampToInt(wanted));
    }
}

void CHTMLListCtrl::DrawItem(DrawingContext& dc, const Rect& rect, const HTMLListItem& item, bool selected) {
    const Rect clip = dc.GetClipBox();
    if (rect.bottom < clip.top || clip.bottom < rect.top) {
        return;
    }
    dc.FillRect(rect, selected ? m_selectionColor : m_background);
    if (m_style & HTMLLIST_STYLE_GRIDLINES) {
        dc.DrawEdge(rect, BDR_SUNKENINNER, BF_FLAT | BF_LEFT | BF_BOTTOM);
    }

    const int halfHeight = rect.Height() / 2;
    int x = rect.left;
    const bool checkBoxes = (m_style & HTMLLIST_STYLE_CHECKBOXES) != 0;
    if (checkBoxes) {
        if (!m_checkBoxes) {
            m_checkBoxes = LoadCheckBoxes(); // only lists with check boxes need the images
        }
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
    const ColorRef previousColor = dc.SetTextColor(m_textColor);
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
        FillFrame(dc, rect, kFocusWidth, ReadableOn(m_focusColor, m_selectionColor, kFocusContrast));
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

void CHTMLListCtrl::SetEmptyText(std::u16string text) {
    if (text != m_emptyText) {
        m_emptyText = std::move(text);
        viewport()->update();
    }
}

void CHTMLListCtrl::paintEvent(QPaintEvent*) {
    const QSize size = viewport()->size();
    if (size.isEmpty()) {
        return;
    }
    FlushScrollRange();
    MeasureInView();
    const int scroll = ScrollPos();
    m_painted.clear();
    m_paintedCount = GetItemCount();
    m_paintedScroll = scroll;
    m_paintedWidth = size.width();
    m_inPaint = true;
    {
        // The window system's back buffer takes the drawing and shows it in one go, so
        // nothing flickers; only the part that needs it is drawn again.
        QPainter painter(viewport());
        QtDrawingContext dc(painter, font());
        // Only the items that reach into the client area or the clip box are visited;
        // those in the client area keep their rectangles for hit testing.
        const Rect clip = dc.GetClipBox();
        dc.FillRect(clip, m_background);
        if (GetItemCount() == 0 && m_heights.RowsToCome() == 0 && !m_emptyText.empty()) {
            const int margin = fontMetrics().height();
            Rect room{margin, margin, size.width() - margin, size.height() - margin};
            dc.SetTextColor(m_textColor);
            dc.SetReadableOn(m_darkPalette ? std::optional(m_background) : std::nullopt);
            dc.DrawText(m_emptyText, room, DT_CENTER | DT_WORDBREAK);
        }
        const int64_t from = int64_t{scroll} + std::min(clip.top, 0);
        const int64_t to = int64_t{scroll} + std::max(clip.bottom, size.height());
        for (int i = m_heights.ItemBelow(from - 1); i < GetItemCount() && TopOf(i) <= to; ++i) {
            const HTMLListItem& item = m_heights.WithText(i);
            const Rect rect = CurrentRect(i);
            if (rect.bottom > 0 && rect.top < size.height()) {
                m_painted.push_back({i, rect});
            }
            if (rect.bottom >= clip.top && rect.top <= clip.bottom) {
                // The items' colours were chosen for white: on a dark palette each is
                // drawn readable on the background it actually gets.
                if (m_darkPalette) {
                    dc.SetReadableOn(i == m_selected ? m_selectionColor : m_background);
                }
                DrawItem(dc, rect, item, i == m_selected);
            }
        }
        // A list that has the focus from the keyboard and no item to show it on shows it
        // around the client area.
        if (m_hasFocus && m_keyboardFocus && !HasItem(m_selected)) {
            FillFrame(dc, Rect{0, 0, size.width(), size.height()}, kFocusWidth,
                      ReadableOn(m_focusColor, m_background, kFocusContrast));
        }
        // Texts made for items out of view are let go; a long list holds a screenful.
        m_heights.KeepTextsBetween(m_heights.ItemBelow(scroll), m_heights.ItemBelow(int64_t{scroll} + size.height()));
    }
    m_inPaint = false;
    ReportFirstPaint();
    if (!m_firstFrameShown) {
        m_firstFrameShown = true;
        QMetaObject::invokeMethod(this, &CHTMLListCtrl::firstFrameShown, Qt::QueuedConnection);
        ScheduleRefinement();
    }
    // The top of a long list is on screen: the rest is asked for once this frame is out.
    if (m_heights.RowsToCome() > 0 && !m_rowsAskPosted) {
        m_rowsAskPosted = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_rowsAskPosted = false;
                AskForRowsToCome();
            },
            Qt::QueuedConnection);
    }
}

void CHTMLListCtrl::resizeEvent(QResizeEvent*) {
    const int width = viewport()->width();
    m_clientHeight = viewport()->height();
    if (width != m_clientWidth) {
        m_clientWidth = width;
        InvalidateMeasures();
    }
    // Heights measured at the old width are poor estimates at the new one: what the
    // client area shows is measured again at once, so that the range (and with it
    // whether the scroll bar shows) is right before the next frame.
    FlushScrollRange();
    MeasureInView();
    UpdateScrollRange();
    viewport()->update();
}

void CHTMLListCtrl::TakePaletteColours() {
    const QPalette& colours = palette();
    // The seed's look belongs to a light palette; a dark one is followed instead.
    m_darkPalette = qGray(colours.color(QPalette::Base).rgb()) < 128;
    m_background = m_darkPalette ? ToColorRef(colours.color(QPalette::Base)) : kWhite;
    m_textColor = m_darkPalette ? ToColorRef(colours.color(QPalette::Text)) : kBlack;
    m_selectionColor = ToColorRef(colours.color(m_darkPalette ? QPalette::Highlight : QPalette::Button));
    m_focusColor = ToColorRef(colours.color(QPalette::Highlight));
}

void CHTMLListCtrl::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        TakePaletteColours();
        viewport()->update();
    }
    if (event->type() == QEvent::FontChange) {
        DropMeasuringContext();
        InvalidateMeasures();
        UpdateScrollRange();
        viewport()->update();
    }
}

void CHTMLListCtrl::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    m_keyboardFocus = false;
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
    ShowKeyboardFocus();
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
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
    FlushScrollRange();
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
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason) {
        ShowKeyboardFocus();
    } else if (event->reason() == Qt::MouseFocusReason) {
        m_keyboardFocus = false;
    }
    InvalidateFocus();
    AnnounceChanges();
}

void CHTMLListCtrl::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    m_hasFocus = false;
    InvalidateFocus();
    AnnounceChanges();
}

void CHTMLListCtrl::scrollContentsBy(int, int) {
    SyncContentScroll();
}

void CHTMLListCtrl::SyncContentScroll() {
    const int position = ScrollPos();
    const int delta = m_contentScroll - position;
    m_contentScroll = position;
    if (delta == 0) {
        return;
    }
    // What is on screen moves along; only the uncovered strip is drawn anew.
    if (m_inPaint || std::abs(delta) >= viewport()->height()) {
        viewport()->update();
    } else {
        viewport()->scroll(0, delta);
    }
}

std::u16string CHTMLListCtrl::GetItemText(int index) const {
    return HasItem(index) ? m_heights.TextOf(index) : std::u16string();
}

void CHTMLListCtrl::InvalidateMeasures() {
    m_heights.InvalidateMeasures();
    ScheduleRefinement();
}

CHTMLListCtrl::Anchor CHTMLListCtrl::CaptureAnchor() const {
    return m_heights.CaptureAnchor(ScrollPos(), m_clientHeight, m_selected);
}

void CHTMLListCtrl::CommitHeights(const Anchor& anchor, const ItemHeights::Changed& changed) {
    if (changed.Empty()) {
        return;
    }
    m_heights.Commit(changed);
    QScrollBar* bar = verticalScrollBar();
    int64_t anchoredPosition = 0;
    const bool hasAnchor = m_heights.AnchoredPosition(anchor, anchoredPosition);
    {
        // The anchor keeps its place on screen, so what shows does not move: the
        // position changes without scrolling the pixels.
        const QSignalBlocker quiet(bar);
        UpdateScrollRange();
        if (hasAnchor) {
            bar->setValue(ClampToInt(anchoredPosition));
        }
    }
    const int position = ScrollPos();
    const bool anchored = hasAnchor && position == anchoredPosition;
    const int firstShown = m_heights.ItemBelow(position);
    const int lastShown = m_heights.ItemBelow(int64_t{position} + std::max(m_clientHeight, 1) - 1);
    // Without the anchor in place everything is drawn anew.
    m_contentScroll = position;
    if (!anchored || (changed.first <= lastShown && changed.last >= firstShown)) {
        viewport()->update();
    }
    ScheduleSettle();
}

void CHTMLListCtrl::MeasureInView() {
    // Each round measures at least one item, and a measured item stays measured.
    while (m_heights.Unmeasured() > 0) {
        const Anchor anchor = CaptureAnchor();
        const ItemHeights::Changed changed = m_heights.MeasureInView(ScrollPos(), m_clientHeight);
        if (changed.Empty()) {
            return; // everything in view is measured
        }
        CommitHeights(anchor, changed);
    }
}

void CHTMLListCtrl::MeasureAround(int index) {
    if (m_heights.Unmeasured() == 0) {
        return;
    }
    const Anchor anchor = CaptureAnchor();
    CommitHeights(anchor, m_heights.MeasureAround(index, m_clientHeight));
}

void CHTMLListCtrl::RefineSlice() {
    // A shown list paints its first frame before it measures anything in the background.
    if (isVisible() && !m_firstFrameShown) {
        m_refineTimer.stop();
        return;
    }
    FlushScrollRange();
    if (m_heights.Unmeasured() == 0) {
        m_heights.FreeRetiredSlice();
        if (!m_heights.HasRetired()) {
            m_refineTimer.stop();
        }
        return;
    }
    const Anchor anchor = CaptureAnchor();
    QElapsedTimer clock;
    clock.start();
    CommitHeights(anchor, m_heights.RefineSlice([&clock] { return clock.nsecsElapsed() > kSliceNanoseconds; }));
    if (m_heights.Unmeasured() == 0) {
        RetirePrevious();
    }
}

void CHTMLListCtrl::ScheduleRefinement() {
    if ((m_heights.Unmeasured() > 0 || m_heights.HasRetired()) && !m_refineTimer.isActive()) {
        m_refineTimer.start();
    }
}

void CHTMLListCtrl::UpdateScrollRange() {
    m_rangePending = false;
    QScrollBar* bar = verticalScrollBar();
    {
        // Quietly: every change would queue a call of the scroll area's, one per item
        // during a fill. The area hears of it once, from Settle.
        const QSignalBlocker quiet(bar);
        // The page step sets the thumb's size; paging itself moves by kPageStep (OnScrollAction).
        bar->setPageStep(std::max(m_clientHeight, 1));
        bar->setRange(0, std::max(0, m_heights.TotalHeight() - m_clientHeight));
    }
    // A shorter range may have moved the position.
    if (!bar->signalsBlocked()) {
        SyncContentScroll();
    }
    ScheduleSettle();
}

void CHTMLListCtrl::TellScrollArea() {
    QScrollBar* bar = verticalScrollBar();
    // The scroll area shows or hides the bar on the first, and follows the position on the second.
    emit bar->rangeChanged(bar->minimum(), bar->maximum());
    emit bar->valueChanged(bar->value());
    ShowOrHideBar();
}

void CHTMLListCtrl::ShowOrHideBar() {
    // The area acts on a range change only from the event loop, after the next frame;
    // a layout request has it show or hide the bar now.
    QScrollBar* bar = verticalScrollBar();
    if (m_showingBar || m_inPaint || verticalScrollBarPolicy() != Qt::ScrollBarAsNeeded ||
        (bar->maximum() > 0) == bar->isVisibleTo(this)) {
        return;
    }
    m_showingBar = true;
    QEvent request(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(this, &request);
    m_showingBar = false;
}

bool CHTMLListCtrl::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ContextMenu) {
        AskForRowsToCome();
    }
    const bool handled = QAbstractScrollArea::event(event);
    // The area lays out its bar and client area on a resize by the range it had before;
    // the client area's new size may have changed it.
    if (event->type() == QEvent::Resize) {
        ShowOrHideBar();
    }
    return handled;
}

void CHTMLListCtrl::FlushScrollRange() {
    if (m_rangePending) {
        UpdateScrollRange();
    }
}

void CHTMLListCtrl::ScheduleSettle() {
    if (!m_settlePending) {
        m_settlePending = true;
        QMetaObject::invokeMethod(this, &CHTMLListCtrl::Settle, Qt::QueuedConnection);
    }
}

void CHTMLListCtrl::Settle() {
    FlushScrollRange();
    m_settlePending = false;
    TellScrollArea();
    AnnounceChanges();
    if (m_heights.Unmeasured() == 0) {
        RetirePrevious();
    }
}

void CHTMLListCtrl::RetirePrevious() {
    if (m_heights.RetirePrevious()) {
        ScheduleRefinement();
    }
}

int CHTMLListCtrl::ScrollPos() const {
    return verticalScrollBar()->value();
}

void CHTMLListCtrl::SetScrollPos(int position) {
    FlushScrollRange();
    verticalScrollBar()->setValue(position);
}

void CHTMLListCtrl::OnScrollAction(int action) {
    AskForRowsToCome();
    FlushScrollRange();
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
        AnnounceChanges();
        return;
    }

    // Both records are made before the first is sent: a handler may refill the list.
    const bool toggled = (m_style & HTMLLIST_STYLE_CHECKBOXES) && InCheckBox(GetItemRect(hit), at);
    if (toggled) {
        m_heights.Item(hit).ticked = !m_heights.Item(hit).ticked;
    }
    const HTMLListNotify checkChanged = MakeNotify(HTMLLIST_CHECKCHANGED, hit);
    const HTMLListNotify selectionChanged = MakeNotify(HTMLLIST_SELCHANGED, hit);
    if (toggled) {
        emit notify(checkChanged);
    }
    emit notify(selectionChanged);
    viewport()->update();
    AnnounceChanges();
}

int CHTMLListCtrl::HitTest(QPoint at) const {
    const Point point{at.x(), at.y()};
    for (const PaintedItem& painted : m_painted) {
        if (painted.rect.Contains(point)) {
            return painted.index;
        }
    }
    // Outside the client area of the last paint: the item that lies there now.
    if (m_paintedCount == 0 || (at.y() >= 0 && at.y() < viewport()->height())) {
        return -1;
    }
    const int index = m_heights.ItemBelow(int64_t{m_paintedScroll} + at.y());
    return index < m_paintedCount && GetItemRect(index).Contains(point) ? index : -1;
}

void CHTMLListCtrl::SelectForMenu(int index) {
    if (index == m_selected) {
        return;
    }
    m_selected = index;
    viewport()->update();
    AnnounceChanges();
    Send(HTMLLIST_SELCHANGED, index);
}

void CHTMLListCtrl::MoveSelection(int key) {
    const int count = GetItemCount();
    if (count == 0) {
        return;
    }
    const bool up = key == Qt::Key_Up || key == Qt::Key_PageUp || key == Qt::Key_Home;
    const int previous = m_selected;
    if (key == Qt::Key_Home || key == Qt::Key_End || m_selected < 0) {
        m_selected = up ? 0 : count - 1;
    } else if (m_selected >= count) {
        // Left past the end by a refill with fewer items: continue from the last one.
        m_selected = count - 1;
    } else if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
        // A page: the item a client height above or below the selected one's top,
        // at least one item on.
        MeasureAround(m_selected);
        const int64_t target = TopOf(m_selected) + (up ? -int64_t{m_clientHeight} : int64_t{m_clientHeight});
        const int page = std::clamp(m_heights.ItemBelow(target), 0, count - 1);
        m_selected =
            up ? std::min(page, std::max(m_selected - 1, 0)) : std::max(page, std::min(m_selected + 1, count - 1));
    } else if (up && m_selected > 0) {
        --m_selected;
    } else if (!up && m_selected < count - 1) {
        ++m_selected;
    }
    EnsureVisible(m_selected);
    // Only the two items change; scrolling has already drawn what came into view. With
    // no item selected before, the focus was shown around the client area.
    if (!HasItem(previous)) {
        viewport()->update();
    }
    InvalidateItem(previous);
    InvalidateItem(m_selected);
    AnnounceChanges();
    Send(HTMLLIST_SELCHANGED, m_selected);
}

void CHTMLListCtrl::OnHoldTimeout() {
    SendContextMenu(viewport()->mapToGlobal(m_pressPos));
}

HTMLListNotify CHTMLListCtrl::MakeNotify(int code, int index) {
    HTMLListNotify notification;
    notification.from = this;
    notification.idFrom = m_controlId;
    notification.code = code;
    if (HasItem(index)) {
        const HTMLListItem& item = m_heights.WithText(index);
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

void CHTMLListCtrl::ShowKeyboardFocus() {
    if (!m_keyboardFocus) {
        m_keyboardFocus = true;
        InvalidateFocus();
    }
}

void CHTMLListCtrl::InvalidateFocus() {
    if (HasItem(m_selected)) {
        InvalidateItem(m_selected);
    } else {
        viewport()->update();
    }
}

void CHTMLListCtrl::InvalidateItem(int index) {
    if (HasItem(index)) {
        const Rect r = CurrentRect(index);
        viewport()->update(QRect(r.left, r.top, r.Width(), r.Height()));
    }
}

Rect CHTMLListCtrl::CurrentRect(int index) const {
    const int64_t top = TopOf(index) - ScrollPos();
    return {0, ClampToInt(top), viewport()->width(), ClampToInt(top + m_heights.HeightOf(index))};
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

// Start-up measuring: with PARCELO_REPORT_FIRST_PAINT set, the first paint that shows
// items prints the resident memory and the graphics libraries mapped to standard error
// and ends the program.
void CHTMLListCtrl::ReportFirstPaint() {
    static bool report = qEnvironmentVariableIsSet("PARCELO_REPORT_FIRST_PAINT");
    if (!report || GetItemCount() == 0) {
        return;
    }
    report = false;
    std::fprintf(stderr, "%s\n", FirstPaintReport().c_str());
    std::fflush(stderr);
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

} // namespace parcelo
