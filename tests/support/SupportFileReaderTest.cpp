// Reading support files: level detection, keywords of each level, value forms, dates, and the
// outcomes chosen for malformed input.

#include "tests/common/TestUtil.h"
#include "tests/support/SupportTestUtil.h"
#include "util/support/SupportFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using quortest::hasFields;
using quortest::utcSeconds;
using quortest::writeText;
using util::SupportFile;

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

// Loads prefix and the text of each row into a new record and checks the fields the row names, the
// level returned and whether the load ran to the end (only then is the level-0 name the path).
void expectFields(const Rows &rows, const std::string &prefix = "", bool complete = true)
{
    QTemporaryDir dir;
    for (const auto &[text, expected] : rows) {
        SupportFile r;
        const std::string path = writeText(dir, "t.sup", prefix + text);
        const int level = r.loadFile(path);
        EXPECT_EQ(level, r.getImageLevel()) << text;
        EXPECT_TRUE(hasFields(r, expected)) << text;
        EXPECT_EQ(r.getL0ImageName() == path, complete) << text;
    }
}

} // namespace

TEST(SupportFile, DetectsTheLevelFromTheLastImageLevel)
{
    expectFields({
        {"", "imageLevel=2"},
        {"IMAGE_LEVEL 0\n", "imageLevel=0"},
        {"IMAGE_LEVEL 1\nBIAS 2\nIMAGE_LEVEL 0\n", "imageLevel=0"},
        {"IMAGE_LEVEL one\n", "imageLevel=2"},
        {"IMAGE_LEVEL IMAGE_LEVEL 1\n", "imageLevel=1"},
        {"IMAGE_LEVEL 1\nIMAGE_LEVEL 4294967297\n", "imageLevel=1"},
        {"IMAGE_LEVEL 1.0\nRECT_SCALE 4\n", "imageLevel=1; rectScale=4"},
        {"IMAGE_LEVEL 0.000\n", "imageLevel=0"},
        {"IMAGE_LEVEL 1.5\n", "imageLevel=2"},
    });
}

TEST(SupportFile, UnreadableFileIsLevelZeroAndChangesNothingElse)
{
    QTemporaryDir dir;
    for (const QString &path : {QString(), dir.filePath("missing.sup"), dir.path()}) {
        SupportFile r;
        r.setImageID("kept");
        const SupportFile before = r;
        EXPECT_EQ(r.loadFile(path.toStdString()), 0) << path.toStdString();
        EXPECT_TRUE(quortest::sameFields(r, before)) << path.toStdString();
    }
}

TEST(SupportFile, ReadsOnlyTheKeywordsOfTheDetectedLevel)
{
    // In a level-2 file the image date is no keyword: its words are skipped one by one.
    const std::string body = "IMAGE_DATE   Sun Jun  5 09:05:03 2011\nBIAS 2\nRECT_SCALE 4\n"
                             "MEAN_TERRAIN_HEIGHT 3\nLAT_SCALE 5\nGRID_NAME G\nLEVEL_0_NAME n\n";
    const std::string l0 = "bias=2; meanTerrainHeight=3; latScale=1; gridName=UTM_11N; rectScale=";
    const std::string date = "imageDate=" + std::to_string(utcSeconds(2011, 6, 5, 7, 5, 3));
    expectFields({{"IMAGE_LEVEL 0\n" + body, l0 + "1"},
                  {"IMAGE_LEVEL 1\n" + body, date + "; " + l0 + "4"},
                  {body, "bias=2; meanTerrainHeight=0; rectScale=1; latScale=5; gridName=G"}});
}

TEST(SupportFile, ReadsLowerCaseKeywords)
{
    // The record counts rows from 1, the file from 0.
    expectFields(
        {{"support_file quor\nimage_level 1\nBias 2.5\nrect_yoffset 10\n"
          "Image_File_Name 1 \"a.tif\"\nlines 3\nSamples 4\nmax_and_min_elevation 100 500\n",
          "supportFileTag=quor; bias=2.5; rectYOffset=11; imageFiles=[1 'a.tif' 3 4]; "
          "minElevation=100; maxElevation=500"}});
}

TEST(SupportFile, EnumerationWordsAreCaseSensitiveFlagsAreNot)
{
    expectFields({{"SENSOR_TYPE ortho\nVIEW_OF_LINE COLOR_LINE\nRADIOMETRIC_PROPERTY INFRARED\n"
                   "CORRECTION atmosph_corr\nLINE_STAGGERED TrUe\nRECT_USE_CALIBRATION true",
                   "sensorType=VYN; viewOfLine=COLOR_LINE; radiometricProperty=PANCHROMATIC; "
                   "correction=NO_CORRECTION; lineStaggered=true; rectUseCalibration=true"},
                  {"SENSOR_TYPE GENERAL_3D_POLYNOMIAL\nLINE_STAGGERED yes",
                   "sensorType=GENERAL_3D_POLYNOMIAL; lineStaggered=false"}},
                 "IMAGE_LEVEL 1\n");
}

TEST(SupportFile, ReadsNumbersInEveryFormStreamsWrite)
{
    expectFields({{"RECTIFICATION_TERMS 2 -0.25 1e3 1.5E-02 .5 5.\nGROUND_ZERO +2.5 -0 -inf",
                   "rectificationTerms=2 -0.25 1000 0.015 0.5 5; groundZero=2.5 -0 -inf"}});
}

TEST(SupportFile, QuotedValueLosesItsFirstAndLastCharacterAndIsCutAt251)
{
    // The value counts from just after the keyword: " \"" and then the text.
    const std::string full(251, 'y');
    expectFields({{"\"strip 7\"\n", "imageID=strip 7"},
                  {"strip7\n", "imageID=trip"},
                  {" \t \"  inner blanks stay \" \t\n", "imageID=  inner blanks stay "},
                  {"x\n", "imageID="},
                  {"\n\"next line\"\n", "imageID="},
                  {"\"no newline\"", "imageID=no newline"},
                  {"\"" + full + "\"\nGAIN 3\n", "imageID=" + full + "; gain=3"},
                  {"\"" + full + "\"\r\nGAIN 3\n", "imageID=" + full + "; gain=3"},
                  {"\"" + full + "yyy\"\r\nGAIN 3\n", "imageID=" + full + "; gain=3"}},
                 "IMAGE_ID ");
}

TEST(SupportFile, ReadsDatesAsLocalTime)
{
    const std::int64_t unchanged = 123;
    const std::int64_t jan2 = utcSeconds(1980, 1, 2, 1, 3, 55);
    const std::pair<const char *, std::int64_t> rows[] = {
        {"\"Sun Jun  5 09:05:03 2011\"", utcSeconds(2011, 6, 5, 7, 5, 3)}, // summer time
        {"\"Wed January 02 02:03:55 1980\"", jan2},
        {"\"Sat Feb. 02 02:03:55 1980\"", jan2},
        {"\"Sat Feb 02 02:03:55 1980\"", utcSeconds(1980, 2, 2, 1, 3, 55)},
        {"\"Dec 32 00:00:00 1980\"", unchanged}, // the weekday is missing, so "00:00:00" is no day
        {"\"x Dec 32 00:00:00 1980\"", utcSeconds(1980, 12, 31, 23, 0, 0)}, // normalised
        {"\"Wed Jan 02 02:03:55 1980 and more\"", jan2},
        {"\"Wed Jan 02 02:03:55\"", unchanged},
        {"\"Wed Jan 02 02:03:55 99999999999\"", unchanged},
    };
    QTemporaryDir dir;
    for (const auto &[text, time] : rows) {
        SupportFile r;
        r.setPhotoDate(unchanged);
        r.loadFile(writeText(dir, "t.sup", std::string("PHOTO_DATE ") + text + "\n"));
        EXPECT_EQ(r.getPhotoDate(), time) << text;
    }
}

TEST(SupportFile, WordWhereANumberStandsOrTheEndDropTheKeyword)
{
    // The word is read again as the next keyword.
    expectFields(
        {
            {"BIAS GAIN 2\n", "bias=0; gain=2"},
            {"BIAS 1,5\nGAIN 2\n", "bias=0; gain=2"},
            {"RECTIFICATION_TERMS 1 2 x 4 5 6\nGAIN 3\n", "rectificationTerms=0 0 1 0 1 0; gain=3"},
            {"COORD_SYSTEM 1.5\nUNITS 7\n", "coordSystem=0; unit=7"},
            {"COORD_SYSTEM 2.0\nUNITS 7.\nSTATUS -3.00\n", "coordSystem=2; unit=7; status=-3"},
            {"COORD_SYSTEM 99999999999\nUNITS 7\n", "coordSystem=0; unit=7"},
            {"RECT_YOFFSET ten\nRECT_XOFFSET 3\n", "rectYOffset=0; rectXOffset=3"},
            {"SENSOR_TYPE", "sensorType=VYN"},
            {"RECTIFICATION_TERMS 1 2", "rectificationTerms=0 0 1 0 1 0"},
            {"BASIS 1 2 3", "localOriginBasis=0 0 0 0 0 0 0 0 0"},
        },
        "IMAGE_LEVEL 1\n");
}

TEST(SupportFile, BrokenImageFileBlockEndsTheLoad)
{
    const std::string result = "imageLevel=1; bias=5; gain=1; imageFiles=";
    expectFields({{"IMAGE_FILE_NAME 1 \"a.tif\"\nSAMPLES 2\nLINES 1\nGAIN 3\n", result},
                  {"IMAGE_FILE_NAME one \"a.tif\"\nLINES 1\nSAMPLES 2\nGAIN 3\n", result},
                  {"IMAGE_FILE_NAME 1 \"a.tif\"\nLINES many\nSAMPLES 2\nGAIN 3\n", result},
                  {"IMAGE_FILE_NAME\nGAIN 3\n", result}},
                 "IMAGE_LEVEL 1\nBIAS 5\n", false);
}

TEST(SupportFile, CrLfAndCrOnlyFilesReadExactlyLikeLfFiles)
{
    QTemporaryDir dir;
    for (const QString &file : quortest::wellFormedSupportFiles()) {
        const QByteArray lf = quortest::readFile(file);
        for (const char *lineEnd : {"\r\n", "\r"}) {
            SupportFile a, b;
            EXPECT_EQ(a.loadFile(writeText(dir, "lf.sup", lf.toStdString())),
                      b.loadFile(writeText(dir, "other.sup",
                                           QByteArray(lf).replace("\n", lineEnd).toStdString())));
            EXPECT_TRUE(quortest::sameFields(b, a, {"l0ImageName"}))
                << file.toStdString() << (lineEnd[1] ? " CR LF" : " CR");
            EXPECT_EQ(b.getL0ImageName(), dir.filePath("other.sup").toStdString());
        }
    }
}

TEST(SupportFile, ReadsBadInputsWithTheDocumentedOutcome)
{
    using Status = SupportFile::ReadStatus;
    struct Row
    {
        const char *file;
        int level;
        bool complete;
        std::string expected;
        std::string checked; // what loadFileChecked says after the path
        const char *err = "";
    };
    const Row rows[] = {
        // The block before the broken one stays; nothing after it is read.
        {"bad_image_block_without_samples.sup", 1, false,
         "imageFiles=[1 'SN3001_110115_123458_PANF02A_L1.tif' 48000 12000]; "
         "imageID=SN3001_110115_123458_PANF02A_L1; rectScale=1",
         "line 9: broken image-file block: SAMPLES expected, not 'RECT_SCALE'"},
        // Where reading stopped is named before an earlier value out of place.
        {"bad_value_then_broken_block.sup", 2, false, "unit=1; gain=1; imageFiles=",
         "line 4: broken image-file block: LINES expected, not 'SAMPLES'"},
        {"bad_number_words.sup", 1, true,
         "unit=1; coordSystem=2; gain=1.25; rectificationTerms=0 0 1 0 1 0; rectScale=0.5",
         "line 3: UNITS needs an integer, not 'METERS'"},
        {"bad_integer_with_fraction.sup", 1, true, "unit=4; coordSystem=0; status=4",
         "line 4: COORD_SYSTEM needs an integer, not '1.5'"},
        {"bad_long_image_id.sup", 1, true, "imageID=" + std::string(251, 'z') + "; bias=2.5",
         "line 3: IMAGE_ID longer than 254 characters"},
        {"bad_dates.sup", 1, true,
         "photoDate=42; imageDate=" + std::to_string(utcSeconds(2011, 6, 5, 7, 5, 3))
             + "; quality=3",
         "line 3: PHOTO_DATE is no date: 'yesterday'"},
        {"bad_unsupported_level.sup", 9, false, "imageID=", "line 2: unsupported image level 9",
         "Unsupported image level\n"},
        {"bad_binary.sup", 2, true,
         "imageID=" + std::string("a\0b", 3) + "; gridName=\xff\xfe; projectionZone=33",
         "line 5: binary data '?\?'"},
        {"bad_truncated_in_photo_date.sup", 1, true, "photoDate=42; status=4",
         "line 4: PHOTO_DATE is no date: 'Sat Jan 15 12:'"},
        {"bad_cut_in_basis.sup", 1, true, "localOriginBasis=0 0 0 0 0 0 0 0 0",
         "line 3: BASIS cut short at the end of the file"},
        {"bad_empty.sup", 2, true, "supportFileTag=d", "line 1: empty file"},
        {"bad_not_a_support_file.sup", 1, true, "bias=3",
         "line 1: not a support file (it begins with 'Shopping')"},
    };
    QStringList covered;
    for (const Row &row : rows) {
        covered << row.file;
        const std::string path = quortest::dataPath(QString("support/") + row.file).toStdString();
        SupportFile r;
        r.setPhotoDate(42);
        quortest::CaptureFd err(2);
        EXPECT_EQ(r.loadFile(path), row.level) << row.file;
        EXPECT_EQ(err.text(), row.err) << row.file;
        EXPECT_EQ(r.getL0ImageName() == path, row.complete) << row.file;
        EXPECT_TRUE(hasFields(r, row.expected)) << row.file;

        // The checked load changes the record alike, says nothing on stderr, and names the line.
        SupportFile checked;
        checked.setPhotoDate(42);
        QString error;
        quortest::CaptureFd quiet(2);
        EXPECT_EQ(checked.loadFileChecked(path, &error), Status::Damaged) << row.file;
        EXPECT_EQ(quiet.text(), "") << row.file;
        EXPECT_EQ(error.toStdString(), path + ": " + row.checked) << row.file;
        EXPECT_TRUE(quortest::sameFields(checked, r)) << row.file;
    }
    covered.sort();
    EXPECT_EQ(QDir(quortest::dataPath("support")).entryList({"bad_*"}, QDir::Files, QDir::Name),
              covered);
}

TEST(SupportFile, WellFormedAndWrittenFilesLoadCompleteWhenChecked)
{
    QTemporaryDir dir;
    std::vector<std::string> paths;
    for (const QString &file : quortest::wellFormedSupportFiles())
        paths.push_back(file.toStdString());
    // What the writer writes, with unformattable dates, the bare GRID_NAME of the transverse
    // Mercator section and CR-only line ends as well.
    SupportFile l1 = quortest::goldenL1Record(dir);
    l1.setPhotoDate(-99999999999999);
    SupportFile l2 = quortest::goldenL2Record(dir);
    l2.setProjectionType("TRANSVERSE_MERCATOR_PROJECTION");
    paths.push_back(dir.filePath("w1.sup").toStdString());
    ASSERT_TRUE(l1.exportL1SupportFile(paths.back(), true, true));
    paths.push_back(dir.filePath("w2.sup").toStdString());
    ASSERT_TRUE(l2.exportL2SupportFile(paths.back()));
    paths.push_back(writeText(dir, "cr.sup", l1.formatL1SupportFile("", true, false)));
    QByteArray cr = quortest::readFile(QString::fromStdString(paths.back())).replace('\n', '\r');
    quortest::writeFile(QString::fromStdString(paths.back()), cr);
    for (const std::string &path : paths) {
        SupportFile r;
        QString error;
        EXPECT_EQ(r.loadFileChecked(path, &error), SupportFile::ReadStatus::Complete)
            << path << ": " << error.toStdString();
        EXPECT_EQ(error, QString()) << path;
    }
}

TEST(SupportFile, RefusesWhatIsNoRegularFileOrTooLarge)
{
    QTemporaryDir dir;
    struct Row
    {
        QString path;
        std::string error;
    };
    std::vector<Row> rows = {
        {dir.filePath("missing.sup"), "Can't open: %1: 2 (No such file or directory)"},
        {dir.path(), "%1: not a regular file"},
        {dir.filePath("fifo.sup"), "%1: not a regular file"},
        {dir.filePath("huge.sup"), "%1: larger than 16 MiB, no support file"},
    };
    ASSERT_EQ(mkfifo(QFile::encodeName(rows[2].path).constData(), 0600), 0);
    {
        QFile huge(rows[3].path);
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        ASSERT_TRUE(huge.resize((16 << 20) + 1)); // sparse: no disk space
    }
    if (geteuid() == 0) {
        // A character device like /dev/zero, made inside the test's own folder.
        const QString zero = dir.filePath("zero.sup");
        ASSERT_EQ(mknod(QFile::encodeName(zero).constData(), S_IFCHR | 0600, makedev(1, 5)), 0);
        rows.push_back({zero, "%1: not a regular file"});
    }
    for (const Row &row : rows) {
        const std::string path = row.path.toStdString();
        SupportFile r;
        r.setImageID("kept");
        const SupportFile before = r;
        QString error;
        EXPECT_EQ(r.loadFileChecked(path, &error), SupportFile::ReadStatus::Unreadable) << path;
        EXPECT_EQ(error, QString::fromStdString(row.error).arg(row.path)) << path;
        EXPECT_EQ(r.loadFile(path), 0) << path;
        EXPECT_TRUE(quortest::sameFields(r, before)) << path;
    }
}
