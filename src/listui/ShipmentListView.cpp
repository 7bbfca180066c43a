#include "listui/ShipmentListView.h"

#include "couriers/TrackingUrl.h"
#include "listui/ShipmentItemText.h"
#include "listui/ShipmentListCommands.h"
#include "platform/DpiCache.h"
#include "platform/LocalTime.h"
#include "platform/MessageBoxService.h"
#include "platform/PhoneService.h"
#include "platform/Profile.h"
#include "platform/QtImageList.h"
#include "platform/QtMenuBuilder.h"
#include "platform/ResourceImages.h"
#include "res/Menus.h"
#include "res/resource.h"
#include "store/ShipmentDatabase.h"

#include <QAction>
#include <QMenu>
#include <QPixmap>
#include <QResizeEvent>
#include <algorithm>
#include <iterator>

namespace parcelo {

namespace {

constexpr int kLargeLogoDpi = 130; // above this the 50 x 50 logos are used

constexpr char16_t kDeleteQuestion[] = u"선택하신 배송정보를 삭제하시겠습니까?";
constexpr char16_t kDeleteFailed[] = u"배송정보를 삭제하지 못했습니다.";
constexpr char16_t kReadFailed[] = u"배송정보를 읽지 못했습니다. 목록을 다시 읽습니다.";
constexpr char16_t kCourierMissing[] = u"이 배송정보의 택배 회사가 parcelo.ini에 없습니다.";
constexpr char16_t kNoSelectionTitle[] = u"배송 정보";

DpiCache& ViewDpi() {
    static DpiCache dpi;
    return dpi;
}

QString Text(const char16_t* text) {
    return QString::fromUtf16(text);
}

// A fixed, zero-terminated field of a courier record.
template <std::size_t N> QString FieldText(const char16_t (&field)[N]) {
    const auto* end = std::find(std::begin(field), std::end(field), u'\0');
    return QString::fromUtf16(field, static_cast<qsizetype>(end - std::begin(field)));
}

template <std::size_t N> std::u16string_view FieldView(const char16_t (&field)[N]) {
    const auto* end = std::find(std::begin(field), std::end(field), u'\0');
    return {field, static_cast<std::size_t>(end - std::begin(field))};
}

std::unique_ptr<QtImageList> LoadCourierLogos() {
    const bool large = ViewDpi().DpiX() > kLargeLogoDpi;
    const QImage strip = LoadResourceImage(large ? IDB_COURIER_LOGOS_LARGE : IDB_COURIER_LOGOS_SMALL);
    return std::make_unique<QtImageList>(QPixmap::fromImage(strip), strip.height());
}

} // namespace

CShipmentListView::CShipmentListView(const std::vector<Courier>& couriers, CShipmentDatabase& store, QWidget* parent)
    : QWidget(parent), m_couriers(couriers), m_store(store), m_wndList(this, IDC_SHIPMENT_LIST) {
    setFocusProxy(&m_wndList);
    connect(&m_wndList, &CHTMLListCtrl::notify, this, &CShipmentListView::OnListNotify);
}

CShipmentListView::~CShipmentListView() = default;

void CShipmentListView::OnInitialUpdate() {
    m_imageList = LoadCourierLogos();
    m_wndList.SetImageList(m_imageList.get());
    m_wndList.SetExtendedStyle(HTMLLIST_STYLE_GRIDLINES | HTMLLIST_STYLE_IMAGES);
    FillList(false);
}

void CShipmentListView::FillList(bool clearFirst) {
    if (clearFirst) {
        m_wndList.DeleteAllItems();
    }
    std::vector<Shipment> shipments;
    m_store.ReadAll(shipments);
    const Instant now = CurrentInstant();
    for (std::size_t position = 0; position < shipments.size(); ++position) {
        const Shipment& shipment = shipments[position];
        if (!PassesFilter(shipment, m_nFilter)) {
            continue;
        }
        const Courier* courier = FindCourier(m_couriers, shipment.courierIndex);
        m_wndList.InsertItem(FormatShipmentItem(shipment, courier, now), shipment.courierIndex,
                             static_cast<uint32_t>(position), ITEM_HTML, 0);
    }
    m_wndList.viewport()->update();
}

void CShipmentListView::SortBy(uint32_t command) {
    uint32_t keyTag = 0;
    uint32_t flags = 0;
    if (SortOrderForCommand(command, keyTag, flags)) {
        m_store.SetSortOrder(keyTag, flags);
    }
    FillList(true);
}

void CShipmentListView::FilterBy(uint32_t command) {
    FilterForCommand(command, m_nFilter);
    FillList(true);
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
    default:
        return false;
    }
}

bool CShipmentListView::IsCommandEnabled(int command) const {
    switch (command) {
    case ID_EDIT_SHIPMENT:
    case ID_DELETE_SHIPMENT:
    case ID_CALL_COURIER:
    case ID_TRACK_SHIPMENT: {
        int position = 0;
        return SelectedPosition(position);
    }
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
    int position = 0;
    if (!SelectedPosition(position)) {
        for (QAction* action : menu->actions()) {
            action->setData(0);
            action->setEnabled(action->isSeparator());
        }
        if (!menu->actions().isEmpty()) {
            menu->actions().front()->setText(Text(kNoSelectionTitle));
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
    m_itemMenu->popup(screenPoint);
}

void CShipmentListView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The list's one-pixel border lies just outside the view on every side.
    DpiCache& dpi = ViewDpi();
    m_wndList.setGeometry(-dpi.ScaleX(1), -dpi.ScaleY(1), event->size().width() + dpi.ScaleX(2),
                          event->size().height() + dpi.ScaleY(2));
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

bool CShipmentListView::SelectedPosition(int& position) const {
    const int index = m_wndList.GetSelectedIndex();
    if (index < 0 || index >= m_wndList.GetItemCount()) {
        return false;
    }
    position = static_cast<int>(m_wndList.GetItemData(index));
    return true;
}

// The selected shipment as the store has it now. A failed read means the positions
// are out of date, so the user is told and the list is read again.
bool CShipmentListView::ReadSelected(Shipment& shipment, int& position) {
    if (!SelectedPosition(position)) {
        return false;
    }
    if (!m_store.ReadAt(position, shipment)) {
        Tell(Text(kReadFailed));
        FillList(true);
        return false;
    }
    return true;
}

const Courier* CShipmentListView::CourierOrTell(const Shipment& shipment) {
    const Courier* courier = FindCourier(m_couriers, shipment.courierIndex);
    if (courier == nullptr) {
        Tell(Text(kCourierMissing));
    }
    return courier;
}

void CShipmentListView::Tell(const QString& text) {
    ShowMessage(window(), text, MB_OK | MB_ICONEXCLAMATION);
}

void CShipmentListView::OnNew() {
    if (m_actions.newShipment && m_actions.newShipment()) {
        FillList(true);
    }
}

void CShipmentListView::OnEdit() {
    int position = 0;
    if (!SelectedPosition(position)) {
        return;
    }
    if (m_actions.editShipment && m_actions.editShipment(position)) {
        FillList(true);
    }
}

void CShipmentListView::OnDelete() {
    int position = 0;
    if (!SelectedPosition(position)) {
        return;
    }
    if (ShowMessage(window(), Text(kDeleteQuestion), MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
        return;
    }
    if (!m_store.DeleteAt(position)) {
        Tell(Text(kDeleteFailed));
    }
    FillList(true);
}

void CShipmentListView::OnCall() {
    Shipment shipment;
    int position = 0;
    if (!ReadSelected(shipment, position)) {
        return;
    }
    if (const Courier* courier = CourierOrTell(shipment)) {
        PhoneMakeCall(window(), FieldText(courier->phone));
    }
}

void CShipmentListView::OnTrack() {
    Shipment shipment;
    int position = 0;
    if (!ReadSelected(shipment, position)) {
        return;
    }
    const Courier* courier = CourierOrTell(shipment);
    if (courier == nullptr) {
        return;
    }
    const std::u16string url = FormatTrackingUrl(FieldView(courier->trackingUrl), shipment.invoiceNumber);
    if (m_actions.trackShipment) {
        m_actions.trackShipment(QString::fromStdU16String(url));
    }
}

void CShipmentListView::OnOptions() {
    if (m_actions.options) {
        m_actions.options();
    }
}

} // namespace parcelo
