#pragma once
// The shared set-up moved to tests/support; suites still in this folder include it here.
#include "support/ShellTestSupport.h"
