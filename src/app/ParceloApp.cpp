#include "app/ParceloApp.h"

#include "app/MainFrame.h"
#include "platform/DpiCache.h"
#include "res/resource.h"

#include <QCoreApplication>

namespace parcelo {

namespace {

// A phone-like window at 96 dots per inch; scaled like every other length.
constexpr int kWindowWidth = 480;
constexpr int kWindowHeight = 640;

DpiCache& AppDpi() {
    static DpiCache dpi;
    return dpi;
}

} // namespace

CParceloApp::CParceloApp() = default;

CParceloApp::~CParceloApp() = default;

bool CParceloApp::InitInstance() {
    QCoreApplication::setOrganizationName(QStringLiteral("VELDAN"));
    QCoreApplication::setApplicationName(QStringLiteral("Parcelo"));

    m_mainFrame = std::make_unique<CMainFrame>();
    m_mainFrame->SetApplicationCommands([this](int command) { return OnCommand(command); });
    ConnectDialogs();
    if (!m_mainFrame->LoadFrame()) {
        return false;
    }
    m_mainFrame->resize(AppDpi().ScaleX(kWindowWidth), AppDpi().ScaleY(kWindowHeight));
    m_mainFrame->show();
    return true;
}

bool CParceloApp::OnCommand(int command) {
    if (command != ID_APP_ABOUT) {
        return false;
    }
    OnAppAbout();
    return true;
}

void CParceloApp::OnAppAbout() {
    if (m_aboutBox) {
        m_aboutBox();
    }
}

// The one place where the dialogs meet the main window: the list view's New, Edit,
// Track and Options hooks and the about box. Hooks left empty do nothing.
void CParceloApp::ConnectDialogs() {
    m_mainFrame->View().SetActions(ShipmentActions{});
}

} // namespace parcelo
