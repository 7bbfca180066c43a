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
    EXPECT_EQ(dialog.CurrentTemplate(), IDD_ABOUTBOX);
    dialog.resize(300, 300);
    EXPECT_EQ(dialog.CurrentTemplate(), IDD_ABOUTBOX_WIDE) << "a square screen takes the wide template";
}

// The version is the one the build was configured with (project() in CMakeLists.txt),
// written major.minor.patch with the patch in three digits, and fits its label.
TEST(AboutDlgTest, ShowsTheVersionOfTheBuildInFull) {
    const QStringList parts = QStringLiteral(PARCELO_TEST_PROJECT_VERSION).split(u'.');
    ASSERT_EQ(parts.size(), 3) << PARCELO_TEST_PROJECT_VERSION;
    const QString expected = QStringLiteral("ver. %1.%2.%3")
                                 .arg(parts[0].toInt())
                                 .arg(parts[1].toInt())
                                 .arg(parts[2].toInt(), 3, 10, QChar(u'0'));
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
}

// Rule and logo at this executable's resolution; it is built at 96 and at 192 dots per inch.
TEST(AboutDlgTest, RuleAndLogoScaleWithTheScreen) {
    EXPECT_EQ(CAboutDlg::LayOutDecoration(240, {130, 130}, 142).logoId, IDB_ABOUT_LOGO) << "large only above 130";
    constexpr int scale = PARCELO_TEST_DPI / 96;
    const QImage logo = LoadResourceImage(scale > 1 ? IDB_ABOUT_LOGO_LARGE : IDB_ABOUT_LOGO);
    ASSERT_FALSE(logo.isNull());
    QWidget mainWindow; // the dialog covers its parent window
    mainWindow.setGeometry(0, 0, 240 * scale, 320 * scale);
    CAboutDlg dialog(&mainWindow);
    dialog.show();
    const QImage image = dialog.grab().toImage();
    EXPECT_EQ(image.pixelColor(image.width() / 2, 60 * scale), QColor(32, 32, 32));
    EXPECT_NE(image.pixelColor(image.width() / 2, 60 * scale + 1), QColor(32, 32, 32));
    const QPoint logoTopLeft = QPoint(49, 100) * scale;
    for (int y = 0; y < logo.height(); y += 3) {
        for (int x = 0; x < logo.width(); x += 3) {
            if (logo.pixelColor(x, y).alpha() == 255) {
                ASSERT_EQ(image.pixelColor(logoTopLeft + QPoint(x, y)), logo.pixelColor(x, y)) << x << "," << y;
            }
        }
    }
}

} // namespace
