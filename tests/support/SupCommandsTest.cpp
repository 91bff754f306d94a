// quorutil sup, driven in-process.

#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"
#include "tests/support/SupportTestUtil.h"
#include "util/support/SupportFile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

using quortest::dataPath;
using quortest::readFile;
using quortest::resourcePath;
using quortest::runTool;
using quortest::ToolResult;

namespace {

int lineCount(const std::string &text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

TEST(SupCommand, ShowPrintsTheLevelAndEveryField)
{
    const quortest::ScopedTimeZone tz(quortest::goldenTimeZone);
    const QString file = dataPath("support/golden_L1.sup");
    const ToolResult r = runTool({"sup", "show", file});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind(file.toStdString() + "\n  Level: 1 (rectified image)\n", 0), 0u) << r.out;
    for (const char *line :
         {"    Image ID:                       SN3001_110115_123458_PANF02A_L1\n",
          "    Image files:                    2\n",
          "      level 2: \"/data/sn3001/SN3001_110115_123458_PANF02A_L1_2.tif\", 24000 lines x "
          "6000 samples\n",
          "    Photo date:                     2011-01-15 12:34:58 CET (1295091298)\n",
          "    Rectification y offset:         101.25\n",
          "    Line staggered:                 yes\n",
          "    Grid name:                      UTM_11N\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
}

TEST(SupCommand, ShowJsonHoldsEveryFieldOfEveryFile)
{
    const quortest::ScopedTimeZone tz(quortest::goldenTimeZone);
    const ToolResult r = runTool({"sup", "show", "--json", dataPath("support/golden_L1.sup"),
                                  dataPath("support/golden_L2.sup")});
    ASSERT_EQ(r.code, 0) << r.err;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out;
    const QJsonArray files = doc.array();
    ASSERT_EQ(files.size(), 2);

    const QJsonObject l1 = files[0].toObject();
    EXPECT_EQ(l1["level"].toInt(), 1);
    EXPECT_EQ(l1["imageID"].toString(), "SN3001_110115_123458_PANF02A_L1");
    EXPECT_EQ(l1["imageFiles"].toArray().size(), 2);
    EXPECT_EQ(l1["imageFiles"].toArray()[0].toObject()["lines"].toInt(), 48000);
    EXPECT_EQ(l1["photoDate"].toDouble(), 1295091298.0);
    EXPECT_EQ(l1["rectYOffset"].toDouble(), 101.25);
    EXPECT_EQ(l1["lineStaggered"].toBool(), true);
    EXPECT_EQ(l1["viewOfLine"].toString(), "FORWARD");
    EXPECT_EQ(l1["localOriginBasis"].toArray().size(), 9);
    EXPECT_EQ(l1["originalCalibration"].toString(), "calib\\SN3001.cal");

    const QJsonObject l2 = files[1].toObject();
    EXPECT_EQ(l2["level"].toInt(), 2);
    EXPECT_EQ(l2["poly20Sample"].toArray().size(), 20);
    EXPECT_EQ(l2["projectionZone"].toInt(), 32);

    // One member per field of the record, plus the file and its level.
    const quortest::FieldList fields = quortest::supportFileFields(util::SupportFile());
    EXPECT_EQ(l1.size(), static_cast<int>(fields.size()) - 1 + 2);
    for (const auto &field : fields) {
        if (field.first != "imageLevel") {
            EXPECT_TRUE(l1.contains(QString::fromStdString(field.first))) << field.first;
        }
    }
}

TEST(SupCommand, ShowReportsAnUnreadableFileAndGoesOn)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing.sup");
    const ToolResult r = runTool({"sup", "show", missing, dataPath("support/golden_L2.sup")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err,
              "quorutil sup: cannot read " + missing.toStdString()
                  + ": No such file or directory\n");
    EXPECT_NE(r.out.find("Level: 2 (orthophoto)"), std::string::npos);

    const ToolResult d = runTool({"sup", "show", "--json", dir.path()});
    EXPECT_EQ(d.code, 1);
    EXPECT_EQ(lineCount(d.err), 1);
    EXPECT_NE(d.err.find(dir.path().toStdString()), std::string::npos);
    EXPECT_EQ(d.out, "[]\n");
}

TEST(SupCommand, ExportWritesWhatTheLibraryWrites)
{
    const quortest::ScopedTimeZone tz(quortest::goldenTimeZone);
    QTemporaryDir dir;
    const std::string input = dataPath("support/golden_L1.sup").toStdString();
    util::SupportFile record(input);

    struct Row
    {
        QStringList options;
        std::string expected;
    };
    const QString out = dir.filePath("out.sup");
    const Row rows[] = {
        {{"--level", "2"}, record.formatL2SupportFile()},
        {{"--level", "1"}, record.formatL1SupportFile(out.toStdString(), true, false)},
        {{"--level", "1", "--relative-names", "--no-level0-name"},
         record.formatL1SupportFile(out.toStdString(), false, true)},
    };
    for (const Row &row : rows) {
        const ToolResult r = runTool(
            QStringList {"sup", "export", QString::fromStdString(input), "-o", out} + row.options);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out + r.err, "");
        EXPECT_EQ(readFile(out).toStdString(), row.expected) << row.options.join(' ').toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList {"out.sup"});
}

TEST(SupCommand, ExportFailureLeavesTheOutputAlone)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("out.sup");
    quortest::writeFile(out, "previous content\n");
    const QString sample = resourcePath("samples/SN3001_110115_123458_PANF02A_L1.sup");

    struct Row
    {
        const char *name;
        QStringList args;
        std::string named;
    };
    const QString missingInput = dir.filePath("missing.sup");
    const QString missingFolder = dir.filePath("no/such/folder/out.sup");
    const Row rows[] = {
        {"unreadable input",
         {"sup", "export", missingInput, "--level", "2", "-o", out},
         missingInput.toStdString()},
        {"folder as input",
         {"sup", "export", dir.path(), "--level", "2", "-o", out},
         dir.path().toStdString()},
        {"missing output folder",
         {"sup", "export", sample, "--level", "1", "-o", missingFolder},
         missingFolder.toStdString()},
        {"folder as output",
         {"sup", "export", sample, "--level", "1", "-o", dir.path()},
         dir.path().toStdString()},
    };
    for (const Row &row : rows) {
        const ToolResult r = runTool(row.args);
        EXPECT_EQ(r.code, 1) << row.name;
        EXPECT_EQ(lineCount(r.err), 1) << row.name << ": " << r.err;
        EXPECT_NE(r.err.find(row.named), std::string::npos) << row.name << ": " << r.err;
        EXPECT_EQ(readFile(out), "previous content\n") << row.name;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {"out.sup"})
            << row.name << ": no temporary file is left behind";
    }
}

TEST(SupCommand, ExportThatCannotBeWrittenOutLeavesTheOutputAlone)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("out.sup");
    quortest::writeFile(out, "previous content\n");
    ToolResult r;
    {
        const quortest::ScopedFileSizeLimit limit(100);
        r = runTool({"sup", "export", resourcePath("samples/SN3001_110115_123458_PANF02A_L1.sup"),
                     "--level", "1", "-o", out});
    }
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(lineCount(r.err), 1) << r.err;
    EXPECT_EQ(r.err.rfind("quorutil sup: cannot write " + out.toStdString() + ": ", 0), 0u)
        << r.err;
    EXPECT_EQ(readFile(out), "previous content\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {"out.sup"});
}

TEST(SupCommand, ExportRefusesAnUnsupportedLevel)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("out.sup");
    quortest::CaptureFd err2(2);
    const ToolResult r = runTool({"sup", "export", dataPath("support/bad_unsupported_level.sup"),
                                  "--level", "2", "-o", out});
    err2.text();
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("unsupported image level 9"), std::string::npos) << r.err;
    EXPECT_FALSE(QFile::exists(out));
}

TEST(SupCommand, UsageErrorsExitWithCodeTwoAndTheUsage)
{
    const QString f = dataPath("support/golden_L1.sup");
    const QStringList rows[] = {
        {"sup"},
        {"sup", "frobnicate"},
        {"sup", "show"},
        {"sup", "show", f, "--yaml"},
        {"sup", "export", f},
        {"sup", "export", f, "--level", "1"},
        {"sup", "export", f, "-o", "x.sup"},
        {"sup", "export", f, "--level", "3", "-o", "x.sup"},
        {"sup", "export", f, "--level"},
        {"sup", "export", f, f, "--level", "1", "-o", "x.sup"},
        {"sup", "export", "--level", "1", "-o", "x.sup"},
        {"sup", "export", f, "--level", "2", "-o", "x.sup", "--relative-names"},
    };
    for (const QStringList &args : rows) {
        const ToolResult r = runTool(args);
        const std::string name = args.join(' ').toStdString();
        EXPECT_EQ(r.code, 2) << name;
        EXPECT_NE(r.err.find("Usage: quorutil sup show"), std::string::npos) << name;
        EXPECT_EQ(r.out, "") << name;
        EXPECT_FALSE(QFile::exists("x.sup")) << name;
    }

    const ToolResult help = runTool({"sup", "export", "--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("Usage: quorutil sup show"), std::string::npos);
}
