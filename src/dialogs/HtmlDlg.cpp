#include "dialogs/HtmlDlg.h"

#include "platform/resource.h"
#include "ui/BrowserLauncher.h"
#include "ui/MessageBoxService.h"
#include "ui/QtMenuBuilder.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <xcb/xcb.h>

namespace parcelo {
namespace {

constexpr int kLargeText = 3;
constexpr int kNormalText = 2;
constexpr int kSmallText = 1;
constexpr int kBaseDpi = 96;

} // namespace

CHtmlDlg::CHtmlDlg(QWidget* parent) : CDialog(IDD_HTML_DIALOG, parent) {
    connect(&CommandBar(), &CCommandBar::popupAboutToShow, this, &CHtmlDlg::UpdateToolsMenu);
    const auto openTools = [this] { CommandBar().PressKey(CCommandBar::Key::Right); };
    connect(new QShortcut(QKeySequence(Qt::Key_F2), this), &QShortcut::activated, this, openTools);
    connect(new QShortcut(QKeySequence(Qt::Key_Menu), this), &QShortcut::activated, this, openTools);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &CHtmlDlg::OnCancel);
    m_page = std::make_unique<CPageProcess>();
    AttachPage();
}

namespace {

// The page started ahead of the next dialog, and what ends it when no dialog takes it.
struct PreparedPage {
    std::unique_ptr<CPageProcess> page;
    QTimer idle;
};

PreparedPage& Prepared() {
    static PreparedPage* prepared = [] {
        auto* made = new PreparedPage; // lives to the end of the run; its page is ended before
        made->idle.setSingleShot(true);
        QObject::connect(&made->idle, &QTimer::timeout, [made] { made->page.reset(); });
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [made] { made->page.reset(); });
        return made;
    }();
    return *prepared;
}

} // namespace

void CHtmlDlg::PreparePage() {
    PreparedPage& prepared = Prepared();
    prepared.idle.stop();
    if (prepared.page != nullptr && prepared.page->IsRunning()) {
        return;
    }
    prepared.page = std::make_unique<CPageProcess>();
    // A prepared page that fails is dropped without a word; the dialog starts its own.
    QObject::connect(prepared.page.get(), &CPageProcess::failed, prepared.page.get(),
                     [&prepared] { QTimer::singleShot(0, qApp, [&prepared] { prepared.page.reset(); }); });
    prepared.page->Start(kDefaultAnswerMs);
}

void CHtmlDlg::DropPreparedPage() {
    if (Prepared().page != nullptr) {
        Prepared().idle.start(kPreparedIdleMs);
    }
}

qint64 CHtmlDlg::PreparedPageId() {
    const std::unique_ptr<CPageProcess>& page = Prepared().page;
    return page != nullptr && page->IsRunning() ? page->ProcessId() : 0;
}

void CHtmlDlg::AttachPage() {
    connect(m_page.get(), &CPageProcess::received, this, &CHtmlDlg::OnPageMessage);
    connect(m_page.get(), &CPageProcess::failed, this, &CHtmlDlg::OnPageFailed);
}

CHtmlDlg::~CHtmlDlg() {
    ClosePage();
}

void CHtmlDlg::RunModal(QWidget* parent, std::u16string address, std::u16string courierName, int courierIndex) {
    CHtmlDlg dialog(parent);
    dialog.SetAddress(std::move(address));
    if (courierIndex >= 0) {
        dialog.SetCourier(std::move(courierName), courierIndex);
    }
    dialog.DoModal();
}

int CHtmlDlg::exec() {
    InitDialog();
    if (m_refused) {
        setResult(IDCANCEL);
        return IDCANCEL;
    }
    return CDialog::exec();
}

void CHtmlDlg::setVisible(bool visible) {
    if (visible) {
        InitDialog();
        if (m_refused) {
            return; // the user has been told; there is nothing to show
        }
    }
    CDialog::setVisible(visible);
    if (!visible) {
        ClosePage();
    }
}

void CHtmlDlg::OnInitDialog() {
    if (!IsWebAddress(QUrl(QtMenuBuilder::ToQString(m_address)))) {
        m_refused = true;
        TellAddressRefused();
        return;
    }
    if (!CreateMenuBar(IDR_HTMLDLG_MENU)) {
        return;
    }
    m_connecting = new QLabel(QString::fromStdU16String(Translate("HtmlDlg", kConnectingText)), this);
    m_connecting->setObjectName(QStringLiteral("connectingLabel"));
    m_connecting->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_connecting->setMargin(m_dpi.LogicalX(8));
    m_connecting->setAutoFillBackground(true);
    m_connecting->setGeometry(ClientRect());
    m_embedded = QGuiApplication::platformName() == u"xcb";
    PreparedPage& prepared = Prepared();
    if (prepared.page != nullptr && prepared.page->IsRunning()) {
        prepared.idle.stop();
        m_page = std::move(prepared.page);                                 // started when the item menu opened
        disconnect(m_page.get(), &CPageProcess::failed, nullptr, nullptr); // no longer dropped silently
        AttachPage();
    } else {
        m_page->Start(m_answerMs);
    }
    // Screen pixels per 96-dpi pixel of this window: the screen's device resolution
    // (Qt's own scale included) over 96.
    const int dpi = m_dpi.DpiY();
    const double scale = dpi > 0 ? static_cast<double>(dpi) / kBaseDpi : devicePixelRatioF();
    m_page->Send({PageVerb::Scale, {std::clamp<int64_t>(std::llround(scale * 1000), 100, 10000)}, {}});
    m_page->Send({PageVerb::Zoom, {m_zoomLevel}, {}});
    m_page->Send(
        {PageVerb::Open, {}, QUrl(QtMenuBuilder::ToQString(m_address)).toString(QUrl::FullyEncoded).toStdString()});
    UpdateToolsMenu(CommandBar().KeyMenu(CCommandBar::Key::Right));
    if (m_page->IsReady()) {
        OnPageReady(m_page->WindowId());
    }
}

void CHtmlDlg::TellAddressRefused() {
    ShowMessage(parentWidget(), AddressRefusedText(m_address, m_courierName, m_courierIndex),
                MB_OK | MB_ICONEXCLAMATION);
}

void CHtmlDlg::OnPageMessage(const PageMessage& message) {
    switch (message.verb) {
    case PageVerb::Ready:
        OnPageReady(message.numbers[0]);
        break;
    case PageVerb::Loading:
        m_loading = true;
        BeginWaitCursor();
        break;
    case PageVerb::Loaded:
        m_loading = false;
        EndWaitCursor();
        ShowPage();
        break;
    case PageVerb::Key:
        if (message.text == "tools") {
            CommandBar().PressKey(CCommandBar::Key::Right);
        } else {
            OnCancel();
        }
        break;
    default:
        break; // a result is for whoever asked
    }
}

void CHtmlDlg::OnPageReady(int64_t windowId) {
    if (m_embedded) {
        // The page's window becomes a child of the dialog's client area when the page
        // has something to show.
        QWindow* window = QWindow::fromWinId(static_cast<WId>(windowId));
        if (window != nullptr) {
            m_container = QWidget::createWindowContainer(window, this);
            m_container->setObjectName(QStringLiteral("trackingPage"));
            m_container->setAccessibleName(QCoreApplication::translate("HtmlDlg", "배송 조회 페이지"));
            m_container->setFocusPolicy(Qt::StrongFocus);
            m_container->hide();
        } else {
            m_embedded = false;
        }
    }
    PlacePage();
}

void CHtmlDlg::PlacePage() {
    const QRect client = ClientRect();
    if (m_connecting != nullptr) {
        m_connecting->setGeometry(client);
    }
    if (!m_page->IsReady()) {
        return;
    }
    if (m_embedded) {
        if (m_container != nullptr) {
            m_container->setGeometry(client);
        }
        m_page->Send({PageVerb::Place, {0, 0, client.width(), client.height()}, {}});
    } else {
        const QPoint at = mapToGlobal(client.topLeft());
        m_page->Send({PageVerb::Place, {at.x(), at.y(), client.width(), client.height()}, {}});
    }
}

void CHtmlDlg::ShowPage() {
    if (m_pageShown || !m_page->IsReady()) {
        return;
    }
    m_pageShown = true;
    if (m_embedded && m_container != nullptr) {
        m_container->show();
        m_container->setFocus();
        // The page maps its window once it is inside the dialog, never on the desktop.
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
            xcb_flush(x11->connection());
        }
    }
    m_page->Send({PageVerb::Show, {}, {}});
    emit pageShown();
}

void CHtmlDlg::OnPageFailed(CPageProcess::Failure failure, const QString& detail) {
    StopLoading();
    delete m_container.data();
    ShowMessage(this, CPageProcess::FailureText(failure, detail, m_answerMs), MB_OK | MB_ICONERROR);
    EndDialog(IDCANCEL);
}

void CHtmlDlg::OnCommand(int command) {
    switch (command) {
    case ID_TOOLS_FIT_SCREEN:
        m_fitToScreen = !m_fitToScreen;
        m_page->Send({PageVerb::Shrink, {m_fitToScreen ? 1 : 0}, {}});
        break;
    case ID_TOOLS_TEXT_LARGER:
    case ID_TOOLS_TEXT_NORMAL:
    case ID_TOOLS_TEXT_SMALLER:
        m_zoomLevel = command == ID_TOOLS_TEXT_LARGER   ? kLargeText
                      : command == ID_TOOLS_TEXT_NORMAL ? kNormalText
                                                        : kSmallText;
        m_page->Send({PageVerb::Zoom, {m_zoomLevel}, {}});
        break;
    case ID_TOOLS_OPEN_IN_BROWSER:
        OpenInBrowser(this, QtMenuBuilder::ToQString(m_address), m_courierName, m_courierIndex);
        return;
    default:
        return;
    }
    UpdateToolsMenu(CommandBar().KeyMenu(CCommandBar::Key::Right));
}

void CHtmlDlg::UpdateToolsMenu(QMenu* popup) {
    if (popup == nullptr) {
        return;
    }
    QtMenuBuilder::CheckCommand(*popup, ID_TOOLS_FIT_SCREEN, m_fitToScreen);
    QtMenuBuilder::CheckCommand(*popup, ID_TOOLS_TEXT_LARGER, m_zoomLevel == kLargeText);
    QtMenuBuilder::CheckCommand(*popup, ID_TOOLS_TEXT_NORMAL, m_zoomLevel == kNormalText);
    QtMenuBuilder::CheckCommand(*popup, ID_TOOLS_TEXT_SMALLER, m_zoomLevel == kSmallText);
}

void CHtmlDlg::OnOK() {
    ClosePage();
    EndDialog(IDOK);
}

void CHtmlDlg::OnCancel() {
    ClosePage();
    EndDialog(IDCANCEL);
}

void CHtmlDlg::StopLoading() {
    if (m_loading) {
        m_loading = false;
        m_page->Send({PageVerb::Stop, {}, {}});
    }
    while (m_waitCursors > 0) {
        EndWaitCursor();
    }
}

void CHtmlDlg::ClosePage() {
    StopLoading();
    // The container would end the foreign window with it; the page goes first.
    m_page->Close();
    delete m_container.data();
}

void CHtmlDlg::BeginWaitCursor() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    ++m_waitCursors;
}

void CHtmlDlg::EndWaitCursor() {
    if (m_waitCursors == 0) {
        return; // never end a wait cursor that someone else began
    }
    --m_waitCursors;
    QGuiApplication::restoreOverrideCursor();
}

void CHtmlDlg::resizeEvent(QResizeEvent* event) {
    CDialog::resizeEvent(event);
    PlacePage(); // the page covers the area above the soft-key bar whatever size the window takes
}

void CHtmlDlg::moveEvent(QMoveEvent* event) {
    CDialog::moveEvent(event);
    if (!m_embedded) {
        PlacePage();
    }
}

} // namespace parcelo
