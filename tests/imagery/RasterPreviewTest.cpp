// Raster previews for the curve editor: reduced size, overviews, names, ranges, histograms.

#include "tests/common/TestUtil.h"
#include "tests/imagery/ImageryTestUtil.h"

#include "util/files/Failure.h"
#include "util/imagery/RasterPreview.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <gdal_priv.h>

#include <cerrno>
#include <numeric>

using namespace quortest;

namespace {

TEST(RasterPreview, AStripIsReadAtReducedSizeWithItsNamesAndRange)
{
    QTemporaryDir dir;
    RasterShape shape;
    shape.width = 2000;
    shape.height = 100;
    shape.bands = 3;
    shape.creationOptions << "NBITS=12";
    shape.descriptions = QStringList {"RED", "", ""};
    shape.interps = {GCI_RedBand, GCI_GreenBand, GCI_Undefined};
    const QString in = dir.filePath("strip.tif");
    makeRaster(in, shape, [](int b, int x, int) { return unsigned(x * 2 + b) % 4096; });

    util::RasterPreview p;
    util::Failure failure;
    ASSERT_TRUE(util::readRasterPreview(in, 500, p, &failure)) << failure.text().toStdString();
    EXPECT_EQ(p.fullWidth, 2000);
    EXPECT_EQ(p.fullHeight, 100);
    EXPECT_EQ(p.width, 500);
    EXPECT_EQ(p.height, 25);
    EXPECT_EQ(p.bandCount, 3);
    EXPECT_EQ(p.maxValue, 4095);
    EXPECT_EQ(p.bandNames, (QStringList {"RED", "Green", "band 3"}));
    EXPECT_EQ(p.colourInterpretations, (QStringList {"Red", "Green", "Undefined"}));
    ASSERT_EQ(p.samples.size(), 3u);
    ASSERT_EQ(p.samples[0].size(), 500u * 25u);
    // Every fourth column, nearest neighbour: values of the raster, in order.
    for (int x = 0; x < 500; ++x) {
        const unsigned v = p.samples[0][std::size_t(x)];
        EXPECT_EQ((v - 1) % 2, 0u);
        EXPECT_NEAR(double(v), double(x * 8 + 1), 8.0) << x;
    }
    // The whole raster in the histogram: 100 rows of 2000 values.
    ASSERT_EQ(p.histograms.size(), 3u);
    ASSERT_EQ(p.histograms[0].size(), 4096u);
    EXPECT_EQ(std::accumulate(p.histograms[0].begin(), p.histograms[0].end(), std::uint64_t(0)),
              200000u);
    EXPECT_EQ(p.histograms[0][1], 100u);
    EXPECT_EQ(p.histograms[0][2], 0u);
    // Reading leaves nothing beside the raster (GDAL would save the histogram in a sidecar).
    EXPECT_EQ(filesIn(dir.path()), QStringList {"strip.tif"});
}

TEST(RasterPreview, OverviewsAreTakenWhereTheRasterHasThem)
{
    QTemporaryDir dir;
    RasterShape shape;
    shape.width = shape.height = 512;
    shape.type = GDT_Byte;
    const QString in = dir.filePath("in.tif");
    makeRaster(in, shape, [](int, int, int) { return 10u; });
    {
        GDALDataset *ds = GDALDataset::Open(QFile::encodeName(in).constData(), GDAL_OF_UPDATE);
        const int levels[] = {4};
        ASSERT_EQ(ds->BuildOverviews("NEAREST", 1, levels, 0, nullptr, nullptr, nullptr, nullptr),
                  CE_None);
        // An overview that differs from the full raster shows which one was read.
        GDALRasterBand *overview = ds->GetRasterBand(1)->GetOverview(0);
        ASSERT_EQ(overview->Fill(77), CE_None);
        GDALClose(ds);
    }
    util::RasterPreview p;
    ASSERT_TRUE(util::readRasterPreview(in, 128, p));
    EXPECT_EQ(p.width, 128);
    EXPECT_EQ(p.maxValue, 255);
    EXPECT_EQ(p.samples[0][0], 77);
    ASSERT_TRUE(util::readRasterPreview(in, 1000, p));
    EXPECT_EQ(p.width, 512);
    EXPECT_EQ(p.samples[0][0], 10);
}

TEST(RasterPreview, FailuresNameTheFile)
{
    QTemporaryDir dir;
    util::RasterPreview p;
    util::Failure failure;
    EXPECT_FALSE(util::readRasterPreview(dir.filePath("missing.tif"), 100, p, &failure));
    EXPECT_EQ(failure.error, ENOENT);
    EXPECT_EQ(failure.path, dir.filePath("missing.tif"));

    writeFile(dir.filePath("text.tif"), "not a raster\n");
    EXPECT_FALSE(util::readRasterPreview(dir.filePath("text.tif"), 100, p, &failure));
    EXPECT_EQ(failure.path, dir.filePath("text.tif"));
    EXPECT_FALSE(failure.reason.isEmpty());

    RasterShape shape;
    shape.type = GDT_Float32;
    makeRaster(dir.filePath("float.tif"), shape, [](int, int, int) { return 1u; });
    EXPECT_FALSE(util::readRasterPreview(dir.filePath("float.tif"), 100, p, &failure));
    EXPECT_EQ(failure.reason,
              "band 1 is Float32: only unsigned 8- and 16-bit rasters are supported");
    EXPECT_EQ(p.bandCount, 0);
    EXPECT_TRUE(p.samples.empty());
}

} // namespace
