// parcelo-page: the tracking page of Parcelo in a process of its own, so that the
// program's window never loads the web engine. It reads the program's commands from
// standard input and answers on standard output (PageProtocol), and ends when the
// program closes its end of the pipe or sends a line it cannot read.
#include "page/HtmlViewCtrl.h"
#include "page/TrackingPageWindow.h"
#include "pageprotocol/PageProtocol.h"
#include "ui/QtTranslations.h"

#include <QApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

void WriteLine(const std::string& line) {
    if (line.empty()) {
        return;
    }
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, line.data() + written, line.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            QCoreApplication::exit(1); // the program is gone
            return;
        }
        written += static_cast<std::size_t>(n);
    }
}

} // namespace

int main(int argc, char** argv) {
    parcelo::PrepareWebEngineEnvironment();
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false); // the program says when the page ends
    QGuiApplication::setDesktopFileName(QStringLiteral("parcelo"));
    parcelo::InstallTranslations(application, true, parcelo::EnvironmentInterfaceLanguage());

    const bool testing = qEnvironmentVariableIntValue("PARCELO_PAGE_TESTING") == 1;
    parcelo::CTrackingPageWindow window(
        [](const parcelo::PageMessage& message) { WriteLine(parcelo::FormatPageLine(message)); }, testing);

    parcelo::PageLineReader reader;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &window, [&] {
        char buffer[4096];
        ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        while (n < 0 && errno == EINTR) {
            n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        }
        if (n <= 0 || !reader.Feed(std::string_view(buffer, static_cast<std::size_t>(n)))) {
            input.setEnabled(false);
            QCoreApplication::exit(n < 0 ? 1 : 0);
            return;
        }
        while (const std::optional<std::string> line = reader.TakeLine()) {
            const std::optional<parcelo::PageMessage> message =
                parcelo::ParsePageLine(*line, parcelo::PageSender::Program);
            if (!message) {
                std::fprintf(stderr, "parcelo-page: a line refused\n");
                input.setEnabled(false);
                QCoreApplication::exit(2);
                return;
            }
            window.Handle(*message);
        }
    });
    WriteLine(parcelo::FormatPageLine({parcelo::PageVerb::Ready, {static_cast<int64_t>(window.winId())}, {}}));
    return QApplication::exec();
}
