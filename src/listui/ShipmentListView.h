#pragma once

#include "couriers/Courier.h"
#include "listui/HTMLListCtrl.h"
#include "store/Shipment.h"

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QMenu;

namespace parcelo {

class CShipmentDatabase;
class QtImageList;

// What the list view asks of the dialogs. The application fills these in; an
// empty hook does nothing.
struct ShipmentActions {
    // Runs the editor for a new shipment; true when it ended with OK.
    std::function<bool()> newShipment;
    // Runs the editor on the shipment at `position`; true when it ended with OK.
    std::function<bool(int position)> editShipment;
    // Opens the tracking page at `url`.
    std::function<void(const QString& url)> trackShipment;
    // Runs the options dialog.
    std::function<void()> options;
};

// The main window's content: one marked-up item per shipment in the HTML list
// control, and every action on the selected shipment. Each item carries the
// shipment's position in the store; the row is never used as a position, since
// under a filter the two differ.
class CShipmentListView : public QWidget {
    Q_OBJECT

public:
    // The courier table and the store belong to the main window and outlive the view.
    CShipmentListView(const std::vector<Courier>& couriers, CShipmentDatabase& store, QWidget* parent = nullptr);
    // The courier table is kept by reference: a temporary one would dangle.
    CShipmentListView(std::vector<Courier>&& couriers, CShipmentDatabase& store, QWidget* parent = nullptr) = delete;
    ~CShipmentListView() override;

    void SetActions(ShipmentActions actions) { m_actions = std::move(actions); }

    // Once the store is open: attaches the courier logos, sets the list's style and fills it.
    void OnInitialUpdate();

    // Reloads every shipment in the store's current order and lists those that pass
    // the filter. The selected row is kept.
    void FillList(bool clearFirst);
    // A sort command (32800..32803) reorders the store; a filter command
    // (32900..32903) sets the filter. Either way the list is refilled.
    void SortBy(uint32_t command);
    void FilterBy(uint32_t command);
    int Filter() const { return m_nFilter; }

    // Runs a menu command; false when the command is not the view's.
    bool OnCommand(int command);
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
    QMenu* OpenItemMenu() const { return m_itemMenu.get(); }

    CHTMLListCtrl& List() { return m_wndList; }
    const CHTMLListCtrl& List() const { return m_wndList; }
    const QtImageList* Logos() const { return m_imageList.get(); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnListNotify(const HTMLListNotify& notification);
    bool SelectedPosition(int& position) const;
    bool ReadSelected(Shipment& shipment, int& position);
    const Courier* CourierOrTell(const Shipment& shipment);
    void Tell(const QString& text);
    void OnNew();
    void OnEdit();
    void OnDelete();
    void OnCall();
    void OnTrack();
    void OnOptions();

    const std::vector<Courier>& m_couriers;
    CShipmentDatabase& m_store;
    CHTMLListCtrl m_wndList;
    std::unique_ptr<QtImageList> m_imageList;
    int m_nFilter = -1;
    ShipmentActions m_actions;
    std::unique_ptr<QMenu> m_itemMenu;
};

} // namespace parcelo
