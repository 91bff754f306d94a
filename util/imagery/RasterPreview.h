#pragma once

/// \file
/// Reading a raster at reduced size, with its histograms, for a curve editor's preview.
/// \ingroup imagery

#include "util/UtilImageryExport.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace util {

struct Failure;

/// A raster read at reduced size for a curve editor's preview, in plain library types.
/// A value type of a few fields that will not grow.
/// \ingroup imagery
struct RasterPreview
{
    int width = 0; ///< The preview's width in pixels.
    int height = 0; ///< The preview's height in pixels.
    int fullWidth = 0; ///< The raster's own width in pixels.
    int fullHeight = 0; ///< The raster's own height in pixels.
    int bandCount = 0; ///< The number of bands, the same in the preview as in the raster.
    /// The highest value of the raster's range, for every band: 2^NBITS - 1 where NBITS is
    /// declared, else 255 or 65535 (the largest over the bands).
    int maxValue = 0;
    /// Per band, width * height samples, row by row from the top left.
    std::vector<std::vector<std::uint16_t>> samples;
    /// Per band: its description, else its colour interpretation, else "band N".
    QStringList bandNames;
    /// Per band: GDAL's name of its colour interpretation ("Red", "Green", "Blue", "Alpha",
    /// "Gray", "Undefined", ...).
    QStringList colourInterpretations;
    /// Per band, maxValue + 1 counts: how many pixels of the full raster hold each value;
    /// exact up to 16 million pixels, beyond that GDAL's estimate from overviews or a sample
    /// of blocks (whose counts then add up to fewer than the raster's pixels).
    std::vector<std::vector<std::uint64_t>> histograms;
};

/// Reads the raster at path so that neither side of the preview exceeds maxSize pixels (the
/// aspect ratio kept; a smaller raster is read whole), taking the raster's overviews where it
/// has them. Only unsigned 8- and 16-bit rasters are read. False with *failure naming path;
/// preview is then left empty.
/// \param path the raster read.
/// \param maxSize the largest width or height of the preview, in pixels; below 1 counts as 1.
/// \param[out] preview receives the preview; emptied first.
/// \param[out] failure receives the failure when given; may be null.
/// \return true when the preview was read; false on failure.
UTIL_IMAGERY_EXPORT bool readRasterPreview(const QString &path, int maxSize, RasterPreview &preview,
                                           Failure *failure = nullptr);

} // namespace util
