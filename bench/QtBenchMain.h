// main() of a benchmark that needs a QApplication: offscreen unless the
// caller chose a platform.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

#define TAMARIK_QT_BENCHMARK_MAIN()                                                            \
  int main(int argc, char** argv) {                                                            \
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen"); \
    QApplication app(argc, argv);                                                              \
    benchmark::Initialize(&argc, argv);                                                        \
    benchmark::RunSpecifiedBenchmarks();                                                       \
    benchmark::Shutdown();                                                                     \
    return 0;                                                                                  \
  }
