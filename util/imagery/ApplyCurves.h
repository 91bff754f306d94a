#pragma once

/// \file
/// Tonal curves applied to a raster through GDAL, block by block, into a new raster.
/// \ingroup imagery

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
/// \ingroup imagery
class UTIL_IMAGERY_EXPORT RasterCurves
{
public:
    /// No curve yet.
    RasterCurves();
    /// A copy of other's curves and level of 1.0.
    /// \param other the curves copied.
    RasterCurves(const RasterCurves &other);
    /// Replaces the curves and the level of 1.0 by other's.
    /// \param other the curves copied.
    /// \return this object.
    RasterCurves &operator=(const RasterCurves &other);
    /// Destroys the curves.
    ~RasterCurves();

    /// Reads a curve file: a Corrector file (one curve for every band) or a break-point file
    /// (one curve per band, each with its max_value as the level of 1.0). False with *failure
    /// naming the file; the object is then unchanged.
    ///
    /// The curves read replace those held; the level set by setMaxValue() stays.
    /// \param fileName the curve or break-point file.
    /// \param[out] failure receives the failure when given; may be null.
    /// \return true when the file gave curves; false on failure.
    bool load(const QString &fileName, Failure *failure = nullptr);

    /// One curve for every band; maxValue as in setMaxValue().
    /// \param curve the curve, levels in [0, 1].
    /// \param maxValue this curve's level of 1.0; 0 leaves it to setMaxValue().
    void setCurve(const TonalCurve &curve, int maxValue = 0);
    /// The curve of the band with this code (a previous one is replaced); maxValue as in
    /// setMaxValue(). Band curves and a curve for every band exclude each other: the last set
    /// wins.
    /// \param code the band code ("RED", "GRN", "BLU", "NIR").
    /// \param curve the curve, levels in [0, 1].
    /// \param maxValue this curve's level of 1.0; 0 leaves it to setMaxValue().
    void setBandCurve(const QString &code, const TonalCurve &curve, int maxValue = 0);
    /// The level of 1.0 for every curve without one of its own; 0 (the default) takes the
    /// raster's own range: 2^NBITS - 1 where the band declares NBITS, else the data type's
    /// maximum (255, 65535).
    /// \param maxValue the level, or 0.
    void setMaxValue(int maxValue);

    /// True when one curve serves every band.
    /// \return whether a single curve is set.
    bool isSingleCurve() const;
    /// The band codes of the per-band curves, in ascending order (empty for a single curve).
    /// \return the band codes.
    QStringList bandCodes() const;

private:
    friend struct RasterCurvesAccess;
    struct Private;
    std::unique_ptr<Private> d;
};

/// How applyTonalCurves() writes its output.
/// \ingroup imagery
class UTIL_IMAGERY_EXPORT ApplyCurvesOptions
{
public:
    /// GTiff, no creation option, one thread, bands matched by colour interpretation or
    /// description.
    ApplyCurvesOptions();
    /// A copy of other's options.
    /// \param other the options copied.
    ApplyCurvesOptions(const ApplyCurvesOptions &other);
    /// Replaces the options by other's.
    /// \param other the options copied.
    /// \return these options.
    ApplyCurvesOptions &operator=(const ApplyCurvesOptions &other);
    /// Destroys the options.
    ~ApplyCurvesOptions();

    /// The GDAL driver of the output ("GTiff"); it must create files of one file each.
    /// \param driver the driver's short name.
    void setDriver(const QString &driver);
    /// The GDAL driver of the output.
    /// \return the driver's short name, "GTiff" unless set.
    QString driver() const;
    /// Creation options, NAME=VALUE each, passed to the driver as given.
    /// \param options the creation options.
    void setCreationOptions(const QStringList &options);
    /// The creation options passed to the driver.
    /// \return the options, NAME=VALUE each; none unless set.
    QStringList creationOptions() const;
    /// Threads that read and map blocks (at least 1); with more than one, the calling thread
    /// writes while they read.
    /// \param threads the number of threads; less than 1 takes 1.
    void setThreads(int threads);
    /// The threads that read and map blocks.
    /// \return the number of threads, at least 1.
    int threads() const;
    /// The band code of each raster band in band order ("RED", "GRN", "BLU", "NIR"), instead of
    /// matching by colour interpretation or description; empty: match.
    /// \param codes one band code per raster band, or none.
    void setBandCodes(const QStringList &codes);
    /// The band code of each raster band, in band order.
    /// \return the codes; empty when bands are matched.
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
/// file concerned (none for curves that hold no curve: "no tonal curve to apply") and its
/// reason says why, in one line. A reporter cancels the call by throwing
/// from amountDone(): the exception passes through (after finished()), the reader threads are
/// joined, and output keeps its old content.
/// \param input the raster read.
/// \param output the raster written.
/// \param curves the curves applied.
/// \param options how the output is written.
/// \param progress the reporter, or null.
/// \param[out] failure receives the failure when given; may be null.
/// \return true when output was written; false on failure.
UTIL_IMAGERY_EXPORT bool applyTonalCurves(const QString &input, const QString &output,
                                          const RasterCurves &curves,
                                          const ApplyCurvesOptions &options,
                                          ProgressInterface *progress = nullptr,
                                          Failure *failure = nullptr);

} // namespace util
