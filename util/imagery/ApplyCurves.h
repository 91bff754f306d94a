#pragma once

#include "util/UtilImageryExport.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace util {

class ProgressInterface;
class TonalCurve;
struct Failure;

/// The tonal curves to apply to a raster: one curve for every band, or one per band code (RED,
/// GRN, BLU, NIR, ...) as a break-point file holds them, and the level that stands for 1.0 on
/// the curves' scale. docs/imagery.md says how bands are matched and values mapped.
class UTIL_IMAGERY_EXPORT RasterCurves
{
public:
    /// No curve yet.
    RasterCurves();
    RasterCurves(const RasterCurves &other);
    RasterCurves &operator=(const RasterCurves &other);
    ~RasterCurves();

    /// Reads a curve file: a Corrector file (one curve for every band) or a break-point file
    /// (one curve per band, each with its max_value as the level of 1.0). False with *failure
    /// naming the file; the object is then unchanged.
    bool load(const QString &fileName, Failure *failure = nullptr);

    /// One curve for every band; maxValue as in setMaxValue().
    void setCurve(const TonalCurve &curve, int maxValue = 0);
    /// The curve of the band with this code (a previous one is replaced); maxValue as in
    /// setMaxValue(). Band curves and a curve for every band exclude each other: the last set
    /// wins.
    void setBandCurve(const QString &code, const TonalCurve &curve, int maxValue = 0);
    /// The level of 1.0 for every curve without one of its own; 0 (the default) takes the
    /// raster's own range: 2^NBITS - 1 where the band declares NBITS, else the data type's
    /// maximum (255, 65535).
    void setMaxValue(int maxValue);

    /// True when one curve serves every band.
    bool isSingleCurve() const;
    /// The band codes of the per-band curves, in ascending order (empty for a single curve).
    QStringList bandCodes() const;

private:
    friend struct RasterCurvesAccess;
    struct Private;
    std::unique_ptr<Private> d;
};

/// How applyTonalCurves() writes its output.
class UTIL_IMAGERY_EXPORT ApplyCurvesOptions
{
public:
    /// GTiff, no creation option, one thread, bands matched by colour interpretation or
    /// description.
    ApplyCurvesOptions();
    ApplyCurvesOptions(const ApplyCurvesOptions &other);
    ApplyCurvesOptions &operator=(const ApplyCurvesOptions &other);
    ~ApplyCurvesOptions();

    /// The GDAL driver of the output ("GTiff"); it must create files of one file each.
    void setDriver(const QString &driver);
    QString driver() const;
    /// Creation options, NAME=VALUE each, passed to the driver as given.
    void setCreationOptions(const QStringList &options);
    QStringList creationOptions() const;
    /// Threads that read and map blocks (at least 1); with more than one, the calling thread
    /// writes while they read.
    void setThreads(int threads);
    int threads() const;
    /// The band code of each raster band in band order ("RED", "GRN", "BLU", "NIR"), instead of
    /// matching by colour interpretation or description; empty: match.
    void setBandCodes(const QStringList &codes);
    QStringList bandCodes() const;

private:
    friend struct ApplyCurvesOptionsAccess;
    struct Private;
    std::unique_ptr<Private> d;
};

/// Writes to output the raster at input with each band mapped through its tonal curve, block by
/// block in the input's own block layout (memory stays bounded whatever the size). The output
/// keeps the input's size, data type, georeferencing, spatial reference, GCPs, nodata values
/// (nodata pixels stay nodata and no other pixel becomes nodata), band descriptions, colour
/// interpretations, NBITS, scale, offset, unit and metadata of every domain. Alpha bands are
/// copied unchanged. Only unsigned 8- and 16-bit rasters are accepted.
///
/// output is replaced by the library's rule for replacing files (docs/replacing-files.md): on
/// any failure, and when SIGINT, SIGTERM or SIGHUP ends the process, an existing output keeps
/// its old content and no temporary file stays behind. An output equal to input is refused.
///
/// progress (may be null) gets starting("Apply tonal curves to <output>"), totalAmount(rows,
/// "rows"), amountDone(rows written) and finished(). False with *failure: its path names the
/// file concerned and its reason says why, in one line. A reporter cancels the call by throwing
/// from amountDone(): the exception passes through (after finished()), the reader threads are
/// joined, and output keeps its old content.
UTIL_IMAGERY_EXPORT bool applyTonalCurves(const QString &input, const QString &output,
                                          const RasterCurves &curves,
                                          const ApplyCurvesOptions &options,
                                          ProgressInterface *progress = nullptr,
                                          Failure *failure = nullptr);

} // namespace util
