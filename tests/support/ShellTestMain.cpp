// The main() of the window and dialog tests: the shell tests' private profile and a fixed
// screen resolution, 96 dots per inch unless PARCELO_TEST_DPI in the environment says
// otherwise, so that one executable runs at each scale. The tracking page test runs the
// page's window in its own process too.
#include "support/ShellTestSupport.h"
#ifdef PARCELO_TEST_WEB_ENGINE
#include "page/HtmlViewCtrl.h"
#endif

int main(int argc, char** argv) {
#ifdef PARCELO_TEST_WEB_ENGINE
    parcelo::PrepareWebEngineEnvironment(); // the page's window runs in the test's process
#endif
    const QByteArray dpi = QByteArray::number(parcelo::test::TestDpi());
    return parcelo::test::RunShellTests(argc, argv, dpi.constData());
}
