#include "dialogs/AboutDlg.h"

#include "platform/ResourceImages.h"
#include "res/resource.h"

#include <QImage>
#include <QLabel>
#include <gtest/gtest.h>

#ifndef PARCELO_TEST_DPI
#define PARCELO_TEST_DPI 96
#endif

using namespace parcelo;

namespace {

TEST(AboutDlgTest, TemplateFollowsTheShapeOfTheWindow) {
    QWidget mainWindow;
    mainWindow.setGeometry(0, 0, 240, 320);
    CAboutDlg dialog(&mainWindow);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Parcelo 정보");
    EXPECT_EQ(dialog.size(), QSize(240, 320));
    EXPECT_EQ(qobject_cast<QLabel*>(dialog.GetDlgItem(IDC_ABOUT_VERSION))->text(), "ver. 1.0.007");
    EXPECT_FALSE(qobject_cast<QLabel*>(dialog.GetDlgItem(IDC_ABOUT_ICON))->pixmap().isNull());
    dialog.resize(320, 240);
    EXPECT_EQ(dialog.CurrentTemplate(), IDD_ABOUTBOX_WIDE);
    dialog.resize(300, 300);
    EXPECT_EQ(dialog.CurrentTemplate(), IDD_ABOUTBOX_WIDE) << "a square screen takes the wide template";
    dialog.resize(240, 320);
    EXPECT_EQ(dialog.CurrentTemplate(), IDD_ABOUTBOX);
}

TEST(AboutDlgTest, RuleAndLogoScaleWithTheScreen) {
    const CAboutDlg::Decoration normal = CAboutDlg::LayOutDecoration(240, {96, 96}, 142);
    EXPECT_EQ(normal.rule, QLine(2, 60, 236, 60));
    EXPECT_EQ(normal.logoTopLeft, QPoint(49, 100));
    const CAboutDlg::Decoration high = CAboutDlg::LayOutDecoration(480, {192, 192}, 283);
    EXPECT_EQ(high.rule, QLine(4, 120, 472, 120));
    EXPECT_EQ(high.logoId, IDB_ABOUT_LOGO_LARGE);
    EXPECT_EQ(high.logoTopLeft, QPoint(98, 200));
    EXPECT_EQ(CAboutDlg::LayOutDecoration(240, {130, 130}, 142).logoId, IDB_ABOUT_LOGO) << "large only above 130";

    // What the dialog paints at this executable's resolution.
    const CAboutDlg::Decoration& expected = PARCELO_TEST_DPI > 130 ? high : normal;
    const QImage logo = LoadResourceImage(expected.logoId);
    ASSERT_FALSE(logo.isNull());
    QWidget mainWindow; // the dialog covers it, like the phone's screen
    mainWindow.setGeometry(0, 0, PARCELO_TEST_DPI * 240 / 96, PARCELO_TEST_DPI * 320 / 96);
    CAboutDlg dialog(&mainWindow);
    dialog.show();
    const QImage image = dialog.grab().toImage();
    EXPECT_EQ(image.pixelColor(image.width() / 2, expected.rule.y1()), QColor(32, 32, 32));
    EXPECT_NE(image.pixelColor(image.width() / 2, expected.rule.y1() + 1), QColor(32, 32, 32));
    int compared = 0;
    for (int y = 0; y < logo.height(); y += 3) {
        for (int x = 0; x < logo.width(); x += 3) {
            if (logo.pixelColor(x, y).alpha() == 255) {
                ASSERT_EQ(image.pixelColor(expected.logoTopLeft + QPoint(x, y)), logo.pixelColor(x, y))
                    << x << "," << y;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 20);
}

} // namespace
