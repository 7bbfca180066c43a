#include "platform/ThreadPlacement.h"
#include "platform/qt/Profile.h"
#include "platform/resource.h"
#include "render/qt/DpiCache.h"
#include "render/qt/ResourceImages.h"
#include "support/FakeMessageBoxService.h"
#include "ui/CommandBar.h"
#include "ui/MessageBoxService.h"
#include "ui/PhoneService.h"
#include "ui/QtMenuBuilder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <latch>
#include <pthread.h>
#include <sched.h>
#include <thread>

using namespace parcelo;

namespace {

// Set up in main() before the first QSettings, which fixes its paths for the process.
QString g_userFile;
QString g_systemFile;

void WriteText(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

TEST(ProfileTest, DefaultsThenUserOverSystemAndWritesToTheUserFileOnly) {
    Profile profile; // both files start out missing
    EXPECT_EQ(profile.InstallPath(), QString());
    WriteText(g_userFile, "[SETTINGS]\nDBLCLICK=abc\nFONTSIZE=\nOTHER=99999999999\nNEG=-1\n");
    EXPECT_EQ(std::tuple(profile.DoubleClickAction(), profile.FontSize(), profile.GetProfileInt("SETTINGS", "OTHER", 5),
                         profile.GetProfileInt("SETTINGS", "NEG", 5)),
              std::tuple(0, 1, 5, -1));

    QFile::remove(g_userFile);
    WriteText(g_systemFile, "[SETTINGS]\nINSTALLPATH=/opt/parcelo\nDBLCLICK=2\n");
    EXPECT_EQ(std::pair(profile.InstallPath(), profile.DoubleClickAction()), std::pair(QString("/opt/parcelo"), 2));
    EXPECT_TRUE(profile.WriteProfileInt("SETTINGS", "DBLCLICK", -1));
    QFile written(g_userFile);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), "[SETTINGS]\nDBLCLICK=-1\n"); // a plain number, and nothing of the system file
    EXPECT_EQ(profile.DoubleClickAction(), -1);
    // A comma must not turn the path into a list.
    WriteText(g_userFile, "[SETTINGS]\nINSTALLPATH=/home/me/couriers,old\n");
    EXPECT_EQ(profile.InstallPath(), "/home/me/couriers,old");
}

TEST(ScaleTest, ForcedDpiIsParsedStrictlyAndEveryLengthIsScaledOnce) {
    EXPECT_EQ(ParseDpiOverride("192"), (ScreenDpi{192, 192}));
    EXPECT_EQ(ParseDpiOverride("120X96"), (ScreenDpi{120, 96}));
    for (const char* bad : {"", "abc", "0", "-96", "96x", "x96", "96x96x96", "96 ", "10000", "1e2"}) {
        EXPECT_FALSE(ParseDpiOverride(bad).has_value()) << bad;
    }

    // main() set QT_SCALE_FACTOR=2 and forced no resolution: Qt scales, and the
    // program's figure is the screen's in device pixels.
    EXPECT_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0);
    DpiCache::Reread();
    EXPECT_EQ(DpiCache::Program(), (ScreenDpi{192, 192, 2.0}));

    // Over lengths and desktop scales: the device length is the length at 96 dpi
    // scaled and rounded half up, the logical one that divided by the ratio, and
    // at a whole ratio of a 96-dpi desktop the logical length is the length given.
    for (const double ratio : {1.0, 1.25, 1.5, 2.0, 3.0}) {
        for (const int base : {96, 120}) {
            const ScreenDpi dpi{static_cast<int>(std::lround(base * ratio)), base, ratio};
            for (int value = 0; value <= 500; ++value) {
                const int device = dpi.ScaleX(value), logical = dpi.LogicalX(value);
                EXPECT_TRUE(device == static_cast<int>(std::floor(value * dpi.x / 96.0 + 0.5)) &&
                            std::abs(logical * ratio - device) <= ratio / 2 + 1e-9 &&
                            (base != 96 || ratio != std::floor(ratio) || logical == value))
                    << value << " at " << dpi.x << " dpi, ratio " << ratio << ": " << device << ", " << logical;
            }
        }
    }

    // A forced resolution gives the device figures at the screen's ratio; the
    // figure is read once and kept until it is read anew.
    qputenv("PARCELO_DPI", "120x96");
    DpiCache::Reread();
    EXPECT_EQ(DpiCache::Program(), (ScreenDpi{120, 96, 2.0}));
    qputenv("PARCELO_DPI", "192");
    EXPECT_EQ(DpiCache().DpiX(), 120);
    qunsetenv("PARCELO_DPI");
    DpiCache::Reread();
}

// Yes comes first, and Escape never confirms (a delete, say).
TEST(MessageBoxTest, YesNoOffersYesFirstAndEscapesToNoOrCancel) {
    const MessageBoxLayout yesNo = MessageBoxLayoutFor(MB_YESNO | MB_ICONQUESTION);
    const MessageBoxLayout withCancel = MessageBoxLayoutFor(MB_YESNOCANCEL | MB_ICONQUESTION);
    ASSERT_TRUE(yesNo.buttons.size() == 2 && withCancel.buttons.size() == 3);
    EXPECT_EQ(std::tuple(yesNo.buttons[0].result, yesNo.buttons[1].result, yesNo.escapeResult,
                         withCancel.buttons[2].result, withCancel.escapeResult),
              std::tuple(IDYES, IDNO, IDNO, IDCANCEL, IDCANCEL));
}

TEST(PhoneTest, AsksFirstDialsACleanNumberAndReportsAFailedHandOver) {
    EXPECT_EQ(DialableNumber(" +82 (2) 123-4567,,#9* ext."), "+8221234567,,#9*");
    EXPECT_EQ(TelUrlForNumber("12#3").toString(QUrl::FullyEncoded), "tel:12%233"); // '#' starts no fragment
    FakeMessageBoxService boxes;
    QList<QUrl> opened;
    bool openerWorks = true;
    const auto phone = MakeDesktopPhoneService([&](const QUrl& url) {
        opened.append(url);
        return openerWorks;
    });
    // No to the question dials nothing; a failed hand-over is told after the question.
    for (const auto& [works, answer, calls] : {std::tuple(true, IDNO, 0), {true, IDYES, 1}, {false, IDYES, 2}}) {
        openerWorks = works;
        boxes.Clear();
        boxes.QueueAnswer(answer);
        EXPECT_EQ(phone->MakeCall(nullptr, "1588-1255"), works && answer == IDYES);
        EXPECT_EQ(opened, QList<QUrl>(calls, QUrl("tel:15881255")));
        ASSERT_EQ(boxes.Calls().size(), works ? 1u : 2u);
        EXPECT_TRUE(boxes.Calls().back().text.contains("1588-1255"));
    }
    boxes.Clear();
    EXPECT_FALSE(phone->MakeCall(nullptr, " - ")); // nothing to dial: a notice, no question
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Calls()[0].style & MB_TYPEMASK, MB_OK);
}

// The built-in logos first, then couriers whose logos are drawn from their names; every
// field fits its place in the courier table and the address takes the number once.
TEST(SampleIniTest, CouriersThatFitTheirFields) {
    QFile file(QStringLiteral(PARCELO_SOURCE_DIR "/res/parcelo.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QRegularExpression courier(R"(^ID(\d\d)=[^;]{0,7};[^;]*;[^;]{0,31};[^;]{0,14};(https://[^;%]*%s[^;%]*)$)");
    int count = 0;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        // Detection keys and carrier ids are checked with the courier rules.
        if (line.indexOf(u'=') > 0 && !line.startsWith(u"NUMBER") && !line.startsWith(u"CHECK") &&
            !line.startsWith(u"CARRIER")) {
            const QRegularExpressionMatch match = courier.match(line);
            EXPECT_TRUE(match.hasMatch() && match.captured(2).size() <= 255) << line.toStdString();
            EXPECT_EQ(match.captured(1).toInt(), ++count);
        }
    }
    EXPECT_EQ(count, kCourierLogoCount + 6);
}

// A helper is kept off the caller's processor when it may use another, only ever on
// processors the program may use, and a caller pinned to one processor keeps it.
TEST(ThreadPlacementTest, AHelperLeavesTheCallersProcessorButNeverHasNoneLeft) {
    const auto placedHelper = [] {
        std::latch done(1);
        std::thread helper([&done] { done.wait(); });
        KeepOffCallersProcessor(helper);
        cpu_set_t placed;
        EXPECT_EQ(pthread_getaffinity_np(helper.native_handle(), sizeof placed, &placed), 0);
        done.count_down();
        helper.join();
        return placed;
    };
    cpu_set_t mine;
    ASSERT_EQ(sched_getaffinity(0, sizeof mine, &mine), 0);
    cpu_set_t placed = placedHelper();
    CPU_AND(&placed, &placed, &mine);
    EXPECT_EQ(CPU_COUNT(&placed), std::max(CPU_COUNT(&mine) - 1, 1));

    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu(), &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    placed = placedHelper();
    ASSERT_EQ(sched_setaffinity(0, sizeof mine, &mine), 0);
    EXPECT_TRUE(CPU_EQUAL(&placed, &one));
}

TEST(CommandBarTest, KeysSendCommandsAndTheOwnerPreparesThePopup) {
    using Key = CCommandBar::Key;
    QWidget window;
    auto* bar = new CCommandBar(&window);
    ASSERT_TRUE(bar->InsertMenuBar(IDR_MENUBAR));
    bar->setGeometry(0, 290, 240, 30);
    window.show();
    ASSERT_NE(bar->KeyMenu(Key::Right), nullptr);
    QMenu& menu = *bar->KeyMenu(Key::Right);

    QObject::connect(bar, &CCommandBar::popupAboutToShow, [](QMenu* popup) {
        QtMenuBuilder::EnableCommand(*popup, ID_EDIT_SHIPMENT, false); // inside the "도구" sub-menu
    });
    bar->PressKey(Key::Right);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_FALSE(QtMenuBuilder::FindCommand(menu, ID_EDIT_SHIPMENT)->isEnabled());
    EXPECT_LE(menu.geometry().bottom(), bar->mapToGlobal(QPoint(0, 0)).y());

    // Commands picked in the pop-up and in its sub-menu arrive like the command key's; a greyed key sends nothing.
    std::vector<uint32_t> chosen;
    QObject::connect(bar, &CCommandBar::commandChosen, [&chosen](uint32_t id) { chosen.push_back(id); });
    bar->KeyButton(Key::Left)->click();
    QtMenuBuilder::FindCommand(menu, ID_OPTIONS)->trigger();
    QtMenuBuilder::FindCommand(menu, ID_DELETE_SHIPMENT)->trigger();
    bar->EnableCommand(ID_NEW_SHIPMENT, false);
    bar->PressKey(Key::Left);
    EXPECT_EQ(chosen, (std::vector<uint32_t>{ID_NEW_SHIPMENT, ID_OPTIONS, ID_DELETE_SHIPMENT}));

    EXPECT_FALSE(bar->InsertMenuBar(4711));
    EXPECT_EQ(bar->KeyButton(Key::Left), nullptr);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen"); // no test here needs a display
    const QTemporaryDir root;
    g_userFile = root.filePath("user/VELDAN/Parcelo.conf");
    g_systemFile = root.filePath("system/VELDAN/Parcelo.conf");
    qputenv("XDG_CONFIG_HOME", root.filePath("user").toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", root.filePath("system").toLocal8Bit());
    qunsetenv("PARCELO_DPI");
    qputenv("QT_SCALE_FACTOR", "2");
    PrepareHighDpiEnvironment();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
