// A second program for SingleInstanceTest: it starts like the real program
// would and reports on stdout what happened.
// Arguments: the instance key, the data folder, then the hand-over timeout in milliseconds.
#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    parcelo::SingleInstance instance(arguments.value(1), arguments.value(2));
    const auto report = [](const QByteArray& line) {
        std::puts(line.constData());
        std::fflush(stdout);
    };
    if (instance.HandOverToRunning(arguments.value(3, QStringLiteral("3000")).toInt())) {
        report("handed-over");
        return 0;
    }
    report(instance.Listen([&report](const QByteArray& token) { report("activated " + token); }) ? "listening"
                                                                                                 : "not-listening");
    return QCoreApplication::exec();
}
