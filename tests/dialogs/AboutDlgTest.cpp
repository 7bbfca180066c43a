#include "dialogs/AboutDlg.h"

#include "platform/resource.h"

#include <QLabel>
#include <gtest/gtest.h>

using namespace parcelo;

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

} // namespace
