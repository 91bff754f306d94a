#pragma once

// Rasters made for the imagery tests through GDAL's own API, and what the tests read back.

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <gdal.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace quortest {

/// What a test raster holds besides its pixels.
struct RasterShape
{
    int width = 16;
    int height = 16;
    int bands = 1;
    GDALDataType type = GDT_UInt16;
    QStringList creationOptions; // NAME=VALUE
    QStringList descriptions; // per band, may be shorter
    std::vector<GDALColorInterp> interps; // per band, may be shorter
    bool hasNodata = false;
    double nodata = 0;
    bool georeferenced = true;
};

/// The creation options of a tiled GeoTIFF with blocks of x by y pixels.
inline QStringList tiled(int x, int y)
{
    return {"TILED=YES", QStringLiteral("BLOCKXSIZE=%1").arg(x),
            QStringLiteral("BLOCKYSIZE=%1").arg(y)};
}

/// Writes a GeoTIFF at path; value(band, x, y) gives each pixel (band from 1).
void makeRaster(const QString &path, const RasterShape &shape,
                const std::function<unsigned(int band, int x, int y)> &value);

/// Band `band` (from 1) of the raster at path, row by row.
std::vector<std::uint16_t> readBand(const QString &path, int band);

/// `gdalinfo -json` of the raster at path, through GDAL's library call.
QJsonObject gdalInfo(const QString &path);

/// The table `quorutil lut CURVE --samples N [--band B]` prints, as floats.
std::vector<float> lutTable(const QString &curveFile, int samples, const QString &band = QString());

/// Names of the files in dir (hidden ones included), sorted.
QStringList filesIn(const QString &dir);

} // namespace quortest
