#include "listui/ShipmentListView.h"

#include "couriers/TrackingUrl.h"
#include "list/ShipmentItemText.h"
#include "list/ShipmentListCommands.h"
#include "listui/CourierLogos.h"
#include "platform/Clock.h"
#include "platform/Translation.h"
#include "platform/qt/Profile.h"
#include "platform/qt/QtText.h"
#include "platform/resource.h"
#include "render/qt/DpiCache.h"
#include "render/qt/QtImageList.h"
#include "render/qt/ResourceImages.h"
#include "store/ShipmentDatabase.h"
#include "store/StoreErrorText.h"
#include "ui/Menus.h"
#include "ui/MessageBoxService.h"
#include "ui/PhoneService.h"
#include "ui/QtMenuBuilder.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QPixmap>
#include <QResizeEvent>
#include <algorithm>
#include <iterator>

namespace parcelo {

namespace {

constexpr int kLargeLogoDpi = 130; // above this the 50 x 50 logos are used

// A text kept above, in the interface's language.
std::u16string Tr(const char* text) {
    return Translate("ShipmentListView", text);
}

constexpr char kDeleteQuestion[] =
    QT_TRANSLATE_NOOP("ShipmentListView", "선택하신 배송정보를 삭제하시겠습니까?\n상품명: %1, 송장번호: %2");
constexpr char kDeleteFailed[] = QT_TRANSLATE_NOOP("ShipmentListView", "배송정보를 삭제하지 못했습니다.");
constexpr char kReadFailed[] =
    QT_TRANSLATE_NOOP("ShipmentListView", "배송정보를 읽지 못했습니다. 목록을 다시 읽습니다.");
constexpr char kDeletedElsewhere[] =
    QT_TRANSLATE_NOOP("ShipmentListView", "이 배송정보가 다른 곳에서 삭제되었습니다. 목록을 다시 읽습니다.");
constexpr char kCourierMissing[] =
    QT_TRANSLATE_NOOP("ShipmentListView", "이 배송정보의 택배 회사가 parcelo.ini에 없습니다.");
constexpr char kNoSelectionTitle[] = QT_TRANSLATE_NOOP("ShipmentListView", "배송 정보");

// The logos are chosen by the screen's device resolution and drawn one picture
// pixel to a device pixel.
std::unique_ptr<QtImageList> LoadCourierLogos(const std::vector<Courier>& couriers) {
    const ScreenDpi& dpi = DpiCache::Program();
    const bool large = dpi.x > kLargeLogoDpi;
    const QImage strip =
        CourierLogoStrip(LoadResourceImage(large ? IDB_COURIER_LOGOS_LARGE : IDB_COURIER_LOGOS_SMALL), couriers);
    return std::make_unique<QtImageList>(QPixmap::fromImage(strip), strip.height(), dpi.ratio);
}

} // namespace

CShipmentListView::CShipmentListView(const std::vector<Courier>& couriers, CShipmentDatabase& store, const Clock& clock,
                                     QWidget* parent)
    : QWidget(parent), m_couriers(couriers), m_store(store), m_clock(clock), m_wndList(this, IDC_SHIPMENT_LIST),
      m_model(couriers) {
    setFocusProxy(&m_wndList);
    connect(&m_wndList, &CHTMLListCtrl::notify, this, &CShipmentListView::OnListNotify);
    connect(&m_wndList, &CHTMLListCtrl::rowsWanted, this, &CShipmentListView::CompleteFill);
    m_wndList.SetTextProvider([this](int row) { return m_model.ItemText(static_cast<size_t>(row)); });
    // A screen reader hears the state, which the list shows by colour only.
    m_wndList.SetSpokenTextProvider([this](int row, const std::u16string& text) {
        const auto index = static_cast<size_t>(row);
        return SpokenShipmentItem(text, index < m_model.RowCount() ? m_model.StatusAt(index) : InDelivery);
    });
    m_pollTimer.setInterval(kPollIntervalMs);
    connect(&m_pollTimer, &QTimer::timeout, this, [this] {
        // A list never painted (a window started minimised) gets its rows here at the latest.
        CompleteFill();
        RefreshIfChangedElsewhere();
    });
}

CShipmentListView::~CShipmentListView() = default;

void CShipmentListView::OnInitialUpdate() {
    m_imageList = LoadCourierLogos(m_couriers);
    m_wndList.SetImageList(m_imageList.get());
    m_wndList.SetExtendedStyle(HTMLLIST_STYLE_GRIDLINES | HTMLLIST_STYLE_IMAGES);
    FillList(kFirstScreenRows);
    m_pollTimer.start();
}

void CShipmentListView::LoadItemFonts() {
    Shipment sample;
    sample.invoiceNumber = u"0";
    sample.itemName = u"상품";
    m_wndList.MeasureItem(FormatShipmentItem(sample, nullptr, m_clock.Now()), ITEM_HTML, -1,
                          m_wndList.viewport()->width());
}

int CShipmentListView::ItemHeight(int width) {
    Shipment sample;
    sample.invoiceNumber = u"123456789012";
    sample.itemName = u"상품";
    const Courier* courier = m_couriers.empty() ? nullptr : &m_couriers.front();
    return m_wndList.MeasureItem(FormatShipmentItem(sample, courier, m_clock.Now()), ITEM_HTML, 0, width);
}

void CShipmentListView::Refresh(RefillCause cause) {
    Refill(true, cause);
}

void CShipmentListView::Refill(bool readStore, RefillCause cause) {
    const int selectedRow = m_wndList.GetSelectedIndex();
    const int64_t selectedId = SelectedId();
    if (readStore) {
        FillList();
    } else {
        FillRows();
    }
    const int row = m_model.RowToSelect(cause, selectedRow, selectedId);
    if (cause == RefillCause::User) { // the same row: the view stays where it is
        m_wndList.SetSelectedIndex(row);
    } else {
        SelectRow(row);
    }
}

void CShipmentListView::SelectRow(int row) {
    m_wndList.SetSelectedIndex(row);
    m_wndList.EnsureVisible(row);
}

void CShipmentListView::CompleteFill() {
    if (m_wndList.RowsToCome() > 0) {
        // The selected shipment stays selected: another program may have changed the
        // store since the top was read.
        Refill(true, RefillCause::Elsewhere);
    }
}

bool CShipmentListView::SelectShipment(int64_t id) {
    CompleteFill();
    const int row = m_model.RowOf(id);
    if (row < 0) {
        return false;
    }
    SelectRow(row);
    return true;
}

bool CShipmentListView::RefreshIfChangedElsewhere() {
    if (!m_store.ChangedElsewhere()) {
        return false;
    }
    Refresh(RefillCause::Elsewhere);
    return true;
}

// Fills the list from the store; the list's selected index is left as it is. With
// `firstRows`, and no find text, only that many shipments from the top are read now and
// the list counts the rest as rows to come (see CompleteFill).
void CShipmentListView::FillList(size_t firstRows) {
    const size_t toCome = m_model.Read(m_store, firstRows);
    FillRows();
    m_wndList.SetRowsToCome(static_cast<int>(toCome));
}

// Fills the list from the shipments last read, those the find text matches. The rows
// are chosen now; an item's text is made from its row when the list first needs it,
// with the time of this fill.
void CShipmentListView::FillRows() {
    m_wndList.DeleteAllItems();
    // An empty list tells how to fill it, or that the filter or the find text hides
    // every shipment.
    m_wndList.SetEmptyText(m_model.Query().filter == FILTER_ALL && m_findText.isEmpty()
                               ? PARCELO_TR("ShipmentListView", "새로 만들기(F1)로 첫 배송을 추가하십시오.")
                               : PARCELO_TR("ShipmentListView", "조건에 맞는 배송이 없습니다."));

    m_model.ChooseRows(m_clock.Now(), m_tracking);
    m_wndList.ReserveItems(m_model.RowCount());
    for (size_t row = 0; row < m_model.RowCount(); ++row) {
        m_wndList.InsertItemWithoutText(m_model.CourierAt(row), m_model.IdAt(static_cast<int>(row)), ITEM_HTML);
    }
    m_wndList.viewport()->update();
}

void CShipmentListView::SortBy(uint32_t command) {
    SortOrderForCommand(command, m_model.Query());
    Refresh(RefillCause::User);
}

void CShipmentListView::FilterBy(uint32_t command) {
    FilterForCommand(command, m_model.Query());
    Refresh(RefillCause::User);
}

void CShipmentListView::SetFindText(const QString& text) {
    if (text == m_findText) {
        return;
    }
    m_findText = text;
    m_model.SetFindText(text.toStdU16String());
    // The store has not changed since the last fill, or the fill that follows the change
    // (the view's own, or the poll's for another program's) is still to come. A list
    // whose top alone was read is read whole: the find goes through every shipment.
    Refill(m_wndList.RowsToCome() > 0, RefillCause::Elsewhere);
}

int64_t CShipmentListView::IdAt(int row) const {
    return row < m_wndList.GetItemCount() ? m_model.IdAt(row) : 0;
}

bool CShipmentListView::OnCommand(int command) {
    switch (command) {
    case ID_NEW_SHIPMENT:
        OnNew();
        return true;
    case ID_EDIT_SHIPMENT:
        OnEdit();
        return true;
    case ID_DELETE_SHIPMENT:
        OnDelete();
        return true;
    case ID_CALL_COURIER:
        OnCall();
        return true;
    case ID_TRACK_SHIPMENT:
        OnTrack();
        return true;
    case ID_OPTIONS:
        OnOptions();
        return true;
    case ID_COPY_INVOICE:
        OnCopy(false);
        return true;
    case ID_COPY_ADDRESS:
        OnCopy(true);
        return true;
    case ID_OPEN_IN_BROWSER:
        OnOpenInBrowser();
        return true;
    case ID_SHIPMENT_HISTORY:
        OnHistory();
        return true;
    case ID_BULK_ADD:
        BulkAdd({});
        return true;
    default:
        return false;
    }
}

bool CShipmentListView::IsCommandEnabled(int command) const {
    switch (command) {
    case ID_EDIT_SHIPMENT:
    case ID_DELETE_SHIPMENT:
    case ID_CALL_COURIER:
    case ID_TRACK_SHIPMENT:
    case ID_COPY_INVOICE:
    case ID_COPY_ADDRESS:
    case ID_OPEN_IN_BROWSER:
    case ID_SHIPMENT_HISTORY:
        return SelectedId() != 0;
    default:
        return true;
    }
}

void CShipmentListView::RunDoubleTapAction() {
    switch (Profile().DoubleClickAction()) {
    case 0:
        OnTrack();
        break;
    case 1:
        OnCall();
        break;
    case 2:
        OnEdit();
        break;
    case 3:
        OnDelete();
        break;
    default:
        break;
    }
}

std::unique_ptr<QMenu> CShipmentListView::BuildItemMenu() const {
    auto menu = std::make_unique<QMenu>();
    QtMenuBuilder::AddItems(*menu, SubMenu(LoadMenuResource(IDR_POPUPS), kPopupItemMenu));
    if (m_tracking != nullptr && m_actions.showHistory) {
        // Only while the delivery status is shown: the menu is otherwise unchanged.
        QAction* history = new QAction(QCoreApplication::translate("ShipmentListView", "배송 이력"), menu.get());
        history->setData(ID_SHIPMENT_HISTORY);
        QAction* before = menu->actions().size() > 1 ? menu->actions().at(1) : nullptr;
        menu->insertAction(before, history);
    }
    if (SelectedId() == 0) {
        // Only the entries that act on the selected shipment are greyed.
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator() && !IsCommandEnabled(QtMenuBuilder::CommandOf(action))) {
                action->setData(0);
                action->setEnabled(false);
            }
        }
        if (!menu->actions().isEmpty()) {
            menu->actions().front()->setText(ToQString(Tr(kNoSelectionTitle)));
        }
    }
    return menu;
}

void CShipmentListView::ShowItemMenu(QPoint screenPoint) {
    m_itemMenu = BuildItemMenu();
    connect(m_itemMenu.get(), &QMenu::triggered, this, [this](QAction* action) {
        if (const int command = QtMenuBuilder::CommandOf(action); command != 0) {
            OnCommand(command);
        }
    });
    if (m_actions.prepareTracking) {
        connect(m_itemMenu.get(), &QMenu::aboutToHide, this, [this] { m_actions.prepareTracking(false); });
        if (m_wndList.GetSelectedIndex() >= 0) {
            m_actions.prepareTracking(true); // a shipment's menu: its tracking page may come next
        }
    }
    m_itemMenu->popup(screenPoint);
}

void CShipmentListView::ShowItemMenuForSelection() {
    const Rect item = m_wndList.GetItemRect(m_wndList.GetSelectedIndex());
    const QRect shown = m_wndList.viewport()->rect();
    QPoint at(shown.left() + shown.width() / 4, shown.top());
    if (item.bottom > item.top && item.bottom > shown.top() && item.top < shown.bottom()) {
        at = QPoint(shown.left() + shown.width() / 4, std::clamp((item.top + item.bottom) / 2, 0, shown.bottom()));
    }
    ShowItemMenu(m_wndList.viewport()->mapToGlobal(at));
}

void CShipmentListView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The list's one-pixel border lies just outside the view on every side.
    const ScreenDpi& dpi = DpiCache::Program();
    m_wndList.setGeometry(-dpi.LogicalX(1), -dpi.LogicalY(1), event->size().width() + dpi.LogicalX(2),
                          event->size().height() + dpi.LogicalY(2));
}

void CShipmentListView::OnListNotify(const HTMLListNotify& notification) {
    if (notification.idFrom != IDC_SHIPMENT_LIST) {
        return;
    }
    switch (notification.code) {
    case HTMLLIST_DBLCLICK:
    case HTMLLIST_RETURN:
        RunDoubleTapAction();
        break;
    case HTMLLIST_CONTEXTMENU:
        ShowItemMenu(QPoint(notification.point.x, notification.point.y));
        break;
    default:
        break;
    }
}

std::optional<Shipment> CShipmentListView::ReadSelected() {
    const int64_t id = SelectedId();
    if (id == 0) {
        return std::nullopt;
    }
    std::optional<Shipment> shipment = m_store.Read(id);
    if (!shipment) {
        TellReadFailure(m_store.LastError());
    }
    return shipment;
}

// A shipment deleted elsewhere leaves no selection behind; after any other failure
// the list is read again as it is.
void CShipmentListView::TellReadFailure(StoreError error) {
    Tell(ToQString(error == StoreError::NotFound ? Tr(kDeletedElsewhere) : Tr(kReadFailed)));
    Refresh(RefillCause::Elsewhere);
}

const Courier* CShipmentListView::CourierOrTell(const Shipment& shipment) {
    const Courier* courier = FindCourier(m_couriers, shipment.courierIndex);
    if (courier == nullptr) {
        Tell(ToQString(Tr(kCourierMissing)));
    }
    return courier;
}

void CShipmentListView::Tell(const QString& text) {
    ShowMessage(window(), text, MB_OK | MB_ICONEXCLAMATION);
}

// The new shipment is selected, wherever the order puts it; nothing is when the filter
// or the find text hides it.
void CShipmentListView::OnNew() {
    const int64_t added = m_actions.newShipment ? m_actions.newShipment() : 0;
    if (added != 0) {
        Refresh(RefillCause::User);
        SelectRow(m_model.RowOf(added));
    }
}

void CShipmentListView::OnEdit() {
    const std::optional<Shipment> shipment = ReadSelected();
    if (!shipment) {
        return;
    }
    if (m_actions.editShipment && m_actions.editShipment(shipment->id)) {
        Refresh(RefillCause::Elsewhere); // the edited shipment stays selected wherever it moves
    } else {
        // The editor may have found the shipment gone meanwhile.
        RefreshIfChangedElsewhere();
    }
}

// The question names the shipment, so that a wrong selection is caught before anything is lost.
void CShipmentListView::OnDelete() {
    const std::optional<Shipment> shipment = ReadSelected();
    if (!shipment) {
        return;
    }
    const int64_t id = shipment->id;
    const std::u16string question = FormatText(
        Tr(kDeleteQuestion), {ShortenedForMessage(shipment->itemName), ShortenedForMessage(shipment->invoiceNumber)});
    if (ShowMessage(window(), QString::fromStdU16String(question), MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
        return;
    }
    if (m_store.Delete(id)) {
        Refresh(RefillCause::User);
        return;
    }
    const StoreError error = m_store.LastError();
    Tell(QString::fromStdU16String(StoreFailureText(Tr(kDeleteFailed), error)));
    Refresh(error == StoreError::NotFound ? RefillCause::Elsewhere : RefillCause::User);
}

void CShipmentListView::OnCall() {
    const std::optional<Shipment> shipment = ReadSelected();
    if (!shipment) {
        return;
    }
    if (const Courier* courier = CourierOrTell(*shipment)) {
        PhoneMakeCall(window(), ToQString(FieldView(courier->phone)));
    }
}

void CShipmentListView::OnTrack() {
    const std::optional<Shipment> shipment = ReadSelected();
    if (!shipment) {
        return;
    }
    const Courier* courier = CourierOrTell(*shipment);
    if (courier == nullptr) {
        return;
    }
    const std::u16string url = FormatTrackingUrl(FieldView(courier->trackingUrl), shipment->invoiceNumber);
    if (m_actions.trackShipment) {
        m_actions.trackShipment(QString::fromStdU16String(url), shipment->courierIndex);
    }
}

QString CShipmentListView::SelectedAddress(int* courierIndex) {
    const std::optional<Shipment> shipment = ReadSelected();
    if (!shipment) {
        return {};
    }
    const Courier* courier = CourierOrTell(*shipment);
    if (courier == nullptr) {
        return {};
    }
    if (courierIndex != nullptr) {
        *courierIndex = shipment->courierIndex;
    }
    return QString::fromStdU16String(FormatTrackingUrl(FieldView(courier->trackingUrl), shipment->invoiceNumber));
}

void CShipmentListView::OnCopy(bool address) {
    QString text;
    if (address) {
        text = SelectedAddress();
    } else if (const std::optional<Shipment> shipment = ReadSelected()) {
        text = QString::fromStdU16String(shipment->invoiceNumber);
    }
    if (!text.isEmpty()) {
        QGuiApplication::clipboard()->setText(text);
    }
}

void CShipmentListView::OnOpenInBrowser() {
    int courierIndex = -1;
    const QString url = SelectedAddress(&courierIndex);
    if (!url.isEmpty() && m_actions.openInBrowser) {
        m_actions.openInBrowser(url, courierIndex);
    }
}

void CShipmentListView::OnHistory() {
    const std::optional<Shipment> shipment = ReadSelected();
    if (!shipment || !m_actions.showHistory) {
        return;
    }
    m_actions.showHistory(shipment->id, [this] { OnTrack(); });
}

void CShipmentListView::BulkAdd(const QString& text) {
    if (m_actions.bulkAdd && m_actions.bulkAdd(text)) {
        Refresh(RefillCause::Elsewhere); // the new rows must not move the selection to another shipment
    }
}

void CShipmentListView::OnOptions() {
    if (m_actions.options) {
        m_actions.options();
    }
}

} // namespace parcelo
