// A second program for SingleInstanceTest: it starts like the real program
// would and reports on stdout what happened.
// Arguments: the instance key, the data folder, then the hand-over timeout in milliseconds.
#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

namespace {

void Report(const char* line) {
    std::puts(line);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    parcelo::SingleInstance instance(arguments.value(1), arguments.value(2));
    if (instance.HandOverToRunning(arguments.value(3, QStringLiteral("3000")).toInt())) {
        Report("handed-over");
        return 0;
    }
    Report(instance.Listen([](const QByteArray& token) { Report(("activated " + token).constData()); })
               ? "listening"
               : "not-listening");
    return QCoreApplication::exec();
}
