#include "dialogs/OptionDlg.h"

#include "dialogs/AboutDlg.h"
#include "dialogs/StatusOptionsPanel.h"
#include "platform/qt/Profile.h"
#include "platform/resource.h"
#include "status/StatusSettings.h"
#include "support/FakeMessageBoxService.h"
#include "support/ShellTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>

namespace parcelo::test {
namespace {

// The version is project()'s, the patch in three digits, and fits its label.
TEST(AboutDlgTest, ShowsTheVersionOfTheBuildInFull) {
    const QStringList parts = QStringLiteral(PARCELO_TEST_PROJECT_VERSION).split(u'.');
    ASSERT_EQ(parts.size(), 3) << PARCELO_TEST_PROJECT_VERSION;
    const QString expected = QString::asprintf("ver. %d.%d.%03d", parts[0].toInt(), parts[1].toInt(), parts[2].toInt());
    QWidget mainWindow;
    mainWindow.setGeometry(0, 0, 240, 320);
    CAboutDlg dialog(&mainWindow);
    dialog.show();
    const auto* label = qobject_cast<QLabel*>(dialog.GetDlgItem(IDC_ABOUT_VERSION));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text().toStdString(), expected.toStdString());
    EXPECT_TRUE(label->isVisible());
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
        << "the version is cut off";
    // Screens of many dots per inch get the large logo.
    EXPECT_EQ(std::pair(CAboutDlg::LayOutDecoration(240, {96, 96, 1.0}, 100).logoId,
                        CAboutDlg::LayOutDecoration(240, {192, 192, 2.0}, 100).logoId),
              std::pair(IDB_ABOUT_LOGO, IDB_ABOUT_LOGO_LARGE));
}

class OptionDlgTest : public ::testing::Test {
protected:
    void SetUp() override { ClearProfileAndData(); }

    static int Stored(const QString& key) { return UserSettings().value("SETTINGS/" + key, 4711).toInt(); }
    static QComboBox& Combo(COptionDlg& dialog, int id) { return *qobject_cast<QComboBox*>(dialog.GetDlgItem(id)); }
};

// The first OK stores the defaults; the hidden font size is kept as it was read; values
// without a choice are stored as -1.
TEST_F(OptionDlgTest, OkStoresTheChoicesAndCarriesTheHiddenFontSize) {
    // Per case: the values stored before, the double-click choice (-1: none), what OK stores.
    const std::tuple<std::vector<std::pair<QString, int>>, int, int, int> cases[] = {
        {{}, -1, 0, 1}, {{{"FONTSIZE", 2}}, 3, 3, 2}, {{{"DBLCLICK", 7}, {"FONTSIZE", -3}}, -1, -1, -1}};
    for (const auto& [stored, chosen, doubleClick, fontSize] : cases) {
        for (const auto& [key, value] : stored) {
            SetProfileValue(key, value);
        }
        COptionDlg dialog;
        dialog.show();
        QComboBox& combo = Combo(dialog, IDC_DBLCLICK_COMBO);
        combo.setCurrentIndex(chosen >= 0 ? chosen : combo.currentIndex());
        EXPECT_TRUE(!stored.empty() || Stored("DBLCLICK") == 4711) << "nothing is written before OK";
        dialog.OnOK();
        EXPECT_EQ(std::pair(Stored("DBLCLICK"), Stored("FONTSIZE")), std::pair(doubleClick, fontSize)) << chosen;
    }
}

// An unwritable settings file (a folder in its place stops root too) is told and keeps the dialog.
TEST_F(OptionDlgTest, AFailedSaveIsReportedAndKeepsTheDialogOpen) {
    const QString file = UserSettings().fileName();
    QFile::remove(file);
    ASSERT_TRUE(QDir().mkpath(file));
    FakeMessageBoxService messages;
    COptionDlg dialog;
    dialog.show();
    Combo(dialog, IDC_DBLCLICK_COMBO).setCurrentIndex(2);
    dialog.OnOK();
    ASSERT_TRUE(dialog.isVisible() && messages.Calls().size() == 1);
    EXPECT_TRUE(messages.Calls()[0].text.contains(file) && messages.Calls()[0].parent == &dialog);
    EXPECT_EQ(Profile().DoubleClickAction(), 0) << "the list goes by what is saved";

    ASSERT_TRUE(QDir(file).removeRecursively());
    dialog.OnOK();
    EXPECT_EQ(std::tuple(dialog.isVisible(), dialog.result(), messages.Calls().size(), Stored("DBLCLICK")),
              std::tuple(false, IDOK, size_t{1}, 2));
}

class OptionDlgStatusTest : public OptionDlgTest {};

// The status section scrolls rather than being cut, refuses a plain-http address and round-trips.
TEST_F(OptionDlgStatusTest, TheStatusSectionFitsScrollsAndRoundTrips) {
    FakeMessageBoxService messages;
    COptionDlg dialog;
    dialog.resize(DpiCache().LogicalX(480), DpiCache().LogicalY(640));
    dialog.show();
    auto* area = dialog.findChild<QScrollArea*>("StatusOptionsArea");
    ASSERT_NE(area, nullptr);
    CStatusOptionsPanel& panel = *dialog.StatusPanel();
    EXPECT_TRUE(dialog.ClientRect().contains(area->geometry())) << "above the soft-key bar";
    EXPECT_LE(panel.minimumSizeHint().width(), area->viewport()->width()) << "nothing is cut at the side";
    if (panel.minimumSizeHint().height() > area->viewport()->height()) {
        EXPECT_GT(area->verticalScrollBar()->maximum(), 0) << "what does not fit scrolls";
    }
    EXPECT_FALSE(panel.EnabledBox().isChecked());

    panel.EnabledBox().setChecked(true);
    panel.EndpointEdit().setText("http://tracking.example/graphql");
    Combo(dialog, IDC_DBLCLICK_COMBO).setCurrentIndex(1);
    dialog.OnOK();
    EXPECT_EQ(
        std::tuple(dialog.isVisible(), messages.Calls().size(), UserSettings().value("STATUS/ENABLED", 4711).toInt()),
        std::tuple(true, size_t{1}, 4711))
        << "told, and nothing is written";

    panel.EndpointEdit().setText(" https://tracking.example/graphql ");
    panel.IntervalBox().setValue(30);
    panel.NotifyBox().setChecked(false);
    dialog.OnOK();
    EXPECT_FALSE(dialog.isVisible());
    const StatusSettings s = StatusSettings::Read(Profile());
    EXPECT_EQ(std::tuple(s.enabled, s.endpoint, s.intervalMinutes, s.autoDone, s.notify, Stored("DBLCLICK")),
              std::tuple(true, "https://tracking.example/graphql", 30, true, false, 1));
}

} // namespace
} // namespace parcelo::test
