#pragma once

// Internal: what the imagery family needs of GDAL, in one place. Not part of the library's
// interface; GDAL's headers never reach a public header.

#include <QString>

#include <gdal_priv.h>

#include <memory>

namespace util {

struct Failure;

namespace detail {

/// Registers GDAL's drivers once per process.
void ensureGdal();

/// While alive, GDAL's messages on this thread go nowhere instead of to stderr: the library
/// reports through Failure. The handler stack is per thread, so every thread that calls GDAL
/// keeps one.
class QuietGdal
{
public:
    QuietGdal();
    ~QuietGdal();
    QuietGdal(const QuietGdal &) = delete;
    QuietGdal &operator=(const QuietGdal &) = delete;
};

/// GDAL's last error message on this thread, or fallback when there is none.
QString gdalReason(const char *fallback);

struct DatasetClose
{
    void operator()(GDALDataset *dataset) const;
};
using DatasetPtr = std::unique_ptr<GDALDataset, DatasetClose>;

/// Keeps GDAL from writing a ".aux.xml" beside a raster we only read (a histogram asked for
/// would otherwise be saved there when the dataset closes).
void neverSave(GDALDataset *dataset);

/// Opens path read-only as a raster (neverSave); false with *failure naming path.
bool openRaster(const QString &path, DatasetPtr &dataset, Failure *failure);

/// The band's highest meaningful value: 2^NBITS - 1 where NBITS is declared (IMAGE_STRUCTURE),
/// else the data type's maximum; 0 for a type other than unsigned 8 or 16 bits.
int bandMaxValue(GDALRasterBand *band);

/// Null when every band is unsigned 8- or 16-bit of one type; else the reason, naming the band.
QString unsupportedType(GDALDataset *dataset);

/// The band's name for people: its description, else its colour interpretation, else
/// "band N".
QString bandName(GDALRasterBand *band);

} // namespace detail
} // namespace util
