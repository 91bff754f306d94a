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

#include <malloc.h>
#include <unistd.h>

namespace quorutil {

int lutApply(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    (void)out;
    if (cl.value("--output") == QLatin1String("-"))
        return cl.usageError(err, "-o - is not possible: a raster is written to a file");
    util::ApplyCurvesOptions options;
    options.setThreads(int(cl.integer("--threads", 1)));
    const int maxValue = int(cl.integer("--max-value", 0));
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

    // GDAL allocates and frees a block for every tile it caches; above glibc's default
    // threshold each would be a fresh mapping whose pages fault in again, tile after tile.
    mallopt(M_MMAP_THRESHOLD, 8 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);

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
