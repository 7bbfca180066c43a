#include "dialogs/OptionDlg.h"

#include "gui/ShellTestSupport.h"
#include "res/resource.h"

#include <QComboBox>

namespace parcelo::test {
namespace {

class OptionDlgTest : public ::testing::Test {
protected:
    void SetUp() override { ClearProfileAndData(); }

    static int Stored(const QString& key) { return UserSettings().value("SETTINGS/" + key, 4711).toInt(); }
    static QComboBox& Combo(COptionDlg& dialog, int id) { return *qobject_cast<QComboBox*>(dialog.GetDlgItem(id)); }
};

TEST_F(OptionDlgTest, FirstRunShowsTrackAndStoresTheDefaults) {
    COptionDlg dialog;
    dialog.show();
    EXPECT_EQ(Combo(dialog, IDC_DBLCLICK_COMBO).currentText(), "배송 조회");
    // The font size is carried but never shown.
    EXPECT_TRUE(Combo(dialog, IDC_FONTSIZE_COMBO).isHidden());
    EXPECT_EQ(Combo(dialog, IDC_FONTSIZE_COMBO).currentText(), "보통");
    EXPECT_EQ(Stored("DBLCLICK"), 4711) << "nothing is written before OK";
    dialog.OnOK();
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(Stored("DBLCLICK"), 0);
    EXPECT_EQ(Stored("FONTSIZE"), 1);
}

TEST_F(OptionDlgTest, HiddenFontSizeSurvivesCancelKeepsAllUnknownValuesBecomeMinusOne) {
    SetProfileValue("FONTSIZE", 2);
    for (const int choice : {2, 3}) {
        COptionDlg dialog;
        dialog.show();
        Combo(dialog, IDC_DBLCLICK_COMBO).setCurrentIndex(choice);
        dialog.OnOK();
        EXPECT_EQ(Stored("FONTSIZE"), 2);
        EXPECT_EQ(Stored("DBLCLICK"), choice);
    }
    COptionDlg cancelled;
    cancelled.show();
    Combo(cancelled, IDC_DBLCLICK_COMBO).setCurrentIndex(1);
    cancelled.OnCancel();
    EXPECT_EQ(cancelled.result(), IDCANCEL);
    EXPECT_EQ(Stored("DBLCLICK"), 3);
    EXPECT_EQ(Stored("FONTSIZE"), 2);

    SetProfileValue("DBLCLICK", 7);
    SetProfileValue("FONTSIZE", -3);
    COptionDlg odd;
    odd.show();
    EXPECT_EQ(Combo(odd, IDC_DBLCLICK_COMBO).currentIndex(), -1);
    EXPECT_EQ(Combo(odd, IDC_FONTSIZE_COMBO).currentIndex(), -1);
    odd.OnOK();
    EXPECT_EQ(Stored("DBLCLICK"), -1);
    EXPECT_EQ(Stored("FONTSIZE"), -1);
}

} // namespace
} // namespace parcelo::test
