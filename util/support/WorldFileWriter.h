#pragma once

/// \file
/// Writing a world file beside the image that a raster image writer produces.
/// \ingroup support

#include "util/UtilExport.h"
#include "util/support/WorldFile.h"

#include "novraster/ImageWriter.h"

namespace util {

/// Writes a world file beside the image that a raster image writer produces: in the image's
/// folder, named after the image's base name (up to the first dot) with ".tfw".
/// \ingroup support
class UTIL_EXPORT WorldFileWriter
{
public:
    /// Note the order: cell-size precision first, coordinate precision second.
    /// \param worldFile the grid to write; copied
    /// \param cellSizePrecision digits after the point of the two cell sizes
    /// \param coordinatePrecision digits after the point of the rotation terms and the position
    WorldFileWriter(const WorldFile &worldFile, unsigned int cellSizePrecision,
                    unsigned int coordinatePrecision);

    /// Writes \<absolute folder of the image\>/\<base name\>.tfw; a failure is not reported.
    /// \param imageWriter the writer of the image, asked for the image's path only
    void write(const novRaster::ImageWriter &imageWriter) const;
    /// Moves the grid by dx, dy pixels (in units of the cell sizes, signs unchanged).
    /// \param dx pixels along x: dx times the cell size x is added to the map x
    /// \param dy pixels along y: dy times the cell size y is added to the map y
    void applyOffsetUsingCellsize(double dx, double dy);

    /// The grid that write() writes.
    /// \return the world file held
    const WorldFile &tfw() const { return m_worldFile; }

private:
    WorldFile m_worldFile;
    unsigned int m_cellSizePrecision;
    unsigned int m_coordinatePrecision;
};

} // namespace util
