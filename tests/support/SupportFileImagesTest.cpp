// The support file's image list (adding images, with sizes from sensor files) and the check
// that every file a record refers to exists (quorutil sup check: SupContentCommandsTest).

#include "util/support/SupportFile.h"

#include "tests/common/TestUtil.h"
#include "tests/support/SupportTestUtil.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>

using util::SupportFile;

namespace {

TEST(SupportFileImages, OnlySensorFilesAreAdded)
{
    const struct
    {
        const char *path;
        bool added;
    } rows[] = {
        {"/data/a.vyn", true}, {"/data/a.VYN", true}, {"/data/a.Vynx", true},     {"a.tif", false},
        {"/data/a.vy", false}, {"/data/vyn", false},  {"/data/a.vyn.tif", false},
    };
    for (const auto &row : rows) {
        SupportFile record;
        int lines = 10, samples = 20;
        EXPECT_EQ(record.addImage(row.path, lines, samples, 2, false, ""), row.added) << row.path;
        EXPECT_EQ(record.getImageMinifications().size(), row.added ? 1u : 0u) << row.path;
    }
}

TEST(SupportFileImages, LevelOneNamesTheImageAfterItsFile)
{
    SupportFile record;
    record.setImageID("before");
    const std::int64_t dateBefore = record.getImageDate();
    int lines = 100, samples = 200;
    ASSERT_TRUE(record.addImage("/data/strip_07.L0.vyn", lines, samples, 2, false, ""));
    EXPECT_EQ(record.getImageID(), "before");
    EXPECT_EQ(record.getImageDate(), dateBefore);

    const std::int64_t earliest = std::time(nullptr);
    ASSERT_TRUE(record.addImage("C:\\data\\strip_07.L0.vyn", lines, samples, 1, false, ""));
    EXPECT_EQ(record.getImageID(), "strip_07.L0");
    EXPECT_GE(record.getImageDate(), earliest);
    EXPECT_LE(record.getImageDate(), static_cast<std::int64_t>(std::time(nullptr)));

    // The caller's sizes are taken as passed and left alone.
    EXPECT_EQ(lines, 100);
    EXPECT_EQ(samples, 200);
    const SupportFile::ImageMinification &entry = record.getImageMinifications().back();
    EXPECT_EQ(entry.level, 1);
    EXPECT_EQ(entry.fileName, "C:\\data\\strip_07.L0.vyn");
    EXPECT_EQ(entry.lines, 100);
    EXPECT_EQ(entry.samples, 200);
}

TEST(SupportFileImages, SizesComeFromTheSensorFileHeader)
{
    const QString dir = quortest::dataPath(QStringLiteral("support/sensor"));
    int count = 0;
    for (const quortest::TableRow &row : quortest::tableRows("support/sensor/rows.txt")) {
        SupportFile record;
        int lines = -1, samples = -1;
        const std::string path = dir.toStdString() + "/" + row[0];
        EXPECT_TRUE(record.addImage(path, lines, samples, 1, true, "")) << path;
        EXPECT_EQ(lines, std::stoi(row[1])) << path;
        EXPECT_EQ(samples, std::stoi(row[2])) << path;
        ASSERT_EQ(record.getImageMinifications().size(), 1u);
        EXPECT_EQ(record.getImageMinifications().front().lines, std::stoi(row[1])) << path;
        ++count;
    }
    EXPECT_GE(count, 10);
}

TEST(SupportFileImages, NamesAreStoredRelativeToTheBaseDirectory)
{
    SupportFile record;
    int lines = 1, samples = 1;
    record.addImage("/data/sub/a.vyn", lines, samples, 2, false, "/data");
    record.addImage("/other/b.vyn", lines, samples, 4, false, "/data");
    record.addImage("/data/c.vyn", lines, samples, 8, false, "");
    ASSERT_EQ(record.getImageMinifications().size(), 3u);
    EXPECT_EQ(record.getImageMinifications()[0].fileName, "sub/a.vyn");
    EXPECT_EQ(record.getImageMinifications()[1].fileName, "../other/b.vyn");
    EXPECT_EQ(record.getImageMinifications()[2].fileName, "/data/c.vyn");
}

TEST(SupportFileImages, ValidWhenEveryReferencedFileExists)
{
    QTemporaryDir dir;
    const auto existing = [&](const char *name) {
        quortest::writeFile(dir.filePath(name), "x");
        return dir.filePath(name).toStdString();
    };
    const auto missing = [&](const char *name) { return dir.filePath(name).toStdString(); };
    const auto backslashed = [](std::string path) {
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
    };

    SupportFile record;
    EXPECT_TRUE(record.isValid(true)); // nothing referred to

    int lines = 1, samples = 1;
    record.addImage(existing("a.vyn"), lines, samples, 1, false, "");
    record.setOriginalOrientation(existing("orig.odf"));
    record.setL0ImageName(existing("l0.vyn"));
    {
        quortest::CaptureFd err(2);
        EXPECT_TRUE(record.isValid(true));
        EXPECT_EQ(err.text(), "");
    }
    EXPECT_TRUE(record.missingFiles().empty());

    // Every kind of reference, missing: the check order decides which one isValid names.
    record.addImage(missing("gone.vyn"), lines, samples, 2, false, "");
    record.setAdjustedOrientation(missing("adj.odf"));
    record.setOriginalCalibration(missing("orig.cal"));
    record.setAdjustedCalibration(missing("adj.cal"));
    record.setL0ImageName(missing("l0gone.vyn"));
    {
        quortest::CaptureFd err(2);
        EXPECT_FALSE(record.isValid(false));
        EXPECT_EQ(err.text(), "");
    }
    {
        quortest::CaptureFd err(2);
        EXPECT_FALSE(record.isValid(true));
        EXPECT_EQ(err.text(), "Image file: " + missing("gone.vyn") + " dosen't exist!\n");
    }
    const std::vector<std::string> all = {
        "Image file: " + missing("gone.vyn") + " dosen't exist!",
        "Adjusted orientation: " + missing("adj.odf") + " dosen't exist!",
        // Calibration paths are stored with backslashes and tested as stored.
        "Original calibration: " + backslashed(missing("orig.cal")) + " dosen't exist!",
        "Adjusted calibration: " + backslashed(missing("adj.cal")) + " dosen't exist!",
        "Level 0 name: " + missing("l0gone.vyn") + " dosen't exist!",
    };
    EXPECT_EQ(record.missingFiles(), all);

    // Relative names are tested against the current folder, not the support file's.
    SupportFile relative;
    relative.addImage("a.vyn", lines, samples, 1, false, "");
    EXPECT_FALSE(relative.isValid(false));
    const quortest::InFolder inside(dir.path());
    EXPECT_TRUE(relative.isValid(false));
}

} // namespace
