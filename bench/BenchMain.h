#pragma once

// The main() body shared by the benchmark programs: a Qt application (settings, files and XML
// need a core one, widgets a GUI one) around Google Benchmark's own argument handling.

#include <QCoreApplication>

#include <benchmark/benchmark.h>

template<typename Application = QCoreApplication>
inline int runBenchmarks(int argc, char **argv)
{
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
