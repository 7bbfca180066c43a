// The main() of the window and dialog tests: the shell tests' private profile and a fixed
// screen resolution, 96 dots per inch unless PARCELO_TEST_DPI says otherwise. The tracking
// page test runs the page's window in its own process too.
#include "support/ShellTestSupport.h"
#ifdef PARCELO_TEST_WEB_ENGINE
#include "page/HtmlViewCtrl.h"
#endif
#ifndef PARCELO_TEST_DPI
#define PARCELO_TEST_DPI 96
#endif

int main(int argc, char** argv) {
#ifdef PARCELO_TEST_WEB_ENGINE
    parcelo::PrepareWebEngineEnvironment(); // the page's window runs in the test's process
#endif
    return parcelo::test::RunShellTests(argc, argv, QT_STRINGIFY(PARCELO_TEST_DPI));
}
