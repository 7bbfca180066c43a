#pragma once

#include "app/SessionPaths.h"

#include <QStringList>
#include <utility>

namespace parcelo {

// The options for scripts: list, add, export, import and back up shipments, and read
// the invoice numbers in an image, without a window. Exit codes: 0 done, 1 an input
// was refused (a Korean message on stderr says which and why), 2 bad usage, 3 no
// invoice number in the image given to --scan.
class CommandLine {
public:
    enum ExitCode { Success = 0, Refused = 1, BadUsage = 2, NothingFound = 3 };

    // False only when every argument (argv[0] first) is one of Qt's window options
    // (-platform, -style, -display, ...), with its value: then the window opens. Any
    // other argument is a command or bad usage, which Run reports without a window and
    // before a platform plugin is loaded.
    static bool IsRequested(int argc, const char* const* argv);

    // The commands work on the session of `paths`.
    explicit CommandLine(SessionPaths paths) : m_paths(std::move(paths)) {}

    // Runs the command the arguments (QCoreApplication::arguments()) ask for; the
    // application object must exist.
    int Run(const QStringList& arguments);

private:
    int RunCommand(const QStringList& arguments);

    SessionPaths m_paths;
};

} // namespace parcelo
