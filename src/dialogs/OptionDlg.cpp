#include "dialogs/OptionDlg.h"

#include "dialogs/DialogTitle.h"
#include "dialogs/StatusOptionsPanel.h"
#include "platform/Translation.h"
#include "platform/qt/Profile.h"
#include "platform/qt/QtText.h"
#include "platform/resource.h"
#include "status/StatusSettings.h"
#include "status/services/ServiceUrl.h"
#include "ui/MessageBoxService.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QResizeEvent>
#include <QScrollArea>
#include <QUrl>

namespace parcelo {
namespace {

const QString kSection = QString::fromUtf16(kSettingsSection);
const QString kDoubleClick = QString::fromUtf16(kDoubleClickKey);
const QString kFontSize = QString::fromUtf16(kFontSizeKey);

// A stored value that is no item of the combo box leaves it without a selection.
void SelectStored(QComboBox& combo, int value) {
    combo.setCurrentIndex(value >= 0 && value < combo.count() ? value : -1);
}

} // namespace

COptionDlg::COptionDlg(QWidget* parent) : CDialog(IDD_OPTION_DIALOG, parent) {}

void COptionDlg::OnInitDialog() {
    // Screen readers name the dialog by the title it draws, not by the program.
    setAccessibleName(ToQString(PARCELO_TR("OptionDlg", "옵션")));
    m_fontSizeCombo = qobject_cast<QComboBox*>(GetDlgItem(IDC_FONTSIZE_COMBO));
    m_doubleClickCombo = qobject_cast<QComboBox*>(GetDlgItem(IDC_DBLCLICK_COMBO));
    if (!CreateMenuBar(IDR_OPTION_MENU)) {
        return;
    }
    const Profile profile;
    const int fontSize = profile.GetProfileInt(kSection, kFontSize, kDefaultFontSize);
    const int doubleClick = profile.GetProfileInt(kSection, kDoubleClick, kDefaultDoubleClick);
    SelectStored(*m_fontSizeCombo, fontSize);
    SelectStored(*m_doubleClickCombo, doubleClick);

    m_statusArea = new QScrollArea(this);
    m_statusArea->setObjectName(QStringLiteral("StatusOptionsArea"));
    m_statusArea->setFrameShape(QFrame::NoFrame);
    m_statusArea->setWidgetResizable(true);
    m_statusArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_statusPanel = new CStatusOptionsPanel;
    m_statusPanel->Load(StatusSettings::Read(profile), m_clientId, m_hasSecret, m_memoryOnly);
    m_statusPanel->SetKnownSecret(m_knownSecret);
    m_statusPanel->ShowProblem(m_statusProblem);
    m_statusArea->setWidget(m_statusPanel);
    PlaceStatusArea();
    m_statusArea->show();
}

void COptionDlg::SetKeyState(const QString& clientId, bool hasSecret, bool memoryOnly) {
    m_clientId = clientId;
    m_hasSecret = hasSecret;
    m_memoryOnly = memoryOnly;
    if (m_statusPanel != nullptr) {
        m_statusPanel->Load(m_statusPanel->Settings(), clientId, hasSecret, memoryOnly);
    }
}

void COptionDlg::SetKnownSecret(const QString& secret) {
    m_knownSecret = secret;
    if (m_statusPanel != nullptr) {
        m_statusPanel->SetKnownSecret(secret);
    }
}

void COptionDlg::resizeEvent(QResizeEvent* event) {
    CDialog::resizeEvent(event);
    PlaceStatusArea();
}

// The delivery-status options fill the room between the double-click choice and the
// soft-key bar.
void COptionDlg::PlaceStatusArea() {
    if (m_statusArea == nullptr || m_doubleClickCombo == nullptr) {
        return;
    }
    const QRect client = ClientRect();
    const int margin = m_doubleClickCombo->height() / 2;
    const int top = m_doubleClickCombo->geometry().bottom() + margin;
    m_statusArea->setGeometry(margin, top, std::max(0, client.width() - 2 * margin),
                              std::max(0, client.bottom() - top));
}

void COptionDlg::OnOK() {
    if (m_fontSizeCombo != nullptr && m_doubleClickCombo != nullptr) {
        Profile profile;
        const bool fontSizeSaved = profile.WriteProfileInt(kSection, kFontSize, m_fontSizeCombo->currentIndex());
        const bool doubleClickSaved =
            profile.WriteProfileInt(kSection, kDoubleClick, m_doubleClickCombo->currentIndex());
        bool statusSaved = true;
        if (m_statusPanel != nullptr) {
            const StatusSettings status = m_statusPanel->Settings();
            const QString endpoint = QString::fromStdString(status.endpoint);
            const QString tokenUrl = QString::fromStdString(status.tokenUrl);
            if (status.enabled && !endpoint.isEmpty() && !IsAllowedServiceUrl(QUrl(endpoint, QUrl::StrictMode))) {
                ShowMessage(this,
                            QCoreApplication::translate(
                                "OptionDlg", "배송 상태 주소를 쓸 수 없습니다.\n%1\n주소는 https://로 시작해야 "
                                             "합니다(이 컴퓨터의 서버는 http://도 됩니다). 주소를 고치거나 비워 "
                                             "기본 주소를 쓰십시오.")
                                .arg(endpoint),
                            MB_OK | MB_ICONEXCLAMATION);
                return;
            }
            if (status.enabled && status.auth == TrackingClient::Auth::OAuth2 && !tokenUrl.isEmpty() &&
                !IsAllowedServiceUrl(QUrl(tokenUrl, QUrl::StrictMode))) {
                ShowMessage(this,
                            QCoreApplication::translate(
                                "OptionDlg", "토큰 주소를 쓸 수 없습니다.\n%1\n주소는 https://로 시작해야 "
                                             "합니다(이 컴퓨터의 서버는 http://도 됩니다). 주소를 고치거나 비워 "
                                             "기본 주소를 쓰십시오.")
                                .arg(tokenUrl),
                            MB_OK | MB_ICONEXCLAMATION);
                return;
            }
            statusSaved = status.Write(profile);
        }
        if (!fontSizeSaved || !doubleClickSaved || !statusSaved) {
            // The dialog stays open with the user's choice, to try again or to cancel.
            TellNotSaved(profile.UserFileName());
            return;
        }
    }
    EndDialog(IDOK);
}

void COptionDlg::TellNotSaved(const QString& fileName) {
    ShowMessage(this,
                QCoreApplication::translate(
                    "OptionDlg", "설정을 저장하지 못했습니다.\n\n"
                                 "설정 파일에 쓸 수 없습니다:\n%1\n\n"
                                 "이 파일과 그 폴더에 쓰기 권한이 있는지, 디스크에 빈 공간이 있는지 확인한 뒤 "
                                 "다시 \"확인\"을 누르십시오. \"취소\"를 누르면 설정을 바꾸지 않고 닫습니다.")
                    .arg(fileName),
                MB_OK | MB_ICONEXCLAMATION);
}

void COptionDlg::paintEvent(QPaintEvent* event) {
    CDialog::paintEvent(event);
    DrawDialogTitle(*this, PARCELO_TR("OptionDlg", "옵션"));
}

} // namespace parcelo
