#include "app/ParceloApp.h"
#include "platform/DpiCache.h"

#include <QApplication>

int main(int argc, char** argv) {
    parcelo::PrepareHighDpiEnvironment();
    QApplication application(argc, argv);
    parcelo::CParceloApp parcelo;
    if (!parcelo.InitInstance()) {
        return 1;
    }
    return QApplication::exec();
}
