#pragma once

#include <QStringList>

namespace parcelo {

// The options for scripts: list, add, export, import and back up shipments without a
// window. Exit codes: 0 done, 1 an input was refused (a Korean message on stderr says
// which and why), 2 bad usage.
class CommandLine {
public:
    enum ExitCode { Success = 0, Refused = 1, BadUsage = 2 };

    // True when the arguments (argv[0] first) hold one of the command-line options, so
    // that no window is to be opened.
    static bool IsRequested(int argc, const char* const* argv);

    // Runs the command the arguments (QCoreApplication::arguments()) ask for; the
    // application object must exist.
    int Run(const QStringList& arguments);

private:
    int RunCommand(const QStringList& arguments);
};

} // namespace parcelo
