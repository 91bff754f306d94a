#pragma once

#include "util/UtilExport.h"
#include "util/support/WorldFile.h"

#include "novraster/ImageWriter.h"

namespace util {

/// Writes a world file beside the image that a raster image writer produces: in the image's
/// folder, named after the image's base name (up to the first dot) with ".tfw".
class UTIL_EXPORT WorldFileWriter
{
public:
    /// Note the order: cell-size precision first, coordinate precision second.
    WorldFileWriter(const WorldFile &worldFile, unsigned int cellSizePrecision,
                    unsigned int coordinatePrecision);

    /// Writes <absolute folder of the image>/<base name>.tfw; a failure is not reported.
    void write(const novRaster::ImageWriter &imageWriter) const;
    /// Moves the grid by dx, dy pixels (in units of the cell sizes, signs unchanged).
    void applyOffsetUsingCellsize(double dx, double dy);

    const WorldFile &tfw() const { return m_worldFile; }

private:
    WorldFile m_worldFile;
    unsigned int m_cellSizePrecision;
    unsigned int m_coordinatePrecision;
};

} // namespace util
