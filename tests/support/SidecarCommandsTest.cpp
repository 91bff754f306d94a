// quorutil tfw and quorutil lik.

#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"
#include "tests/support/SupportTestUtil.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using quortest::runTool;

namespace {

TEST(SidecarCommands, ShowChangeAndWriteWorldFiles)
{
    QTemporaryDir dir;
    const QString tfw = dir.filePath("a.tfw");
    quortest::writeFile(tfw, "0.5\n0\n0\n-0.5\n500000\n5200000.125\n");

    auto result = runTool({"tfw", "show", tfw});
    EXPECT_EQ(result.code, 0) << result.err;
    // GDAL's names: the pixel height with the file's sign, the corner and the centre apart.
    EXPECT_EQ(result.out,
              "pixel size: 0.5 x -0.5\nrotation: 0 0\n"
              "upper-left corner: 499999.75 5200000.375\n"
              "centre of the upper-left pixel: 500000 5200000.125\n");

    result = runTool(
        {"tfw", "minify", tfw, "4", "-o", "-", "--coord-precision=3", "--cell-precision", "1"});
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, "2.0\n0.000\n0.000\n-2.0\n500000.750\n5199999.375\n");

    const QString out = dir.filePath("moved.tfw");
    result = runTool({"tfw", "offset", tfw, "10", "-20", "--pixels", "-o", out,
                      "--coord-precision=2", "--cell-precision=2"});
    EXPECT_EQ(result.code, 0) << result.err;
    // Rows count downward, as in gdal_translate -srcwin: row -20 lies 10 m north.
    EXPECT_EQ(quortest::readFile(out), "0.50\n0.00\n0.00\n-0.50\n500005.00\n5200010.12\n");

    // Negative numbers are arguments, not options.
    result = runTool({"tfw", "offset", tfw, "-1.5", "2", "-o", "-", "--coord-precision=1",
                      "--cell-precision=1"});
    EXPECT_EQ(result.out, "0.5\n0.0\n0.0\n-0.5\n499998.5\n5200002.1\n");
}

TEST(SidecarCommands, MakeAndShowLinkFiles)
{
    QTemporaryDir dir;
    const QString image = dir.filePath("img.L1.tif");
    quortest::writeFile(image, "raster");
    auto result = runTool({"lik", "make", image});
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, dir.filePath("img.L1.lik").toStdString() + "\n");
    result = runTool({"lik", "show", dir.filePath("img.L1.lik")});
    EXPECT_EQ(result.out, "image: " + image.toStdString() + "\nexists: yes\n");

    result = runTool({"lik", "make", "/elsewhere/b.tif", "-o", "-"});
    EXPECT_EQ(result.code, 0);
    EXPECT_NE(result.out.find("<URI>/elsewhere/b.tif</URI>"), std::string::npos);
}

} // namespace
