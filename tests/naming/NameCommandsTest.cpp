#include "tests/common/ToolRun.h"
#include "tests/naming/NamingSandbox.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

using quortest::runTool;
using quortest::ToolResult;

// The real tool in a process of its own, for what is fixed once per process (system locale,
// settings object).
ToolResult runToolProcess(const QStringList &args, const QProcessEnvironment &env)
{
    QProcess tool;
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral(QUOR_TOOL), args);
    EXPECT_TRUE(tool.waitForFinished(60000)) << args.join(' ').toStdString();
    return {tool.exitCode(), tool.readAllStandardOutput().toStdString(),
            tool.readAllStandardError().toStdString()};
}

const QString ortho = QStringLiteral("SN3001_110115_123458_PANF02AL1_012_034_ortho");

} // namespace

class NameCommands : public quortest::NamingSandbox
{
};

TEST_F(NameCommands, NamesFromAPatternText)
{
    const ToolResult token =
        runTool({"name", "--example", "--pattern", "$PROJECT$_$yyMMdd$_$LINENUMBER$.$BAND$"});
    EXPECT_EQ(token.code, 0) << token.err;
    EXPECT_EQ(token.out, "Project_110115_002.PANF02A\n");

    const ToolResult options =
        runTool({"name", "--pattern",
                 "<FilePattern separator=\"_\" prefix=\"L0\"><Project pos=\"0\" checked=\"1\"/>"
                 "<SerialNumber pos=\"1\" checked=\"1\"/><TakeNumber pos=\"2\" checked=\"1\"/>"
                 "<Date pos=\"3\" checked=\"1\"><Year pos=\"0\" checked=\"1\"/></Date>"
                 "<Band pos=\"4\" checked=\"1\"/></FilePattern>",
                 "--project", "Lake Area", "--serial", "30017", "--line-number", "4", "--date-time",
                 "2020-06-30T08:15:00", "--band", "RGBN00A"});
    EXPECT_EQ(options.code, 0) << options.err;
    EXPECT_EQ(options.out, "L0_Lake_Area_30017_004_2020_RGBN00A\n");
}

TEST_F(NameCommands, NamesFromACollectionAndTheConfiguration)
{
    const QString file =
        writeCollection("c.xml", quortest::collectionXml({{"Default", "d"}, {"Mine", "m"}}));
    EXPECT_EQ(runTool({"name", "--example", "--collection", file}).out, "d_Project\n");
    EXPECT_EQ(runTool({"name", "--example", "--collection", file, "--id", "Mine"}).out,
              "m_Project\n");

    const ToolResult missing = runTool({"name", "--collection", file, "--id", "Nope"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("no pattern 'Nope'"), std::string::npos) << missing.err;

    // The configured patterns, as the applications load them.
    writeCollection("root/etc/ZeduvidoSessionNaming.xml",
                    quortest::collectionXml({{"Default", "s"}}));
    setNamingConfig("ZeduvidoFileNaming", "F-$BAND$");
    EXPECT_EQ(runTool({"name", "--band", "NIRB16"}).out, "F-NIRB16\n");
    EXPECT_EQ(runTool({"name", "--session", "--project", "P"}).out, "s_P\n");
}

TEST_F(NameCommands, ReportsNamingErrorsAndUsage)
{
    const ToolResult bad =
        runTool({"name", "--pattern", "<FilePattern><Band checked=\"1\"/></FilePattern>"});
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(bad.err, "quorutil name: Can't parse naming pattern\n");

    const ToolResult invalid = runTool({"name", "--pattern", "<Patterns/>"});
    EXPECT_EQ(invalid.err, "quorutil name: Invalid file naming pattern\n");

    for (const QStringList &args :
         {QStringList {"name", "--bogus"}, QStringList {"name", "--serial", "-3"},
          QStringList {"name", "--line-number", "1,5"},
          QStringList {"name", "--date-time", "yesterday"},
          QStringList {"name", "--pattern", "x", "--collection", "y"},
          QStringList {"name", "--id", "x"}, QStringList {"name", "--pattern"},
          QStringList {"supname"}, QStringList {"supname", "fold"},
          QStringList {"supname", "parse"}, QStringList {"supname", "rename", ortho}}) {
        const ToolResult r = runTool(args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        EXPECT_NE(r.err.find("Usage: quorutil"), std::string::npos) << r.err;
    }
    EXPECT_EQ(runTool({"name", "--help"}).code, 0);
    EXPECT_EQ(runTool({"supname", "--help"}).code, 0);
}

TEST_F(NameCommands, ParsesSupportFileNames)
{
    const ToolResult text = runTool({"supname", "parse", ortho, "SN3001_110115_123458_RGBN00A_L1"});
    EXPECT_EQ(text.code, 0) << text.err;
    EXPECT_EQ(text.out,
              "SN3001_110115_123458_PANF02AL1_012_034_ortho: sensor=3001 date=110115 time=123458 "
              "band=PAN angle=F02A level=L1 xcoord=012 ycoord=034\n"
              "SN3001_110115_123458_RGBN00A_L1: sensor=3001 date=110115 time=123458 band=RGB "
              "angle=N00A level=\n");

    // The second name has its band part but no valid time: nothing of it is shown.
    const ToolResult mixed =
        runTool({"supname", "parse", "--json", ortho, "SN3001_110115_126000_PANF02A", "notes.txt"});
    EXPECT_EQ(mixed.code, 1);
    const QJsonArray results =
        QJsonDocument::fromJson(QByteArray::fromStdString(mixed.out)).array();
    ASSERT_EQ(results.size(), 3) << mixed.out;
    EXPECT_TRUE(results[0].toObject()["readable"].toBool());
    EXPECT_EQ(results[0].toObject()["attributes"].toObject()["angle"].toString(), "F02A");
    for (int i : {1, 2}) {
        EXPECT_FALSE(results[i].toObject()["readable"].toBool()) << i;
        EXPECT_TRUE(results[i].toObject()["attributes"].toObject().isEmpty()) << mixed.out;
    }

    EXPECT_EQ(runTool({"supname", "parse", "notes.txt"}).out, "notes.txt: not readable\n");
}

TEST_F(NameCommands, RenamesAfterAPatternFile)
{
    const QString pattern =
        writeCollection("p.xml", R"(<Pattern separator="_" prefix="AB" suffix="ortho">
  <Date pos="0"><Year pos="0" checked="2"/><Month pos="1" checked="2"/><Day pos="2" checked="2"/></Date>
  <Time pos="1"><Hour pos="0" checked="2"/><Minute pos="1" checked="2"/></Time>
  <Sensor pos="2" checked="2"/><Band pos="3" checked="2"/><Angle pos="4" checked="2"/>
  <Level pos="5" checked="2"/><TileX pos="6" checked="2"/><TileY pos="7" checked="2"/>
</Pattern>)");
    const ToolResult ok = runTool({"supname", "rename", ortho, "--pattern-file", pattern});
    EXPECT_EQ(ok.code, 0) << ok.err;
    EXPECT_EQ(ok.out, "AB_110115_1234_3001_PANF02AL1_012_034_ortho\n");

    const ToolResult refused = runTool({"supname", "rename", "notes", "--pattern-file", pattern});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(
        runTool({"supname", "rename", "notes", "--pattern-file", pattern, "--ignore-prefix-error"})
            .out,
        "AB_ortho\n");

    const ToolResult notXml = runTool({"supname", "rename", ortho, "--pattern-file",
                                       quortest::dataPath("naming/bad_collection_truncated.xml")});
    EXPECT_EQ(notXml.code, 1);
    EXPECT_NE(notXml.err.find("is not XML"), std::string::npos) << notXml.err;
    EXPECT_EQ(
        runTool({"supname", "rename", ortho, "--pattern-file", m_dir.filePath("none.xml")}).code,
        1);
}

TEST_F(NameCommands, NamesCarryAsciiDigitsUnderAnyLocale)
{
    const QString pattern =
        writeCollection("p.xml", R"(<Pattern separator="_"><Date pos="0"><Year pos="0" checked="2"/>
<Month pos="1" checked="2"/><Day pos="2" checked="2"/></Date><Time pos="1"><Hour pos="0"
checked="2"/><Minute pos="1" checked="2"/></Time><Band pos="2" checked="2"/></Pattern>)");
    const struct
    {
        const char *name;
        QStringList args;
        QString expected;
    } rows[] = {
        {"Date and Time pieces",
         {"name", "--example", "--pattern",
          R"(<FilePattern separator="_"><Date pos="0" checked="1"><Year pos="0" checked="1"/>
<Day pos="1" checked="1"/></Date><Time pos="1" checked="1"><Hour pos="0" checked="1"/>
</Time><TakeNumber pos="2" checked="1"/></FilePattern>)"},
         "201115_12_001"},
        {"date-time tokens",
         {"name", "--example", "--pattern", "$yyMMdd$-$hh:mm:ss$-$SERIAL$"},
         "110115-12:34:58-30001"},
        {"support-file rename",
         {"supname", "rename", "SN3001_110115_123458_PANF02AL1", "--pattern-file", pattern},
         "110115_1234_PAN"},
    };
    for (const char *locale : {"ar_EG.UTF-8", "fa_IR.UTF-8", "de_DE.UTF-8"}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LC_ALL", locale);
        env.insert("LANG", locale);
        for (const auto &row : rows) {
            const ToolResult r = runToolProcess(row.args, env);
            EXPECT_EQ(QString::fromStdString(r.out), row.expected + "\n")
                << row.name << " under " << locale << ": " << r.err;
        }
    }
}

TEST_F(NameCommands, ConfiguredNamingNeedsTheSettingsFile)
{
    // Even with a collection in the root, the settings file is read first.
    writeCollection("root/etc/ZeduvidoFileNaming.xml", quortest::collectionXml({{"Default", "d"}}));
    const QString missing = m_dir.filePath("nowhere/quor.ini");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUOR_DEVELOP", root());
    env.insert("QUOR_INI", missing);
    const ToolResult r = runToolProcess({"name", "--example"}, env);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "quorutil name: Can't find quor.ini: " + missing.toStdString() + "\n");
}
