#pragma once

#include "couriers/Courier.h"
#include "list/ShipmentListModel.h"
#include "listui/HTMLListCtrl.h"

#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QMenu;

namespace parcelo {

class Clock;
class CShipmentDatabase;
class ShipmentTracking;
class QtImageList;

// What the list view asks of the dialogs. The application fills these in; an
// empty hook does nothing.
struct ShipmentActions {
    // Runs the editor for a new shipment; the id of the shipment it added, 0 for none.
    std::function<int64_t()> newShipment;
    // Runs the editor on the shipment with this id; true when it ended with OK.
    std::function<bool(int64_t id)> editShipment;
    // Opens the tracking page at `url`, the address of the courier at `courierIndex`.
    std::function<void(const QString& url, int courierIndex)> trackShipment;
    // Runs the options dialog.
    std::function<void()> options;
    // Runs the dialog that adds many shipments at once, opening with `text` (empty from
    // the menu); true when it added them.
    std::function<bool(const QString& text)> bulkAdd;
    // Opens `url`, the address of the courier at `courierIndex`, in the desktop's browser.
    std::function<void(const QString& url, int courierIndex)> openInBrowser;
    // Shows the delivery events of the shipment with this id; `openTracking` opens its
    // tracking page as Track does.
    std::function<void(int64_t id, const std::function<void()>& openTracking)> showHistory;
    // The item menu opens (true), so the tracking page may be wanted next, or has closed (false).
    std::function<void(bool menuOpen)> prepareTracking;
};

// The main window's content: one marked-up item per shipment in the HTML list
// control, and every action on the selected shipment. The view keeps the id of the
// shipment on every row; an action acts on the id of the row selected when the
// command was given.
class CShipmentListView : public QWidget {
    Q_OBJECT

public:
    // How often the view looks whether another program changed the store.
    static constexpr int kPollIntervalMs = 2000;
    // The first fill reads this many shipments, more than a screen shows, before the
    // window first paints; the rest follow right after (see CompleteFill).
    static constexpr size_t kFirstScreenRows = 128;

    // The courier table, the store and the clock belong to the main window and outlive the view.
    CShipmentListView(const std::vector<Courier>& couriers, CShipmentDatabase& store, const Clock& clock,
                      QWidget* parent = nullptr);
    // The courier table is kept by reference: a temporary one would dangle.
    CShipmentListView(std::vector<Courier>&& couriers, CShipmentDatabase& store, const Clock& clock,
                      QWidget* parent = nullptr) = delete;
    ~CShipmentListView() override;

    void SetActions(ShipmentActions actions) { m_actions = std::move(actions); }
    // Where each fill reads the latest delivery status of the rows it shows (one query
    // per fill); nullptr, the default, shows none. The store outlives the view. True when
    // this changes what the list shows: the caller refreshes it.
    bool ShowDeliveryStatus(ShipmentTracking* tracking) { return std::exchange(m_tracking, tracking) != tracking; }
    // Selects the row of a shipment and scrolls to it; false when it is not shown.
    bool SelectShipment(int64_t id);

    // Once the store is open: attaches the courier logos, sets the list's style, fills
    // it and starts looking for changes made elsewhere. A long list is read from the top
    // first and completed once it has painted.
    void OnInitialUpdate();
    // Loads the fonts an item is drawn in, and the Korean fallback font they lead to, by
    // measuring one made-up item; what the first fill would otherwise wait for. Needs
    // neither the store nor the couriers: the window calls it while those are read.
    void LoadItemFonts();
    // The height of a typical shipment's item in a view `width` pixels wide.
    int ItemHeight(int width);
    // Reads the rest of a list whose top was read first; nothing when the list is whole.
    // The list asks for it before it handles input, and the view before a find or a
    // selection by id.
    void CompleteFill();
    // How many rows the list has, those still to come included.
    int ShownCount() const { return m_wndList.GetItemCount() + m_wndList.RowsToCome(); }

    // Fills the list again with the shipments the filter and sort order select; the
    // selection afterwards depends on the cause (see RefillCause).
    void Refresh(RefillCause cause);
    // Refreshes (cause Elsewhere) when another program changed the store since the
    // last fill; true when it did.
    bool RefreshIfChangedElsewhere();

    // A sort command (ID_SORT_ENTRY_DESC..) or a filter command (ID_FILTER_ALL..) sets
    // the order or the filter; any command refills the list.
    void SortBy(uint32_t command);
    void FilterBy(uint32_t command);
    int Filter() const { return m_model.Query().filter; }
    const ShipmentQuery& Query() const { return m_model.Query(); }

    // Shows only the shipments whose item name, invoice number or courier name the find
    // text matches (see ShipmentMatcher), within the filter; an empty text shows them all.
    // The selected shipment stays selected while it is shown.
    void SetFindText(const QString& text);
    const QString& FindText() const { return m_findText; }
    // Whether the shipment is shown under the current find text.
    bool IsFound(const Shipment& shipment) {
        return m_model.IsFound(shipment.id, shipment.courierIndex, shipment.invoiceNumber, shipment.itemName);
    }

    // The id of the shipment shown at `row`; 0 when there is no such row.
    int64_t IdAt(int row) const;
    // The id of the selected shipment; 0 when no row is selected.
    int64_t SelectedId() const { return IdAt(m_wndList.GetSelectedIndex()); }

    // Runs a menu command; false when the command is not the view's.
    bool OnCommand(int command);
    // Opens the dialog that adds many shipments with `text` in it, as 여러 건 추가
    // opens it empty; the list is read again when shipments were added.
    void BulkAdd(const QString& text);
    // Edit, delete, call and track need a selected item; everything else is always enabled.
    bool IsCommandEnabled(int command) const;

    // The action that DBLCLICK chooses, read from the profile at every call.
    void RunDoubleTapAction();

    // The item menu as it would open now: the normal entries with a selection,
    // greyed entries headed "배송 정보" without one. Commands are the actions' data.
    std::unique_ptr<QMenu> BuildItemMenu() const;
    // Opens the item menu at a screen point without waiting for it; a chosen entry
    // runs through OnCommand.
    void ShowItemMenu(QPoint screenPoint);
    // The item menu from the keyboard: beside the selected item, or at the list's top
    // when no item is selected or in view.
    void ShowItemMenuForSelection();
    QMenu* OpenItemMenu() const { return m_itemMenu.get(); }

    CHTMLListCtrl& List() { return m_wndList; }
    const CHTMLListCtrl& List() const { return m_wndList; }
    const QtImageList* Logos() const { return m_imageList.get(); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Refill(bool readStore, RefillCause cause);
    // Selects `row` and scrolls to it; nothing is selected for -1.
    void SelectRow(int row);
    void FillList(size_t firstRows = 0);
    void FillRows();
    void OnListNotify(const HTMLListNotify& notification);
    // The selected shipment as the store has it now. When it cannot be read the user
    // is told and the list is read again.
    std::optional<Shipment> ReadSelected();
    void TellReadFailure(StoreError error);
    const Courier* CourierOrTell(const Shipment& shipment);
    void Tell(const QString& text);
    void OnNew();
    void OnEdit();
    void OnDelete();
    void OnCall();
    void OnTrack();
    void OnOptions();
    void OnCopy(bool address);
    void OnOpenInBrowser();
    // The tracking address of the selected shipment; empty when there is none (the user
    // has been told why).
    QString SelectedAddress(int* courierIndex = nullptr);
    void OnHistory();

    const std::vector<Courier>& m_couriers;
    CShipmentDatabase& m_store;
    ShipmentTracking* m_tracking = nullptr;
    const Clock& m_clock;
    CHTMLListCtrl m_wndList;
    std::unique_ptr<QtImageList> m_imageList;
    ShipmentListModel m_model;
    ShipmentActions m_actions;
    std::unique_ptr<QMenu> m_itemMenu;
    QTimer m_pollTimer;

    QString m_findText;
};

} // namespace parcelo
