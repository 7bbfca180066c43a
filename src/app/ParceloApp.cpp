#include "app/ParceloApp.h"

#include "app/MainFrame.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/BulkAddDlg.h"
#include "dialogs/HtmlDlg.h"
#include "dialogs/NewTrackDlg.h"
#include "dialogs/OptionDlg.h"
#include "dialogs/StatusHistoryDlg.h"
#include "dialogs/StatusOptionsPanel.h"
#include "platform/qt/Profile.h"
#include "platform/resource.h"
#include "render/qt/DpiCache.h"
#include "status/StatusSettings.h"
#include "ui/BrowserLauncher.h"
#include "ui/MessageBoxService.h"

#include <QCoreApplication>
#include <algorithm>
#include <iterator>

namespace parcelo {

namespace {

// A tall window at 96 dots per inch, the shape the list and dialogs are laid out
// for; scaled like every other length.
constexpr int kWindowWidth = 480;
constexpr int kWindowHeight = 640;

} // namespace

CParceloApp::CParceloApp() = default;

CParceloApp::~CParceloApp() = default;

bool CParceloApp::InitInstance(const SessionPaths& paths, const FontWarmUp* fonts) {
    QCoreApplication::setOrganizationName(QStringLiteral("VELDAN"));
    QCoreApplication::setApplicationName(QStringLiteral("Parcelo"));

    // The one figure of the screen every length is scaled by, read as the window is made.
    DpiCache::Reread();
    const ScreenDpi& dpi = DpiCache::Program();
    m_mainFrame = std::make_unique<CMainFrame>(paths, fonts);
    m_mainFrame->SetApplicationCommands([this](int command) { return OnCommand(command); });
    ConnectDialogs();
    if (!m_mainFrame->LoadFrame()) {
        return false;
    }
    m_mainFrame->resize(dpi.LogicalX(kWindowWidth), dpi.LogicalY(kWindowHeight));
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
        return dialog.DoModal() == IDOK ? dialog.SavedId() : int64_t{0};
    };
    actions.editShipment = [frame](int64_t id) {
        CNewTrackDlg dialog(frame->Couriers(), frame->Store(), frame->GetClock(), frame);
        dialog.SetDetector(frame->Detector());
        dialog.SetEditId(id);
        return dialog.DoModal() == IDOK;
    };
    actions.trackShipment = [frame](const QString& address, int courierIndex) {
        const Courier* courier = FindCourier(frame->Couriers(), courierIndex);
        CHtmlDlg::RunModal(frame, address.toStdU16String(), courier != nullptr ? courier->name : u"",
                           courier != nullptr ? courierIndex : -1);
    };
    // The page's process starts while the user reads the item menu.
    actions.prepareTracking = [](bool menuOpen) {
        if (menuOpen) {
            CHtmlDlg::PreparePage();
        } else {
            CHtmlDlg::DropPreparedPage();
        }
    };
    actions.openInBrowser = [frame](const QString& address, int courierIndex) {
        const Courier* courier = FindCourier(frame->Couriers(), courierIndex);
        const std::u16string name = courier != nullptr ? std::u16string(FieldView(courier->name)) : std::u16string();
        OpenInBrowser(frame, address, name, courier != nullptr ? courierIndex : -1);
    };
    actions.bulkAdd = [frame](const QString& text) {
        CBulkAddDlg dialog(frame->Couriers(), frame->Detector(), frame->Store(), frame);
        dialog.SetInitialText(text);
        return dialog.DoModal() == IDOK;
    };
    actions.options = [frame] {
        COptionDlg dialog(frame);
        const QString knownSecret = QString::fromStdString(frame->Status().ClientSecret());
        dialog.SetKeyState(QString::fromStdString(frame->Status().ClientId()), !knownSecret.isEmpty(),
                           frame->KeyInMemoryOnly());
        dialog.SetKnownSecret(knownSecret);
        dialog.SetStatusProblem(QString::fromStdU16String(frame->Status().TakeKeyRefusal()));
        if (dialog.DoModal() == IDOK && dialog.StatusPanel() != nullptr && dialog.StatusPanel()->KeyEdited()) {
            // A changed id without a new secret keeps the secret it had.
            const QString secret = dialog.StatusPanel()->ClientSecret();
            frame->StoreKey(dialog.StatusPanel()->ClientId(), secret.isEmpty() ? knownSecret : secret);
        }
        // The delivery-status settings may have changed here or in the profile itself.
        frame->ApplyStatusSettings(StatusSettings::Read(Profile()));
    };
    actions.showHistory = [frame](int64_t id, const std::function<void()>& openTracking) {
        std::vector<TrackingEvent> events;
        if (!frame->Store().Tracking().Events(id, events)) {
            ShowMessage(
                frame,
                QCoreApplication::translate("ParceloApp", "배송 이력을 읽지 못했습니다. 잠시 후 다시 시도하십시오."),
                MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        CStatusHistoryDlg dialog(events, openTracking, frame);
        dialog.resize(frame->size());
        dialog.exec();
    };
    frame->View().SetActions(std::move(actions));
    SetAboutBox([frame] {
        CAboutDlg dialog(frame);
        dialog.DoModal();
    });
}

} // namespace parcelo
