// mergeIniFiles of a 2,000-key source into a 2,000-key destination that shares half its keys,
// spread over 20 sections, including the atomic rewrite of the destination; and of many small
// sections, half of them new.
#include "util/config/IniTool.h"

#include <QFile>
#include <QTemporaryDir>

#include "bench/BenchMain.h"

#include <benchmark/benchmark.h>

namespace {

QByteArray iniText(int keys, int firstKey, int sections)
{
    QByteArray text = "; generated settings\r\n";
    const int perSection = keys / sections;
    for (int s = 0; s < sections; ++s) {
        text += "[Section" + QByteArray::number(s) + "]\r\n; keys of section "
            + QByteArray::number(s) + "\r\n";
        for (int k = 0; k < perSection; ++k) {
            const int key = firstKey + k;
            text +=
                "Key" + QByteArray::number(key) + "=value " + QByteArray::number(key * 7) + "\r\n";
        }
        text += "\r\n";
    }
    return text;
}

// Times merging source into a destination that holds original again before each merge.
void timeMerges(benchmark::State &state, const QByteArray &source, const QByteArray &original)
{
    QTemporaryDir dir;
    const std::string sourcePath = dir.filePath("source.ini").toStdString();
    const QString destination = dir.filePath("destination.ini");
    QFile sourceFile(QString::fromStdString(sourcePath));
    sourceFile.open(QIODevice::WriteOnly);
    sourceFile.write(source);
    sourceFile.close();
    for (auto _ : state) {
        state.PauseTiming();
        QFile out(destination);
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        out.write(original);
        out.close();
        state.ResumeTiming();
        util::IniTool::mergeIniFiles(sourcePath, destination.toStdString());
    }
}

void BM_MergeIniFiles(benchmark::State &state)
{
    const int keys = static_cast<int>(state.range(0));
    // Half the keys are new to the destination.
    timeMerges(state, iniText(keys, keys / 40, 20), iniText(keys, 0, 20));
}

// N sections of three keys each into a destination that holds every second one: the cost of
// finding sections and keys, which must grow with N, not with its square.
QByteArray sectionsText(int sections, int step)
{
    QByteArray text;
    for (int s = 0; s < sections; s += step) {
        text += "[S" + QByteArray::number(s) + "]\n";
        for (int k = 0; k < 3; ++k)
            text += "key" + QByteArray::number(k) + "=" + QByteArray::number(s) + "\n";
    }
    return text;
}

void BM_MergeManySections(benchmark::State &state)
{
    const int sections = static_cast<int>(state.range(0));
    timeMerges(state, sectionsText(sections, 1), sectionsText(sections, 2));
    state.SetComplexityN(sections);
}

} // namespace

BENCHMARK(BM_MergeIniFiles)->Arg(200)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeManySections)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000)
    ->Arg(8000)
    ->Arg(16000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
