// The main() of the dialog tests: the shell tests' private profile and a fixed screen
// resolution. The web engine is set up when the first tracking page opens.
#include "gui/ShellTestSupport.h"

#ifndef PARCELO_TEST_DPI
#define PARCELO_TEST_DPI 96
#endif

int main(int argc, char** argv) {
    return parcelo::test::RunShellTests(argc, argv, QT_STRINGIFY(PARCELO_TEST_DPI));
}
