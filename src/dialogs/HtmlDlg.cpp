#include "dialogs/HtmlDlg.h"

#include "dialogs/BrowserLauncher.h"
#include "dialogs/TrackingWebPage.h"
#include "platform/MessageBoxService.h"
#include "platform/QtMenuBuilder.h"
#include "res/resource.h"

#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>
#include <QUrl>
#include <QWebEngineView>

namespace parcelo {
namespace {

constexpr int kLargeText = 3;
constexpr int kNormalText = 2;
constexpr int kSmallText = 1;

} // namespace

CHtmlDlg::CHtmlDlg(QWidget* parent) : CDialog(IDD_HTML_DIALOG, parent) {
    connect(&CommandBar(), &CCommandBar::popupAboutToShow, this, &CHtmlDlg::UpdateToolsMenu);
    // Window-wide keys: the web view holds the focus and keeps every key it is given.
    const auto openTools = [this] { CommandBar().PressKey(CCommandBar::Key::Right); };
    connect(new QShortcut(QKeySequence(Qt::Key_F2), this), &QShortcut::activated, this, openTools);
    connect(new QShortcut(QKeySequence(Qt::Key_Menu), this), &QShortcut::activated, this, openTools);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &CHtmlDlg::OnCancel);
}

CHtmlDlg::~CHtmlDlg() {
    StopLoading();
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
    m_view.SetNotifyHandler([this](int code) { OnViewNotify(code); });
    m_view.Create(this, ClientRect());
    m_view.SetHtmlText(Translate("HtmlDlg", kConnectingPage));
    m_view.Navigate(m_address);
    UpdateToolsMenu(CommandBar().KeyMenu(CCommandBar::Key::Right));
}

void CHtmlDlg::TellAddressRefused() {
    ShowMessage(parentWidget(), AddressRefusedText(m_address, m_courierName, m_courierIndex),
                MB_OK | MB_ICONEXCLAMATION);
}

void CHtmlDlg::OnViewNotify(int code) {
    if (code == NM_BEFORENAVIGATE) {
        m_loading = true;
        BeginWaitCursor();
    } else if (code == NM_DOCUMENTCOMPLETE) {
        m_loading = false;
        EndWaitCursor();
    }
}

void CHtmlDlg::OnCommand(int command) {
    switch (command) {
    case ID_TOOLS_FIT_SCREEN:
        m_fitToScreen = !m_fitToScreen;
        m_view.EnableShrink(m_fitToScreen);
        break;
    case ID_TOOLS_TEXT_LARGER:
        m_zoomLevel = kLargeText;
        m_view.SetZoomLevel(m_zoomLevel);
        break;
    case ID_TOOLS_TEXT_NORMAL:
        m_zoomLevel = kNormalText;
        m_view.SetZoomLevel(m_zoomLevel);
        break;
    case ID_TOOLS_TEXT_SMALLER:
        m_zoomLevel = kSmallText;
        m_view.SetZoomLevel(m_zoomLevel);
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
    StopLoading();
    EndDialog(IDOK);
}

void CHtmlDlg::OnCancel() {
    StopLoading();
    EndDialog(IDCANCEL);
}

void CHtmlDlg::StopLoading() {
    // Later notifications of the stopped page must not begin a new wait cursor.
    m_view.SetNotifyHandler(nullptr);
    if (m_loading) {
        m_loading = false;
        m_view.Stop();
    }
    while (m_waitCursors > 0) {
        EndWaitCursor();
    }
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
    // The view covers the area above the soft-key bar whatever size the window takes.
    if (QWebEngineView* view = m_view.View()) {
        view->setGeometry(ClientRect());
    }
}

} // namespace parcelo
