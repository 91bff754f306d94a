// quorutil tfw beside GDAL: the six numbers named as gdalinfo names them, and minified or
// windowed grids where gdal_translate puts them.

#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"
#include "tests/support/SupportTestUtil.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using quortest::expectNear;
using quortest::jsonNumbers;
using quortest::runGdal;

class TfwCommandsGdal : public ::testing::Test
{
protected:
    void SetUp() override { quortest::requireGdalPrograms(); }

    // A 16 x 16 image placed by the world file tfw.
    QString image(const char *tfw)
    {
        quortest::writeFile(dir.filePath("plain.pgm"),
                            QByteArray("P5\n16 16\n255\n") + QByteArray(256, '\x40'));
        const QString tif = dir.filePath("img.tif");
        QFile::remove(tif);
        runGdal("gdal_translate", {"-q", "-of", "GTiff", dir.filePath("plain.pgm"), tif});
        QFile::remove(dir.filePath("img.tfw"));
        EXPECT_TRUE(QFile::copy(quortest::dataPath(QStringLiteral("support/sidecars/") + tfw),
                                dir.filePath("img.tfw")));
        return tif;
    }

    QTemporaryDir dir;
};

} // namespace

// The text form's own words: SidecarCommandsTest.
TEST_F(TfwCommandsGdal, ShowNamesTheNumbersAsGdalinfoDoes)
{
    for (const char *tfw : {"north_up.tfw", "rotated.tfw"}) {
        const QString tif = image(tfw);
        const QJsonObject gdal =
            QJsonDocument::fromJson(runGdal("gdalinfo", {"-json", tif})).object();
        const quortest::ToolResult r =
            quortest::runTool({"tfw", "show", "--json", dir.filePath("img.tfw")});
        ASSERT_EQ(r.code, 0) << r.err;
        const QJsonObject ours = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
        expectNear(jsonNumbers(ours.value("geoTransform")), jsonNumbers(gdal.value("geoTransform")),
                   tfw);
        expectNear(jsonNumbers(ours.value("upperLeftCorner")),
                   jsonNumbers(gdal.value("cornerCoordinates").toObject().value("upperLeft")), tfw);
        const std::vector<double> gt = jsonNumbers(gdal.value("geoTransform"));
        expectNear(jsonNumbers(ours.value("pixelSize")), {gt[1], gt[5]}, tfw);
        expectNear(jsonNumbers(ours.value("rotation")), {gt[2], gt[4]}, tfw);
    }
}

TEST_F(TfwCommandsGdal, MinifyAndPixelOffsetsAgreeWithGdalTranslate)
{
    const QString tif = image("rotated.tfw");
    runGdal("gdal_translate",
            {"-q", "-outsize", "4", "4", "-co", "TFW=YES", tif, dir.filePath("min.tif")});
    runGdal("gdal_translate",
            {"-q", "-srcwin", "5", "7", "4", "4", "-co", "TFW=YES", tif, dir.filePath("win.tif")});
    ASSERT_EQ(quortest::runTool({"tfw", "minify", dir.filePath("img.tfw"), "4", "-o",
                                 dir.filePath("ours_min.tfw")})
                  .code,
              0);
    ASSERT_EQ(quortest::runTool({"tfw", "offset", dir.filePath("img.tfw"), "5", "7", "--pixels",
                                 "-o", dir.filePath("ours_win.tfw")})
                  .code,
              0);
    const auto fileNumbers = [](const QString &path) {
        std::vector<double> n;
        for (const QByteArray &line : quortest::readFile(path).split('\n'))
            if (!line.trimmed().isEmpty())
                n.push_back(line.trimmed().toDouble());
        return n;
    };
    expectNear(fileNumbers(dir.filePath("ours_min.tfw")), fileNumbers(dir.filePath("min.tfw")),
               "minify");
    expectNear(fileNumbers(dir.filePath("ours_win.tfw")), fileNumbers(dir.filePath("win.tfw")),
               "offset");
    EXPECT_NE(quortest::runTool({"tfw", "offset", "--help"}).out.find("-srcwin"),
              std::string::npos);
}
