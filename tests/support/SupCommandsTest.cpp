// quorutil sup, driven in-process.

#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"
#include "tests/support/SupportTestUtil.h"
#include "util/support/SupportFile.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <QFile>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using quortest::dataPath;
using quortest::readFile;
using quortest::runTool;
using quortest::ToolResult;

TEST(SupCommand, ShowPrintsEveryKeywordAndGoesOnAfterAnUnreadableFile)
{
    QTemporaryDir dir;
    const QString file = dataPath("support/golden_L1.sup");
    const QString missing = dir.filePath("missing.sup");
    const ToolResult r = runTool({"sup", "show", missing, file});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err,
              "quorutil sup show: " + missing.toStdString() + ": No such file or directory\n");
    EXPECT_EQ(r.out.rfind(file.toStdString()
                              + "\n  Level: 1 (rectified image)\n  Every level\n"
                                "    SUPPORT_FILE            d\n",
                          0),
              0u)
        << r.out;
    for (const char *line :
         {"      level 2: \"/data/sn3001/SN3001_110115_123458_PANF02A_L1_2.tif\", 24000 lines x "
          "6000 samples\n",
          "    PHOTO_DATE              2011-01-15 12:34:58 CET (1295091298)\n",
          "    MAX_AND_MIN_ELEVATION   120.5 850\n",
          "    RECT_YOFFSET            100.25\n", // as the file holds it
          // The level-0 image the file names, not the path of the file read.
          "    LEVEL_0_NAME            /data/sn3001/SN3001_110115_123458_PANF02A_L0.vyn\n",
          "    IMAGE_ID                SN3001_110115_123458_PANF02A_L1\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
    // With --defaults every keyword the level-1 loader reads has a line (IMAGE_LEVEL is the
    // "Level:" line); the keywords of level 2 alone, which it never reads, have none.
    const ToolResult all = runTool({"sup", "show", "--defaults", file});
    ASSERT_EQ(all.code, 0) << all.err;
    for (const quortest::KeywordRow &row : quortest::referenceKeywords()) {
        const bool shown = all.out.find("\n    " + row.keyword + " ") != std::string::npos
            || all.out.find("\n    " + row.keyword + "\n") != std::string::npos;
        EXPECT_EQ(shown, row.keyword != "IMAGE_LEVEL" && row.levels.find('1') != std::string::npos)
            << row.keyword;
        // Without it, what the file does not hold has no line.
        if (!shown) {
            EXPECT_EQ(r.out.find("\n    " + row.keyword + " "), std::string::npos) << row.keyword;
        }
    }
}

TEST(SupCommand, ExportWritesWhatTheLibraryWritesOrLeavesTheOutputAlone)
{
    QTemporaryDir dir;
    const QString input = dataPath("support/golden_L1.sup");
    const QString out = dir.filePath("out.sup");
    const util::SupportFile record(input.toStdString());
    const std::pair<QStringList, std::string> rows[] = {
        {{"--level", "2"}, record.formatL2SupportFile()},
        {{"--level", "1", "--relative-names", "--no-level0-name"},
         record.formatL1SupportFile(out.toStdString(), false, true)},
    };
    for (const auto &[options, expected] : rows) {
        const ToolResult r = runTool(QStringList {"sup", "export", input, "-o", out} + options);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(readFile(out).toStdString(), expected) << options.join(' ').toStdString();
        // A level-1 file holds no level-2 keyword: what the level-2 file gets are defaults,
        // and the tool says so.
        EXPECT_EQ(r.err.empty(), options[1] == "1") << r.err;
        if (options[1] == "2") {
            EXPECT_EQ(r.err.rfind("quorutil sup export: " + input.toStdString()
                                      + ": not in the file, written as the reader's defaults: "
                                        "LAT_REF, ",
                                  0),
                      0u)
                << r.err;
        }
    }
    // "-o -": standard output.
    const ToolResult toStdout = runTool({"sup", "export", input, "--level", "2", "-o", "-"});
    EXPECT_EQ(toStdout.code, 0) << toStdout.err;
    EXPECT_EQ(toStdout.out, record.formatL2SupportFile());

    // An unreadable input leaves an existing output as it was (the kinds of failure themselves
    // are rows of the tool's failure table).
    quortest::writeFile(out, "previous content\n");
    const ToolResult r =
        runTool({"sup", "export", dir.filePath("missing.sup"), "--level", "1", "-o", out});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(readFile(out), "previous content\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {"out.sup"});
}

// Damaged, empty, foreign or unsupported input: one line naming the file and the line, exit 1,
// nothing written; --force shows or exports what was read.
TEST(SupCommand, RefusesDamagedInputUnlessForced)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("out.sup");
    // Every bad_*.sup with what the checked load says about it.
    for (const quortest::TableRow &row : quortest::tableRows("support/damaged.txt")) {
        const std::string &name = row[0];
        const QString file = dataPath(QString::fromStdString("support/" + name));
        const std::string line = file.toStdString() + ": " + row[4] + "\n";
        const ToolResult show = runTool({"sup", "show", file});
        EXPECT_EQ(show.code, 1) << name;
        EXPECT_EQ(show.out, "") << name;
        EXPECT_EQ(show.err, "quorutil sup show: " + line) << name;

        const ToolResult exported = runTool({"sup", "export", file, "--level", "1", "-o", out});
        EXPECT_EQ(exported.code, 1) << name;
        EXPECT_EQ(exported.err, "quorutil sup export: " + line) << name;
        EXPECT_FALSE(QFile::exists(out)) << name;

        const ToolResult forced = runTool({"sup", "show", "--force", file});
        EXPECT_EQ(forced.code, 0) << name;
        EXPECT_EQ(forced.out.rfind(file.toStdString() + "\n  Level: ", 0), 0u) << name;
        EXPECT_EQ(std::count(forced.err.begin(), forced.err.end(), '\n'), 1) << forced.err;
    }
    // A forced export writes what was read before the break.
    const QString broken = dataPath("support/bad_image_block_without_samples.sup");
    const ToolResult forced =
        runTool({"sup", "export", broken, "--force", "--level", "1", "-o", out});
    EXPECT_EQ(forced.code, 0) << forced.err;
    util::SupportFile back(out.toStdString());
    EXPECT_EQ(back.getImageMinifications().size(), 1u);
    EXPECT_EQ(back.getImageID(), "SN3001_110115_123458_PANF02A_L1");
}

TEST(SupCommand, ShowRefusesDevicesAndFifosAtOnce)
{
    QTemporaryDir dir;
    QStringList files {dir.filePath("fifo")};
    ASSERT_EQ(mkfifo(QFile::encodeName(files[0]).constData(), 0600), 0);
    if (geteuid() == 0) {
        files << dir.filePath("zero");
        ASSERT_EQ(mknod(QFile::encodeName(files[1]).constData(), S_IFCHR | 0600, makedev(1, 5)), 0);
    }
    for (const QString &file : files) {
        const ToolResult r = runTool({"sup", "show", "--force", file});
        EXPECT_EQ(r.code, 1) << file.toStdString();
        EXPECT_EQ(r.err, "quorutil sup show: " + file.toStdString() + ": not a regular file\n");
    }
}
