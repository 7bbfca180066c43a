#include "app/ParceloApp.h"

#include "app/MainFrame.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/BulkAddDlg.h"
#include "dialogs/NewTrackDlg.h"
#include "dialogs/OptionDlg.h"
#include "dialogs/TrackingPageFactory.h"
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
// Track, bulk-add and Options hooks and the about box. Every dialog is modal, built on the
// stack when its command runs and gone when it returns.
void CParceloApp::ConnectDialogs() {
    CMainFrame* frame = m_mainFrame.get();
    ShipmentActions actions;
    actions.newShipment = [frame] {
        CNewTrackDlg dialog(frame->Couriers(), frame->Store(), frame->GetClock(), frame);
        dialog.SetDetector(frame->Detector());
        return dialog.DoModal() == IDOK;
    };
    actions.editShipment = [frame](int64_t id) {
        CNewTrackDlg dialog(frame->Couriers(), frame->Store(), frame->GetClock(), frame);
        dialog.SetDetector(frame->Detector());
        dialog.SetEditId(id);
        return dialog.DoModal() == IDOK;
    };
    actions.trackShipment = [frame](const QString& address, int courierIndex) {
        const Courier* courier = FindCourier(frame->Couriers(), courierIndex);
        TrackingPageFactory::RunModal(frame, address.toStdU16String(), courier != nullptr ? courier->name : u"",
                                      courier != nullptr ? courierIndex : -1);
    };
    actions.bulkAdd = [frame] {
        CBulkAddDlg dialog(frame->Couriers(), frame->Detector(), frame->Store(), frame);
        return dialog.DoModal() == IDOK;
    };
    actions.options = [frame] {
        COptionDlg dialog(frame);
        dialog.DoModal();
    };
    frame->View().SetActions(std::move(actions));
    SetAboutBox([frame] {
        CAboutDlg dialog(frame);
        dialog.DoModal();
    });
}

} // namespace parcelo
