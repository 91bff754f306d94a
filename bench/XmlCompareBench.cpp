// compareXMLfiles on two ~5 MB documents whose sibling elements come in another order.
// The document size stays the same while the number of siblings under the root grows, so the
// figures show how the pairing of siblings scales apart from the parsing.
// BM_CompareManyAttributes: one element with N attributes, listed in another order in the
// second file. Target: 40,000 attributes compared in under 0.5 s (it took 74 s while each
// attribute was fetched by index, which walks the attribute table from its start).
#include "util/xml/XmlCompare.h"

#include <QDomDocument>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "bench/BenchMain.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <vector>

namespace {

const int documentBytes = 5 * 1024 * 1024;

struct Pair
{
    QTemporaryDir dir;
    QString a;
    QString b;
};

void writeDocument(const QString &path, const std::vector<QByteArray> &siblings)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Survey version=\"1.0\">\n");
    for (const QByteArray &s : siblings)
        file.write(s);
    file.write("</Survey>\n");
}

// Siblings share their tag and a few attribute values, so many shallow comparisons are needed.
const Pair &documents(int siblings)
{
    static std::map<int, std::unique_ptr<Pair>> cache;
    std::unique_ptr<Pair> &pair = cache[siblings];
    if (pair)
        return *pair;
    pair = std::make_unique<Pair>();
    const int padding = std::max(0, documentBytes / siblings - 120);
    std::vector<QByteArray> items;
    items.reserve(siblings);
    for (int i = 0; i < siblings; ++i) {
        QByteArray item = "  <Image id=\"" + QByteArray::number(i) + "\" band=\""
            + QByteArray("RGBNP").mid(i % 5, 1) + "\">\n    <Note>";
        item += QByteArray(padding, static_cast<char>('a' + i % 26));
        item += "</Note>\n    <Line n=\"" + QByteArray::number(i % 7) + "\"/>\n  </Image>\n";
        items.push_back(item);
    }
    pair->a = pair->dir.filePath("a.xml");
    pair->b = pair->dir.filePath("b.xml");
    writeDocument(pair->a, items);
    std::shuffle(items.begin(), items.end(), std::mt19937(12345));
    writeDocument(pair->b, items);
    return *pair;
}

void BM_CompareShuffled(benchmark::State &state)
{
    const Pair &pair = documents(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const bool equal = util::compareXMLfiles(pair.a, pair.b);
        if (!equal)
            state.SkipWithError("documents should compare equal");
        benchmark::DoNotOptimize(equal);
    }
    state.SetBytesProcessed(state.iterations() * 2 * QFile(pair.a).size());
}

// Parsing alone, for comparison: what the comparison adds on top of reading both files.
void BM_ParseBoth(benchmark::State &state)
{
    const Pair &pair = documents(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        for (const QString &path : {pair.a, pair.b}) {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            QDomDocument document;
            benchmark::DoNotOptimize(document.setContent(&file, false));
        }
    }
}

const Pair &manyAttributes(int count)
{
    static std::map<int, std::unique_ptr<Pair>> cache;
    std::unique_ptr<Pair> &pair = cache[count];
    if (pair)
        return *pair;
    pair = std::make_unique<Pair>();
    std::vector<QByteArray> attributes;
    for (int i = 0; i < count; ++i)
        attributes.push_back(" a" + QByteArray::number(i) + "=\"v&amp;" + QByteArray::number(i * 7)
                             + "\"");
    const auto write = [&](const QString &path) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("<Root");
        for (const QByteArray &a : attributes)
            file.write(a);
        file.write("><Child/></Root>\n");
    };
    pair->a = pair->dir.filePath("a.xml");
    pair->b = pair->dir.filePath("b.xml");
    write(pair->a);
    std::shuffle(attributes.begin(), attributes.end(), std::mt19937(54321));
    write(pair->b);
    return *pair;
}

void BM_CompareManyAttributes(benchmark::State &state)
{
    const Pair &pair = manyAttributes(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const bool equal = util::compareXMLfiles(pair.a, pair.b);
        if (!equal)
            state.SkipWithError("documents should compare equal");
        benchmark::DoNotOptimize(equal);
    }
}

} // namespace

BENCHMARK(BM_CompareManyAttributes)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompareShuffled)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(5000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseBoth)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
