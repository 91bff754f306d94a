// Naming throughput: names per second from an XML pattern and from a token pattern, and
// support-file names parsed per second. Target: at least 100,000 per second each, one core.

#include "util/naming/FileSessionNameGenerator.h"
#include "util/naming/SupFilenamePattern.h"

#include <QDomDocument>

#include "bench/BenchMain.h"

#include <benchmark/benchmark.h>

namespace {

const char *const xmlPattern = R"(
<FilePattern id="Level0Raw" prefix="L0" suffix="raw" separator="_" startnumber="0" shortserial="1">
  <Project pos="0" checked="1"/>
  <Flightplan pos="1" checked="0"/>
  <Flightline pos="2" checked="1"/>
  <SerialNumber pos="3" checked="1"/>
  <Date pos="4" checked="1"><Year pos="0" checked="1"/><Month pos="1" checked="1"/><Day pos="2" checked="1"/></Date>
  <Time pos="5" checked="1"><Hour pos="0" checked="1"/><Minute pos="1" checked="1"/><Second pos="2" checked="0"/></Time>
  <TakeNumber pos="6" checked="1"/>
  <Band pos="7" checked="1"/>
</FilePattern>)";

util::FileSessionNameGenerator::Options exampleOptions()
{
    util::FileSessionNameGenerator::Options options;
    options.useExample = true;
    return options;
}

void NameFromXmlPattern(benchmark::State &state)
{
    const util::FileSessionNameGenerator generator(exampleOptions(), xmlPattern);
    for (auto _ : state)
        benchmark::DoNotOptimize(generator.createNameFromPattern());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(NameFromXmlPattern);

void NameFromTokenPattern(benchmark::State &state)
{
    const util::FileSessionNameGenerator generator(
        exampleOptions(),
        "$PROJECT$_$LINENAME$_$ABRVSERIAL$_$yyyyMMdd$_$hhmm$_$LINENUMBER$_$BAND$");
    for (auto _ : state)
        benchmark::DoNotOptimize(generator.createNameFromPattern());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(NameFromTokenPattern);

void ParseSupportFileName(benchmark::State &state)
{
    const QStringList names = {"SN3001_110115_123458_PANF02AL1_012_034_ortho",
                               "SN30001_110115_123458_RGBN00A_L1", "notes_about_the_flight",
                               "QK30017_200630_081500_NIRB16B_L2_101_202"};
    int i = 0;
    for (auto _ : state) {
        QMap<QString, QString> attributes;
        benchmark::DoNotOptimize(
            util::SupFilenamePattern(names.at(i++ % names.size())).attributes(attributes));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ParseSupportFileName);

void RenameSupportFileName(benchmark::State &state)
{
    QDomDocument pattern;
    pattern.setContent(QStringLiteral(R"(<Pattern separator="_" prefix="AB" suffix="ortho">
  <Date pos="0"><Year pos="0" checked="2"/><Month pos="1" checked="2"/><Day pos="2" checked="2"/></Date>
  <Time pos="1"><Hour pos="0" checked="2"/><Minute pos="1" checked="2"/></Time>
  <Sensor pos="2" checked="2"/><Band pos="3" checked="2"/><Angle pos="4" checked="2"/>
  <Level pos="5" checked="2"/><TileX pos="6" checked="2"/><TileY pos="7" checked="2"/></Pattern>)"));
    const util::SupFilenamePattern sup(
        QStringLiteral("SN3001_110115_123458_PANF02AL1_012_034_ortho"));
    for (auto _ : state) {
        QString name;
        benchmark::DoNotOptimize(sup.createNameFromPattern(pattern.documentElement(), name));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RenameSupportFileName);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
