// quorutil sup, driven in-process.

#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"
#include "tests/support/SupportTestUtil.h"
#include "util/support/SupportFile.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using quortest::dataPath;
using quortest::readFile;
using quortest::runTool;
using quortest::ToolResult;

TEST(SupCommand, ShowPrintsEveryFieldAndGoesOnAfterAnUnreadableFile)
{
    QTemporaryDir dir;
    const QString file = dataPath("support/golden_L1.sup");
    const QString missing = dir.filePath("missing.sup");
    const ToolResult r = runTool({"sup", "show", missing, file});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err,
              "quorutil sup: cannot read " + missing.toStdString()
                  + ": No such file or directory\n");
    EXPECT_EQ(r.out.rfind(file.toStdString() + "\n  Level: 1 (rectified image)\n", 0), 0u) << r.out;
    for (const char *line :
         {"      level 2: \"/data/sn3001/SN3001_110115_123458_PANF02A_L1_2.tif\", 24000 lines x "
          "6000 samples\n",
          "    Photo date:                     2011-01-15 12:34:58 CET (1295091298)\n",
          "    Rectification y offset:         101.25\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
}

TEST(SupCommand, ShowJsonHoldsEveryField)
{
    const ToolResult r = runTool({"sup", "show", "--json", dataPath("support/golden_L1.sup")});
    ASSERT_EQ(r.code, 0) << r.err;
    const QJsonObject l1 = QJsonDocument::fromJson(QByteArray::fromStdString(r.out))[0].toObject();
    EXPECT_EQ(l1["level"].toInt(), 1) << r.out;
    EXPECT_EQ(l1["photoDate"].toDouble(), 1295091298.0);
    EXPECT_EQ(l1["lineStaggered"].toBool(), true);

    // One member per field of the record, plus the file and its level.
    const quortest::FieldList fields = quortest::supportFileFields(util::SupportFile());
    EXPECT_EQ(l1.size(), static_cast<int>(fields.size()) - 1 + 2);
    for (const auto &field : fields)
        EXPECT_TRUE(field.first == "imageLevel" || l1.contains(QString::fromStdString(field.first)))
            << field.first;
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
        EXPECT_EQ(r.out + r.err, "");
        EXPECT_EQ(readFile(out).toStdString(), expected) << options.join(' ').toStdString();
    }

    // An unreadable input, and an output that is a folder.
    quortest::writeFile(out, "previous content\n");
    const QString missing = dir.filePath("missing.sup");
    for (const auto &[in, to] : {std::make_pair(missing, out), {input, dir.path()}}) {
        const ToolResult r = runTool({"sup", "export", in, "--level", "1", "-o", to});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find((in == missing ? in : to).toStdString()), std::string::npos) << r.err;
        EXPECT_EQ(readFile(out), "previous content\n");
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {"out.sup"});
    }
}

TEST(SupCommand, UsageErrorsExitWithCodeTwoAndTheUsage)
{
    const QString f = dataPath("support/golden_L1.sup");
    for (const QStringList &args :
         {QStringList {"sup", "show"},
          {"sup", "export", f, "--level", "1"},
          {"sup", "export", f, "--level", "3", "-o", "x.sup"},
          {"sup", "export", f, "--level", "2", "-o", "x.sup", "--relative-names"}}) {
        const ToolResult r = runTool(args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        EXPECT_NE(r.err.find("Usage: quorutil sup show"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
}
