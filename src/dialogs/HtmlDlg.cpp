#include "dialogs/HtmlDlg.h"

#include "platform/QtMenuBuilder.h"
#include "res/resource.h"

#include <QGuiApplication>
#include <QMenu>
#include <QWebEngineView>

namespace parcelo {
namespace {

constexpr int kLargeText = 3;
constexpr int kNormalText = 2;
constexpr int kSmallText = 1;

} // namespace

CHtmlDlg::CHtmlDlg(QWidget* parent) : CDialog(IDD_HTML_DIALOG, parent) {
    connect(&CommandBar(), &CCommandBar::popupAboutToShow, this, &CHtmlDlg::UpdateToolsMenu);
}

CHtmlDlg::~CHtmlDlg() {
    StopLoading();
}

void CHtmlDlg::OnInitDialog() {
    if (!CreateMenuBar(IDR_HTMLDLG_MENU)) {
        return;
    }
    m_view.SetNotifyHandler([this](int code) { OnViewNotify(code); });
    m_view.Create(this, ClientRect());
    m_view.SetHtmlText(kConnectingPage);
    m_view.Navigate(m_address);
    UpdateToolsMenu(CommandBar().KeyMenu(CCommandBar::Key::Right));
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
    // The phone never resized the view; a desktop window can change its size at any time.
    if (QWebEngineView* view = m_view.View()) {
        view->setGeometry(ClientRect());
    }
}

} // namespace parcelo
