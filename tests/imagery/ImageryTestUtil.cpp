#include "tests/imagery/ImageryTestUtil.h"

#include "tests/common/ToolRun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <cpl_string.h>
#include <gdal_utils.h>
#include <ogr_srs_api.h>

#include <stdexcept>

namespace quortest {

void makeRaster(const QString &path, const RasterShape &shape,
                const std::function<unsigned(int band, int x, int y)> &value)
{
    GDALAllRegister();
    CPLStringList options;
    for (const QString &o : shape.creationOptions)
        options.AddString(o.toUtf8().constData());
    GDALDatasetH ds = GDALCreate(GDALGetDriverByName("GTiff"), QFile::encodeName(path).constData(),
                                 shape.width, shape.height, shape.bands, shape.type, options.List());
    if (!ds)
        throw std::runtime_error("cannot create " + path.toStdString());
    if (shape.georeferenced) {
        double transform[6] = {300000, 2, 0, 5000000, 0, -2};
        GDALSetGeoTransform(ds, transform);
        OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
        OSRImportFromEPSG(srs, 32632);
        GDALSetSpatialRef(ds, srs);
        OSRDestroySpatialReference(srs);
    }
    std::vector<double> row(std::size_t(shape.width));
    for (int b = 1; b <= shape.bands; ++b) {
        GDALRasterBandH band = GDALGetRasterBand(ds, b);
        if (b <= shape.descriptions.size())
            GDALSetDescription(band, shape.descriptions[b - 1].toUtf8().constData());
        if (std::size_t(b) <= shape.interps.size())
            GDALSetRasterColorInterpretation(band, shape.interps[std::size_t(b - 1)]);
        if (shape.hasNodata)
            GDALSetRasterNoDataValue(band, shape.nodata);
        for (int y = 0; y < shape.height; ++y) {
            for (int x = 0; x < shape.width; ++x)
                row[std::size_t(x)] = value(b, x, y);
            if (GDALRasterIO(band, GF_Write, 0, y, shape.width, 1, row.data(), shape.width, 1,
                             GDT_Float64, 0, 0)
                != CE_None)
                throw std::runtime_error("cannot write " + path.toStdString());
        }
    }
    GDALClose(ds);
}

std::vector<std::uint16_t> readBand(const QString &path, int band)
{
    GDALAllRegister();
    GDALDatasetH ds = GDALOpen(QFile::encodeName(path).constData(), GA_ReadOnly);
    if (!ds)
        throw std::runtime_error("cannot open " + path.toStdString());
    const int w = GDALGetRasterXSize(ds), h = GDALGetRasterYSize(ds);
    std::vector<std::uint16_t> values(std::size_t(w) * std::size_t(h));
    const CPLErr result = GDALRasterIO(GDALGetRasterBand(ds, band), GF_Read, 0, 0, w, h,
                                       values.data(), w, h, GDT_UInt16, 0, 0);
    GDALClose(ds);
    if (result != CE_None)
        throw std::runtime_error("cannot read " + path.toStdString());
    return values;
}

QJsonObject gdalInfo(const QString &path)
{
    GDALAllRegister();
    GDALDatasetH ds = GDALOpen(QFile::encodeName(path).constData(), GA_ReadOnly);
    if (!ds)
        throw std::runtime_error("cannot open " + path.toStdString());
    char *args[] = {const_cast<char *>("-json"), const_cast<char *>("-mdd"),
                    const_cast<char *>("all"), nullptr};
    GDALInfoOptions *options = GDALInfoOptionsNew(args, nullptr);
    char *text = GDALInfo(ds, options);
    GDALInfoOptionsFree(options);
    GDALClose(ds);
    const QJsonObject json = QJsonDocument::fromJson(QByteArray(text)).object();
    CPLFree(text);
    return json;
}

std::vector<float> lutTable(const QString &curveFile, int samples, const QString &band)
{
    QStringList args {"lut", curveFile, "--samples", QString::number(samples)};
    if (!band.isEmpty())
        args << "--band" << band;
    const ToolResult result = runTool(args);
    if (result.code != 0)
        throw std::runtime_error("lut failed: " + result.err);
    std::vector<float> table;
    for (const QByteArray &line : QByteArray::fromStdString(result.out).split('\n'))
        if (!line.isEmpty())
            table.push_back(line.toFloat());
    return table;
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace quortest
