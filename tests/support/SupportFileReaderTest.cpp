// Reading support files: level detection, keywords of each level, value forms, dates, and the
// outcomes chosen for malformed input.

#include "tests/common/TestUtil.h"
#include "tests/support/SupportTestUtil.h"
#include "util/support/SupportFile.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

TEST(SupportFile, CrLfFilesReadExactlyLikeLfFiles)
{
    QTemporaryDir dir;
    for (const QString &file : quortest::wellFormedSupportFiles()) {
        const QByteArray lf = quortest::readFile(file);
        SupportFile a, b;
        EXPECT_EQ(a.loadFile(writeText(dir, "lf.sup", lf.toStdString())),
                  b.loadFile(writeText(dir, "crlf.sup",
                                       QByteArray(lf).replace("\n", "\r\n").toStdString())));
        EXPECT_TRUE(quortest::sameFields(b, a, {"l0ImageName"})) << file.toStdString();
        EXPECT_EQ(b.getL0ImageName(), dir.filePath("crlf.sup").toStdString());
    }
}

TEST(SupportFile, ReadsBadInputsWithTheDocumentedOutcome)
{
    struct Row
    {
        const char *file;
        int level;
        bool complete;
        std::string expected;
        const char *err = "";
    };
    const Row rows[] = {
        // The block before the broken one stays; nothing after it is read.
        {"bad_image_block_without_samples.sup", 1, false,
         "imageFiles=[1 'SN3001_110115_123458_PANF02A_L1.tif' 48000 12000]; "
         "imageID=SN3001_110115_123458_PANF02A_L1; rectScale=1"},
        {"bad_number_words.sup", 1, true,
         "unit=1; coordSystem=0; gain=1.25; rectificationTerms=0 0 1 0 1 0; rectScale=0.5"},
        {"bad_long_image_id.sup", 1, true, "imageID=" + std::string(251, 'z') + "; bias=2.5"},
        {"bad_dates.sup", 1, true,
         "photoDate=42; imageDate=" + std::to_string(utcSeconds(2011, 6, 5, 7, 5, 3))
             + "; quality=3"},
        {"bad_unsupported_level.sup", 9, false, "imageID=", "Unsupported image level\n"},
        {"bad_binary.sup", 2, true,
         "imageID=" + std::string("a\0b", 3) + "; gridName=\xff\xfe; projectionZone=33"},
        {"bad_truncated_in_photo_date.sup", 1, true, "photoDate=42; status=4"},
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
    }
    covered.sort();
    EXPECT_EQ(QDir(quortest::dataPath("support")).entryList({"bad_*"}, QDir::Files, QDir::Name),
              covered);
}
