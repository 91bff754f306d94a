// quorutil tfw beside GDAL: the six numbers named as gdalinfo names them, and minified or
// windowed grids where gdal_translate puts them.

#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

class TfwCommandsGdal : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("gdalinfo")).isEmpty()) {
            if (qEnvironmentVariableIsSet("CI"))
                FAIL() << "gdalinfo is missing; scripts/setup-deps installs gdal-bin";
            GTEST_SKIP() << "gdalinfo not installed";
        }
    }

    QByteArray run(const QString &program, const QStringList &args)
    {
        QProcess process;
        process.start(program, args);
        process.waitForFinished(60000);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return process.readAllStandardOutput();
    }

    // A 16 x 16 image placed by the world file tfw.
    QString image(const char *tfw)
    {
        quortest::writeFile(dir.filePath("plain.pgm"),
                            QByteArray("P5\n16 16\n255\n") + QByteArray(256, '\x40'));
        const QString tif = dir.filePath("img.tif");
        QFile::remove(tif);
        run("gdal_translate", {"-q", "-of", "GTiff", dir.filePath("plain.pgm"), tif});
        QFile::remove(dir.filePath("img.tfw"));
        EXPECT_TRUE(QFile::copy(quortest::dataPath(QStringLiteral("support/sidecars/") + tfw),
                                dir.filePath("img.tfw")));
        return tif;
    }

    static std::vector<double> numbers(const QJsonValue &value)
    {
        std::vector<double> n;
        for (const QJsonValue &v : value.toArray())
            n.push_back(v.toDouble());
        return n;
    }

    static void expectNear(const std::vector<double> &a, const std::vector<double> &b,
                           const std::string &what)
    {
        ASSERT_EQ(a.size(), b.size()) << what;
        for (std::size_t i = 0; i < a.size(); ++i)
            EXPECT_NEAR(a[i], b[i], 1e-7 * std::max(1.0, std::fabs(b[i]))) << what << " " << i;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(TfwCommandsGdal, ShowNamesTheNumbersAsGdalinfoDoes)
{
    for (const char *tfw : {"north_up.tfw", "rotated.tfw"}) {
        const QString tif = image(tfw);
        const QJsonObject gdal = QJsonDocument::fromJson(run("gdalinfo", {"-json", tif})).object();
        const quortest::ToolResult r =
            quortest::runTool({"tfw", "show", "--json", dir.filePath("img.tfw")});
        ASSERT_EQ(r.code, 0) << r.err;
        const QJsonObject ours = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
        expectNear(numbers(ours.value("geoTransform")), numbers(gdal.value("geoTransform")), tfw);
        expectNear(numbers(ours.value("upperLeftCorner")),
                   numbers(gdal.value("cornerCoordinates").toObject().value("upperLeft")), tfw);
        const std::vector<double> gt = numbers(gdal.value("geoTransform"));
        expectNear(numbers(ours.value("pixelSize")), {gt[1], gt[5]}, tfw);
        expectNear(numbers(ours.value("rotation")), {gt[2], gt[4]}, tfw);
    }
    // In text, the pixel height keeps the file's sign and the centre is called the centre.
    const quortest::ToolResult text =
        quortest::runTool({"tfw", "show", quortest::dataPath("support/sidecars/north_up.tfw")});
    ASSERT_EQ(text.code, 0) << text.err;
    for (const char *line :
         {"pixel size: 0.5 x -0.25\n", "rotation: 0 0\n", "upper-left corner: 999.75 5000.125\n",
          "centre of the upper-left pixel: 1000 5000\n"})
        EXPECT_NE(text.out.find(line), std::string::npos) << line << "\n" << text.out;
}

TEST_F(TfwCommandsGdal, MinifyAndPixelOffsetsAgreeWithGdalTranslate)
{
    const QString tif = image("rotated.tfw");
    run("gdal_translate",
        {"-q", "-outsize", "4", "4", "-co", "TFW=YES", tif, dir.filePath("min.tif")});
    run("gdal_translate",
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
