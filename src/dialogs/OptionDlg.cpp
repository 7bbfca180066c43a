#include "dialogs/OptionDlg.h"

#include "dialogs/DialogTitle.h"
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
        profile.WriteProfileInt(kSection, kFontSize, m_fontSizeCombo->currentIndex());
        profile.WriteProfileInt(kSection, kDoubleClick, m_doubleClickCombo->currentIndex());
    }
    EndDialog(IDOK);
}

void COptionDlg::paintEvent(QPaintEvent* event) {
    CDialog::paintEvent(event);
    DrawDialogTitle(*this, u"옵션");
}

} // namespace parcelo
