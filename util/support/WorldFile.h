#pragma once

#include "util/UtilExport.h"
#include "util/files/Failure.h"

#include <array>
#include <string>
#include <utility>

namespace util {

/// The six numbers of a world file (".tfw"), which place a raster in map coordinates: cell
/// sizes, rotation terms and the map position of the centre of the upper-left pixel.
///
/// The file holds one number per line: cell size x, rotation y, rotation x, cell size y
/// (negative for a north-up grid), top-left x, top-left y. The object holds cell size y with
/// the opposite sign of the file's fourth number, so a north-up grid has a positive cellSizeY().
class UTIL_EXPORT WorldFile
{
public:
    /// Not valid, then read(path).
    explicit WorldFile(const std::string &path);
    /// The four fields given, no rotation, valid.
    WorldFile(double topLeftX, double topLeftY, double cellSizeX, double cellSizeY);
    /// A grid turned by angle (radians) with square cells of cellSize, its upper-left pixel at
    /// topLeft (x, y).
    WorldFile(std::pair<double, double> topLeft, double angle, double cellSize);
    /// The six numbers in the order the file holds them (A, D, B, E, C, F: pixel width, row
    /// rotation, column rotation, pixel height with its sign, centre of the upper-left pixel),
    /// valid.
    explicit WorldFile(const std::array<double, 6> &fileNumbers);

    /// Reads the six numbers (separated by any white space; what follows the sixth is not
    /// read). False, and not valid, when the path is empty, the file cannot be opened or is
    /// larger than 64 KiB, or a number is missing or malformed; the numbers read before the
    /// failure keep their new values.
    bool read(const std::string &path);
    /// As read(path), with the failure in *failure (when given): a system error, or where in
    /// the file the numbers went wrong.
    bool read(const std::string &path, Failure *failure);
    /// Writes the six lines in fixed notation with the decimal point always shown: the cell
    /// sizes with cellSizePrecision digits after the point, the rest with coordinatePrecision.
    /// The file is replaced whole or not at all; false when it cannot be written.
    bool saveAs(const std::string &path, unsigned int coordinatePrecision,
                unsigned int cellSizePrecision) const;
    /// As saveAs() above, with the failure in *failure (when given).
    bool saveAs(const std::string &path, unsigned int coordinatePrecision,
                unsigned int cellSizePrecision, Failure *failure) const;

    /// Rescales the grid so one new pixel covers factor x factor old ones: the upper-left pixel
    /// centre moves by half the difference of the pixel sizes, the cell sizes grow by factor.
    void minify(double factor);
    /// Moves the grid by dx, dy map units.
    void applyOffset(double dx, double dy);

    bool isValid() const { return m_valid; }
    double topLeftX() const { return m_topLeftX; }
    double topLeftY() const { return m_topLeftY; }
    double cellSizeX() const { return m_cellSizeX; }
    double cellSizeY() const { return m_cellSizeY; }
    double rotX() const { return m_rotX; }
    double rotY() const { return m_rotY; }

private:
    bool m_valid = false;
    double m_topLeftX = 0.0;
    double m_topLeftY = 0.0;
    double m_cellSizeX = 0.0;
    double m_cellSizeY = 0.0;
    double m_rotX = 0.0;
    double m_rotY = 0.0;
};

/// The six numbers of wf in file order (A, D, B, E, C, F), the fourth with the file's sign.
UTIL_EXPORT std::array<double, 6> worldFileNumbers(const WorldFile &wf);

/// The same grid as GDAL's geotransform: upper-left corner x, pixel width, column rotation,
/// upper-left corner y, row rotation, pixel height (negative north-up). The corner is half a
/// pixel up and left of the world file's centre, along the rotated axes.
UTIL_EXPORT std::array<double, 6> geoTransform(const WorldFile &wf);

/// The grid of the image reduced by factor in both directions, as `gdal_translate -outsize`
/// places it: the upper-left corner stays, all four of the pixel size and rotation terms grow
/// by factor. (WorldFile::minify keeps the rotation terms and moves the centre along the
/// unrotated axes, which puts a rotated grid elsewhere.)
UTIL_EXPORT WorldFile minifiedGrid(const WorldFile &wf, double factor);

/// The grid of the window whose upper-left pixel is pixel (column, row) of wf, as
/// `gdal_translate -srcwin column row ...` places it: rows count downward, and the rotation
/// terms move the origin too.
UTIL_EXPORT WorldFile windowGrid(const WorldFile &wf, double column, double row);

/// True when all six numbers are finite.
UTIL_EXPORT bool isFinite(const WorldFile &wf);

} // namespace util
