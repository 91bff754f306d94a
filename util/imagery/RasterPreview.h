#pragma once

#include "util/UtilImageryExport.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace util {

struct Failure;

/// A raster read at reduced size for a curve editor's preview, in plain library types.
/// A value type of a few fields that will not grow.
struct RasterPreview
{
    /// The preview's size in pixels, and the raster's own.
    int width = 0;
    int height = 0;
    int fullWidth = 0;
    int fullHeight = 0;
    int bandCount = 0;
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
UTIL_IMAGERY_EXPORT bool readRasterPreview(const QString &path, int maxSize, RasterPreview &preview,
                                           Failure *failure = nullptr);

} // namespace util
