#pragma once

// The main() body shared by the benchmark programs: a Qt core application (settings, files and
// XML need one) around Google Benchmark's own argument handling.

#include <QCoreApplication>

#include <benchmark/benchmark.h>

inline int runBenchmarks(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
