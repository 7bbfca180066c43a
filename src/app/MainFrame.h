#pragma once

#include "app/ListInput.h"
#include "app/QtFileChooser.h"
#include "app/StartupReader.h"
#include "app/StoreFileCommands.h"
#include "couriers/Courier.h"
#include "listui/ShipmentListView.h"
#include "platform/Clock.h"
#include "platform/qt/QtExecutor.h"
#include "status/StatusController.h"
#include "store/ShipmentDatabase.h"
#include "ui/CommandBar.h"
#include "ui/FilterSortBar.h"
#include "ui/FindBar.h"

#include <QLabel>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace parcelo {

class FontWarmUp;

// The program's only top-level window. It owns every long-lived object: the
// filter and sort bar at the top, the soft-key bar at the bottom, the shipment
// list between them, the courier table, the shipment store and the clock. The
// courier table, the store and the clock are declared first: the list view keeps
// references to them, so they are built before it and destroyed after it, and the
// store closes last.
class CMainFrame : public QWidget {
    Q_OBJECT

public:
    // The session is opened from `paths`. `fonts`, when given, is the font warm-up the
    // window waits for before its first text.
    explicit CMainFrame(const SessionPaths& paths, const FontWarmUp* fonts = nullptr);
    ~CMainFrame() override;

    // Builds the window: list view, soft-key bar, filter and sort bar, then loads the
    // couriers, opens the store and fills the list. False when the soft-key bar could
    // not be built. A missing parcelo.ini has been reported and the quit is already
    // posted when this returns.
    bool LoadFrame();

    // Offers a command to the list view, then to the frame itself (exit), then to the
    // application; false when nobody takes it.
    bool OnCmdMsg(int command);
    // Handles WM_FILTER_CHANGED and WM_SORT_CHANGED synchronously; returns 0.
    intptr_t SendMessage(unsigned message, uint32_t wParam);
    // Greys edit, delete, call and track in the soft-key menu unless an item is selected.
    void UpdateCommandStates();

    // Where commands that neither the view nor the frame handle go (the about box).
    void SetApplicationCommands(std::function<bool(int command)> handler) { m_appCommands = std::move(handler); }

    std::size_t GetCourierCount() const { return m_couriers.size(); }
    // The entry at `position`; a blank entry for a position beyond the table.
    const Courier& GetCourier(std::size_t position) const;
    const std::vector<Courier>& Couriers() const { return m_couriers; }
    // Which couriers an invoice number can belong to, from the rules beside the couriers.
    const CourierDetector& Detector() const { return m_detector; }
    CShipmentDatabase& Store() { return m_store; }
    // The automatic delivery status; off unless the profile turns it on.
    StatusController& Status() { return m_status; }
    // Takes new delivery-status settings: the list shows the statuses only while it is on.
    void ApplyStatusSettings(const StatusSettings& settings);
    // The quiet one-line result of the last refresh under the list; hidden while empty.
    const QLabel& StatusLabel() const { return m_statusLabel; }
    // Where the service's key is kept; the desktop's secret store unless replaced
    // (before LoadFrame). It is only asked once the feature is on.
    void SetSecretStore(std::unique_ptr<SecretStore> store) { m_status.Key().SetSecretStore(std::move(store)); }
    // Takes a key the user entered: used at once, and kept in the secret store; without
    // one it lasts until the program ends.
    void StoreKey(const QString& clientId, const QString& clientSecret);
    // True when the secret store could not be used: keys live in memory only.
    bool KeyInMemoryOnly() const { return m_status.Key().InMemoryOnly(); }
    // Brings the window to the front and selects the shipment (0: only the front).
    void ShowShipment(int64_t id);
    const Clock& GetClock() const { return m_clock; }
    bool StoreIsOpen() const { return m_store.IsOpen(); }

    CFilterSortBar& FilterSortBar() { return m_wndFilterSortBar; }
    CCommandBar& CommandBar() { return m_wndCommandBar; }
    CShipmentListView& View() { return m_wndView; }
    // The find field above the list, made on first use.
    CFindBar& FindBar();
    CStoreFileCommands& FileCommands() { return m_fileCommands; }
    // Drops on the list and Ctrl+V in it.
    CListInput& Input() { return m_input; }

    // Asks the running event loop to end with `code` once it gets control; works
    // before the loop has started, too.
    static void PostQuitMessage(int code);

protected:
    // Coming to the front reads the list again if another program changed the store.
    void changeEvent(QEvent* event) override;

private:
    bool LoadCouriers(Session& files);
    void OpenStore(Session& files, bool tellOnFailure);
    void OnFirstFrameShown();
    void BindKeys();
    void ConnectStatus();
    void AddStatusEntries(QMenu* popup);
    void RefillForStatus();

    std::vector<Courier> m_couriers;
    CourierDetector m_detector{{}};
    CShipmentDatabase m_store;
    Clock m_clock;
    std::vector<std::string> m_carrierIds;
    std::u16string m_courierFile; // the parcelo.ini read, for messages
    const FontWarmUp* m_fonts;
    // Reads the courier file and opens the store while the widgets below are built.
    std::unique_ptr<StartupReader> m_startup;
    QtExecutor m_executor;
    StatusController m_status;
    QLabel m_statusLabel;
    bool m_refillPending = false;
    CFilterSortBar m_wndFilterSortBar;
    CCommandBar m_wndCommandBar;
    CShipmentListView m_wndView;
    std::unique_ptr<CFindBar> m_wndFindBar;
    QtFileChooser m_fileChooser;
    CStoreFileCommands m_fileCommands;
    CListInput m_input;
    std::function<bool(int)> m_appCommands;
};

} // namespace parcelo
