#include "app/MainFrame.h"

#include "platform/Translation.h"
#include "platform/qt/Profile.h"
#include "platform/resource.h"
#include "render/qt/DpiCache.h"
#include "render/qt/FontWarmUp.h"
#include "render/qt/ResourceImages.h"
#include "status/services/StatusServicesLoader.h"
#include "ui/MessageBoxService.h"
#include "ui/QtMenuBuilder.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
namespace parcelo {

namespace {

// Screen readers see the main window as an application's frame, not as an unnamed pane.
QAccessibleInterface* AccessibleMainFrame(const QString&, QObject* object) {
    auto* frame = qobject_cast<CMainFrame*>(object);
    return frame != nullptr ? new QAccessibleWidget(frame, QAccessible::Window) : nullptr;
}

constexpr int kFilterSortBarHeight = 22;

// A text kept below, in the interface's language.
std::u16string Tr(const char* text) {
    return Translate("MainFrame", text);
}

constexpr char kIniMissing[] = QT_TRANSLATE_NOOP("MainFrame", "parcelo.ini! 없습니다. 프로그램을 종료합니다.");
// The file's path goes after the first line: a message box reads text as markup only
// when something like a tag comes before the first line break.
constexpr char kIniPathTooLong[] =
    QT_TRANSLATE_NOOP("MainFrame", "parcelo.ini의 경로가 너무 길어 읽을 수 없습니다.\n%1\n경로는 259자까지 쓸 수 "
                                   "있습니다. INSTALLPATH를 더 짧은 폴더로 바꾸십시오. 프로그램을 종료합니다.");
constexpr char kIniWithoutCouriers[] =
    QT_TRANSLATE_NOOP("MainFrame", "택배 회사 목록이 비어 있습니다.\n%1\n이 파일에 ID01 항목이 없습니다. "
                                   "ID01=이름;코드;설명;전화번호;조회 주소 형식으로 택배 회사를 적고 "
                                   "프로그램을 다시 시작하십시오.");
constexpr char kStoreUnavailable[] =
    QT_TRANSLATE_NOOP("MainFrame", "배송정보 데이터베이스를 열 수 없습니다.\n배송정보를 보거나 저장할 수 없습니다.");
constexpr char kNoSecretStore[] = QT_TRANSLATE_NOOP(
    "MainFrame", "비밀 저장소를 쓸 수 없어 비밀 키는 Parcelo를 닫을 때까지만 기억합니다.\n클라이언트 ID는 설정 파일에 "
                 "저장했습니다. 다음에 시작하면 옵션에서 비밀 키만 다시 입력하십시오. 창 없이 확인할 때는 "
                 "PARCELO_KEY_FILE이나 systemd의 LoadCredential=로 키 파일을 주십시오.");
constexpr int kSelectionCommands[] = {ID_EDIT_SHIPMENT, ID_DELETE_SHIPMENT, ID_CALL_COURIER, ID_TRACK_SHIPMENT};

} // namespace

CMainFrame::CMainFrame(const SessionPaths& paths, const FontWarmUp* fonts)
    : m_courierFile(paths.courierFile), m_fonts(fonts), m_startup(std::make_unique<StartupReader>(paths, fonts)),
      m_status(m_store, m_clock, m_executor, [](std::string* error) { return LoadStatusServices(error); }),
      m_statusLabel(this), m_wndFilterSortBar(this), m_wndCommandBar(this),
      m_wndView(m_couriers, m_store, m_clock, this),
      m_fileCommands(m_wndView, m_store, m_couriers, m_detector, m_fileChooser, this),
      m_input(m_wndView, m_fileCommands, this) {
    setWindowTitle(QString::fromUtf16(kMainFrameTitle.data(), static_cast<qsizetype>(kMainFrameTitle.size())));
    setFocusProxy(&m_wndView);
    static const bool accessible = (QAccessible::installFactory(&AccessibleMainFrame), true);
    (void)accessible;
    // The list has the focus when the window opens; Tab goes on to the filter and the
    // sort buttons, which a click never focuses.
    QWidget::setTabOrder(&m_wndView.List(), &m_wndFilterSortBar.FilterButton());
    QWidget::setTabOrder(&m_wndFilterSortBar.FilterButton(), &m_wndFilterSortBar.SortButton());
    m_wndView.setFocus();
}

CMainFrame::~CMainFrame() {
    // The refresh is given up when the controller goes, after the label and the list:
    // its last calls must find nobody here.
    m_status.SetCallbacks({});
}

void CMainFrame::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        m_wndView.RefreshIfChangedElsewhere();
    }
}

bool CMainFrame::LoadFrame() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_wndView.setObjectName(QStringLiteral("ShipmentListView"));
    layout->addWidget(&m_wndView, 1);

    if (!m_wndCommandBar.InsertMenuBar(IDR_MENUBAR)) {
        return false;
    }
    connect(&m_wndCommandBar, &CCommandBar::commandChosen, this,
            [this](uint32_t id) { OnCmdMsg(static_cast<int>(id)); });
    connect(&m_wndCommandBar, &CCommandBar::popupAboutToShow, this, [this](QMenu* popup) {
        AddStatusEntries(popup);
        UpdateCommandStates();
    });
    m_statusLabel.setObjectName(QStringLiteral("StatusLine"));
    m_statusLabel.setTextFormat(Qt::PlainText);
    const ScreenDpi& dpi = DpiCache::Program();
    m_statusLabel.setContentsMargins(dpi.LogicalX(4), 0, dpi.LogicalX(4), 0);
    m_statusLabel.setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_statusLabel.hide();
    layout->addWidget(&m_statusLabel);
    layout->addWidget(&m_wndCommandBar);

    m_wndFilterSortBar.setFixedHeight(dpi.LogicalY(kFilterSortBarHeight));
    layout->insertWidget(0, &m_wndFilterSortBar);
    connect(&m_wndFilterSortBar, &CFilterSortBar::notifyMainWindow, this,
            [this](unsigned message, uint32_t command) { SendMessage(message, command); });
    m_wndFilterSortBar.CreateDropDowns();
    BindKeys();

    if (m_fonts != nullptr) {
        m_fonts->Wait();
    }
    m_wndView.LoadItemFonts(); // while the store opens on the reader's thread
    Session& files = m_startup->Take();
    const bool couriersLoaded = LoadCouriers(files);
    connect(&m_wndView.List(), &CHTMLListCtrl::firstFrameShown, this, &CMainFrame::OnFirstFrameShown);
    // After an unreadable parcelo.ini the program is ending; one message is enough.
    OpenStore(files, couriersLoaded);
    m_startup.reset();
    const StatusSettings statusSettings = StatusSettings::Read(Profile());
    // The first fill already shows the statuses when the feature is on.
    m_wndView.ShowDeliveryStatus(statusSettings.enabled && m_store.IsOpen() ? &m_store.Tracking() : nullptr);
    m_wndView.OnInitialUpdate();
    // The smallest window still shows both captions of the bar, one item and the soft keys whole.
    const int narrowest = std::max(m_wndFilterSortBar.MinimumWindowWidth(), m_wndCommandBar.minimumSizeHint().width());
    const int keysHeight = m_wndCommandBar.sizeHint().expandedTo(m_wndCommandBar.minimumSize()).height();
    setMinimumSize(narrowest, m_wndFilterSortBar.height() + m_wndView.ItemHeight(narrowest) + keysHeight);
    ConnectStatus();
    ApplyStatusSettings(statusSettings);
    return true;
}

void CMainFrame::ConnectStatus() {
    m_status.SetCarrierIds(m_carrierIds);
    StatusController::Callbacks callbacks;
    callbacks.statusLineChanged = [this](const std::u16string& line) {
        m_statusLabel.setText(QString::fromStdU16String(line));
        m_statusLabel.setVisible(!line.empty());
    };
    // Several shipments changing at once make one refill.
    callbacks.shipmentChanged = [this](int64_t) {
        if (!m_refillPending) {
            m_refillPending = true;
            QTimer::singleShot(0, this, [this] { RefillForStatus(); });
        }
    };
    callbacks.notificationActivated = [this](int64_t id) { ShowShipment(id); };
    callbacks.servicesUnavailable = [this](const std::u16string& message) {
        ShowMessage(this, QString::fromStdU16String(message), MB_OK | MB_ICONEXCLAMATION);
    };
    callbacks.keyInMemoryOnly = [this] {
        ShowMessage(this, QString::fromStdU16String(Tr(kNoSecretStore)), MB_OK | MB_ICONINFORMATION);
    };
    m_status.SetCallbacks(std::move(callbacks));
}

void CMainFrame::RefillForStatus() {
    m_refillPending = false;
    m_wndView.Refresh(RefillCause::Elsewhere);
}

void CMainFrame::ApplyStatusSettings(const StatusSettings& settings) {
    // The list shows statuses only while the feature is on: off, it is as it always was.
    if (m_wndView.ShowDeliveryStatus(settings.enabled && m_store.IsOpen() ? &m_store.Tracking() : nullptr)) {
        m_wndView.Refresh(RefillCause::Elsewhere);
    }
    m_status.Apply(m_store.IsOpen() ? settings : StatusSettings{});
}

void CMainFrame::StoreKey(const QString& clientId, const QString& clientSecret) {
    m_status.StoreKey(clientId.toStdString(), clientSecret.toStdString());
}

void CMainFrame::ShowShipment(int64_t id) {
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
    if (id != 0 && !m_wndView.SelectShipment(id)) {
        // It may be hidden by the filter: show every shipment and look again.
        m_wndFilterSortBar.FilterButton().OnChoice(ID_FILTER_ALL); // the bar shows the new filter too
        m_wndView.SelectShipment(id);
    }
}

// While the delivery status is on, the main menu offers a refresh before the options.
void CMainFrame::AddStatusEntries(QMenu* popup) {
    if (popup == nullptr) {
        return;
    }
    QAction* existing = nullptr;
    QAction* options = nullptr;
    for (QAction* action : popup->actions()) {
        if (action->data().toInt() == ID_REFRESH_STATUS) {
            existing = action;
        } else if (action->data().toInt() == ID_OPTIONS) {
            options = action;
        }
    }
    if (existing == nullptr && options != nullptr && m_status.Enabled()) {
        existing = new QAction(QCoreApplication::translate("MainFrame", "새로 고침\tF5"), popup);
        existing->setData(ID_REFRESH_STATUS);
        popup->insertAction(options, existing);
    }
    if (existing != nullptr) {
        existing->setVisible(m_status.Enabled());
        existing->setEnabled(!m_status.IsRunning());
    }
}

// False when the program is ending because the courier file could not be read.
bool CMainFrame::LoadCouriers(Session& files) {
    const QString file = QString::fromStdU16String(m_courierFile);
    m_couriers = std::move(files.couriers);
    m_detector = std::move(files.detector);
    m_carrierIds = std::move(files.carrierIds);
    const CourierFileStatus status = files.courierStatus;
    switch (status) {
    case CourierFileStatus::Loaded:
        return true;
    case CourierFileStatus::NoCouriers:
        // The program runs on with an empty courier table.
        ShowMessage(this, QString::fromStdU16String(Tr(kIniWithoutCouriers)).arg(file), MB_OK | MB_ICONEXCLAMATION);
        return true;
    case CourierFileStatus::PathTooLong:
        ShowMessage(this, QString::fromStdU16String(Tr(kIniPathTooLong)).arg(file), MB_OK | MB_ICONEXCLAMATION);
        break;
    case CourierFileStatus::Missing:
        ShowMessage(this, QString::fromStdU16String(Tr(kIniMissing)), MB_OK | MB_ICONEXCLAMATION);
        break;
    }
    PostQuitMessage(0);
    return false;
}

// What the first frame does not wait for: the window icon (four images to decode), and
// the page check of the store. A damaged store is given up: the list empties and the
// user hears what mounting it would have said.
void CMainFrame::OnFirstFrameShown() {
    setWindowIcon(ApplicationIcon());
    if (!m_store.IsOpen() || m_store.CheckVolume() || m_store.LastError() != StoreError::Damaged) {
        return; // a busy or unreadable file is checked again before the first write
    }
    m_wndView.Refresh(RefillCause::Elsewhere);
    ShowMessage(this, QString::fromStdU16String(Tr(kStoreUnavailable)), MB_OK | MB_ICONEXCLAMATION);
}

void CMainFrame::OpenStore(Session& files, bool tellOnFailure) {
    m_store = std::move(files.store);
    if (!files.storeOpened && tellOnFailure) {
        ShowMessage(this, QString::fromStdU16String(Tr(kStoreUnavailable)), MB_OK | MB_ICONEXCLAMATION);
    }
}

// The find field is made the first time it is wanted: a line edit brings the input
// method with it, which a start that never finds should not wait for.
CFindBar& CMainFrame::FindBar() {
    if (!m_wndFindBar) {
        m_wndFindBar = std::make_unique<CFindBar>(this);
        if (auto* column = qobject_cast<QVBoxLayout*>(layout())) {
            column->insertWidget(1, m_wndFindBar.get()); // under the filter and sort bar
        }
        connect(m_wndFindBar.get(), &QLineEdit::textChanged, this,
                [this](const QString& text) { m_wndView.SetFindText(text); });
        connect(m_wndFindBar.get(), &CFindBar::closed, this, [this] { m_wndView.setFocus(); });
    }
    return *m_wndFindBar;
}

void CMainFrame::BindKeys() {
    const auto bind = [this](const QKeySequence& keys, const std::function<void()>& run) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, run);
    };
    bind(QKeySequence(Qt::Key_F1), [this] { m_wndCommandBar.PressKey(CCommandBar::Key::Left); });
    bind(QKeySequence(Qt::Key_F2), [this] { m_wndCommandBar.PressKey(CCommandBar::Key::Right); });
    bind(QKeySequence(Qt::Key_F10), [this] { m_wndCommandBar.PressKey(CCommandBar::Key::Right); });
    // The context-menu keys open the menu of the selected shipment, as in any list.
    bind(QKeySequence(Qt::Key_Menu), [this] { m_wndView.ShowItemMenuForSelection(); });
    bind(QKeySequence(Qt::SHIFT | Qt::Key_F10), [this] { m_wndView.ShowItemMenuForSelection(); });
    bind(QKeySequence(Qt::Key_F3), [this] { m_wndFilterSortBar.FilterButton().OpenMenu(); });
    bind(QKeySequence(Qt::Key_F4), [this] { m_wndFilterSortBar.SortButton().OpenMenu(); });
    for (const int command : {ID_FIND, ID_REFRESH_STATUS, ID_EXIT}) {
        bind(QtMenuBuilder::KeysOf(command), [this, command] { OnCmdMsg(command); });
    }
    // Delete deletes a shipment only from the list: in the find field it deletes text.
    auto* remove = new QShortcut(QtMenuBuilder::KeysOf(ID_DELETE_SHIPMENT), &m_wndView);
    remove->setContext(Qt::WidgetWithChildrenShortcut);
    connect(remove, &QShortcut::activated, this, [this] { OnCmdMsg(ID_DELETE_SHIPMENT); });
    // Ctrl+V in the list adds what the clipboard holds; in the find field it pastes text.
    auto* paste = new QShortcut(QKeySequence::Paste, &m_wndView);
    paste->setContext(Qt::WidgetWithChildrenShortcut);
    connect(paste, &QShortcut::activated, this, [this] { m_input.Paste(); });
    m_input.Attach();
}

bool CMainFrame::OnCmdMsg(int command) {
    if (m_wndView.OnCommand(command)) {
        return true;
    }
    if (command == ID_EXIT) {
        PostQuitMessage(0);
        return true;
    }
    if (command == ID_FIND) {
        FindBar().Open();
        return true;
    }
    if (command == ID_REFRESH_STATUS) {
        m_status.RefreshNow(); // does nothing while the feature is off
        return true;
    }
    if (m_fileCommands.OnCommand(command)) {
        return true;
    }
    return m_appCommands && m_appCommands(command);
}

intptr_t CMainFrame::SendMessage(unsigned message, uint32_t wParam) {
    if (message == WM_FILTER_CHANGED) {
        m_wndView.FilterBy(wParam);
    } else if (message == WM_SORT_CHANGED) {
        m_wndView.SortBy(wParam);
    }
    return 0;
}

void CMainFrame::UpdateCommandStates() {
    for (const int command : kSelectionCommands) {
        m_wndCommandBar.EnableCommand(command, m_wndView.IsCommandEnabled(command));
    }
}

const Courier& CMainFrame::GetCourier(std::size_t position) const {
    static const Courier blank{};
    return position < m_couriers.size() ? m_couriers[position] : blank;
}

void CMainFrame::PostQuitMessage(int code) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [code] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
}

} // namespace parcelo
