// Writing level-1 and level-2 support files: the layout byte for byte, round trips, the
// conditional sections, and independence from the process locale.

#include "tests/common/TestUtil.h"
#include "tests/support/SupportTestUtil.h"
#include "util/support/SupportFile.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <limits>
#include <locale>

using quortest::readFile;
using quortest::writeText;
using util::SupportFile;

namespace {

std::string exportL1(SupportFile &r, const QTemporaryDir &dir, bool level0Name = true,
                     bool relative = false, const std::string &name = "out_L1.sup")
{
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    EXPECT_TRUE(r.exportL1SupportFile(path, level0Name, relative));
    return path;
}

std::string exportL2(SupportFile &r, const QTemporaryDir &dir,
                     const std::string &name = "out_L2.sup")
{
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    EXPECT_TRUE(r.exportL2SupportFile(path));
    return path;
}

std::string fileText(const std::string &path)
{
    return readFile(QString::fromStdString(path)).toStdString();
}

bool hasLine(const std::string &text, const std::string &line)
{
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

bool hasLineStarting(const std::string &text, const std::string &start)
{
    return ("\n" + text).find("\n" + start) != std::string::npos;
}

} // namespace

TEST(SupportFile, WritesTheGoldenFiles)
{
    const quortest::ScopedTimeZone tz(quortest::goldenTimeZone);
    QTemporaryDir dir;
    // The grid variant: references and cell size instead of the polynomials, a transverse
    // Mercator section in sci16 and a bare GRID_NAME line.
    SupportFile grid = quortest::goldenL2Record(dir);
    grid.setCellSize(0.25);
    grid.setEllipsoidCenter(1.5, -2.25, 0);
    grid.setProjectionType("TRANSVERSE_MERCATOR_PROJECTION");
    grid.setTMProjectionParams(-0.5, 0.15625, 0.9996);
    struct Row
    {
        const char *golden;
        SupportFile record;
        int level;
    };
    Row rows[] = {
        {"support/golden_L1.sup", quortest::goldenL1Record(dir), 1},
        {"support/golden_L2.sup", quortest::goldenL2Record(dir), 2},
        {"support/golden_L2_grid_tm.sup", grid, 2},
    };
    for (Row &row : rows) {
        const std::string path =
            row.level == 1 ? exportL1(row.record, dir) : exportL2(row.record, dir);
        EXPECT_EQ(row.record.getImageLevel(), row.level) << row.golden;
        EXPECT_EQ(fileText(path), readFile(quortest::dataPath(row.golden)).toStdString())
            << row.golden;
        EXPECT_EQ(fileText(path),
                  row.level == 1 ? row.record.formatL1SupportFile(path, true, false)
                                 : row.record.formatL2SupportFile())
            << row.golden;
    }
}

TEST(SupportFile, GoldenFilesReadBackIntoTheirRecords)
{
    const quortest::ScopedTimeZone tz(quortest::goldenTimeZone);
    QTemporaryDir dir;
    struct Row
    {
        const char *file;
        SupportFile expected;
        int level;
        std::set<std::string> except;
    };
    // A level-2 file carries no image date; both records hold "now" there.
    const Row rows[] = {{"support/golden_L1.sup", quortest::goldenL1Record(dir), 1, {}},
                        {"support/golden_L2.sup", quortest::goldenL2Record(dir), 2, {"imageDate"}}};
    for (const Row &row : rows) {
        SupportFile read;
        EXPECT_EQ(read.loadFile(quortest::dataPath(row.file).toStdString()), row.level);
        std::set<std::string> except = row.except;
        except.insert("l0ImageName");
        EXPECT_TRUE(quortest::sameFields(read, row.expected, except)) << row.file;
    }
}

TEST(SupportFile, Level1RoundTripReturnsEveryField)
{
    const quortest::ScopedTimeZone tz(quortest::goldenTimeZone);
    QTemporaryDir dir;
    SupportFile written = quortest::goldenL1Record(dir);
    const std::string path = exportL1(written, dir);
    SupportFile read;
    EXPECT_EQ(read.loadFile(path), 1);
    EXPECT_TRUE(quortest::sameFields(read, written, {"l0ImageName"}));
    EXPECT_EQ(read.getL0ImageName(), path);
    EXPECT_EQ(read.getRectYOffset(), 101.25);
}

TEST(SupportFile, Level2RoundTripReturnsEveryFieldOfEachProjection)
{
    const quortest::ScopedTimeZone tz(quortest::goldenTimeZone);
    struct Row
    {
        const char *projection;
        double cellSize;
        std::set<std::string> notWritten;
    };
    const Row rows[] = {
        {"UTM_PROJECTION", 0, {}},
        {"UTM_PROJECTION",
         0.25,
         {"latScale", "lonScale", "heightRef", "heightScale", "lineRef", "lineScale", "sampleRef",
          "sampleScale", "poly20Line", "poly20Sample"}},
        {"TRANSVERSE_MERCATOR_PROJECTION",
         0.5,
         {"latScale", "lonScale", "heightRef", "heightScale", "lineRef", "lineScale", "sampleRef",
          "sampleScale", "poly20Line", "poly20Sample", "gridName", "projectionZone"}},
        {"LAMBERT_CONFORMAL_PROJECTION", 0, {"projectionZone"}},
        {"POLAR_STEREOGRAPHIC", 0, {"projectionZone"}},
    };
    QTemporaryDir dir;
    for (const Row &row : rows) {
        SupportFile written = quortest::goldenL2Record(dir);
        written.setProjectionType(row.projection);
        written.setCellSize(row.cellSize);
        written.setTMProjectionParams(0.1, 0.2, 0.9996);
        written.setLCCProjectionParams(0.7, 0.8, 0.75, 0.15);
        const std::string path = exportL2(written, dir);
        SupportFile read;
        read.loadFile(path);
        std::set<std::string> except = row.notWritten;
        except.insert({"l0ImageName", "imageDate"});
        if (std::string(row.projection) != "TRANSVERSE_MERCATOR_PROJECTION")
            except.insert({"middleLatitude", "centralMeridian", "centralScaleFactor"});
        if (std::string(row.projection) != "LAMBERT_CONFORMAL_PROJECTION")
            except.insert(
                {"standardParallel1", "standardParallel2", "originLatitude", "originLongitude"});
        EXPECT_TRUE(quortest::sameFields(read, written, except))
            << row.projection << " " << row.cellSize;

        // What is not written keeps the value of a new record.
        const SupportFile fresh;
        for (const std::string &field : row.notWritten)
            EXPECT_EQ(quortest::supportFileField(read, field),
                      quortest::supportFileField(fresh, field))
                << row.projection << " " << field;
    }
}

TEST(SupportFile, Level2WritesEitherReferencesAndPolynomialsOrTheCellSize)
{
    QTemporaryDir dir;
    SupportFile r;
    std::string text = r.formatL2SupportFile();
    for (const char *label :
         {"LAT_REF ", "LAT_SCALE ", "LON_REF ", "LON_SCALE ", "H_REF ", "H_SCALE ", "L_REF ",
          "L_SCALE ", "S_REF ", "S_SCALE ", "POLY20_LINE ", "POLY20_SAMP "})
        EXPECT_TRUE(hasLineStarting(text, label)) << label;
    EXPECT_FALSE(hasLineStarting(text, "INTERLINE_DIST"));
    EXPECT_TRUE(hasLine(text, "LAT_REF 0.00000000000000e+00"));

    r.setCellSize(0.5);
    text = r.formatL2SupportFile();
    EXPECT_TRUE(hasLine(text, "INTERLINE_DIST 5.00000000000000e-01"));
    EXPECT_TRUE(hasLine(text, "INTERPIXEL_DIST 5.00000000000000e-01"));
    EXPECT_TRUE(hasLineStarting(text, "LAT_REF "));
    EXPECT_TRUE(hasLineStarting(text, "LON_REF "));
    for (const char *label : {"LAT_SCALE", "H_REF", "L_SCALE", "POLY20_LINE", "POLY20_SAMP"})
        EXPECT_FALSE(hasLineStarting(text, label)) << label;
}

TEST(SupportFile, Level2ProjectionSectionDependsOnTheExactProjectionType)
{
    struct Row
    {
        const char *type;
        std::vector<std::string> lines;
        const char *gridLine;
    };
    const Row rows[] = {
        {"UTM_PROJECTION", {"ZONE 11"}, "GRID_NAME UTM_11N"},
        {"TRANSVERSE_MERCATOR_PROJECTION",
         {"MIDDLE_LATITUDE 0.0000000000000000e+00", "CENTRAL_MERIDIAN -1.1780972450961724e+00",
          "CENTRAL_SCALE_FACTOR 9.9990000000000001e-01"},
         "GRID_NAME"},
        {"LAMBERT_CONFORMAL_PROJECTION",
         {"STANDARD_PARALLEL1 5.0000000000000000e-01", "STANDARD_PARALLEL2 -2.5000000000000000e-01",
          "ORIGIN_LATITUDE 1.0000000000000000e+00", "ORIGIN_LONGITUDE -1.0000000000000000e+00"},
         "GRID_NAME UTM_11N"},
        {"utm_projection", {}, "GRID_NAME UTM_11N"},
        {"ALBERS_PROJECTION", {}, "GRID_NAME UTM_11N"},
    };
    for (const Row &row : rows) {
        SupportFile r;
        r.setProjectionType(row.type);
        r.setLCCProjectionParams(0.5, -0.25, 1, -1);
        const std::string text = r.formatL2SupportFile();
        const std::size_t type = text.find(std::string("PROJECTION_TYPE ") + row.type + "\n");
        const std::size_t northing = text.find("FALSE_NORTHING_POS ");
        ASSERT_NE(type, std::string::npos) << row.type;
        ASSERT_NE(northing, std::string::npos) << row.type;
        std::string expected;
        for (const std::string &line : row.lines)
            expected += line + "\n";
        const std::size_t sectionStart = text.find('\n', type) + 1;
        EXPECT_EQ(text.substr(sectionStart, northing - sectionStart), expected) << row.type;
        EXPECT_TRUE(text.size() >= std::strlen(row.gridLine) + 1
                    && text.compare(text.size() - std::strlen(row.gridLine) - 1, std::string::npos,
                                    std::string(row.gridLine) + "\n")
                        == 0)
            << row.type << ": the file ends with " << row.gridLine;
    }
}

TEST(SupportFile, WritesNumbersAsTheCFormatsDo)
{
    struct Row
    {
        const char *name;
        std::function<void(SupportFile &)> set;
        const char *line;
    };
    const Row rows[] = {
        {"three-digit exponents", [](SupportFile &r) { r.setGroundBias(1e100, 1e-300, -2.5e-5); },
         "GRND_BIAS 1.00000000000000e+100 1.00000000000000e-300 -2.50000000000000e-05"},
        {"sci16 rounding", [](SupportFile &r) { r.setProjectionOriginOffset(1e-7, 0, 0, 0); },
         "FALSE_NORTHING_POS 9.9999999999999995e-08"},
        {"large fixed", [](SupportFile &r) { r.setBias(1e20); },
         "BIAS 100000000000000000000.000000 GAIN 1.000000"},
        {"negative zero after rounding", [](SupportFile &r) { r.setElevationRange(-0.04, 0); },
         "MAX_AND_MIN_ELEVATION -0.0   0.0"},
        {"tiny negative", [](SupportFile &r) { r.setRectOffset(-1e-9, 1); },
         "RECT_XOFFSET   -0.00000000"},
    };
    for (const Row &row : rows) {
        SupportFile r;
        row.set(r);
        const std::string text =
            r.formatL1SupportFile("/tmp/x.sup", true, false) + r.formatL2SupportFile();
        EXPECT_TRUE(hasLine(text, row.line)) << row.name;
    }
}

TEST(SupportFile, NewRecordWritesDefaultsAndLeavesOutEmptyParts)
{
    SupportFile r;
    r.setL0ImageName("/data/l0.vyn");
    const std::string text = r.formatL1SupportFile("/tmp/x.sup", false, false);
    EXPECT_TRUE(hasLine(text, "BIAS 0.000000 GAIN 1.000000"));
    EXPECT_TRUE(hasLine(text, "MAX_AND_MIN_ELEVATION 0.0   0.0"));
    EXPECT_TRUE(hasLine(text, "RECT_YOFFSET   -1.00000000")) << "the file counts from 0";
    for (const char *label :
         {"IMAGE_FILE_NAME", "LINES", "SAMPLES", "ORIGINAL_ORIENTATION", "ADJUSTED_ORIENTATION",
          "ORIGINAL_CALIBRATION", "ADJUSTED_CALIBRATION", "LEVEL_0_NAME"})
        EXPECT_FALSE(hasLineStarting(text, label)) << label;

    EXPECT_TRUE(
        hasLine(r.formatL1SupportFile("/tmp/x.sup", true, false), "LEVEL_0_NAME   /data/l0.vyn"));
    r.setL0ImageName("");
    EXPECT_FALSE(hasLineStarting(r.formatL1SupportFile("/tmp/x.sup", true, false), "LEVEL_0_NAME"));
}

TEST(SupportFile, WritesImageNamesRelativeToTheOutputFolderOnRequest)
{
    QTemporaryDir dir;
    // Canonical, as the current folder is, for the relative output path below.
    const QString base = QDir(dir.path()).canonicalPath();
    struct Row
    {
        std::string stored;
        std::string relative;
    };
    const Row rows[] = {
        {(base + "/out/a.tif").toStdString(), "a.tif"},
        {(base + "/out/sub/b.tif").toStdString(), "sub/b.tif"},
        {(base + "/other/c.tif").toStdString(), "../other/c.tif"},
        {"rel/./x/../d.tif", "rel/d.tif"},
        // Names are bytes: one that is not UTF-8 keeps every byte.
        {(base + "/out/caf").toStdString() + "\xe9.tif", "caf\xe9.tif"},
    };
    std::string seed;
    for (const Row &row : rows)
        seed += "IMAGE_FILE_NAME 1 \"" + row.stored + "\"\nLINES 1\nSAMPLES 1\n";
    SupportFile r;
    r.loadFile(writeText(dir, "seed.sup", seed));
    ASSERT_EQ(r.getImageMinifications().size(), std::size(rows));
    ASSERT_TRUE(QDir(base).mkpath("out"));

    const std::string out = (base + "/out/x_L1.sup").toStdString();
    const std::string relative = r.formatL1SupportFile(out, true, true);
    const std::string stored = r.formatL1SupportFile(out, true, false);
    const std::string level2 = r.formatL2SupportFile();
    const QString savedCurrent = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(base));
    const std::string fromCurrent = r.formatL1SupportFile("out/x_L1.sup", true, true);
    QDir::setCurrent(savedCurrent);
    EXPECT_EQ(fromCurrent, relative) << "a relative output path starts from the current folder";
    for (const Row &row : rows) {
        EXPECT_TRUE(hasLine(relative, "IMAGE_FILE_NAME 1 \"" + row.relative + "\"")) << row.stored;
        EXPECT_TRUE(hasLine(stored, "IMAGE_FILE_NAME 1 \"" + row.stored + "\"")) << row.stored;
        EXPECT_TRUE(hasLine(level2, "IMAGE_FILE_NAME 1 \"" + row.stored + "\"")) << row.stored;
    }
}

TEST(SupportFile, ExportSetsTheLevelEvenWhenTheFileCannotBeOpened)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("missing/out.sup").toStdString();
    SupportFile r;
    EXPECT_FALSE(r.exportL1SupportFile(path, true, false));
    EXPECT_EQ(r.getImageLevel(), 1);
    EXPECT_FALSE(r.exportL2SupportFile(path));
    EXPECT_EQ(r.getImageLevel(), 2);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
}

TEST(SupportFile, FailedWriteReturnsFalseAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const std::string path = writeText(dir, "out.sup", "previous content\n");
    SupportFile r;
    bool l1 = true, l2 = true;
    {
        // Room for the opening lines only: the text is written out when the file is flushed.
        const quortest::ScopedFileSizeLimit limit(100);
        l1 = r.exportL1SupportFile(path, true, false);
        l2 = r.exportL2SupportFile(path);
    }
    EXPECT_FALSE(l1);
    EXPECT_FALSE(l2);
    EXPECT_EQ(fileText(path), "previous content\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {"out.sup"});
}

TEST(SupportFile, ExportReplacesAnExistingFile)
{
    QTemporaryDir dir;
    const std::string path = writeText(dir, "out.sup", std::string(10000, 'x'));
    SupportFile r;
    QFile::setPermissions(QString::fromStdString(path), QFile::ReadOwner | QFile::WriteOwner);
    const QFile::Permissions before = QFile::permissions(QString::fromStdString(path));
    EXPECT_TRUE(r.exportL2SupportFile(path));
    EXPECT_EQ(fileText(path), r.formatL2SupportFile());
    // Replaced through a temporary file that takes over the old file's permissions.
    EXPECT_EQ(QFile::permissions(QString::fromStdString(path)), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList {"out.sup"});
}

TEST(SupportFile, ExportWritesThroughALinkToItsTarget)
{
    QTemporaryDir dir;
    const std::string target = writeText(dir, "target.sup", "old");
    const QString link = dir.filePath("link.sup");
    ASSERT_TRUE(QFile::link(QString::fromStdString(target), link));
    SupportFile r;
    EXPECT_TRUE(r.exportL1SupportFile(link.toStdString(), true, false));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(fileText(target), r.formatL1SupportFile(link.toStdString(), true, false));
}

TEST(SupportFile, DatesOutsideTheRangeOfCtimeDoNotFailTheWriter)
{
    const quortest::ScopedTimeZone tz(quortest::goldenTimeZone);
    QTemporaryDir dir;
    SupportFile r;
    r.loadFile(writeText(dir, "seed.sup", "IMAGE_LEVEL 1\nIMAGE_DATE Sat Jan 15 12:34:58 20000\n"));
    ASSERT_GT(r.getImageDate(), quortest::utcSeconds(9999, 12, 31, 23, 59, 59));
    for (const std::int64_t photo :
         {std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::min(),
          quortest::utcSeconds(10000, 1, 1, 0, 0, 0)}) {
        r.setPhotoDate(photo);
        const std::string path = exportL1(r, dir);
        const std::string text = fileText(path);
        EXPECT_TRUE(hasLine(text, "PHOTO_DATE \"\"")) << photo;
        EXPECT_TRUE(hasLine(text, "IMAGE_DATE   ")) << photo;
        EXPECT_TRUE(hasLine(text, "NUMBER_SCAN_LINES   0")) << photo;

        // Reading such a file leaves the dates alone.
        SupportFile read;
        read.setPhotoDate(7);
        read.loadFile(path);
        EXPECT_EQ(read.getPhotoDate(), 7);
        EXPECT_NE(read.getImageDate(), r.getImageDate());
    }
}

TEST(SupportFile, DatesBefore1970RoundTrip)
{
    const quortest::ScopedTimeZone tz(quortest::goldenTimeZone);
    QTemporaryDir dir;
    SupportFile r;
    r.setPhotoDate(quortest::utcSeconds(1811, 1, 23, 15, 6, 40));
    const std::string path = exportL1(r, dir);
    EXPECT_TRUE(hasLine(fileText(path), "PHOTO_DATE \"Wed Jan 23 16:06:40 1811\""));
    SupportFile read;
    read.loadFile(path);
    EXPECT_EQ(read.getPhotoDate(), r.getPhotoDate());
}

TEST(SupportFile, NonFiniteNumbersRoundTrip)
{
    QTemporaryDir dir;
    SupportFile r;
    r.setBias(std::numeric_limits<double>::infinity());
    r.setGroundBias(-std::numeric_limits<double>::infinity(), 1, 2);
    const std::string path = exportL1(r, dir);
    EXPECT_TRUE(hasLineStarting(fileText(path), "BIAS inf GAIN 1.000000"));
    SupportFile read;
    read.loadFile(path);
    EXPECT_EQ(read.getBias(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(read.getGroundBias()[0], -std::numeric_limits<double>::infinity());
}

// The test process runs under de_DE.UTF-8 (decimal comma, '.' as thousands separator) for both
// the C library and the global C++ locale, as a Qt application does after setlocale(LC_ALL, "").
TEST(SupportFile, WritesAndReadsTheSameUnderAnyLocale)
{
    const quortest::ScopedTimeZone tz(quortest::goldenTimeZone);
    QTemporaryDir dir;
    const std::string savedC = std::setlocale(LC_ALL, nullptr);
    const std::locale savedCpp;

    std::setlocale(LC_ALL, "C");
    std::locale::global(std::locale::classic());
    SupportFile underC = quortest::goldenL1Record(dir);
    underC.setNumberScanLines(1234567);
    underC.setCellSize(1234.5);
    const std::string l1C = exportL1(underC, dir, true, false, "c_L1.sup");
    const std::string l2C = exportL2(underC, dir, "c_L2.sup");
    SupportFile readC;
    readC.loadFile(l1C);

    std::setlocale(LC_ALL, savedC.c_str());
    std::locale::global(savedCpp);
    ASSERT_EQ(std::string(std::setlocale(LC_ALL, nullptr)), savedC);

    SupportFile underHost = quortest::goldenL1Record(dir);
    underHost.setNumberScanLines(1234567);
    underHost.setCellSize(1234.5);
    const std::string l1Host = exportL1(underHost, dir, true, false, "c_L1.sup.host");
    const std::string l2Host = exportL2(underHost, dir, "c_L2.sup.host");
    EXPECT_EQ(fileText(l1Host), fileText(l1C));
    EXPECT_EQ(fileText(l2Host), fileText(l2C));
    EXPECT_TRUE(hasLine(fileText(l1Host), "NUMBER_SCAN_LINES   1234567"));
    EXPECT_TRUE(hasLine(fileText(l1Host), "BIAS 2.500000 GAIN 1.250000"));

    SupportFile readHost;
    readHost.loadFile(l1C);
    EXPECT_TRUE(quortest::sameFields(readHost, readC));
    EXPECT_EQ(readHost.getGain(), 1.25);
}
