// The main() of the dialog tests: a private profile, a fixed screen resolution
// and the web engine's set-up, all before the QApplication exists.
#include "dialogs/HtmlViewCtrl.h"
#include "platform/DpiCache.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifndef PARCELO_TEST_DPI
#define PARCELO_TEST_DPI 96
#endif

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const QTemporaryDir root;
    qputenv("XDG_CONFIG_HOME", root.filePath("config").toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", root.filePath("system").toLocal8Bit());
    qputenv("XDG_DATA_HOME", root.filePath("data").toLocal8Bit());
    qputenv("PARCELO_DPI", QByteArray::number(PARCELO_TEST_DPI));
    parcelo::PrepareHighDpiEnvironment();
    parcelo::PrepareWebEngineEnvironment();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
