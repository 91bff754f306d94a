// quorutil sup as an operator reads it: what the files hold, never the record's defaults, and
// the files they refer to, found beside them.

#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"
#include "tests/support/SupportTestUtil.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using quortest::runTool;
using quortest::ToolResult;

namespace {

const char *const levelTwoWithoutDates = "SUPPORT_FILE quor\n"
                                         "IMAGE_ID \"ortho 7\"\n"
                                         "LAT_REF 5250000\n"
                                         "LON_REF 500000\n"
                                         "INTERLINE_DIST 0.25\n"
                                         "INTERPIXEL_DIST 0.25\n"
                                         "PROJECTION_TYPE UTM_PROJECTION\n"
                                         "ZONE 32\n";

QString sample(const char *name)
{
    return quortest::resourcePath(QStringLiteral("samples/") + QLatin1String(name));
}

QJsonArray jsonArray(const std::string &text)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(text)).array();
}

} // namespace

// The keywords a level-1 file shows with and without --defaults: SupCommandsTest.
TEST(SupContent, ShowPrintsWhatTheFileHoldsAndNoDefaults)
{
    QTemporaryDir dir;
    const std::string l2 = quortest::writeText(dir, "ortho.sup", levelTwoWithoutDates);
    const ToolResult two = runTool({"sup", "show", QString::fromStdString(l2)});
    ASSERT_EQ(two.code, 0) << two.err;
    EXPECT_EQ(two.out.find("PHOTO_DATE"), std::string::npos) << two.out;
    EXPECT_EQ(two.out.find("ELLIPSOID"), std::string::npos) << two.out;
    EXPECT_NE(two.out.find("    ZONE                    32\n"), std::string::npos) << two.out;
    // What the reader assumes for the rest is there on request, marked as such.
    const ToolResult all = runTool({"sup", "show", "--defaults", QString::fromStdString(l2)});
    ASSERT_EQ(all.code, 0) << all.err;
    EXPECT_NE(all.out.find("    ELLIPSOID               NAD_83 (not in the file)\n"),
              std::string::npos)
        << all.out;
    EXPECT_NE(all.out.find("    PHOTO_DATE              "), std::string::npos) << all.out;
}

// One object a file, with a member for each keyword the file holds, typed, and the list of them
// ("present"); none for what the reader assumed.
TEST(SupContent, ShowJsonHoldsWhatEachFileHoldsAndNamesIt)
{
    QTemporaryDir dir;
    const std::string l2 = quortest::writeText(dir, "ortho.sup", levelTwoWithoutDates);
    const QString golden = quortest::dataPath("support/golden_L1.sup");
    const ToolResult r = runTool({"sup", "show", "--json", QString::fromStdString(l2), golden});
    ASSERT_EQ(r.code, 0) << r.err;
    const QJsonArray files = jsonArray(r.out);
    ASSERT_EQ(files.size(), 2) << r.out;
    const QJsonObject ortho = files[0].toObject();
    EXPECT_FALSE(ortho.contains("PHOTO_DATE"));
    EXPECT_FALSE(ortho.contains("ELLIPSOID"));
    EXPECT_EQ(ortho.value("ZONE").toInt(), 32);
    QStringList present;
    for (const QJsonValue &v : ortho.value("present").toArray())
        present << v.toString();
    EXPECT_EQ(present.join(','),
              "SUPPORT_FILE,IMAGE_ID,LAT_REF,LON_REF,INTERLINE_DIST,"
              "INTERPIXEL_DIST,PROJECTION_TYPE,ZONE");

    const QJsonObject l1 = files[1].toObject();
    EXPECT_EQ(l1["file"].toString(), golden);
    EXPECT_EQ(l1["IMAGE_LEVEL"].toInt(), 1);
    EXPECT_EQ(l1["LINE_STAGGERED"].toBool(), true);
    EXPECT_EQ(l1["MAX_AND_MIN_ELEVATION"].toArray(), (QJsonArray {120.5, 850}));
    EXPECT_EQ(l1["IMAGE_FILE_NAME"].toArray()[1].toObject()["lines"].toInt(), 24000);
    EXPECT_EQ(l1["VIEW_OF_LINE"].toString(), "FORWARD");
    EXPECT_EQ(l1["LEVEL_0_NAME"].toString(), "/data/sn3001/SN3001_110115_123458_PANF02A_L0.vyn");
    // Each keyword present is one the level-1 loader reads; the file and that list besides.
    std::set<std::string> levelOne {"IMAGE_LEVEL"};
    for (const quortest::KeywordRow &row : quortest::referenceKeywords()) {
        if (row.levels.find('1') != std::string::npos)
            levelOne.insert(row.keyword);
    }
    QStringList expected {"file", "present"};
    for (const QJsonValue &keyword : l1["present"].toArray()) {
        expected << keyword.toString();
        EXPECT_EQ(levelOne.count(keyword.toString().toStdString()), 1u)
            << keyword.toString().toStdString();
    }
    expected.sort();
    EXPECT_EQ(l1.keys(), expected);
    EXPECT_GT(expected.size(), 40);
}

TEST(SupContent, JsonDatesAreIso8601WithTheirOffset)
{
    const QString file = sample("SN3001_110115_123458_PANF02A_L1.sup");
    for (const auto &[tz, photo, image] :
         {std::make_tuple("Europe/Zurich", "2011-01-15T12:34:58+01:00",
                          "2011-01-17T09:14:27+01:00"),
          std::make_tuple("UTC", "2011-01-15T12:34:58+00:00", "2011-01-17T09:14:27+00:00"),
          std::make_tuple("America/Los_Angeles", "2011-01-15T12:34:58-08:00",
                          "2011-01-17T09:14:27-08:00")}) {
        quortest::ScopedEnv zone("TZ", tz);
        const ToolResult r = runTool({"sup", "show", "--json", file});
        ASSERT_EQ(r.code, 0) << r.err;
        const QJsonObject o = jsonArray(r.out)[0].toObject();
        EXPECT_EQ(o.value("PHOTO_DATE").toString().toStdString(), photo) << tz;
        EXPECT_EQ(o.value("IMAGE_DATE").toString().toStdString(), image) << tz;
    }
}

TEST(SupContent, ShowAndCheckListUnreadableFilesAlike)
{
    QTemporaryDir dir;
    const QString good = sample("SN3001_110115_123458_PANF02A_L1.sup");
    const QString bad = dir.filePath("missing.sup");
    for (const char *command : {"show", "check"}) {
        const ToolResult r = runTool({"sup", command, "--json", good, bad, good});
        EXPECT_EQ(r.code, 1) << command;
        const QJsonArray files = jsonArray(r.out);
        ASSERT_EQ(files.size(), 3) << command << "\n" << r.out;
        EXPECT_EQ(files[1].toObject().value("file").toString(), bad) << command;
        EXPECT_TRUE(files[1].toObject().value("error").toString().contains("No such file"))
            << command;
        EXPECT_FALSE(files[0].toObject().contains("error")) << command;
        // The failure is also the usual one line on standard error.
        EXPECT_NE(r.err.find("quorutil sup " + std::string(command) + ": " + bad.toStdString()
                             + ": No such file or directory\n"),
                  std::string::npos)
            << r.err;
    }
}

TEST(SupContent, ExportKeepsTheLevelZeroNameAndInventsNoDates)
{
    QTemporaryDir dir;
    const QString out1 = dir.filePath("strip.sup");
    const ToolResult r = runTool({"sup", "export", sample("SN3001_110115_123458_PANF02A_L1.sup"),
                                  "--level", "1", "-o", out1});
    ASSERT_EQ(r.code, 0) << r.err;
    const QByteArray strip = quortest::readFile(out1);
    EXPECT_TRUE(
        strip.contains("LEVEL_0_NAME   /data/sn3001/110115/SN3001_110115_123458_PANF02A_L0.sup\n"))
        << strip.toStdString();
    EXPECT_TRUE(strip.contains("PHOTO_DATE \"Sat Jan 15 12:34:58 2011\"")) << strip.toStdString();

    const QString l2 =
        QString::fromStdString(quortest::writeText(dir, "ortho.sup", levelTwoWithoutDates));
    for (const char *level : {"1", "2"}) {
        const QString out = dir.filePath(QStringLiteral("out%1.sup").arg(level));
        const ToolResult e = runTool({"sup", "export", l2, "--level", level, "-o", out});
        ASSERT_EQ(e.code, 0) << e.err;
        const QByteArray text = quortest::readFile(out);
        EXPECT_FALSE(text.contains("PHOTO_DATE")) << text.toStdString();
        EXPECT_FALSE(text.contains("IMAGE_DATE")) << text.toStdString();
        EXPECT_NE(e.err.find("PHOTO_DATE"), std::string::npos) << e.err;
        // What the file holds comes through.
        EXPECT_TRUE(text.contains("IMAGE_ID \"ortho 7\"")) << text.toStdString();
    }
}

// sup check: what a support file refers to is looked for beside it, never in the current folder;
// each reference missing is a line, the name as the file holds it and, when that differs, the
// path looked at; --quiet says nothing and --json tells file by file.
TEST(SupContent, CheckFindsReferencedFilesBesideTheSupportFile)
{
    QTemporaryDir dir;
    QDir root(dir.path());
    ASSERT_TRUE(root.mkpath("flight/line1/orientation") && root.mkpath("flight/line1/sub")
                && root.mkpath("flight/calib") && root.mkpath("elsewhere")
                && root.mkpath("flight/line1/folder.tif"));
    for (const char *file : {"flight/line1/a.tif", "flight/line1/orientation/a.odf",
                             "flight/calib/c.cal", "flight/raw.vyn"})
        quortest::writeFile(dir.filePath(file), "x");
    const QString good = QString::fromStdString(quortest::writeText(
        dir, "flight/line1/a.sup",
        "SUPPORT_FILE quor\nIMAGE_LEVEL 1\nIMAGE_FILE_NAME 1 \"a.tif\"\nLINES 1\nSAMPLES 1\n"
        "ORIGINAL_ORIENTATION orientation/a.odf\nORIGINAL_CALIBRATION ..\\calib\\c.cal\n"
        "LEVEL_0_NAME ../raw.vyn\n"));
    const QString gone = dir.filePath("gone.odf");
    const QString bad = QString::fromStdString(quortest::writeText(
        dir, "flight/line1/sub/b.sup",
        "SUPPORT_FILE quor\nIMAGE_LEVEL 1\nIMAGE_FILE_NAME 1 \"../folder.tif\"\nLINES 1\n"
        "SAMPLES 1\nIMAGE_FILE_NAME 2 \"b_2.tif\"\nLINES 1\nSAMPLES 1\nADJUSTED_ORIENTATION "
            + gone.toStdString()
            + "\nORIGINAL_CALIBRATION \\no\\such.cal\nLEVEL_0_NAME ../../raw0.vyn\n"));
    const QString notSup = QString::fromStdString(quortest::writeText(dir, "text.sup", "hello\n"));
    const quortest::InFolder elsewhere(dir.filePath("elsewhere"));

    const ToolResult ok = runTool({"sup", "check", good});
    EXPECT_EQ(ok.code, 0) << ok.err << ok.out;
    EXPECT_EQ(ok.out + ok.err, "");

    // A file that is no support file is the usual one line on standard error; the rest go on.
    const ToolResult text = runTool({"sup", "check", good, bad, notSup});
    EXPECT_EQ(text.code, 1);
    const QString sub = dir.filePath("flight/line1/sub/"), b = bad + ": ";
    EXPECT_EQ(QString::fromStdString(text.out),
              b + "Image file: ../folder.tif is a folder (" + sub + "../folder.tif)\n" + b
                  + "Image file: b_2.tif dosen't exist! (" + sub + "b_2.tif)\n" + b
                  + "Adjusted orientation: " + gone + " dosen't exist!\n" + b
                  + "Original calibration: \\no\\such.cal dosen't exist! (/no/such.cal)\n" + b
                  + "Level 0 name: ../../raw0.vyn dosen't exist! (" + sub + "../../raw0.vyn)\n");
    EXPECT_EQ(text.err.rfind("quorutil sup check: " + notSup.toStdString() + ": line 1: ", 0), 0u)
        << text.err;
    EXPECT_EQ(std::count(text.err.begin(), text.err.end(), '\n'), 1) << text.err;
    const ToolResult quiet = runTool({"sup", "check", "--quiet", good, bad});
    EXPECT_EQ(quiet.code, 1);
    EXPECT_EQ(quiet.out + quiet.err, "");

    const ToolResult r = runTool({"sup", "check", "--json", good, bad});
    EXPECT_EQ(r.code, 1);
    const QJsonArray files = jsonArray(r.out);
    ASSERT_EQ(files.size(), 2) << r.out;
    EXPECT_TRUE(files[0].toObject().value("valid").toBool()) << r.out;
    const QJsonObject o = files[1].toObject();
    EXPECT_FALSE(o.value("valid").toBool());
    QStringList missing, messages;
    for (const QJsonValue &v : o.value("missing").toArray())
        missing << v.toString();
    for (const QJsonValue &v : o.value("messages").toArray())
        messages << v.toString();
    EXPECT_EQ(missing.join(','),
              sub + "../folder.tif," + sub + "b_2.tif," + gone + ",/no/such.cal," + sub
                  + "../../raw0.vyn")
        << r.out;
    EXPECT_EQ(messages.size(), 5) << r.out;
    EXPECT_EQ(messages.value(3), "Original calibration: \\no\\such.cal dosen't exist!") << r.out;

    // A folder is checked file by file; --recursive goes below it.
    QFile::remove(notSup);
    const ToolResult flat = runTool({"sup", "check", dir.filePath("flight/line1")});
    EXPECT_EQ(flat.code, 0) << flat.err << flat.out;
    const ToolResult deep = runTool({"sup", "check", "--recursive", dir.filePath("flight")});
    EXPECT_EQ(deep.code, 1);
    EXPECT_NE(deep.out.find("b.sup: Image file: b_2.tif dosen't exist!"), std::string::npos)
        << deep.out;
    const ToolResult none = runTool({"sup", "check", dir.filePath("elsewhere")});
    EXPECT_EQ(none.code, 1);
    EXPECT_NE(none.err.find("no support file"), std::string::npos) << none.err;
    // --help says where relative names are looked for.
    EXPECT_NE(runTool({"sup", "check", "--help"}).out.find("support file's own folder"),
              std::string::npos);
}

TEST(SupContent, CheckReportsAnImageNameThatWasCut)
{
    QTemporaryDir dir;
    const QString name(300, 'n');
    // The cut name (its first 251 characters) exists, as a folder here.
    ASSERT_TRUE(QDir(dir.path()).mkpath(QString(251, 'n')));
    const std::string file = quortest::writeText(
        dir, "long.sup",
        ("SUPPORT_FILE quor\nIMAGE_FILE_NAME 1 \"" + name + "\"\nLINES 1\nSAMPLES 1\n")
            .toStdString());
    const ToolResult r = runTool({"sup", "check", QString::fromStdString(file)});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("was cut at 254 characters"), std::string::npos) << r.out;
}
