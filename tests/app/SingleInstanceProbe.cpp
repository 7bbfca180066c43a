// A second program for SingleInstanceTest: it starts like the real program
// would and reports on stdout what happened.
// Arguments: the instance key, the data folder, then the hand-over timeout in milliseconds.
#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each report reaches the test at once
    const QStringList arguments = QCoreApplication::arguments();
    parcelo::SingleInstance instance(arguments.value(1), arguments.value(2));
    if (instance.HandOverToRunning(arguments.value(3, QStringLiteral("3000")).toInt())) {
        std::puts("handed-over");
        return 0;
    }
    const bool listening =
        instance.Listen([](const QByteArray& token) { std::puts(("activated " + token).constData()); });
    std::puts(listening ? "listening" : "not-listening");
    return QCoreApplication::exec();
}
