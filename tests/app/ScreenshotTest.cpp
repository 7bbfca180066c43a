// Renders the main window with shipments of every status to <build>/screenshots/main-window.png for
// reviewers and compares it with tests/app/reference/main-window.png, so that a change in the drawing
// shows; at scale 2 it must look the same halved, and drawn crisp. The picture is made the same on every
// run: the program's clock is fixed (the executable is linked with --wrap=time), as are the time zone and
// the fonts fontconfig sees. After an intended change of the drawing, look at the new screenshot and run
// the test once with PARCELO_UPDATE_REFERENCE=1 to make it the reference.
#include "app/AppTestSupport.h"
#include "app/MainFrame.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/BulkAddDlg.h"
#include "dialogs/NewTrackDlg.h"
#include "dialogs/OptionDlg.h"
#include "platform/LocalTime.h"
#include "render/Contrast.h"
#include "support/FakeMessageBoxService.h"
#include "ui/CommandBar.h"

#include <QAbstractButton>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <ctime>
#include <map>
#include <memory>

constexpr std::time_t kFixedNow = 1'796'526'000; // 2026-12-06 12:00 in Seoul

// The program's own calls of time() land here; Qt's do not.
extern "C" std::time_t __wrap_time(std::time_t* result) { // NOLINT(bugprone-reserved-identifier): a linker name
    return result != nullptr ? (*result = kFixedNow) : kFixedNow;
}

namespace parcelo::test {
namespace {

constexpr const char* kReference = PARCELO_SOURCE_DIR "/tests/app/reference/main-window.png";
constexpr int kChannelTolerance = 48;                    // per red, green or blue value, for anti-aliasing
constexpr char kShotAtScale[] = "PARCELO_SHOT_AT_SCALE"; // the scale of the process that shoots, "2"

// The pixels of `shot` whose colour is further than the tolerance from the reference's, or from every
// reference pixel up to `reach` pixels away. When there are any, they are marked red on a faded copy of
// the shot written to `marks`, and an older file is removed.
int CountDifferingPixels(const QImage& shot, const QImage& reference, int reach = 0, const QString& marks = {}) {
    QImage marked = shot.convertToFormat(QImage::Format_RGB32);
    const auto near = [](const QColor& a, const QColor& b) {
        return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                         std::abs(a.blue() - b.blue())}) <= kChannelTolerance;
    };
    int differing = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const QColor a = shot.pixelColor(x, y);
            bool same = false;
            for (int dy = -reach; dy <= reach && !same; ++dy) {
                for (int dx = -reach; dx <= reach && !same; ++dx) {
                    same = reference.valid(x + dx, y + dy) && near(a, reference.pixelColor(x + dx, y + dy));
                }
            }
            differing += same ? 0 : 1;
            marked.setPixelColor(x, y, same ? a.lighter(160) : QColor(Qt::red));
        }
    }
    QFile::remove(marks);
    if (differing > 0 && !marks.isEmpty()) {
        marked.save(marks);
    }
    return differing;
}

// What the window system shows of `widget`'s window once pending repaints are done, without drawing anew.
QImage OnScreen(QWidget& widget) {
    RunEventLoop(50);
    return widget.windowHandle()->screen()->grabWindow(widget.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

// The best contrast of any pixel of `area` on the area's commonest colour, its background.
double TextContrast(const QImage& shot, const QRect& area) {
    std::map<QRgb, int> counts;
    std::pair<int, QRgb> background{0, 0}; // how often the commonest colour occurs, and the colour
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            background = std::max(background, {++counts[shot.pixel(x, y)], shot.pixel(x, y)});
        }
    }
    const auto colour = [](QRgb pixel) { return Rgb(qRed(pixel), qGreen(pixel), qBlue(pixel)); };
    double best = 1;
    for (const auto& [pixel, count] : counts) {
        best = std::max(best, ContrastRatio(colour(pixel), colour(background.second)));
    }
    return best;
}

// The main window with the sample couriers and shipments of every status, 480 x 640 logical pixels, shown.
void OpenMainWindow(std::unique_ptr<CMainFrame>& frame) {
    ClearProfileAndData();
    QFile sample(PARCELO_SOURCE_DIR "/res/parcelo.ini");
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    InstallCourierFile(sample.readAll());
    ASSERT_EQ(CurrentInstant(), kFixedNow);
    const Instant now = kFixedNow, hour = 3600;
    AddToProgramVolume({{0, u"684512930571", u"무선 이어폰", now - 1 * hour, now - 50 * hour, InDelivery},
                        {1, u"6069912345671", u"겨울 코트", now - 2 * hour, now - 240 * hour, Done},
                        {2, u"420193857211", u"책 세 권", now - 3 * hour, now - 100 * hour, Cancelled},
                        {3, u"309875421136", u"커피 원두", now - 4 * hour, now - 5 * hour, InDelivery},
                        {4, u"97531086420", u"운동화", now - 5 * hour, now - 400 * hour, Done}});
    frame = std::make_unique<CMainFrame>(ProgramPaths());
    ASSERT_TRUE(frame->LoadFrame());
    frame->resize(480, 640);
    frame->show();
    QCoreApplication::processEvents(); // the list settles its scroll bar, as on screen
    ASSERT_TRUE(QDir().mkpath(PARCELO_SCREENSHOT_DIR));
}

// At scale 1 the window is drawn as the reference. At a desktop scale of 2 (QT_SCALE_FACTOR, in a process
// of its own, with no resolution forced) it has twice the pixels, every length scaled once: halved again it
// looks like the reference. Its text and logos are drawn at the device pixels, not at 1x and enlarged,
// which would leave every aligned 2 x 2 block of one colour.
TEST(ScreenshotTest, MainWindowIsDrawnAsTheReferenceAtScalesOneAndTwoAndEnglishFits) {
    FakeMessageBoxService messages;
    std::unique_ptr<CMainFrame> frame;
    ASSERT_NO_FATAL_FAILURE(OpenMainWindow(frame));
    // The process that shoots at another scale; it can be run by hand at others too (on X11 or Wayland,
    // with PARCELO_TEST_AT_DESKTOP_SCALE=1), writing main-window@<scale>x.png.
    if (qEnvironmentVariableIsSet(kShotAtScale)) {
        const QString scale = qEnvironmentVariable(kShotAtScale);
        ASSERT_EQ(frame->devicePixelRatio(), scale.toDouble());
        ASSERT_TRUE(frame->grab().toImage().save(PARCELO_SCREENSHOT_DIR "/main-window@" + scale + "x.png"));
        return;
    }
    const QImage shot = frame->grab().toImage();
    ASSERT_TRUE(shot.save(PARCELO_SCREENSHOT_DIR "/main-window.png"));
    if (qEnvironmentVariableIntValue("PARCELO_UPDATE_REFERENCE") != 0) {
        ASSERT_TRUE(shot.save(kReference));
        GTEST_SKIP() << "wrote the new reference " << kReference;
    }
    const QImage reference(kReference);
    ASSERT_EQ(shot.size(), reference.size()) << kReference;
    // At most about 90 pixels, fewer than one changed word.
    EXPECT_LE(CountDifferingPixels(shot, reference, 0, PARCELO_SCREENSHOT_DIR "/main-window-differences.png"),
              shot.width() * shot.height() * 3 / 10'000)
        << "the main window is drawn differently from the reference; the differing pixels are red in "
        << PARCELO_SCREENSHOT_DIR "/main-window-differences.png";

    const QString file = PARCELO_SCREENSHOT_DIR "/main-window@2x.png";
    QFile::remove(file);
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {kShotAtScale, "PARCELO_TEST_AT_DESKTOP_SCALE", "QT_SCALE_FACTOR"}) {
        environment.insert(name, "2");
    }
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=ScreenshotTest.MainWindow*"});
    ASSERT_TRUE(child.waitForFinished(60'000) && child.exitCode() == 0) << child.exitCode();
    const QImage doubled = QImage(file).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(doubled.size(), reference.size() * 2);
    const QImage halved = doubled.scaled(reference.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Text drawn at twice the size and halved: about 1,150 pixels.
    EXPECT_LE(CountDifferingPixels(halved, reference, 1, PARCELO_SCREENSHOT_DIR "/main-window@2x-differences.png"),
              reference.width() * reference.height() * 6 / 1000)
        << "halved, the window at scale 2 differs from the reference; see "
        << PARCELO_SCREENSHOT_DIR "/main-window@2x-differences.png";
    const QImage blocky = doubled.scaled(reference.size()).scaled(doubled.size()); // each 2 x 2 block one colour
    EXPECT_GE(CountDifferingPixels(doubled, blocky), 2000) << "drawn at 1x and enlarged";

    // The desktop switches to dark while the program runs: what is on screen is drawn anew, the list, the
    // bars, the soft keys and a dialog's title each reading at least 4.5:1 (each item of the list on its
    // background, the list control's own test); back to light looks as before.
    auto* editor = new CNewTrackDlg(frame->Couriers(), frame->Store(), frame->GetClock(), frame.get());
    editor->setModal(false);
    editor->show();
    QCoreApplication::processEvents();
    const QPalette light = QApplication::palette();
    QApplication::setPalette(QPalette(QColor(0x31, 0x36, 0x3b), QColor(0x2a, 0x2e, 0x32)));
    const QImage dark = OnScreen(*frame);
    EXPECT_EQ(dark, frame->grab().toImage().convertToFormat(QImage::Format_RGB32)) << "a part kept its light colours";
    for (const QWidget* part : std::initializer_list<const QWidget*>{
             frame->View().List().viewport(), &frame->FilterSortBar().FilterButton(),
             &frame->FilterSortBar().SortButton(), frame->CommandBar().KeyButton(CCommandBar::Key::Left),
             frame->CommandBar().KeyButton(CCommandBar::Key::Right)}) {
        const QRect area(part->mapTo(frame.get(), QPoint(0, 0)), part->size());
        EXPECT_GE(TextContrast(dark, area.adjusted(4, 4, -4, -4)), 4.5) << part->metaObject()->className();
    }
    const QImage darkEditor = OnScreen(*editor);
    EXPECT_EQ(darkEditor, editor->grab().toImage().convertToFormat(QImage::Format_RGB32));
    EXPECT_GE(TextContrast(darkEditor, QRect(0, 0, editor->width(), 20)), 4.5) << "the dialog's title";
    QApplication::setPalette(light);
    EXPECT_LE(CountDifferingPixels(OnScreen(*frame), reference), 0) << "the light look after dark";

    // In English the main window and the dialogs, laid out for Korean, still show every label and
    // button whole: its width holds what its text needs (a label that wraps, by its height for that
    // width). The pictures, named after their windows' classes, are written beside the Korean one.
    frame.reset(); // and the editor with it
    const Language english(InterfaceLanguage::English);
    ASSERT_NO_FATAL_FAILURE(OpenMainWindow(frame));
    editor = new CNewTrackDlg(frame->Couriers(), frame->Store(), frame->GetClock(), frame.get());
    COptionDlg options(frame.get());
    CBulkAddDlg bulk(frame->Couriers(), frame->Detector(), frame->Store(), frame.get());
    CAboutDlg about(frame.get()); // only its picture: its one text, the version, is the same in every language
    for (QWidget* window : std::initializer_list<QWidget*>{frame.get(), editor, &options, &bulk, &about}) {
        const QString name = window->metaObject()->className(); // CMainFrame-en.png, CNewTrackDlg-en.png, ...
        if (auto* dialog = dynamic_cast<CDialog*>(window)) {
            dialog->InitDialog();
            dialog->setModal(false);
            dialog->show();
            QCoreApplication::processEvents();
        }
        EXPECT_TRUE(window->grab().save(PARCELO_SCREENSHOT_DIR "/" + name + "-en.png"));
        for (const QWidget* part : window->findChildren<QWidget*>()) {
            const auto* label = qobject_cast<const QLabel*>(part);
            const auto* button = qobject_cast<const QAbstractButton*>(part);
            const QString text = label != nullptr ? label->text() : button != nullptr ? button->text() : QString();
            if (window == &about || text.isEmpty() || !part->isVisibleTo(window) ||
                (label && !label->pixmap().isNull())) {
                continue;
            }
            SCOPED_TRACE((name + ": " + text).toStdString());
            if (label != nullptr && label->wordWrap()) {
                EXPECT_GE(label->height(), label->heightForWidth(label->width()));
            } else {
                EXPECT_GE(part->width(), part->sizeHint().width());
            }
        }
    }
    EXPECT_TRUE(messages.Calls().empty()) << "in either language";
}

} // namespace
} // namespace parcelo::test

int main(int argc, char** argv) {
    setenv("TZ", "KST-9", 1); // the order dates shown depend on the zone
    setenv("FONTCONFIG_FILE", PARCELO_SOURCE_DIR "/tests/app/reference/fonts.conf", 1);
    return parcelo::test::RunShellTests(argc, argv, "96");
}
