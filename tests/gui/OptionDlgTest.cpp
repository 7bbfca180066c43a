#include "dialogs/OptionDlg.h"

#include "gui/ShellTestSupport.h"
#include "platform/Profile.h"
#include "res/resource.h"
#include "support/FakeMessageBoxService.h"

#include <QComboBox>
#include <QDir>

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

// A settings file that cannot be written (here a folder stands in its place, which
// stops root too) keeps the dialog open with the choice and tells the user where;
// once the file can be written, OK saves and closes.
TEST_F(OptionDlgTest, AFailedSaveIsReportedAndKeepsTheDialogOpen) {
    const QString file = UserSettings().fileName();
    QFile::remove(file);
    ASSERT_TRUE(QDir().mkpath(file));
    FakeMessageBoxService messages;
    COptionDlg dialog;
    dialog.show();
    Combo(dialog, IDC_DBLCLICK_COMBO).setCurrentIndex(2);
    dialog.OnOK();
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(messages.Calls().size(), 1U);
    EXPECT_TRUE(messages.Calls()[0].text.startsWith("설정을 저장하지 못했습니다."))
        << messages.Calls()[0].text.toStdString();
    EXPECT_TRUE(messages.Calls()[0].text.contains(file));
    EXPECT_EQ(messages.Calls()[0].parent, &dialog);
    EXPECT_EQ(Profile().DoubleClickAction(), 0) << "the list goes by what is saved";

    ASSERT_TRUE(QDir(file).removeRecursively());
    dialog.OnOK();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(messages.Calls().size(), 1U);
    EXPECT_EQ(Stored("DBLCLICK"), 2);
}

} // namespace
} // namespace parcelo::test
