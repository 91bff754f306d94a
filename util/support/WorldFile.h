#pragma once

/// \file
/// World files: the six numbers that place a raster in map coordinates, and grids derived
/// from them.
/// \ingroup support

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
/// \ingroup support
class UTIL_EXPORT WorldFile
{
public:
    /// Not valid, then read(path).
    /// \param path the world file to read
    explicit WorldFile(const std::string &path);
    /// The four fields given, no rotation, valid.
    /// \param topLeftX the map x of the centre of the upper-left pixel
    /// \param topLeftY the map y of the centre of the upper-left pixel
    /// \param cellSizeX the pixel size along x
    /// \param cellSizeY the pixel size along y, positive for a north-up grid
    WorldFile(double topLeftX, double topLeftY, double cellSizeX, double cellSizeY);
    /// A grid turned by angle (radians) with square cells of cellSize, its upper-left pixel at
    /// topLeft (x, y).
    /// \param topLeft the map x and y of the centre of the upper-left pixel
    /// \param angle the rotation, in radians
    /// \param cellSize the side of a cell
    WorldFile(std::pair<double, double> topLeft, double angle, double cellSize);
    /// The six numbers in the order the file holds them (A, D, B, E, C, F: pixel width, row
    /// rotation, column rotation, pixel height with its sign, centre of the upper-left pixel),
    /// valid.
    /// \param fileNumbers the six numbers, the fourth with the file's sign
    explicit WorldFile(const std::array<double, 6> &fileNumbers);

    /// Reads the six numbers (separated by any white space; what follows the sixth is not
    /// read). False, and not valid, when the path is empty, the file cannot be opened or is
    /// larger than 64 KiB, or a number is missing or malformed; the numbers read before the
    /// failure keep their new values.
    /// \param path the world file to read
    /// \return true when all six numbers were read
    bool read(const std::string &path);
    /// As read(path), with the failure in *failure (when given): a system error, or where in
    /// the file the numbers went wrong.
    /// \param path the world file to read
    /// \param[out] failure receives the failure when given; may be null
    /// \return true when all six numbers were read
    bool read(const std::string &path, Failure *failure);
    /// Writes the six lines in fixed notation with the decimal point always shown: the cell
    /// sizes with cellSizePrecision digits after the point, the rest with coordinatePrecision.
    /// The file is replaced whole or not at all; false when it cannot be written.
    /// The numbers are written whether or not the object is valid.
    /// \param path the world file to write
    /// \param coordinatePrecision digits after the point of the rotation terms and the position
    /// \param cellSizePrecision digits after the point of the two cell sizes
    /// \return true when the file is written
    bool saveAs(const std::string &path, unsigned int coordinatePrecision,
                unsigned int cellSizePrecision) const;
    /// As saveAs(path, coordinatePrecision, cellSizePrecision), with the failure in *failure
    /// (when given).
    /// \param path the world file to write
    /// \param coordinatePrecision digits after the point of the rotation terms and the position
    /// \param cellSizePrecision digits after the point of the two cell sizes
    /// \param[out] failure receives the failure when given (a system error naming path); may
    /// be null
    /// \return true when the file is written
    bool saveAs(const std::string &path, unsigned int coordinatePrecision,
                unsigned int cellSizePrecision, Failure *failure) const;

    /// Rescales the grid so one new pixel covers factor x factor old ones: the upper-left pixel
    /// centre moves by half the difference of the pixel sizes, the cell sizes grow by factor.
    /// The rotation terms stay as they are.
    /// \param factor how many old pixels one new pixel spans in each direction
    void minify(double factor);
    /// Moves the grid by dx, dy map units.
    /// \param dx added to the map x of the upper-left pixel
    /// \param dy added to the map y of the upper-left pixel
    void applyOffset(double dx, double dy);

    /// Whether the six numbers are set: by a constructor with values or a successful read().
    /// \return true when valid
    bool isValid() const { return m_valid; }
    /// The map x of the centre of the upper-left pixel (the file's fifth number).
    /// \return the x coordinate
    double topLeftX() const { return m_topLeftX; }
    /// The map y of the centre of the upper-left pixel (the file's sixth number).
    /// \return the y coordinate
    double topLeftY() const { return m_topLeftY; }
    /// The pixel size along x (the file's first number).
    /// \return the cell size
    double cellSizeX() const { return m_cellSizeX; }
    /// The pixel size along y, with the opposite sign of the file's fourth number.
    /// \return the cell size, positive for a north-up grid
    double cellSizeY() const { return m_cellSizeY; }
    /// The column rotation term (the file's third number).
    /// \return the rotation term
    double rotX() const { return m_rotX; }
    /// The row rotation term (the file's second number).
    /// \return the rotation term
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
/// \param wf the grid
/// \return the numbers, as the file holds them
UTIL_EXPORT std::array<double, 6> worldFileNumbers(const WorldFile &wf);

/// The same grid as GDAL's geotransform: upper-left corner x, pixel width, column rotation,
/// upper-left corner y, row rotation, pixel height (negative north-up). The corner is half a
/// pixel up and left of the world file's centre, along the rotated axes.
/// \param wf the grid
/// \return the geotransform
UTIL_EXPORT std::array<double, 6> geoTransform(const WorldFile &wf);

/// The grid of the image reduced by factor in both directions, as `gdal_translate -outsize`
/// places it: the upper-left corner stays, all four of the pixel size and rotation terms grow
/// by factor. (WorldFile::minify keeps the rotation terms and moves the centre along the
/// unrotated axes, which puts a rotated grid elsewhere.)
/// \param wf the grid of the full image
/// \param factor how many old pixels one new pixel spans in each direction
/// \return the grid of the reduced image, valid
UTIL_EXPORT WorldFile minifiedGrid(const WorldFile &wf, double factor);

/// The grid of the window whose upper-left pixel is pixel (column, row) of wf, as
/// `gdal_translate -srcwin column row ...` places it: rows count downward, and the rotation
/// terms move the origin too.
/// \param wf the grid of the full image
/// \param column the column of the window's upper-left pixel, from 0
/// \param row the row of the window's upper-left pixel, from 0
/// \return the grid of the window, valid
UTIL_EXPORT WorldFile windowGrid(const WorldFile &wf, double column, double row);

/// True when all six numbers are finite.
/// \param wf the grid
/// \return true when no number is infinite or NaN
UTIL_EXPORT bool isFinite(const WorldFile &wf);

} // namespace util
