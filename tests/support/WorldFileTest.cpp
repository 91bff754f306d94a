// World files: reading, writing, resampling and moving, the writer beside an image, and GDAL as
// an independent reader and writer of the same files.

#include "util/support/WorldFile.h"
#include "util/strings/NumberFormat.h"
#include "util/support/WorldFileWriter.h"

#include "tests/common/TestUtil.h"
#include "tests/support/SupportTestUtil.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using Numbers = std::vector<double>;
using ::testing::DoubleEq;
using ::testing::Pointwise;

// The six numbers in the file's order, the fourth as the getter gives it.
Numbers numbers(const util::WorldFile &t)
{
    return {t.cellSizeX(), t.rotY(), t.rotX(), t.cellSizeY(), t.topLeftX(), t.topLeftY()};
}

class WorldFileTest : public ::testing::Test
{
protected:
    std::string path(const char *name) const
    {
        return dir.filePath(QLatin1String(name)).toStdString();
    }
    std::string write(const char *name, const QByteArray &text) const
    {
        quortest::writeFile(QString::fromStdString(path(name)), text);
        return path(name);
    }
    QByteArray contents(const std::string &file) const
    {
        return quortest::readFile(QString::fromStdString(file));
    }
    QTemporaryDir dir;
};

TEST_F(WorldFileTest, ReadsSixNumbersWithTheFourthNegated)
{
    const util::WorldFile tfw(
        write("a.tfw", "0.5\n0.01\n-0.02\n-0.5\n1000.25\n5000.75\nignored\n"));
    ASSERT_TRUE(tfw.isValid());
    EXPECT_EQ(numbers(tfw), (Numbers {0.5, 0.01, -0.02, 0.5, 1000.25, 5000.75}));

    // Any white space separates the numbers; CR LF files read alike.
    EXPECT_TRUE(
        util::WorldFile(write("b.tfw", "0.5 0.01\t-0.02\r\n-0.5  1000.25 5000.75")).isValid());
}

TEST_F(WorldFileTest, AFailedReadKeepsWhatItReadAndIsNotValid)
{
    util::WorldFile tfw(7, 8, 9, 10);
    EXPECT_FALSE(tfw.read(write("five.tfw", "2\n0.1\n0.2\n-3\n100\n")));
    EXPECT_FALSE(tfw.isValid());
    EXPECT_EQ(numbers(tfw), (Numbers {2, 0.1, 0.2, 3, 100, 8})); // the last one never reached

    EXPECT_FALSE(tfw.read(""));
    EXPECT_FALSE(tfw.read(path("missing.tfw")));
    EXPECT_FALSE(tfw.read(dir.path().toStdString()));
    EXPECT_EQ(tfw.topLeftX(), 100);
}

TEST_F(WorldFileTest, MalformedFilesReadAsNotValidWithoutCrashing)
{
    int count = 0;
    for (const quortest::TableRow &row : quortest::tableRows("support/sidecars/bad_rows.txt")) {
        if (row[1] != "invalid")
            continue;
        const QString file = QString::fromStdString("support/sidecars/" + row[0]);
        EXPECT_FALSE(util::WorldFile(quortest::dataPath(file).toStdString()).isValid()) << row.line;
        ++count;
    }
    EXPECT_GE(count, 6);
}

TEST_F(WorldFileTest, MutatedFilesReadAsValidOnlyWithSixNumbers)
{
    const QByteArray original = "0.5\n0.0\n0.0\n-0.5\n500000.25\n5200000.75\n";
    std::mt19937 random(20261206);
    const auto check = [&](const QByteArray &bytes) {
        util::WorldFile tfw(write("m.tfw", bytes));
        // Valid exactly when the first six words are numbers.
        int numbers = 0;
        for (const QByteArray &word : bytes.simplified().split(' ')) {
            double value = 0;
            if (numbers == 6 || !util::parseDouble(word.toStdString(), value))
                break;
            ++numbers;
        }
        EXPECT_EQ(tfw.isValid(), numbers == 6) << bytes.toStdString();
    };
    for (int length = 0; length <= original.size(); ++length)
        check(original.left(length));
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes = original;
        for (int flips = 1 + static_cast<int>(random() % 4); flips > 0; --flips)
            bytes[static_cast<int>(random() % bytes.size())] = "0123456789.-e \nx"[random() % 16];
        check(bytes);
    }
}

TEST_F(WorldFileTest, WritesFixedNotationWithTheDecimalPointAlwaysShown)
{
    const util::WorldFile north(write("n.tfw", "2\n0\n0\n-0.5\n100\n200\n"));
    ASSERT_TRUE(north.saveAs(path("out.tfw"), 3, 1));
    EXPECT_EQ(contents(path("out.tfw")), "2.0\n0.000\n0.000\n-0.5\n100.000\n200.000\n");

    ASSERT_TRUE(north.saveAs(path("zero.tfw"), 0, 0));
    EXPECT_EQ(contents(path("zero.tfw")), "2.\n0.\n0.\n-0.\n100.\n200.\n");

    const util::WorldFile turned({10, 20}, 0, 2);
    EXPECT_EQ(numbers(turned), (Numbers {2, 0, 0, -2, 10, 20}));
    ASSERT_TRUE(turned.saveAs(path("turned.tfw"), 1, 1));
    EXPECT_EQ(contents(path("turned.tfw")), "2.0\n0.0\n-0.0\n2.0\n10.0\n20.0\n");

    // A written file reads back to the same numbers.
    const util::WorldFile again(path("turned.tfw"));
    EXPECT_EQ(again.cellSizeY(), -2);

    // The folder does not exist: false, nothing created.
    EXPECT_FALSE(turned.saveAs(path("no/such/folder.tfw"), 1, 1));
}

TEST_F(WorldFileTest, RotatedGridFollowsTheAngle)
{
    const double angle = M_PI / 6;
    const double c = std::cos(angle) * 2, s = std::sin(angle) * 2;
    EXPECT_THAT(numbers(util::WorldFile({0, 0}, angle, 2)),
                Pointwise(DoubleEq(), Numbers {c, s, -s, -c, 0, 0}));
}

TEST_F(WorldFileTest, MinifyAndOffsetsMoveTheGrid)
{
    util::WorldFile tfw(100, 200, 1, 1);
    tfw.minify(2);
    EXPECT_EQ(numbers(tfw), (Numbers {2, 0, 0, 2, 100.5, 199.5}));
    tfw.applyOffset(-0.5, 10);
    EXPECT_EQ(numbers(tfw), (Numbers {2, 0, 0, 2, 100, 209.5}));

    util::WorldFileWriter writer(util::WorldFile(100, 200, 0.5, 2), 3, 4);
    writer.applyOffsetUsingCellsize(4, -3);
    EXPECT_EQ(writer.tfw().topLeftX(), 102);
    EXPECT_EQ(writer.tfw().topLeftY(), 194);
}

TEST_F(WorldFileTest, WriterPutsTheFileBesideTheImageUnderItsBaseName)
{
    const util::WorldFileWriter writer(util::WorldFile(100, 200, 0.5, 0.25), 2, 3);
    writer.write(novRaster::ImageWriter(path("img.L1.tif")));
    // Coordinates with 3 decimals, cell sizes with 2: the writer hands its precisions across.
    EXPECT_EQ(contents(path("img.tfw")), "0.50\n0.000\n0.000\n-0.25\n100.000\n200.000\n");

    // A relative image path lands beside the image, not in some other folder.
    {
        const quortest::InFolder inside(dir.path());
        writer.write(novRaster::ImageWriter("rel.tif"));
    }
    EXPECT_TRUE(QFile::exists(QString::fromStdString(path("rel.tfw"))));
}

// --- GDAL as an independent reader and writer ------------------------------------------------

class WorldFileGdal : public WorldFileTest
{
protected:
    void SetUp() override { quortest::requireGdalPrograms(); }
};

// The grid functions against GDAL, grid by grid (tests/data/support/grids.txt): gdalinfo places
// an image by the world file we write, and what gdal_translate -outsize and -srcwin write we
// read as the minified and windowed grids.
TEST_F(WorldFileGdal, GridFunctionsPlaceImagesWhereGdalDoes)
{
    const auto fileNumbers = [](const util::WorldFile &wf) {
        const std::array<double, 6> n = util::worldFileNumbers(wf);
        return Numbers(n.begin(), n.end());
    };
    const QString image = dir.filePath("img.tif");
    for (const quortest::TableRow &row : quortest::tableRows("support/grids.txt")) {
        const QStringList n = QString::fromStdString(row[1]).split(' ');
        const QStringList size = QString::fromStdString(row[2]).split(' ');
        const int factor = std::stoi(row[3]);
        const QStringList window = QString::fromStdString(row[4]).split(' ');
        ASSERT_EQ(n.size(), 6) << row.line;
        std::array<double, 6> numbersOfRow;
        for (int i = 0; i < 6; ++i)
            numbersOfRow[std::size_t(i)] = n[i].toDouble();
        const util::WorldFile wf(numbersOfRow);
        const int width = size[0].toInt(), height = size[1].toInt();

        // A grey image without any georeferencing of its own.
        write("plain.pgm",
              "P5\n" + size.join(' ').toLatin1() + "\n255\n" + QByteArray(width * height, '\x40'));
        for (const char *old : {"img.tif", "min.tif", "min.tfw", "win.tif", "win.tfw"})
            QDir(dir.path()).remove(QLatin1String(old));
        quortest::runGdal("gdal_translate",
                          {"-q", "-of", "GTiff", dir.filePath("plain.pgm"), image});
        ASSERT_TRUE(wf.saveAs(path("img.tfw"), 12, 12)) << row.line;

        // gdalinfo names the same six numbers, the origin at the corner.
        const QJsonObject info =
            QJsonDocument::fromJson(quortest::runGdal("gdalinfo", {"-json", image})).object();
        const std::array<double, 6> ours = util::geoTransform(wf);
        quortest::expectNear(quortest::jsonNumbers(info.value("geoTransform")),
                             Numbers(ours.begin(), ours.end()), row.line + ": geoTransform");

        quortest::runGdal("gdal_translate",
                          {"-q", "-outsize", QString::number(width / factor),
                           QString::number(height / factor), "-co", "TFW=YES", image,
                           dir.filePath("min.tif")});
        quortest::expectNear(fileNumbers(util::minifiedGrid(wf, factor)),
                             fileNumbers(util::WorldFile(path("min.tfw"))),
                             row.line + ": -outsize");

        quortest::runGdal("gdal_translate",
                          {"-q", "-srcwin", window[0], window[1], "2", "2", "-co", "TFW=YES", image,
                           dir.filePath("win.tif")});
        quortest::expectNear(
            fileNumbers(util::windowGrid(wf, window[0].toDouble(), window[1].toDouble())),
            fileNumbers(util::WorldFile(path("win.tfw"))), row.line + ": -srcwin");
    }
}

TEST_F(WorldFileTest, FileNumbersRoundTripAndNonFiniteGridsAreTold)
{
    const std::array<double, 6> n {0.3, -0.05, 0.08, -0.4, -120.5, 77.25};
    const util::WorldFile wf(n);
    EXPECT_TRUE(wf.isValid());
    EXPECT_EQ(util::worldFileNumbers(wf), n);
    EXPECT_EQ(wf.cellSizeY(), 0.4); // the object's own sign
    EXPECT_TRUE(util::isFinite(wf));
    EXPECT_FALSE(util::isFinite(
        util::minifiedGrid(util::WorldFile(std::array<double, 6> {10, 0, 0, -10, 0, 0}), 1e308)));
    EXPECT_FALSE(util::isFinite(util::windowGrid(wf, std::nan(""), 0)));
    // North-up, the new functions and the specified minify and offset agree.
    util::WorldFile plain(1000, 5000, 0.5, 0.25);
    const util::WorldFile minified = util::minifiedGrid(plain, 4);
    plain.minify(4);
    EXPECT_THAT(numbers(minified), Pointwise(DoubleEq(), numbers(plain)));
}

} // namespace
