#include "app/CommandLine.h"
#include "app/MainFrame.h"
#include "app/ParceloApp.h"
#include "app/SessionPaths.h"
#include "app/SingleInstance.h"
#include "platform/qt/Profile.h"
#include "render/qt/DpiCache.h"
#include "render/qt/FontWarmUp.h"
#include "ui/QtTranslations.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <optional>
#include <string>

namespace {

// Where the session's files lie: parcelo.ini in the profile's INSTALLPATH, the store in
// the user's data folder. Read here once; everything below is handed these paths.
parcelo::SessionPaths ProgramPaths() {
    return parcelo::SessionPaths::In(parcelo::Profile().InstallPath().toStdU16String(),
                                     parcelo::UserDataFolder().value_or(std::string()));
}

} // namespace

// With one of the command-line options (see CommandLine), or any argument that is not a
// window option, Parcelo runs without a window and ends; otherwise QApplication takes
// the usual Qt options and the window opens.
int main(int argc, char** argv) {
    if (parcelo::CommandLine::IsRequested(argc, argv)) {
        QCoreApplication application(argc, argv);
        parcelo::InstallTranslations(application, false, parcelo::EnvironmentInterfaceLanguage());
        return parcelo::CommandLine(ProgramPaths()).Run(QCoreApplication::arguments());
    }
    parcelo::PrepareHighDpiEnvironment();
    parcelo::FontWarmUp fonts; // while Qt and the window start
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("parcelo"));
    // The web engine is parcelo-page's.
    parcelo::InstallTranslations(application, false, parcelo::EnvironmentInterfaceLanguage());

    // One Parcelo per shipment store: a second start on the same data folder, by
    // whatever path, brings the running window forward and ends. The folder is the
    // one the store keeps its volume in; without one there is no store to guard.
    const parcelo::SessionPaths paths = ProgramPaths();
    std::optional<parcelo::SingleInstance> instance;
    if (!paths.dataFolder.empty()) {
        instance.emplace(QStringLiteral("parcelo"), QFile::decodeName(QByteArray::fromStdString(paths.dataFolder)));
        if (instance->HandOverToRunning()) {
            return 0;
        }
    }
    parcelo::CParceloApp parcelo;
    // Listening starts before the main window so that a start-up message box is raised too.
    if (instance) {
        instance->Listen(
            [&parcelo](const QByteArray& token) { parcelo::SingleInstance::BringToFront(parcelo.MainFrame(), token); });
    }
    // Closing the window ends the program with 0 even when the window system delivers the
    // close before the event loop runs, where Qt's own quit-on-last-window would be lost.
    QObject::connect(&application, &QGuiApplication::lastWindowClosed, &application, [] {
        QMetaObject::invokeMethod(
            qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    });
    if (!parcelo.InitInstance(paths, &fonts)) {
        return 1;
    }
    return QApplication::exec();
}
