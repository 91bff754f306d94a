// Tonal curves applied to rasters: values against the tables `lut` prints, what the output keeps,
// band matching, and what a failure leaves behind.

#include "tests/common/TestUtil.h"
#include "tests/imagery/ImageryTestUtil.h"

#include "util/files/Failure.h"
#include "util/imagery/ApplyCurves.h"
#include "util/progress/ProgressInterface.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gdal_priv.h>

#include <cmath>

#include <sys/stat.h>
#include <unistd.h>

using namespace quortest;

namespace {

GDALDataType typeNamed(const QString &name)
{
    return name == QLatin1String("Byte") ? GDT_Byte : GDT_UInt16;
}

bool apply(const QString &curve, const QString &in, const QString &out, util::Failure *failure,
           int threads = 1, const QStringList &codes = {}, const QStringList &co = {})
{
    util::RasterCurves curves;
    if (!curves.load(curve, failure))
        return false;
    util::ApplyCurvesOptions options;
    options.setThreads(threads);
    options.setBandCodes(codes);
    options.setCreationOptions(co);
    return util::applyTonalCurves(in, out, curves, options, nullptr, failure);
}

class ApplyCurves : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }
};

TEST_F(ApplyCurves, ValuesFollowTheTablesLutPrints)
{
    for (const QString &row : tableLines("imagery/values.txt")) {
        const QStringList f = row.split(' ', Qt::SkipEmptyParts);
        SCOPED_TRACE(row.toStdString());
        RasterShape shape;
        shape.type = typeNamed(f[0]);
        const int typeMax = shape.type == GDT_Byte ? 255 : 65535;
        const int nbits = f[1] == QLatin1String("-") ? 0 : f[1].toInt();
        const int m = f[5].toInt();
        // Every value the raster can hold, once.
        const int values = nbits ? 1 << nbits : typeMax + 1;
        shape.width = shape.height = int(std::lround(std::sqrt(double(values))));
        if (nbits)
            shape.creationOptions << QStringLiteral("NBITS=%1").arg(nbits);
        shape.creationOptions << tiled(16, 16);
        if (f[3] != QLatin1String("-"))
            shape.descriptions << f[3];
        const QString in = path("in-" + f[0] + f[1] + f[2] + ".tif");
        const QString out = path("out.tif");
        makeRaster(in, shape, [&](int, int x, int y) { return unsigned(y * shape.width + x); });

        util::Failure failure;
        ASSERT_TRUE(apply(dataPath("imagery/" + f[2]), in, out, &failure, f[4].toInt()))
            << failure.text().toStdString();
        const std::vector<float> table = lutTable(dataPath("imagery/" + f[2]), m + 1,
                                                  f[3] == QLatin1String("-") ? QString() : f[3]);
        ASSERT_EQ(table.size(), std::size_t(m) + 1);
        const std::vector<std::uint16_t> got = readBand(out, 1);
        const long top = std::min(m, typeMax);
        for (int v = 0; v < values; ++v) {
            const float t = table[std::size_t(std::min(v, m))];
            const long expected =
                std::isnan(t) ? 0 : std::clamp(std::lround(double(t) * m), 0L, top);
            ASSERT_EQ(long(got[std::size_t(v)]), expected) << "value " << v;
        }
    }
}

TEST_F(ApplyCurves, NodataStaysAndNoOtherPixelBecomesNodata)
{
    // steep.xml sends the lowest fifth of the range below 0, i.e. onto the nodata value 0; and
    // the nodata value 4095 at the top is where the curve saturates.
    for (const int nodata : {0, 4095}) {
        RasterShape shape;
        shape.width = shape.height = 64;
        shape.creationOptions << "NBITS=12";
        shape.hasNodata = true;
        shape.nodata = nodata;
        const QString in = path(QStringLiteral("in%1.tif").arg(nodata));
        makeRaster(in, shape, [](int, int x, int y) { return unsigned(y * 64 + x); });
        util::Failure failure;
        ASSERT_TRUE(apply(dataPath("imagery/steep.xml"), in, path("out.tif"), &failure))
            << failure.text().toStdString();
        const std::vector<std::uint16_t> got = readBand(path("out.tif"), 1);
        for (int v = 0; v < 4096; ++v) {
            if (v == nodata)
                EXPECT_EQ(got[std::size_t(v)], nodata);
            else
                ASSERT_NE(got[std::size_t(v)], nodata) << "value " << v << " became nodata";
        }
    }
}

TEST_F(ApplyCurves, OutputDescribesItselfAsTheInputDoes)
{
    RasterShape shape;
    shape.width = 100;
    shape.height = 70;
    shape.bands = 4;
    shape.creationOptions << tiled(32, 32) << "NBITS=12"
                          << "COMPRESS=DEFLATE";
    shape.descriptions = QStringList {"RED", "GRN", "BLU", "NIR"};
    shape.interps = {GCI_RedBand, GCI_GreenBand, GCI_BlueBand, GCI_Undefined};
    shape.hasNodata = true;
    shape.nodata = 7;
    const QString in = path("in.tif");
    makeRaster(in, shape,
               [](int b, int x, int y) { return unsigned(b * 500 + x * 13 + y * 7) % 4096; });
    {
        GDALDataset *ds = GDALDataset::Open(QFile::encodeName(in).constData(), GDAL_OF_UPDATE);
        ds->SetMetadataItem("ACQUISITION", "2026-05-01");
        ds->SetMetadataItem("SENSOR", "quor-4", "MISSION");
        GDALRasterBand *band = ds->GetRasterBand(2);
        band->SetMetadataItem("WAVELENGTH", "560");
        band->SetMetadataItem("GAIN", "1.5", "CALIBRATION");
        band->SetOffset(-10);
        band->SetScale(0.25);
        band->SetUnitType("W/m2/sr/um");
        GDALClose(ds);
    }
    const QString out = path("out.tif");
    util::Failure failure;
    ASSERT_TRUE(apply(dataPath("imagery/rgbn12.bpf"), in, out, &failure, 2))
        << failure.text().toStdString();

    // Everything but the file's own name is the same; the pixels are what changed.
    QJsonObject a = gdalInfo(in), b = gdalInfo(out);
    for (QJsonObject *info : {&a, &b}) {
        info->remove("description");
        info->remove("files");
        // Names derived from the file's path.
        QJsonObject metadata = (*info)["metadata"].toObject();
        metadata.remove("DERIVED_SUBDATASETS");
        (*info)["metadata"] = metadata;
    }
    EXPECT_EQ(a, b) << QJsonDocument(a).toJson().toStdString() << "\n"
                    << QJsonDocument(b).toJson().toStdString();
    EXPECT_TRUE(b["bands"].toArray()[1].toObject()["metadata"].toObject().contains("CALIBRATION"));
    EXPECT_EQ(filesIn(dir.path()), (QStringList {"in.tif", "out.tif"}));
}

TEST_F(ApplyCurves, BandsAreMatchedByNameInterpretationOrList)
{
    for (const quortest::TableRow &row : quortest::tableRows("imagery/bands.txt")) {
        SCOPED_TRACE(row.line);
        const auto cell = [&](int i) { return QString::fromStdString(row[i]).trimmed(); };
        RasterShape shape;
        const QStringList descriptions = cell(0).split(','), interps = cell(1).split(',');
        shape.bands = descriptions.size();
        for (const QString &d : descriptions)
            shape.descriptions << (d == QLatin1String("-") ? QString() : d);
        for (const QString &i : interps)
            shape.interps.push_back(i == QLatin1String("-")
                                        ? GCI_Undefined
                                        : GDALGetColorInterpretationByName(i.toUtf8().constData()));
        const QString in = path("in.tif");
        QFile::remove(in);
        makeRaster(in, shape, [](int, int x, int) { return unsigned(x + 1); });
        const QString list = cell(2);
        util::Failure failure;
        const bool ok = apply(dataPath("imagery/constant.bpf"), in, path("out.tif"), &failure, 1,
                              list == QLatin1String("-") ? QStringList() : list.split(','));
        const QString expected = cell(3);
        if (expected.startsWith(QLatin1String("error: "))) {
            EXPECT_FALSE(ok);
            EXPECT_NE(failure.text().indexOf(expected.mid(7)), -1) << failure.text().toStdString();
            continue;
        }
        ASSERT_TRUE(ok) << failure.text().toStdString();
        const QStringList levels = expected.split(' ', Qt::SkipEmptyParts);
        for (int b = 1; b <= levels.size(); ++b) {
            const std::vector<std::uint16_t> got = readBand(path("out.tif"), b);
            if (levels[b - 1] == QLatin1String("="))
                EXPECT_EQ(got[3], 4) << "band " << b << " (alpha) changed";
            else
                EXPECT_EQ(got[3], levels[b - 1].toInt()) << "band " << b;
        }
    }
}

TEST_F(ApplyCurves, RefusesOtherDataTypes)
{
    for (const GDALDataType type : {GDT_Int16, GDT_Float32, GDT_UInt32}) {
        RasterShape shape;
        shape.type = type;
        const QString in = path(QStringLiteral("in%1.tif").arg(int(type)));
        makeRaster(in, shape, [](int, int, int) { return 1u; });
        util::Failure failure;
        EXPECT_FALSE(apply(dataPath("imagery/linear.xml"), in, path("out.tif"), &failure));
        EXPECT_EQ(failure.path, in);
        EXPECT_NE(failure.reason.indexOf("only unsigned 8- and 16-bit rasters are supported"), -1)
            << failure.text().toStdString();
    }
    EXPECT_FALSE(QFile::exists(path("out.tif")));
}

TEST_F(ApplyCurves, ThreadsWriteTheSameFile)
{
    RasterShape shape;
    shape.width = 300;
    shape.height = 200;
    shape.bands = 3;
    shape.creationOptions = tiled(64, 32);
    shape.interps = {GCI_RedBand, GCI_GreenBand, GCI_BlueBand};
    const QString in = path("in.tif");
    makeRaster(in, shape,
               [](int b, int x, int y) { return unsigned(b * x * 31 + y * 17) % 65536; });
    util::Failure failure;
    ASSERT_TRUE(apply(dataPath("imagery/rgbn12.bpf"), in, path("one.tif"), &failure, 1));
    for (const int threads : {2, 5}) {
        ASSERT_TRUE(apply(dataPath("imagery/rgbn12.bpf"), in, path("many.tif"), &failure, threads))
            << failure.text().toStdString();
        EXPECT_EQ(readFile(path("one.tif")), readFile(path("many.tif"))) << threads << " threads";
    }
}

TEST_F(ApplyCurves, AWideRasterIsWrittenInPiecesOfWholeTiles)
{
    // A block row of 8 MiB is more than one window holds: the windows split it by columns.
    RasterShape shape;
    shape.width = 16384;
    shape.height = 300;
    shape.creationOptions = tiled(256, 256);
    const QString in = path("in.tif");
    makeRaster(in, shape, [](int, int x, int y) { return unsigned(x * 4 + y) % 65536; });
    const std::vector<float> table = lutTable(dataPath("imagery/spline.xml"), 65536);
    for (const int threads : {1, 2}) {
        util::Failure failure;
        ASSERT_TRUE(apply(dataPath("imagery/spline.xml"), in, path("out.tif"), &failure, threads))
            << failure.text().toStdString();
        const std::vector<std::uint16_t> got = readBand(path("out.tif"), 1);
        for (int y = 0; y < shape.height; y += 37)
            for (int x = 0; x < shape.width; x += 41) {
                const unsigned v = unsigned(x * 4 + y) % 65536;
                ASSERT_EQ(got[std::size_t(y) * 16384 + std::size_t(x)],
                          std::clamp(std::lround(double(table[v]) * 65535), 0L, 65535L))
                    << x << "," << y;
            }
    }
}

// A DEFLATE tile whose bytes are garbage: reading fails there, half-way through the raster.
QString damagedRaster(const QString &in)
{
    RasterShape shape;
    shape.width = shape.height = 256;
    shape.bands = 2;
    shape.creationOptions = tiled(32, 32) << "COMPRESS=DEFLATE";
    makeRaster(in, shape, [](int b, int x, int y) { return unsigned(b + x * y) % 65536; });
    GDALDataset *ds = GDALDataset::Open(QFile::encodeName(in).constData(), GDAL_OF_READONLY);
    const char *offset = ds->GetRasterBand(1)->GetMetadataItem("BLOCK_OFFSET_3_5", "TIFF");
    const qint64 at = offset ? QByteArray(offset).toLongLong() : 0;
    GDALClose(ds);
    QFile file(in);
    if (at <= 0 || !file.open(QIODevice::ReadWrite) || !file.seek(at))
        return QString();
    file.write(QByteArray(64, '\x5a'));
    return in;
}

TEST_F(ApplyCurves, AFailureHalfWayKeepsTheOldOutputAndLeavesNoTemporaryFile)
{
    const QString in = damagedRaster(path("in.tif"));
    ASSERT_FALSE(in.isEmpty());
    const QString out = path("out.tif");
    writeFile(out, "the old output");
    // A second name for the output makes the replacement go through a copy in place.
    const QString linked = path("link.tif");
    writeFile(linked, "the old linked output");
    ASSERT_EQ(::link(QFile::encodeName(linked).constData(),
                     QFile::encodeName(path("link2.tif")).constData()),
              0);
    for (const int threads : {1, 3}) {
        for (const QString &target : {out, linked}) {
            util::Failure failure;
            EXPECT_FALSE(apply(dataPath("imagery/linear.xml"), in, target, &failure, threads));
            EXPECT_EQ(failure.path, in) << failure.text().toStdString();
        }
        EXPECT_EQ(readFile(out), "the old output");
        EXPECT_EQ(readFile(linked), "the old linked output");
        EXPECT_EQ(filesIn(dir.path()),
                  (QStringList {"in.tif", "link.tif", "link2.tif", "out.tif"}));
    }
}

// An output with a second name is rewritten in place, so both names see the new raster; a
// read-only one is replaced and keeps its mode.
TEST_F(ApplyCurves, AnOutputKeepsItsOtherNamesAndItsMode)
{
    const QString in = path("in.tif");
    makeRaster(in, RasterShape(), [](int, int x, int y) { return unsigned(x * 1000 + y); });
    const QString linked = path("linked.tif"), other = path("other.tif");
    const QString readOnly = path("read-only.tif");
    writeFile(linked, "old");
    ASSERT_EQ(::link(QFile::encodeName(linked).constData(), QFile::encodeName(other).constData()),
              0);
    writeFile(readOnly, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
    for (const QString &out : {linked, readOnly}) {
        util::Failure failure;
        ASSERT_TRUE(apply(dataPath("imagery/linear.xml"), in, out, &failure))
            << failure.text().toStdString();
        EXPECT_NE(readBand(out, 1), readBand(in, 1)) << out.toStdString();
    }
    struct stat a, b, r;
    ASSERT_EQ(::stat(QFile::encodeName(linked).constData(), &a), 0);
    ASSERT_EQ(::stat(QFile::encodeName(other).constData(), &b), 0);
    ASSERT_EQ(::stat(QFile::encodeName(readOnly).constData(), &r), 0);
    EXPECT_EQ(a.st_ino, b.st_ino);
    EXPECT_EQ(a.st_nlink, 2u);
    EXPECT_EQ(readBand(other, 1), readBand(linked, 1));
    EXPECT_EQ(r.st_mode & 07777, 0444u);
}

TEST_F(ApplyCurves, RefusesTheInputAsOutputAndDriversThatCannotCreate)
{
    RasterShape shape;
    const QString in = path("in.tif");
    makeRaster(in, shape, [](int, int x, int) { return unsigned(x); });
    const QByteArray before = readFile(in);
    util::RasterCurves curves;
    ASSERT_TRUE(curves.load(dataPath("imagery/linear.xml")));
    util::Failure failure;
    EXPECT_FALSE(
        util::applyTonalCurves(in, in, curves, util::ApplyCurvesOptions(), nullptr, &failure));
    EXPECT_EQ(failure.text(), in + ": is the input itself");
    util::ApplyCurvesOptions png;
    png.setDriver("PNG");
    EXPECT_FALSE(util::applyTonalCurves(in, path("out.png"), curves, png, nullptr, &failure));
    EXPECT_EQ(failure.text(),
              path("out.png") + ": GDAL's PNG driver does not write rasters block by block");
    EXPECT_EQ(readFile(in), before);
    EXPECT_EQ(filesIn(dir.path()), QStringList {"in.tif"});
}

class RowCounter : public util::ProgressInterface
{
public:
    double total = 0, last = -1;
    bool rising = true;
    int starts = 0, ends = 0;
    void totalAmount(double t, const char *) override { total = t; }
    void amountDone(double a) override
    {
        rising = rising && a > last;
        last = a;
    }
    void starting(const char *) override { ++starts; }
    void finished(const char *) override { ++ends; }
};

TEST_F(ApplyCurves, ProgressCountsRowsUpToTheHeight)
{
    RasterShape shape;
    shape.width = 40;
    shape.height = 300;
    const QString in = path("in.tif");
    makeRaster(in, shape, [](int, int x, int) { return unsigned(x); });
    util::RasterCurves curves;
    ASSERT_TRUE(curves.load(dataPath("imagery/spline.xml")));
    for (const int threads : {1, 2}) {
        RowCounter progress;
        util::ApplyCurvesOptions options;
        options.setThreads(threads);
        ASSERT_TRUE(util::applyTonalCurves(in, path("out.tif"), curves, options, &progress));
        EXPECT_EQ(progress.total, 300);
        EXPECT_DOUBLE_EQ(progress.last, 300);
        EXPECT_TRUE(progress.rising);
        EXPECT_EQ(progress.starts, 1);
        EXPECT_EQ(progress.ends, 1);
    }
}

} // namespace
