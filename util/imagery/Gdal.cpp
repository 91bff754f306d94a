#include "util/imagery/Gdal_p.h"

#include "util/files/Failure.h"

#include <cpl_error.h>
#include <gdal_pam.h>

#include <QFile>

#include <mutex>

namespace util {
namespace detail {

void ensureGdal()
{
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

QuietGdal::QuietGdal()
{
    CPLPushErrorHandler(CPLQuietErrorHandler);
    CPLErrorReset();
}

QuietGdal::~QuietGdal()
{
    CPLPopErrorHandler();
}

QString gdalReason(const char *fallback)
{
    const char *message = CPLGetLastErrorMsg();
    if (CPLGetLastErrorType() >= CE_Failure && message && *message)
        return QString::fromUtf8(message).simplified();
    return QString::fromUtf8(fallback);
}

void DatasetClose::operator()(GDALDataset *dataset) const
{
    GDALClose(GDALDataset::ToHandle(dataset));
}

void neverSave(GDALDataset *dataset)
{
    if (auto *pam = dynamic_cast<GDALPamDataset *>(dataset))
        pam->SetPamFlags(pam->GetPamFlags() | GPF_NOSAVE);
}

bool openRaster(const QString &path, DatasetPtr &dataset, Failure *failure)
{
    ensureGdal();
    const QByteArray local = QFile::encodeName(path);
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly)) {
        const int error = errno;
        return fail(failure, Failure::system(error ? error : ENOENT, path));
    }
    probe.close();
    CPLErrorReset();
    dataset.reset(GDALDataset::FromHandle(GDALOpenEx(
        local.constData(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
    if (!dataset)
        return fail(failure, Failure::other(path, gdalReason("not a raster that GDAL reads")));
    neverSave(dataset.get());
    if (dataset->GetRasterCount() < 1) {
        dataset.reset();
        return fail(failure, Failure::other(path, QStringLiteral("holds no raster band")));
    }
    return true;
}

int bandMaxValue(GDALRasterBand *band)
{
    const GDALDataType type = band->GetRasterDataType();
    int bits = 0;
    if (type == GDT_Byte) {
        const char *pixelType = band->GetMetadataItem("PIXELTYPE", "IMAGE_STRUCTURE");
        if (pixelType && EQUAL(pixelType, "SIGNEDBYTE"))
            return 0;
        bits = 8;
    } else if (type == GDT_UInt16) {
        bits = 16;
    } else {
        return 0;
    }
    if (const char *nbits = band->GetMetadataItem("NBITS", "IMAGE_STRUCTURE")) {
        const int declared = atoi(nbits);
        if (declared >= 1 && declared < bits)
            bits = declared;
    }
    return (1 << bits) - 1;
}

QString unsupportedType(GDALDataset *dataset)
{
    const GDALDataType first = dataset->GetRasterBand(1)->GetRasterDataType();
    for (int i = 1; i <= dataset->GetRasterCount(); ++i) {
        GDALRasterBand *band = dataset->GetRasterBand(i);
        const GDALDataType type = band->GetRasterDataType();
        if (bandMaxValue(band) == 0) {
            const char *name = type == GDT_Byte ? "signed 8-bit" : GDALGetDataTypeName(type);
            return QStringLiteral(
                       "band %1 is %2: only unsigned 8- and 16-bit rasters are supported")
                .arg(i)
                .arg(QString::fromUtf8(name));
        }
        if (type != first)
            return QStringLiteral(
                       "band %1 is %2 but band 1 is %3: the bands must share one data type")
                .arg(i)
                .arg(QString::fromUtf8(GDALGetDataTypeName(type)),
                     QString::fromUtf8(GDALGetDataTypeName(first)));
    }
    return QString();
}

QString bandName(GDALRasterBand *band)
{
    const QString description = QString::fromUtf8(band->GetDescription()).trimmed();
    if (!description.isEmpty())
        return description;
    const GDALColorInterp interp = band->GetColorInterpretation();
    if (interp != GCI_Undefined)
        return QString::fromUtf8(GDALGetColorInterpretationName(interp));
    return QStringLiteral("band %1").arg(band->GetBand());
}

} // namespace detail
} // namespace util
