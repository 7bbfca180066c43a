#include "dialogs/OptionDlg.h"

#include "dialogs/StatusOptionsPanel.h"
#include "gui/ShellTestSupport.h"
#include "platform/Profile.h"
#include "platform/StatusSettings.h"
#include "res/resource.h"
#include "support/FakeMessageBoxService.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>

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

class OptionDlgStatusTest : public OptionDlgTest {};

// The delivery-status section fits a phone-sized window at any resolution (it scrolls
// rather than being cut), starts off, refuses an address that is neither https nor this
// machine's, and writes its STATUS keys with the double-click choice.
TEST_F(OptionDlgStatusTest, TheStatusSectionFitsScrollsAndRoundTrips) {
    FakeMessageBoxService messages;
    COptionDlg dialog;
    dialog.resize(DpiCache().ScaleX(480), DpiCache().ScaleY(640));
    dialog.show();
    auto* area = dialog.findChild<QScrollArea*>("StatusOptionsArea");
    ASSERT_NE(area, nullptr);
    CStatusOptionsPanel& panel = *dialog.StatusPanel();
    const QRect client = dialog.ClientRect();
    EXPECT_TRUE(client.contains(area->geometry())) << "above the soft-key bar";
    EXPECT_GT(area->geometry().top(), Combo(dialog, IDC_DBLCLICK_COMBO).geometry().bottom());
    EXPECT_LE(panel.minimumSizeHint().width(), area->viewport()->width()) << "nothing is cut at the side";
    if (panel.minimumSizeHint().height() > area->viewport()->height()) {
        EXPECT_GT(area->verticalScrollBar()->maximum(), 0) << "what does not fit scrolls";
    }
    EXPECT_FALSE(panel.EnabledBox().isChecked());
    EXPECT_FALSE(panel.EndpointEdit().isEnabled());
    EXPECT_EQ(panel.IntervalBox().value(), 60);
    EXPECT_TRUE(panel.AutoDoneBox().isChecked());
    EXPECT_TRUE(panel.NotifyBox().isChecked());

    panel.EnabledBox().setChecked(true);
    panel.EndpointEdit().setText("http://tracking.example/graphql");
    Combo(dialog, IDC_DBLCLICK_COMBO).setCurrentIndex(1);
    dialog.OnOK();
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(messages.Calls().size(), 1U);
    EXPECT_EQ(UserSettings().value("STATUS/ENABLED", 4711).toInt(), 4711) << "nothing is written";

    panel.EndpointEdit().setText(" https://tracking.example/graphql ");
    panel.IntervalBox().setValue(30);
    panel.NotifyBox().setChecked(false);
    dialog.OnOK();
    EXPECT_FALSE(dialog.isVisible());
    const StatusSettings stored = StatusSettings::Read(Profile());
    EXPECT_TRUE(stored.enabled);
    EXPECT_EQ(stored.endpoint, "https://tracking.example/graphql");
    EXPECT_EQ(stored.intervalMinutes, 30);
    EXPECT_TRUE(stored.autoDone);
    EXPECT_FALSE(stored.notify);
    EXPECT_EQ(Stored("DBLCLICK"), 1);
}

} // namespace
} // namespace parcelo::test
