#pragma once

#include "list/HTMLListDefs.h"
#include "list/HTMLListItem.h"
#include "list/ItemHeights.h"
#include "render/DrawingContext.h"
#include "render/GdiTypes.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace parcelo {

class CHTMLListCtrl;
class QtDrawingContext;
class QtImageList;

// What the list tells its parent. The record lives for one emission only: a
// handler copies what it wants to keep.
struct HTMLListNotify {
    const CHTMLListCtrl* from = nullptr;
    int idFrom = 0;
    int code = 0;  // HTMLLIST_SELCHANGED ... HTMLLIST_RETURN
    int item = -1; // the item's index, or -1
    std::u16string text;
    int64_t data = 0;
    bool ticked = false;
    // HTMLLIST_CONTEXTMENU only: where the menu was asked for, in screen coordinates.
    Point point;
};

// A vertical list of items of varying height, each a block of marked-up or plain
// text with an optional check box and image at its left. Scrolls by pixels, keeps
// one selected item and reports taps, keys and context-menu requests through
// `notify`, synchronously. Lengths are plain pixels.
//
// Long lists stay quick: items are placed by running offsets, so painting, hit
// testing and scrolling look at the items in view only. Items are measured when they
// come into view or are scrolled to; until then they count with the height that
// items measured so far have on average, and a zero-timer replaces these estimates
// in short slices, keeping the item in view (the selected one when it shows) where it
// is on screen. A refill keeps the measured height of every item that was in the
// list before with the same data, kind, image and text.
class CHTMLListCtrl : public QAbstractScrollArea {
    Q_OBJECT

public:
    CHTMLListCtrl(QWidget* parent, int controlId);
    ~CHTMLListCtrl() override;

    int ControlId() const { return m_controlId; }

    // Appends an item and returns its index. With `height` 0 the item is measured
    // (and measured again whenever the width or the style changes); otherwise it keeps
    // `height` for good. `kind` is ITEM_HTML, ITEM_TEXT or ITEM_SINGLELINE. Nothing is
    // repainted: the caller calls update() when it has finished adding. Beyond the first
    // few hundred items the scroll bar takes the new range once, when control returns to
    // the event loop or the list is used next.
    int InsertItem(std::u16string text, int image, int64_t data, int kind, int height = 0);
    // Gives the text of item `index` of an item added by InsertItemWithoutText.
    using TextProvider = ItemHeights::TextProvider;
    void SetTextProvider(TextProvider provider) { m_heights.SetTextProvider(std::move(provider)); }
    // Appends an item, measured, whose text the list asks of the text provider only when
    // it first needs it: to measure, draw or report the item. A long list added this way
    // costs for the items on screen only; the rest have their texts made in background
    // slices, as their heights are refined. An item of the last filling with the same
    // data lends its height as the estimate, kept without measuring if the text is the same.
    int InsertItemWithoutText(int image, int64_t data, int kind);
    // Room for `count` items in all, before adding many.
    void ReserveItems(size_t count) { m_heights.Reserve(count); }
    // Removes every item. The selected index and the scroll position stay as they are,
    // so a refilled list selects the same position again.
    void DeleteAllItems();
    int GetItemCount() const { return m_heights.Count(); }
    // What the list says, in its own font and colours, while it has no items (and none
    // to come): how to fill it. Empty says nothing.
    void SetEmptyText(std::u16string text);
    // Rows the list is told of before their items arrive: a fill that reads the top of a
    // long list first adds those items and counts the rest here. Their room is kept below
    // the items at the estimated height, so that the scroll bar is right from the first
    // frame; nothing is drawn there. The list asks for them (rowsWanted) once it has
    // painted, and before it handles a key, a click, the wheel or the scroll bar, so that
    // input always acts on the whole list. Removing every item forgets them.
    void SetRowsToCome(int count);
    int RowsToCome() const { return m_heights.RowsToCome(); }
    // The sum of the item heights, estimates included.
    int GetTotalHeight() const { return m_heights.TotalHeight(); }
    // True while some item heights are still estimates, the scroll area has yet to hear of
    // a change or an old filling is still being freed.
    bool HasPendingWork() const;
    // How many items the list has measured since it was made; for tests and benchmarks.
    int64_t MeasureCount() const { return m_heights.MeasureCount(); }

    // -1 for none; may point past the last item after a refill with fewer items.
    int GetSelectedIndex() const { return m_selected; }
    // Selects `index` (-1 for none) without notifying and repaints.
    void SetSelectedIndex(int index);

    // 0 / an empty rectangle / false when there is no item at `index`.
    int64_t GetItemData(int index) const;
    // The item's text as it was inserted; empty for an index beyond the list.
    // An item whose text has not been asked for yet gets it from the text provider.
    std::u16string GetItemText(int index) const;
    // Where the item was drawn at the last paint, in client (viewport) coordinates;
    // empty for an item added since.
    Rect GetItemRect(int index) const;
    bool GetItemCheck(int index) const;
    void SetItemCheck(int index, bool ticked);

    // HTMLLIST_STYLE_CHECKBOXES | HTMLLIST_STYLE_GRIDLINES | HTMLLIST_STYLE_IMAGES.
    void SetExtendedStyle(uint32_t style);
    uint32_t GetExtendedStyle() const { return m_style; }

    // Attaches the item images; the list borrows them (nullptr detaches).
    void SetImageList(const ImageList* images);
    const ImageList* GetImageList() const { return m_images; }

    // Scrolls the least amount that brings the item into view: up to its top when it
    // starts above the client area, otherwise down until its bottom shows. The item and
    // those that will show around it are measured first.
    void EnsureVisible(int index);

    // What a screen reader says for an item: the provider's answer for the item's index
    // and text, or without a provider the text without its markup.
    using SpokenTextProvider = std::function<std::u16string(int index, const std::u16string& text)>;
    void SetSpokenTextProvider(SpokenTextProvider provider) { m_spokenText = std::move(provider); }
    std::u16string GetSpokenText(int index) const;
    // What a double click and the item menu do, for item `index`, which is selected first
    // (telling the parent) and brought into view: for assistive technologies.
    void ActivateItem(int index);
    void OpenItemMenu(int index);
    // Where the item lies in the client area at the current scroll position.
    Rect CurrentRect(int index) const;

    // Paints one item into `rect`; items outside the context's clip box are skipped.
    virtual void DrawItem(DrawingContext& dc, const Rect& rect, const HTMLListItem& item, bool selected);
    // The height an item of this text and kind needs at client width `width`.
    int MeasureItem(const std::u16string& text, int kind, int image, int width);

signals:
    void notify(const HTMLListNotify& notification);
    // The rows still to come (see SetRowsToCome) are wanted now.
    void rowsWanted();
    // The list's first frame is out; sent once, after that paint, for work that the
    // first frame should not wait for.
    void firstFrameShown();

protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // An item's place as the paint left it.
    struct PaintedItem {
        int index = 0;
        Rect rect;
    };
    using Anchor = ItemHeights::Anchor;

    bool HasItem(int index) const { return m_heights.Has(index); }
    int64_t TopOf(int index) const { return m_heights.TopOf(index); }
    int Append(HTMLListItem item);
    void AskForRowsToCome();
    // Turns every measured height into an estimate, after the width, the style or the font changed.
    void InvalidateMeasures();
    Anchor CaptureAnchor() const;
    // Applies height changes: offsets, the scroll range, and the scroll position that
    // keeps `anchor` in its place on screen.
    void CommitHeights(const Anchor& anchor, const ItemHeights::Changed& changed);
    // Measures what the client area shows at the current scroll position.
    void MeasureInView();
    // Measures `index` and enough items on each side of it to fill the client area.
    void MeasureAround(int index);
    // One slice of background work: measuring estimated items, then freeing old fillings.
    void RefineSlice();
    // The last filling is no longer needed: its items are freed in background slices.
    void RetirePrevious();
    void ScheduleRefinement();
    void UpdateScrollRange();
    // Sets a range that a long fill left pending.
    void FlushScrollRange();
    // Tells the scroll area of the range and the position, which shows or hides the bar.
    void TellScrollArea();
    // Has the scroll area show the bar when the range needs it and hide it otherwise, at once.
    void ShowOrHideBar();
    void ScheduleSettle();
    // Runs once after a burst of changes: tells the scroll area of the new range and
    // drops what a refill no longer needs.
    void Settle();
    int ScrollPos() const;
    void SetScrollPos(int position);
    void OnScrollAction(int action);
    void OnPress(QPoint at);
    // The item whose rectangle of the last paint holds `at`; -1 for none.
    int HitTest(QPoint at) const;
    // Selects `index` (-1 for none) before a context menu opens, telling the parent when it changes.
    void SelectForMenu(int index);
    void MoveSelection(int key);
    void OnHoldTimeout();
    HTMLListNotify MakeNotify(int code, int index);
    void Send(int code, int index);
    void SendContextMenu(QPoint globalPoint);
    void InvalidateItem(int index);
    // Repaints where the focus shows: the selected item, or the client area without one.
    void InvalidateFocus();
    // The keyboard is in use: the focus shows even with no item selected.
    void ShowKeyboardFocus();
    // Tells assistive technologies of a change of the selected item, of its text, of the
    // focus on it and of the number of items, when there is one.
    void AnnounceChanges();
    // Selects `index` for an action of an assistive technology, telling the parent.
    void SelectForAction(int index);
    // Moves what is on screen to the current scroll position.
    void SyncContentScroll();
    DrawingContext& MeasuringContext();
    void DropMeasuringContext();
    void ReportFirstPaint();
    // The list's colours from its palette: the seed's white, black and selection colour
    // on a light palette, the palette's own roles on a dark one.
    void TakePaletteColours();

    // The items and their heights.
    ItemHeights m_heights;
    std::u16string m_emptyText;
    SpokenTextProvider m_spokenText;
    // What assistive technologies were last told.
    int m_announcedSelection = -1;
    bool m_announcedFocus = false;
    int m_announcedCount = 0;
    std::u16string m_announcedSpoken; // of the selected item, while a screen reader listens
    int m_controlId = 0;
    bool m_rowsAskPosted = false;
    bool m_firstFrameShown = false;
    int m_clientWidth = 0;
    int m_clientHeight = 0;
    ColorRef m_selectionColor = 0;
    ColorRef m_background = 0;
    ColorRef m_textColor = 0;
    // The palette's highlight; the focus ring is drawn in it, made readable on what it is drawn on.
    ColorRef m_focusColor = 0;
    // Set by keys and by Tab into the list, cleared by the mouse: a list focused by the
    // keyboard shows the focus even with nothing selected.
    bool m_keyboardFocus = false;
    bool m_darkPalette = false;
    int m_selected = -1;
    bool m_hasFocus = false;
    uint32_t m_style = 0;
    std::unique_ptr<QtImageList> m_checkBoxes;
    const ImageList* m_images = nullptr;

    // The last paint: where the items in the client area were, and how many items the list had.
    std::vector<PaintedItem> m_painted;
    int m_paintedCount = 0;
    int m_paintedScroll = 0;
    int m_paintedWidth = 0;

    // Refinement of the estimates and freeing of old fillings, in slices.
    QTimer m_refineTimer;
    bool m_settlePending = false;
    bool m_rangePending = false;
    bool m_showingBar = false;

    // The scroll position that what is on screen was drawn for.
    int m_contentScroll = 0;
    bool m_inPaint = false;
    // Kept across inserts so that measuring many items does not set up a painter each time.
    QImage m_measureSurface;
    std::unique_ptr<QPainter> m_measurePainter;
    std::unique_ptr<QtDrawingContext> m_measureContext;

    QTimer m_holdTimer;
    QPoint m_pressPos;
    int m_wheelRemainder = 0;
};

} // namespace parcelo
