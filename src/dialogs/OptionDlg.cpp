#include "dialogs/OptionDlg.h"

#include "dialogs/DialogTitle.h"
#include "platform/MessageBoxService.h"
#include "platform/Profile.h"
#include "res/resource.h"

#include <QComboBox>

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
}

void COptionDlg::OnOK() {
    if (m_fontSizeCombo != nullptr && m_doubleClickCombo != nullptr) {
        Profile profile;
        const bool fontSizeSaved = profile.WriteProfileInt(kSection, kFontSize, m_fontSizeCombo->currentIndex());
        const bool doubleClickSaved =
            profile.WriteProfileInt(kSection, kDoubleClick, m_doubleClickCombo->currentIndex());
        if (!fontSizeSaved || !doubleClickSaved) {
            // The dialog stays open with the user's choice, to try again or to cancel.
            TellNotSaved(profile.UserFileName());
            return;
        }
    }
    EndDialog(IDOK);
}

void COptionDlg::TellNotSaved(const QString& fileName) {
    ShowMessage(this,
                QStringLiteral("설정을 저장하지 못했습니다.\n\n"
                               "설정 파일에 쓸 수 없습니다:\n%1\n\n"
                               "이 파일과 그 폴더에 쓰기 권한이 있는지, 디스크에 빈 공간이 있는지 확인한 뒤 "
                               "다시 \"확인\"을 누르십시오. \"취소\"를 누르면 설정을 바꾸지 않고 닫습니다.")
                    .arg(fileName),
                MB_OK | MB_ICONEXCLAMATION);
}

void COptionDlg::paintEvent(QPaintEvent* event) {
    CDialog::paintEvent(event);
    DrawDialogTitle(*this, u"옵션");
}

} // namespace parcelo
