// Support-file reading and writing, per file.
//
//   bench_SupportFileBench                     Google Benchmark runs (load, write, load + write)
//   bench_SupportFileBench --read-files DIR    loads every *.sup in DIR, best of five passes,
//                                              and prints files read per second (used by
//                                              bench/support-read-vs-wc.sh)

#include "util/support/SupportFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "bench/BenchMain.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const std::string level1Sample =
    QUOR_SOURCE_DIR "/resources/samples/SN3001_110115_123458_PANF02A_L1.sup";

void BM_LoadL1(benchmark::State &state)
{
    for (auto _ : state) {
        util::SupportFile record;
        benchmark::DoNotOptimize(record.loadFile(level1Sample));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LoadL1);

void BM_FormatL1(benchmark::State &state)
{
    const util::SupportFile record(level1Sample);
    for (auto _ : state)
        benchmark::DoNotOptimize(record.formatL1SupportFile("/tmp/out.sup", true, false));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormatL1);

// Each write goes to a new file that is then removed: rewriting one file in place would make
// the file system flush it on every close and measure the disk instead.
void BM_WriteL1(benchmark::State &state)
{
    QTemporaryDir dir;
    util::SupportFile record(level1Sample);
    const std::string base = dir.filePath("out").toStdString();
    long n = 0;
    for (auto _ : state) {
        const std::string path = base + std::to_string(++n) + ".sup";
        benchmark::DoNotOptimize(record.exportL1SupportFile(path, true, false));
        std::remove(path.c_str());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteL1);

void BM_LoadAndWriteL1(benchmark::State &state)
{
    QTemporaryDir dir;
    const std::string base = dir.filePath("out").toStdString();
    long n = 0;
    for (auto _ : state) {
        util::SupportFile record;
        record.loadFile(level1Sample);
        const std::string path = base + std::to_string(++n) + ".sup";
        benchmark::DoNotOptimize(record.exportL1SupportFile(path, true, false));
        std::remove(path.c_str());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LoadAndWriteL1);

int readFiles(const char *folder)
{
    const QDir dir(QString::fromLocal8Bit(folder));
    std::vector<std::string> paths;
    for (const QString &name : dir.entryList({"*.sup"}, QDir::Files, QDir::Name))
        paths.push_back(QFile::encodeName(dir.filePath(name)).toStdString());
    if (paths.empty()) {
        std::fprintf(stderr, "no *.sup files in %s\n", folder);
        return 1;
    }
    double best = 0;
    long levels = 0;
    for (int pass = 0; pass < 5; ++pass) {
        const auto start = std::chrono::steady_clock::now();
        for (const std::string &path : paths) {
            util::SupportFile record;
            levels += record.loadFile(path);
        }
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        best = std::max(best, static_cast<double>(paths.size()) / seconds.count());
    }
    benchmark::DoNotOptimize(levels);
    std::printf("%zu files, %.0f files/s\n", paths.size(), best);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::string(argv[1]) == "--read-files")
        return readFiles(argv[2]);
    return runBenchmarks(argc, argv);
}
