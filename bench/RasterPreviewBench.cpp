// Opening a raster for the curve editor's preview: readRasterPreview on a 20,000 x 2,000 strip
// of 4 unsigned 16-bit bands (striped GeoTIFF, no overviews; 305 MiB, made by
// bench/make-raster.py in a temporary folder removed at exit) at 1,024 pixels, and the same strip
// with overviews. Target: about a second without overviews, page cache warm, one core.

#include "util/files/Failure.h"
#include "util/imagery/RasterPreview.h"

#include "bench/BenchMain.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString strip(bool overviews)
{
    static QTemporaryDir dir;
    const QString path =
        dir.filePath(overviews ? QStringLiteral("strip-ovr.tif") : QStringLiteral("strip.tif"));
    if (QFile::exists(path))
        return path;
    QProcess::execute(QStringLiteral("/usr/bin/python3"),
                      {QStringLiteral(QUOR_SOURCE_DIR "/bench/make-raster.py"), path,
                       QStringLiteral("20000x2000"), QStringLiteral("4")});
    if (overviews)
        QProcess::execute(QStringLiteral("gdaladdo"),
                          {QStringLiteral("-q"), QStringLiteral("-r"), QStringLiteral("nearest"),
                           path, QStringLiteral("2"), QStringLiteral("4"), QStringLiteral("8"),
                           QStringLiteral("16")});
    return path;
}

void preview(benchmark::State &state, bool overviews)
{
    const QString path = strip(overviews);
    util::RasterPreview p;
    util::Failure failure;
    for (auto _ : state) {
        if (!util::readRasterPreview(path, 1024, p, &failure)) {
            state.SkipWithError(failure.text().toStdString().c_str());
            break;
        }
        benchmark::DoNotOptimize(p.samples.data());
    }
}

BENCHMARK_CAPTURE(preview, strip_without_overviews, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(preview, strip_with_overviews, true)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
