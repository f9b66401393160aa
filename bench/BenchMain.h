#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

namespace quarvel::bench {

/** Runs the registered benchmarks inside an application on the offscreen platform. */
inline int runOffscreen(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace quarvel::bench
