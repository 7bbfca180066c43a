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

TEST_F(OptionDlgTest, FirstRunStoresTheDefaultsAndTheHiddenFontSizeIsCarried) {
    COptionDlg dialog;
    dialog.show();
    EXPECT_EQ(Combo(dialog, IDC_DBLCLICK_COMBO).currentText(), "배송 조회");
    EXPECT_TRUE(Combo(dialog, IDC_FONTSIZE_COMBO).isHidden()) << "the font size is carried but never shown";
    EXPECT_EQ(Stored("DBLCLICK"), 4711) << "nothing is written before OK";
    dialog.OnOK();
    EXPECT_EQ(Stored("DBLCLICK"), 0);
    EXPECT_EQ(Stored("FONTSIZE"), 1);

    // The hidden font size is kept as it was read; values without a choice are stored as -1.
    SetProfileValue("FONTSIZE", 2);
    COptionDlg chosen;
    chosen.show();
    Combo(chosen, IDC_DBLCLICK_COMBO).setCurrentIndex(3);
    chosen.OnOK();
    EXPECT_EQ(Stored("FONTSIZE"), 2);
    EXPECT_EQ(Stored("DBLCLICK"), 3);

    SetProfileValue("DBLCLICK", 7);
    SetProfileValue("FONTSIZE", -3);
    COptionDlg odd;
    odd.show();
    odd.OnOK();
    EXPECT_EQ(Stored("DBLCLICK"), -1);
    EXPECT_EQ(Stored("FONTSIZE"), -1);
}

} // namespace
} // namespace parcelo::test
