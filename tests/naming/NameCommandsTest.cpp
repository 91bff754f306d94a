#include "tests/common/ToolRun.h"
#include "tests/naming/NamingTestUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>

using quortest::runTool;
using quortest::ToolResult;

namespace {

const QString ortho = "SN3001_110115_123458_PANF02AL1_012_034_ortho";
const QString supPattern = quortest::dataPath("naming/worked_sup_pattern.xml");

// The real tool in a process of its own, for what is fixed once per process (system locale,
// settings file); environment holds NAME=VALUE entries.
ToolResult runToolProcess(const QStringList &args, const QStringList &environment)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &variable : environment)
        env.insert(variable.section('=', 0, 0), variable.section('=', 1));
    QProcess tool;
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral(QUOR_TOOL), args);
    EXPECT_TRUE(tool.waitForFinished(60000)) << args.join(' ').toStdString();
    return {tool.exitCode(), tool.readAllStandardOutput().toStdString(),
            tool.readAllStandardError().toStdString()};
}

} // namespace

TEST(NameCommands, NamesFromAPatternACollectionOrTheSettingsFile)
{
    const ToolResult token =
        runTool({"name", "--pattern",
                 "$PROJECT$_$FLIGHTPLAN$_$LINENAME$_$LINENUMBER$_$SERIAL$_$SENSORTYPE$"
                 "_$BAND$_$yyyy-hh$",
                 "--project", "Lake Area", "--flight-plan", "FP", "--line-name", "L7",
                 "--line-number", "4", "--serial", "30017", "--sensor-type", "QK", "--band",
                 "RGBN00A", "--date-time", "2020-06-30T08:15:00"});
    EXPECT_EQ(token.code, 0) << token.err;
    EXPECT_EQ(token.out, "Lake Area_FP_L7_005_30017_QK_RGBN00A_2020-08\n");

    QTemporaryDir dir;
    const QString file = dir.filePath("c.xml");
    quortest::writeFile(file, quortest::collectionXml({{"Default", "d"}, {"Mine", "m"}}));
    EXPECT_EQ(runTool({"name", "--example", "--collection", file, "--id", "Mine"}).out,
              "m_Project\n");
    const ToolResult missing = runTool({"name", "--collection", file, "--id", "Nope"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("no pattern 'Nope'"), std::string::npos) << missing.err;
}

TEST(NameCommands, NamesAfterTheConfigurationWithEveryFallback)
{
    // Settings file, root and native settings ("Solvane" / "QuorIngest") in one folder.
    QTemporaryDir dir;
    const auto write = [&](const QString &file, const QByteArray &text) {
        QDir().mkpath(QFileInfo(dir.filePath(file)).path());
        quortest::writeFile(dir.filePath(file), text);
    };
    const auto name = [&](const QStringList &args) {
        const ToolResult r =
            runToolProcess(args,
                           {"QUOR_DEVELOP=" + dir.path(), "XDG_CONFIG_HOME=" + dir.path(),
                            "QUOR_INI=" + dir.filePath("quor.ini")});
        return QString::fromStdString(std::to_string(r.code) + " " + r.out + r.err).trimmed();
    };
    const QStringList file = {"name", "--example"}, session = file + QStringList("--session");
    const QString builtInFile = "0 Project_Take_30001_20110115_123458_001_PANF02A";
    write("quor.ini", "[NamingConfig]\n");
    EXPECT_EQ(name(file), builtInFile);
    EXPECT_EQ(name(session), "0 Project_30001_20110115_1234");

    // The root's collections, each with a selection of its own.
    write("etc/ZeduvidoFileNaming.xml",
          quortest::collectionXml({{"Default", "file"}, {"Mine", "mine"}}));
    write("etc/ZeduvidoSessionNaming.xml",
          quortest::collectionXml({{"Default", "session"}, {"Mine", "smine"}}));
    write("Solvane/QuorIngest.conf", "[General]\nZeduvidoFileNaming=Mine\n");
    EXPECT_EQ(name(file), "0 mine_Project");
    EXPECT_EQ(name(session), "0 session_Project");
    // A selected id that the collection lacks: the built-in Default, not the collection's.
    write("Solvane/QuorIngest.conf", "[General]\nZeduvidoFileNaming=Gone\n");
    EXPECT_EQ(name(file), builtInFile);

    // The settings file: a collection (".xml" in any letter case) or a token pattern.
    write("mine.XML", quortest::collectionXml({{"Gone", "configured"}}));
    write("quor.ini",
          "[NamingConfig]\nZeduvidoFileNaming=" + dir.filePath("mine.XML").toUtf8()
              + "\nZeduvidoSessionNaming=S-$BAND$\n");
    EXPECT_EQ(name(file), "0 configured_Project");
    EXPECT_EQ(name(session), "0 S-PANF02A");
    // A missing collection, or a key with an empty value: the built-in Default.
    write("quor.ini",
          "[NamingConfig]\nZeduvidoFileNaming=" + dir.filePath("nowhere.xml").toUtf8() + "\n");
    EXPECT_EQ(name(file), builtInFile);
    write("Solvane/QuorIngest.conf", "[General]\nZeduvidoFileNaming=Default\n");
    write("quor.ini", "[NamingConfig]\nZeduvidoFileNaming=\n");
    EXPECT_EQ(name(file), builtInFile);
    // Even with collections in the root, the settings file is read first.
    QFile::remove(dir.filePath("quor.ini"));
    EXPECT_EQ(name(file), "1 quorutil name: Can't find quor.ini: " + dir.filePath("quor.ini"));
}

TEST(NameCommands, ReportsErrorsInOneLineAndUsageWithCode2)
{
    const ToolResult bad = runTool({"name", "--pattern", "<FilePattern><Band/></FilePattern>"});
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(bad.err, "quorutil name: Can't parse naming pattern\n");
    EXPECT_EQ(runTool({"name", "--pattern", "<Patterns/>"}).err,
              "quorutil name: Invalid file naming pattern\n");
    for (const QStringList &args :
         QList<QStringList> {{"name", "--bogus"},
                             {"name", "--serial", "-3"},
                             {"name", "--line-number", "1,5"},
                             {"name", "--date-time", "yesterday"},
                             {"name", "--pattern", "x", "--collection", "y"},
                             {"name", "--id", "x"},
                             {"supname", "fold"},
                             {"supname", "rename", ortho}}) {
        const ToolResult r = runTool(args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        EXPECT_NE(r.err.find("Usage: quorutil"), std::string::npos) << r.err;
    }
    EXPECT_EQ(runTool({"name", "--help"}).code, 0);
    EXPECT_EQ(runTool({"supname", "--help"}).code, 0);
}

TEST(NameCommands, ParsesAndRenamesSupportFileNames)
{
    const ToolResult text = runTool({"supname", "parse", "SN3001_110115_123458_RGBN00A_L1", "x"});
    EXPECT_EQ(text.code, 1);
    EXPECT_EQ(text.out,
              "SN3001_110115_123458_RGBN00A_L1: sensor=3001 date=110115 time=123458 "
              "band=RGB angle=N00A level=\nx: not readable\n");
    // The second name has its band part but no valid time: nothing of it is shown.
    const ToolResult json =
        runTool({"supname", "parse", "--json", ortho, "SN3001_110115_126000_PANF02A"});
    EXPECT_EQ(json.code, 1);
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(json.out))
                  .toJson(QJsonDocument::Compact)
                  .toStdString(),
              R"([{"attributes":{"angle":"F02A","band":"PAN","date":"110115","level":"L1",)"
              R"("sensor":"3001","time":"123458","xcoord":"012","ycoord":"034"},)"
              R"("name":"SN3001_110115_123458_PANF02AL1_012_034_ortho","readable":true},)"
              R"({"attributes":{},"name":"SN3001_110115_126000_PANF02A","readable":false}])");

    const ToolResult renamed = runTool({"supname", "rename", ortho, "--pattern-file", supPattern});
    EXPECT_EQ(renamed.code, 0) << renamed.err;
    EXPECT_EQ(renamed.out, "AB_110115_1234_3001_PANF02AL1_012_034_ortho\n");
    const ToolResult refused =
        runTool({"supname", "rename", "notes", "--pattern-file", supPattern});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(runTool({"supname", "rename", "notes", "--pattern-file", supPattern,
                       "--ignore-prefix-error"})
                  .out,
              "AB_ortho\n");
    const ToolResult notXml = runTool({"supname", "rename", ortho, "--pattern-file",
                                       quortest::dataPath("naming/bad_collection_truncated.xml")});
    EXPECT_EQ(notXml.code, 1);
    EXPECT_NE(notXml.err.find("is not XML"), std::string::npos) << notXml.err;
}

TEST(NameCommands, NamesCarryAsciiDigitsUnderAnyLocale)
{
    const QList<QPair<QStringList, std::string>> rows = {
        {{"name", "--example", "--pattern", quortest::namingData("worked_file_pattern.xml")},
         "L0_Project_Take_001_20110115_1234_001_PANF02A_raw\n"},
        {{"name", "--example", "--pattern", "$yyMMdd$-$hh:mm:ss$-$SERIAL$"},
         "110115-12:34:58-30001\n"},
        {{"supname", "rename", ortho, "--pattern-file", supPattern},
         "AB_110115_1234_3001_PANF02AL1_012_034_ortho\n"}};
    for (const QString locale : {"ar_EG.UTF-8", "fa_IR.UTF-8", "de_DE.UTF-8"})
        for (const auto &row : rows)
            EXPECT_EQ(runToolProcess(row.first, {"LC_ALL=" + locale, "LANG=" + locale}).out,
                      row.second)
                << locale.toStdString() << ": " << row.first.join(' ').toStdString();
}
