// The main of a benchmark program that draws with widgets.
#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>
#include <functional>

namespace parcelo::bench {

// Runs the benchmarks under a QApplication on the offscreen platform (unless one is
// set) at 96 dots per inch; `release` frees what the benchmarks kept, while the
// application still exists.
inline int RunWidgetBenchmarks(int argc, char** argv, const std::function<void()>& release = {}) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qputenv("PARCELO_DPI", "96");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (release) {
        release();
    }
    return 0;
}

} // namespace parcelo::bench
