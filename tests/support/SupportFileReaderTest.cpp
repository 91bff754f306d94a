// Reading support files: level detection, keywords of each level, value forms, dates, and the
// outcomes chosen for malformed input.

#include "tests/common/TestUtil.h"
#include "tests/support/SupportTestUtil.h"
#include "util/support/SupportFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using quortest::supportFileField;
using quortest::utcSeconds;
using quortest::writeText;
using util::SupportFile;

namespace {

// Loads text into a fresh record; also returns the detected level.
struct Loaded
{
    SupportFile record;
    int level = -1;
    std::string path;
};

Loaded load(const QTemporaryDir &dir, const std::string &text, const std::string &name = "t.sup")
{
    Loaded l;
    l.path = writeText(dir, name, text);
    l.level = l.record.loadFile(l.path);
    return l;
}

// The load ran to the end of the file: only then does the level-0 name become the path.
bool completed(const Loaded &l)
{
    return l.record.getL0ImageName() == l.path;
}

} // namespace

TEST(SupportFile, DetectsTheLevelFromTheLastImageLevel)
{
    struct Row
    {
        const char *name;
        const char *text;
        int level;
    };
    const Row rows[] = {
        {"no keyword", "IMAGE_ID \"x\"\nRECT_SCALE 2\n", 2},
        {"empty file", "", 2},
        {"level 0", "IMAGE_LEVEL 0\n", 0},
        {"lower case", "image_level 1\n", 1},
        {"last wins", "IMAGE_LEVEL 1\nBIAS 2\nIMAGE_LEVEL 0\n", 0},
        {"value on the next line", "IMAGE_LEVEL\n\n  1\n", 1},
        {"word instead of a level", "IMAGE_LEVEL one\n", 2},
        {"keyword where the level stands", "IMAGE_LEVEL IMAGE_LEVEL 1\n", 1},
        {"keyword at the end", "IMAGE_LEVEL 1\nIMAGE_LEVEL", 1},
        {"level too large for an int", "IMAGE_LEVEL 1\nIMAGE_LEVEL 4294967297\n", 1},
    };
    QTemporaryDir dir;
    for (const Row &row : rows) {
        const Loaded l = load(dir, row.text);
        EXPECT_EQ(l.level, row.level) << row.name;
        EXPECT_EQ(l.record.getImageLevel(), row.level) << row.name;
    }
}

TEST(SupportFile, UnreadableFileIsLevelZeroAndChangesNothingElse)
{
    QTemporaryDir dir;
    const std::string paths[] = {"", dir.filePath("missing.sup").toStdString(),
                                 dir.path().toStdString()};
    for (const std::string &path : paths) {
        SupportFile r;
        r.setImageID("kept");
        r.setRectScale(3);
        const SupportFile before = r;
        EXPECT_EQ(r.loadFile(path), 0) << path;
        EXPECT_EQ(r.getImageLevel(), 0) << path;
        EXPECT_TRUE(quortest::sameFields(r, before)) << path;
    }

    SupportFile fromFile(dir.filePath("missing.sup").toStdString());
    EXPECT_EQ(fromFile.getImageLevel(), 0);
}

TEST(SupportFile, UnsupportedLevelIsReportedStoredAndLoadsNothing)
{
    QTemporaryDir dir;
    const std::string path = writeText(dir, "t.sup", "IMAGE_LEVEL 7\nBIAS 5\n");
    SupportFile r;
    quortest::CaptureFd err(2);
    const int level = r.loadFile(path);
    EXPECT_EQ(err.text(), "Unsupported image level\n");
    EXPECT_EQ(level, 7);
    EXPECT_EQ(r.getImageLevel(), 7);
    EXPECT_EQ(r.getBias(), 0);
    EXPECT_EQ(r.getL0ImageName(), "");
}

TEST(SupportFile, ReadsOnlyTheKeywordsOfTheDetectedLevel)
{
    const std::string body = "BIAS 2\nMEAN_TERRAIN_HEIGHT 3\nRECT_SCALE 4\nLAT_SCALE 5\n"
                             "GRID_NAME G\nLEVEL_0_NAME n.vyn\n";
    struct Row
    {
        const char *level;
        const char *meanHeight;
        const char *rectScale;
        const char *latScale;
        const char *gridName;
    };
    const Row rows[] = {
        {"0", "3", "1", "1", "UTM_11N"},
        {"1", "3", "4", "1", "UTM_11N"},
        {"2", "0", "1", "5", "G"},
    };
    QTemporaryDir dir;
    for (const Row &row : rows) {
        const std::string text =
            (std::string(row.level) == "2" ? std::string()
                                           : "IMAGE_LEVEL " + std::string(row.level) + "\n")
            + body;
        const Loaded l = load(dir, text);
        EXPECT_EQ(supportFileField(l.record, "bias"), "2") << row.level;
        EXPECT_EQ(supportFileField(l.record, "meanTerrainHeight"), row.meanHeight) << row.level;
        EXPECT_EQ(supportFileField(l.record, "rectScale"), row.rectScale) << row.level;
        EXPECT_EQ(supportFileField(l.record, "latScale"), row.latScale) << row.level;
        EXPECT_EQ(supportFileField(l.record, "gridName"), row.gridName) << row.level;
        EXPECT_TRUE(completed(l)) << row.level;
    }
}

TEST(SupportFile, ReadsLowerCaseKeywords)
{
    QTemporaryDir dir;
    const Loaded l = load(dir,
                          "support_file quor\nimage_level 1\nBias 2.5\nrect_yoffset 10\n"
                          "Image_File_Name 1 \"a.tif\"\nlines 3\nSamples 4\n"
                          "max_and_min_elevation 100 500\n");
    EXPECT_EQ(l.record.getSupportFileTag(), "quor");
    EXPECT_EQ(l.record.getBias(), 2.5);
    EXPECT_EQ(l.record.getRectYOffset(), 11) << "the record counts from 1";
    ASSERT_EQ(l.record.getImageMinifications().size(), 1u);
    EXPECT_EQ(l.record.getImageMinifications()[0].fileName, "a.tif");
    EXPECT_EQ(l.record.getImageMinifications()[0].lines, 3);
    EXPECT_EQ(l.record.getImageMinifications()[0].samples, 4);
    EXPECT_EQ(l.record.getMinElevation(), 100);
    EXPECT_EQ(l.record.getMaxElevation(), 500);
}

TEST(SupportFile, EnumerationWordsAreCaseSensitiveFlagsAreNot)
{
    struct Row
    {
        const char *line;
        const char *field;
        const char *value;
    };
    const Row rows[] = {
        {"SENSOR_TYPE ORTHO", "sensorType", "ORTHO"},
        {"SENSOR_TYPE ortho", "sensorType", "VYN"},
        {"SENSOR_TYPE GENERAL_3D_POLYNOMIAL", "sensorType", "GENERAL_3D_POLYNOMIAL"},
        {"VIEW_OF_LINE COLOR_LINE", "viewOfLine", "COLOR_LINE"},
        {"VIEW_OF_LINE Backward", "viewOfLine", "NADIR"},
        {"RADIOMETRIC_PROPERTY NEAR_INFRARED", "radiometricProperty", "NEAR_INFRARED"},
        {"RADIOMETRIC_PROPERTY INFRARED", "radiometricProperty", "PANCHROMATIC"},
        {"CORRECTION ATMOSPH_CORR", "correction", "ATMOSPH_CORR"},
        {"CORRECTION atmosph_corr", "correction", "NO_CORRECTION"},
        {"LINE_STAGGERED true", "lineStaggered", "true"},
        {"LINE_STAGGERED TrUe", "lineStaggered", "true"},
        {"LINE_STAGGERED yes", "lineStaggered", "false"},
        {"SENSOR_ROTATION TRUE", "sensorRotation", "true"},
        {"RECT_USE_CALIBRATION true", "rectUseCalibration", "true"},
    };
    QTemporaryDir dir;
    for (const Row &row : rows) {
        const Loaded l = load(dir, std::string("IMAGE_LEVEL 1\n") + row.line + "\n");
        EXPECT_EQ(supportFileField(l.record, row.field), row.value) << row.line;
    }
}

TEST(SupportFile, ReadsNumbersInEveryFormStreamsWrite)
{
    struct Row
    {
        const char *word;
        double value;
    };
    const Row rows[] = {{"2", 2},    {"-0.25", -0.25}, {"1e3", 1000}, {"1.5E-02", 0.015},
                        {".5", 0.5}, {"5.", 5},        {"+2.5", 2.5}, {"-0", 0}};
    QTemporaryDir dir;
    for (const Row &row : rows) {
        const Loaded l = load(dir, std::string("GAIN ") + row.word + "\n");
        EXPECT_EQ(l.record.getGain(), row.value) << row.word;
    }
}

TEST(SupportFile, QuotedValueLosesItsFirstAndLastCharacter)
{
    struct Row
    {
        const char *text;
        const char *id;
    };
    const Row rows[] = {
        {"IMAGE_ID \"strip 7\"\n", "strip 7"},
        {"IMAGE_ID strip7\n", "trip"},
        {"IMAGE_ID \t \"a\" \t\n", "a"},
        {"IMAGE_ID \"  inner blanks stay \"\n", "  inner blanks stay "},
        {"IMAGE_ID x\n", ""},
        {"IMAGE_ID\n\"next line\"\n", ""},
        {"IMAGE_ID \"no newline\"", "no newline"},
        {"IMAGE_ID \"crlf\"\r\n", "crlf"},
    };
    QTemporaryDir dir;
    for (const Row &row : rows) {
        const Loaded l = load(dir, row.text);
        EXPECT_EQ(l.record.getImageID(), row.id) << row.text;
    }
}

TEST(SupportFile, ReadsDatesAsLocalTime)
{
    const quortest::ScopedTimeZone tz(quortest::goldenTimeZone);
    const std::int64_t unchanged = 123;
    struct Row
    {
        const char *text;
        std::int64_t time;
    };
    const Row rows[] = {
        {"\"Wed Jan 02 02:03:55 1980\"", utcSeconds(1980, 1, 2, 1, 3, 55)},
        {"\"Sat Jan 15 12:34:58 2011\"", utcSeconds(2011, 1, 15, 11, 34, 58)},
        {"\"Sun Jun  5 09:05:03 2011\"", utcSeconds(2011, 6, 5, 7, 5, 3)}, // summer time
        {"\"Wed Jan 23 16:06:40 1811\"", utcSeconds(1811, 1, 23, 15, 6, 40)},
        {"\"Wed January 02 02:03:55 1980\"", utcSeconds(1980, 1, 2, 1, 3, 55)},
        {"\"Sat Feb. 02 02:03:55 1980\"", utcSeconds(1980, 1, 2, 1, 3, 55)},
        {"\"Sat feb 02 02:03:55 1980\"", utcSeconds(1980, 1, 2, 1, 3, 55)},
        {"\"Sat Feb 02 02:03:55 1980\"", utcSeconds(1980, 2, 2, 1, 3, 55)},
        {"\"Dec 32 00:00:00 1980\"", unchanged}, // the weekday is missing, so "00:00:00" is no day
        {"\"x Dec 32 00:00:00 1980\"", utcSeconds(1980, 12, 31, 23, 0, 0)}, // normalised
        {"\"Wed Jan 02 02:03:55 1980 and more\"", utcSeconds(1980, 1, 2, 1, 3, 55)},
        {"\"Wed Jan 02 02:03:55\"", unchanged},
        {"\"Wed Jan 02 02:03 1980\"", unchanged},
        {"\"Wed Jan 02 02 :03:55 1980\"", unchanged},
        {"\"\"", unchanged},
        {"", unchanged},
        {"\"Wed Jan 02 02:03:55 99999999999\"", unchanged},
    };
    QTemporaryDir dir;
    for (const Row &row : rows) {
        Loaded l;
        l.record.setPhotoDate(unchanged);
        l.record.loadFile(writeText(dir, "t.sup", std::string("PHOTO_DATE ") + row.text + "\n"));
        EXPECT_EQ(l.record.getPhotoDate(), row.time) << row.text;
    }
}

TEST(SupportFile, ImageDateIsAPlainRestOfLine)
{
    const quortest::ScopedTimeZone tz(quortest::goldenTimeZone);
    QTemporaryDir dir;
    const Loaded l = load(dir, "IMAGE_LEVEL 1\nIMAGE_DATE   Sun Jun  5 09:05:03 2011\nBIAS 1\n");
    EXPECT_EQ(l.record.getImageDate(), utcSeconds(2011, 6, 5, 7, 5, 3));
    EXPECT_EQ(l.record.getBias(), 1);

    // In a level-2 file the image date is not a keyword: its words are skipped one by one.
    const Loaded l2 = load(dir, "IMAGE_DATE Sun Jun  5 09:05:03 2011\nBIAS 1\n");
    EXPECT_NE(l2.record.getImageDate(), utcSeconds(2011, 6, 5, 7, 5, 3));
    EXPECT_EQ(l2.record.getBias(), 1);
}

TEST(SupportFile, LoadingAddsToTheRecordWithoutResettingIt)
{
    QTemporaryDir dir;
    const std::string path = writeText(dir, "t.sup",
                                       "IMAGE_LEVEL 1\nIMAGE_FILE_NAME 1 \"a.tif\"\nLINES 1\n"
                                       "SAMPLES 2\nBIAS 3\n");
    SupportFile r;
    r.setGain(7);
    r.loadFile(path);
    r.loadFile(path);
    EXPECT_EQ(r.getImageMinifications().size(), 2u);
    EXPECT_EQ(r.getGain(), 7);
    EXPECT_EQ(r.getBias(), 3);
}

TEST(SupportFile, LevelZeroNameBecomesThePathOfEveryCompleteLoad)
{
    QTemporaryDir dir;
    for (const char *level : {"0", "1", "2"}) {
        const Loaded l =
            load(dir, std::string("IMAGE_LEVEL ") + level + "\nLEVEL_0_NAME /data/other.vyn\n");
        EXPECT_EQ(l.record.getL0ImageName(), l.path) << level;
    }
}

TEST(SupportFile, KeywordAtTheEndWithoutItsValuesLeavesItsFieldsUnchanged)
{
    const char *tails[] = {
        "BIAS",         "RECTIFICATION_TERMS 1 2", "SENSOR_TYPE", "IMAGE_ID",  "PHOTO_DATE",
        "SUPPORT_FILE", "LINE_STAGGERED",          "BASIS 1 2 3", "IMAGE_DATE"};
    QTemporaryDir dir;
    for (const char *tail : tails) {
        SupportFile before;
        before.setPhotoDate(5);
        const std::string path = writeText(dir, "t.sup", std::string("IMAGE_LEVEL 1\n") + tail);
        SupportFile r = before;
        r.loadFile(path);
        EXPECT_TRUE(quortest::sameFields(r, before, {"imageLevel", "l0ImageName"})) << tail;
        EXPECT_EQ(r.getL0ImageName(), path) << tail;
    }
}

TEST(SupportFile, WordWhereANumberStandsDropsTheKeywordAndIsReadAgain)
{
    struct Row
    {
        const char *text;
        const char *field;
        const char *value;
        const char *nextField;
        const char *nextValue;
    };
    const Row rows[] = {
        {"BIAS GAIN 2\n", "bias", "0", "gain", "2"},
        {"BIAS 1,5\nGAIN 2\n", "bias", "0", "gain", "2"},
        {"RECTIFICATION_TERMS 1 2 x 4 5 6\nGAIN 3\n", "rectificationTerms", "0 0 1 0 1 0", "gain",
         "3"},
        {"GROUND_ZERO 1 2\nUNITS 4\n", "groundZero", "0 0 0", "unit", "4"},
        {"COORD_SYSTEM 1.5\nUNITS 7\n", "coordSystem", "0", "unit", "7"},
        {"COORD_SYSTEM 99999999999\nUNITS 7\n", "coordSystem", "0", "unit", "7"},
        {"MAX_AND_MIN_ELEVATION 100 high\nQUALITY 2\n", "maxElevation", "0", "quality", "2"},
        {"RECT_YOFFSET ten\nRECT_XOFFSET 3\n", "rectYOffset", "0", "rectXOffset", "3"},
        {"BASIS 1 2 3 4 5 6 7 8\nLOCAL_ORIGIN 1 2 3\n", "localOriginBasis", "0 0 0 0 0 0 0 0 0",
         "localOrigin", "1 2 3"},
    };
    QTemporaryDir dir;
    for (const Row &row : rows) {
        const Loaded l = load(dir, std::string("IMAGE_LEVEL 1\n") + row.text);
        EXPECT_EQ(supportFileField(l.record, row.field), row.value) << row.text;
        EXPECT_EQ(supportFileField(l.record, row.nextField), row.nextValue) << row.text;
        EXPECT_TRUE(completed(l)) << row.text;
    }
}

TEST(SupportFile, BrokenImageFileBlockEndsTheLoad)
{
    const char *blocks[] = {
        "IMAGE_FILE_NAME 1 \"a.tif\"\nSAMPLES 2\nLINES 1\n",
        "IMAGE_FILE_NAME 1 \"a.tif\"\nLINES 1\nBIAS 2\n",
        "IMAGE_FILE_NAME one \"a.tif\"\nLINES 1\nSAMPLES 2\n",
        "IMAGE_FILE_NAME 1 \"a.tif\"\nLINES many\nSAMPLES 2\n",
        "IMAGE_FILE_NAME 1 \"a.tif\"\nLINES 1\nSAMPLES",
        "IMAGE_FILE_NAME 1",
        "IMAGE_FILE_NAME",
    };
    QTemporaryDir dir;
    for (const char *block : blocks) {
        const Loaded l = load(dir, std::string("IMAGE_LEVEL 1\nBIAS 5\n") + block + "\nGAIN 3\n");
        EXPECT_EQ(l.level, 1) << block;
        EXPECT_EQ(l.record.getBias(), 5) << block;
        EXPECT_EQ(l.record.getGain(), 1) << block;
        EXPECT_TRUE(l.record.getImageMinifications().empty()) << block;
        EXPECT_FALSE(completed(l)) << block;
    }
}

TEST(SupportFile, RestOfLineLongerThanTheBufferIsCut)
{
    const std::string longName(300, 'x');
    struct Row
    {
        const char *name;
        std::string line;
        std::string id;
    };
    // The value counts from just after the keyword: " \"" and then the text.
    const Row rows[] = {
        {"long", " \"" + longName + "\"", std::string(251, 'x')},
        {"long, CR LF", " \"" + longName + "\"\r", std::string(251, 'x')},
        {"exactly full", " \"" + std::string(251, 'y') + "\"", std::string(251, 'y')},
        {"exactly full, CR LF", " \"" + std::string(251, 'y') + "\"\r", std::string(251, 'y')},
        {"one more", " \"" + std::string(252, 'y') + "\"", std::string(251, 'y')},
    };
    QTemporaryDir dir;
    for (const Row &row : rows) {
        const Loaded l = load(dir, "IMAGE_ID" + row.line + "\nGAIN 3\n");
        EXPECT_EQ(l.record.getImageID(), row.id) << row.name;
        EXPECT_EQ(l.record.getGain(), 3) << row.name << ": the next line is read as usual";
    }
}

TEST(SupportFile, CrLfFilesReadExactlyLikeLfFiles)
{
    const quortest::ScopedTimeZone tz(quortest::goldenTimeZone);
    QTemporaryDir dir;
    const QStringList files = quortest::wellFormedSupportFiles();
    ASSERT_GE(files.size(), 6);

    for (const QString &file : files) {
        const QByteArray lf = quortest::readFile(file);
        QByteArray crlf = lf;
        crlf.replace("\n", "\r\n");
        ASSERT_NE(lf, crlf);
        const Loaded a = load(dir, lf.toStdString(), "lf.sup");
        const Loaded b = load(dir, crlf.toStdString(), "crlf.sup");
        EXPECT_EQ(a.level, b.level) << file.toStdString();
        EXPECT_TRUE(quortest::sameFields(a.record, b.record, {"l0ImageName"}))
            << file.toStdString();
        EXPECT_TRUE(completed(b)) << file.toStdString();
    }
}

TEST(SupportFile, ReadsBadInputsWithTheDocumentedOutcome)
{
    const quortest::ScopedTimeZone tz(quortest::goldenTimeZone);
    struct Row
    {
        const char *file;
        int level;
        bool complete;
        std::function<void(const SupportFile &)> check;
    };
    const Row rows[] = {
        {"bad_image_block_without_samples.sup", 1, false,
         [](const SupportFile &r) {
             EXPECT_EQ(r.getImageMinifications().size(), 1u); // the block before it stays
             EXPECT_EQ(r.getImageID(), "SN3001_110115_123458_PANF02A_L1");
             EXPECT_EQ(r.getRectScale(), 1) << "nothing is read after the broken block";
         }},
        {"bad_number_words.sup", 1, true,
         [](const SupportFile &r) {
             EXPECT_EQ(r.getUnit(), 1);
             EXPECT_EQ(r.getCoordSystem(), 0);
             EXPECT_EQ(r.getGain(), 1.25);
             EXPECT_EQ(r.getRectificationTerms()[2], 1);
             EXPECT_EQ(r.getRectScale(), 0.5);
         }},
        {"bad_long_image_id.sup", 1, true,
         [](const SupportFile &r) {
             EXPECT_EQ(r.getImageID(), std::string(251, 'z'));
             EXPECT_EQ(r.getBias(), 2.5);
         }},
        {"bad_dates.sup", 1, true,
         [](const SupportFile &r) {
             EXPECT_EQ(r.getPhotoDate(), 42);
             EXPECT_EQ(r.getImageDate(), utcSeconds(2011, 6, 5, 7, 5, 3));
             EXPECT_EQ(r.getQuality(), 3);
         }},
        {"bad_unsupported_level.sup", 9, false,
         [](const SupportFile &r) { EXPECT_EQ(r.getImageID(), ""); }},
        {"bad_binary.sup", 2, true,
         [](const SupportFile &r) {
             EXPECT_EQ(r.getImageID(), std::string("a\0b", 3));
             EXPECT_EQ(r.getGridName(), "\xff\xfe");
             EXPECT_EQ(r.getProjectionZone(), 33);
         }},
        {"bad_truncated_in_photo_date.sup", 1, true,
         [](const SupportFile &r) {
             EXPECT_EQ(r.getPhotoDate(), 42);
             EXPECT_EQ(r.getStatus(), 4);
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.file);
        const std::string path = quortest::dataPath(QString("support/") + row.file).toStdString();
        SupportFile r;
        r.setPhotoDate(42);
        quortest::CaptureFd err(2);
        EXPECT_EQ(r.loadFile(path), row.level) << row.file;
        err.text();
        EXPECT_EQ(r.getL0ImageName() == path, row.complete) << row.file;
        row.check(r);
    }
}
