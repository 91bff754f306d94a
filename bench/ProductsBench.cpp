// Product combinations: getAvailableProducts for 12 available bands against a configuration of
// 200 products, plain and flagged, for the sensor's usual bands (three lines of red, green,
// blue and near infrared: 9 red-green pairs, about 1,100 candidates) and for the worst split
// of 12 bands (6 red, 6 green: 36 pairs, about 4,400 candidates).
// Target: under 1 ms a call, one core.

#include "util/bands/ProductBandMapper.h"
#include "util/bands/ProductGenerator.h"

#include <QBuffer>
#include <QFile>

#include "bench/BenchMain.h"

#include <benchmark/benchmark.h>

namespace {

// 200 products: 25 line codes, each with true colour, colour infrared, four-band,
// panchromatic and four single-band products.
QByteArray configuration()
{
    QByteArray xml = "<ProductBandMap>\n";
    const auto product = [&xml](const QString &name, const QStringList &bands) {
        xml += "<Product name=\"" + name.toUtf8() + "\"><Bands>";
        for (const QString &band : bands)
            xml += "<Band source=\"" + band.toUtf8() + "\"/>";
        xml += "</Bands></Product>\n";
    };
    for (int line = 0; line < 25; ++line) {
        const QString suffix = QString("%1%2A").arg("NFB"[line % 3]).arg(line, 2, 10, QChar('0'));
        const QString r = "RED" + suffix, g = "GRN" + suffix, b = "BLU" + suffix,
                      n = "NIR" + suffix, p = "PAN" + suffix;
        product("RGB" + suffix, {r, g, b});
        product("NRG" + suffix, {n, r, g});
        product("NRGB" + suffix, {n, r, g, b});
        product(p, {p});
        for (const QString &single : {r, g, b, n})
            product(single, {single});
    }
    return xml + "</ProductBandMap>\n";
}

QStringList usualBands()
{
    QStringList bands;
    for (const char *suffix : {"N00A", "F01A", "B02A"}) {
        for (const char *colour : {"RED", "GRN", "BLU", "NIR"})
            bands << QString(colour) + suffix;
    }
    return bands;
}

QStringList worstBands()
{
    QStringList bands;
    for (const char *suffix : {"N00A", "F01A", "B02A", "N03A", "F04A", "B05A"})
        bands << QString("RED") + suffix << QString("GRN") + suffix;
    return bands;
}

util::ProductGenerator makeGenerator(const QStringList &bands)
{
    QByteArray xml = configuration();
    QBuffer buffer(&xml);
    buffer.open(QIODevice::ReadOnly);
    return util::ProductGenerator(&buffer, bands);
}

void AvailableProducts(benchmark::State &state, const QStringList &bands)
{
    util::ProductGenerator generator = makeGenerator(bands);
    if (generator.getProductList().size() != 200 || generator.getAvailableProducts().size() < 12)
        state.SkipWithError("unexpected configuration");
    for (auto _ : state)
        benchmark::DoNotOptimize(generator.getAvailableProducts());
}
BENCHMARK_CAPTURE(AvailableProducts, usual_12_bands, usualBands())->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(AvailableProducts, worst_12_bands, worstBands())->Unit(benchmark::kMicrosecond);

void AvailableProductsFlagged(benchmark::State &state, const QStringList &bands)
{
    util::ProductGenerator generator = makeGenerator(bands);
    QList<QPair<QString, bool>> given;
    for (int i = 0; i < bands.size(); ++i)
        given << qMakePair(bands[i], i % 2 == 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(generator.getAvailableProducts(given));
}
BENCHMARK_CAPTURE(AvailableProductsFlagged, usual_12_bands, usualBands())
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(AvailableProductsFlagged, worst_12_bands, worstBands())
    ->Unit(benchmark::kMicrosecond);

// The schema check of the shipped configuration, called again and again as a long-running
// program that re-reads its configuration would. The maximum resident size of the whole run
// (/usr/bin/time -v) shows whether repeated checks keep memory.
void ValidateShippedConfiguration(benchmark::State &state)
{
    qputenv("QUOR_DEVELOP", QUOR_SOURCE_DIR "/resources");
    QFile file(QStringLiteral(QUOR_SOURCE_DIR "/resources/etc/products.xml"));
    if (!file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("no shipped configuration");
        return;
    }
    QByteArray xml = file.readAll();
    for (auto _ : state) {
        QBuffer buffer(&xml);
        buffer.open(QIODevice::ReadOnly);
        QString error;
        if (!util::validateProductBandMap(&buffer, &error)) {
            state.SkipWithError(error.toStdString().c_str());
            return;
        }
    }
}
BENCHMARK(ValidateShippedConfiguration)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
