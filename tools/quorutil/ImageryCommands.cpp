// quorutil lut apply: tonal curves applied to a raster through GDAL.

#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Output.h"
#include "tools/quorutil/Tool.h"

#include "util/files/Failure.h"
#include "util/imagery/ApplyCurves.h"
#include "util/progress/ProgressInterfaceFancy.h"
#include "util/progress/ProgressInterfaceStd.h"

#include <memory>
#include <ostream>

#include <unistd.h>

namespace quorutil {

namespace {

const char *const applyUsage =
    "Usage: quorutil lut apply CURVE INPUT -o OUTPUT [--bands RED,GRN,BLU,NIR] [--co "
    "NAME=VALUE]...\n"
    "                          [--of DRIVER] [--threads N] [--progress none|std|fancy]\n"
    "\n"
    "Writes OUTPUT, the raster INPUT with every band mapped through its tonal curve. CURVE is a\n"
    "Corrector file (one curve for every band) or a break-point file (one curve per band code,\n"
    "its max_value the level of 1.0). Unsigned 8- and 16-bit rasters only; size, data type,\n"
    "georeferencing, nodata, band descriptions, colour interpretation and metadata are kept.\n"
    "  --bands LIST     the band code of each raster band, in band order; without it bands are\n"
    "                   matched by description or colour interpretation\n"
    "  --max-value N    the level of 1.0 where the curve gives none (default: the data type's\n"
    "                   range, or 2^NBITS - 1)\n"
    "  --co NAME=VALUE  a creation option of the output driver (repeatable)\n"
    "  --of DRIVER      the GDAL driver of OUTPUT (default GTiff)\n"
    "  --threads N      threads that read and map blocks, 1 to 64 (default 1)\n"
    "  --progress P     fancy: one line redrawn in place (default on a terminal); std: plain\n"
    "                   lines (default otherwise); none: nothing\n"
    "OUTPUT is replaced only when the whole raster was written.\n";

bool parseCount(const QString &text, int low, int high, int &value)
{
    bool ok = false;
    const int parsed = text.toInt(&ok, 10);
    if (!ok || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

} // namespace

int lutApplyCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    CommandLine cl("lut apply", applyUsage,
                   {{"--output", "-o", true},
                    {"--bands", nullptr, true},
                    {"--max-value", nullptr, true},
                    {"--co", nullptr, true},
                    {"--of", nullptr, true},
                    {"--threads", nullptr, true},
                    {"--progress", nullptr, true}});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    if (cl.positional().size() != 2)
        return cl.usageError(err, "needs CURVE and INPUT");
    if (!cl.isSet("--output") || cl.value("--output").isEmpty())
        return cl.usageError(err, "needs -o OUTPUT");
    if (cl.value("--output") == QLatin1String("-"))
        return cl.usageError(err, "-o - is not possible: a raster is written to a file");
    util::ApplyCurvesOptions options;
    int threads = 1;
    if (cl.isSet("--threads") && !parseCount(cl.value("--threads"), 1, 64, threads))
        return cl.usageError(err, "--threads needs a whole number from 1 to 64");
    options.setThreads(threads);
    int maxValue = 0;
    if (cl.isSet("--max-value") && !parseCount(cl.value("--max-value"), 1, 65535, maxValue))
        return cl.usageError(err, "--max-value needs a whole number from 1 to 65535");
    for (const QString &option : cl.values("--co"))
        if (option.indexOf(QLatin1Char('=')) < 1)
            return cl.usageError(err, "--co needs NAME=VALUE, not " + option.toStdString());
    options.setCreationOptions(cl.values("--co"));
    if (cl.isSet("--of"))
        options.setDriver(cl.value("--of"));
    if (cl.isSet("--bands")) {
        const QStringList codes = cl.value("--bands").split(QLatin1Char(','));
        for (const QString &c : codes)
            if (c.trimmed().isEmpty())
                return cl.usageError(err, "--bands needs band codes separated by commas");
        options.setBandCodes(codes);
    }
    QString progress = cl.value("--progress");
    if (cl.isSet("--progress") && progress != QLatin1String("none")
        && progress != QLatin1String("std") && progress != QLatin1String("fancy"))
        return cl.usageError(err, "unknown --progress " + progress.toStdString());
    if (progress.isEmpty())
        progress = isTerminal(STDOUT_FILENO) && isTerminal(STDERR_FILENO) ? QStringLiteral("fancy")
                                                                          : QStringLiteral("std");

    const QString curveFile = cl.positional().at(0);
    const QString input = cl.positional().at(1);
    util::Failure failure;
    util::RasterCurves curves;
    if (!curves.load(curveFile, &failure))
        return cl.failure(err, failure.text().toStdString());
    if (curves.isSingleCurve() && cl.isSet("--bands"))
        return cl.usageError(err,
                             "--bands applies to break-point files; " + curveFile.toStdString()
                                 + " holds one curve for every band");
    curves.setMaxValue(maxValue);

    std::unique_ptr<util::ProgressInterface> reporter;
    if (progress == QLatin1String("std"))
        reporter = std::make_unique<util::ProgressInterfaceStd>();
    else if (progress == QLatin1String("fancy"))
        reporter = std::make_unique<util::ProgressInterfaceFancy>();
    if (!util::applyTonalCurves(input, cl.value("--output"), curves, options, reporter.get(),
                                &failure))
        return cl.failure(err, failure.text().toStdString());
    return ExitOk;
}

} // namespace quorutil
