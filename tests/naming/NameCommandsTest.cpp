#include "tests/common/ToolRun.h"
#include "tests/naming/NamingTestUtil.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>

namespace {

const QString ortho = "SN3001_110115_123458_PANF02AL1_012_034_ortho";
const QString supPattern = quortest::dataPath("naming/worked_sup_pattern.xml");

// "<exit code>|<stdout>|<stderr>" of one run in this process.
std::string run(const QStringList &args)
{
    const quortest::ToolResult r = quortest::runTool(args);
    return std::to_string(r.code) + "|" + r.out + "|" + r.err;
}

// The real tool in a process of its own, for what is fixed once per process (system locale,
// settings file); environment holds NAME=VALUE entries.
std::string runToolProcess(const QStringList &args, const QStringList &environment)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &variable : environment)
        env.insert(variable.section('=', 0, 0), variable.section('=', 1));
    QProcess tool;
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral(QUOR_TOOL), args);
    EXPECT_TRUE(tool.waitForFinished(60000)) << args.join(' ').toStdString();
    return std::to_string(tool.exitCode()) + "|" + tool.readAllStandardOutput().toStdString() + "|"
        + tool.readAllStandardError().toStdString();
}

} // namespace

TEST(NameCommands, NamesFromAPatternOrACollection)
{
    EXPECT_EQ(run({"name", "--pattern",
                   "$PROJECT$_$FLIGHTPLAN$_$LINENAME$_$LINENUMBER$_$SERIAL$_"
                   "$SENSORTYPE$_$BAND$_$yyyy-hh$",
                   "--project", "Lake Area", "--flight-plan", "FP", "--line-name", "L7",
                   "--line-number", "4", "--serial", "30017", "--sensor-type", "QK", "--band",
                   "RGBN00A", "--date-time", "2020-06-30T08:15:00"}),
              "0|Lake Area_FP_L7_005_30017_QK_RGBN00A_2020-08\n|");
    const QString file = quortest::dataPath("naming/root/etc/ZeduvidoFileNaming.xml");
    EXPECT_EQ(run({"name", "--example", "--collection", file}), "0|file_Project\n|");
    EXPECT_EQ(run({"name", "--collection", file, "--id", "Nope"}),
              "1||quorutil name: " + file.toStdString() + ": no pattern 'Nope'\n");
}

TEST(NameCommands, NamesAfterTheConfigurationWithEveryFallback)
{
    // Settings file and native settings ("Solvane" / "QuorIngest") in one folder; the root
    // holds both collections unless it is that folder.
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("Solvane");
    const QString root = quortest::dataPath("naming/root");
    // The file and the session name after [NamingConfig] and the selected file pattern.
    const auto names = [&](const QByteArray &config, const QByteArray &selected,
                           const QString &rootFolder) {
        quortest::writeFile(dir.filePath("quor.ini"), "[NamingConfig]\n" + config + "\n");
        quortest::writeFile(dir.filePath("Solvane/QuorIngest.conf"),
                            "[General]\nZeduvidoFileNaming=" + selected + "\n");
        const QStringList env = {"QUOR_INI=" + dir.filePath("quor.ini"),
                                 "XDG_CONFIG_HOME=" + dir.path(), "QUOR_DEVELOP=" + rootFolder};
        return runToolProcess({"name", "--example"}, env)
            + runToolProcess({"name", "--example", "--session"}, env);
    };
    const std::string builtInFile = "0|Project_Take_30001_20110115_123458_001_PANF02A\n|",
                      session = "0|session_Project\n|";
    EXPECT_EQ(names("", "Mine", dir.path()), builtInFile + "0|Project_30001_20110115_1234\n|");
    // The root's collections; the selection is the file naming's own.
    EXPECT_EQ(names("", "Mine", root), "0|mine_Project\n|" + session);
    // A selected id that the collection lacks: the built-in Default, not the collection's.
    EXPECT_EQ(names("", "Gone", root), builtInFile + session);
    // The settings file: a collection (".xml" in any letter case) or a token pattern.
    EXPECT_EQ(names("ZeduvidoFileNaming=" + quortest::dataPath("naming/twins.XML").toUtf8()
                        + "\nZeduvidoSessionNaming=S-$BAND$",
                    "Twin", root),
              "0|first_Project\n|0|S-PANF02A\n|");
    // A missing collection, or a key with an empty value: the built-in Default.
    EXPECT_EQ(names("ZeduvidoFileNaming=" + dir.filePath("nowhere.xml").toUtf8(), "Default", root),
              builtInFile + session);
    EXPECT_EQ(names("ZeduvidoFileNaming=", "Default", root), builtInFile + session);
    // Even with collections in the root, the settings file is read first.
    const QString none = dir.filePath("none.ini");
    EXPECT_EQ(runToolProcess({"name"}, {"QUOR_INI=" + none, "QUOR_DEVELOP=" + root}),
              "1||quorutil name: Can't find quor.ini: " + none.toStdString() + "\n");
}

TEST(NameCommands, ReportsErrorsInOneLineAndUsageWithCode2)
{
    EXPECT_EQ(run({"name", "--pattern", "<FilePattern><Band/></FilePattern>"}),
              "1||quorutil name: Can't parse naming pattern\n");
    EXPECT_EQ(run({"name", "--pattern", "<Patterns/>"}),
              "1||quorutil name: Invalid file naming pattern\n");
    // Text meant as XML that is not XML is not printed as a token pattern.
    EXPECT_EQ(run({"name", "--pattern", " <FilePattern prefix='x'><Band pos='0' checked='1'>"}),
              "1||quorutil name: --pattern: line 1, column 52: unexpected end of file\n");
    // Bad options and values are rows of the command line's tables; the command's own rule:
    const auto both = quortest::runTool({"name", "--pattern", "x", "--collection", "y"});
    EXPECT_EQ(both.code, 2);
    EXPECT_EQ(both.err.rfind("quorutil name: --pattern and --collection exclude each other\n\n"
                             "Usage: quorutil name",
                             0),
              0u)
        << both.err;
}

TEST(NameCommands, ParsesAndRenamesSupportFileNames)
{
    EXPECT_EQ(run({"supname", "parse", "SN3001_110115_123458_RGBN00A_L1", "x"}),
              "1|SN3001_110115_123458_RGBN00A_L1: sensor=3001 date=110115 time=123458 band=RGB "
              "angle=N00A level=\nx: not readable\n|");
    // The second name has its band part but no valid time: nothing of it is shown.
    const auto json = quortest::runTool(
        {"supname", "parse", "--json", "x_110115_000000_NIRB16", "x_110115_126000_PANF02A"});
    EXPECT_EQ(json.code, 1);
    EXPECT_EQ(
        QJsonDocument::fromJson(QByteArray::fromStdString(json.out))
            .toJson(QJsonDocument::Compact)
            .toStdString(),
        R"([{"attributes":{"angle":"B16","band":"NIR","date":"110115","level":"","time":"000000"},)"
        R"("name":"x_110115_000000_NIRB16","readable":true},)"
        R"({"attributes":{},"name":"x_110115_126000_PANF02A","readable":false}])");

    EXPECT_EQ(run({"supname", "rename", "notes", "--pattern-file", supPattern}),
              "1||quorutil supname rename: cannot build a name from 'notes' with this pattern\n");
    EXPECT_EQ(
        run({"supname", "rename", "notes", "--pattern-file", supPattern, "--ignore-prefix-error"}),
        "0|AB_ortho\n|");
    // A path with an extension, as the shipped sample: the tiles are the last two parts.
    EXPECT_EQ(run({"supname", "parse",
                   quortest::resourcePath("samples/SN3001_110115_123458_RGBN00AL2_012_034.sup")}),
              "0|"
                  + quortest::resourcePath("samples/SN3001_110115_123458_RGBN00AL2_012_034.sup")
                        .toStdString()
                  + ": sensor=3001 date=110115 time=123458 band=RGB angle=N00A level=L2 "
                    "xcoord=012 ycoord=034\n|");
    EXPECT_EQ(run({"supname", "parse", "dir.v2/SN3001_110115_123458_PANF02A_012_034.tif.bak"}),
              "0|dir.v2/SN3001_110115_123458_PANF02A_012_034.tif.bak: sensor=3001 date=110115 "
              "time=123458 band=PAN angle=F02A level=\n|");
    // A pattern of a collection, picked by its id.
    const QString collection = quortest::dataPath("naming/sup_collection.xml");
    EXPECT_EQ(run({"supname", "rename", ortho, "--pattern-file", collection, "--id", "Tiles"}),
              "0|T_012_034\n|");
    EXPECT_EQ(run({"supname", "rename", ortho, "--pattern-file", collection, "--id", "Nope"}),
              "1||quorutil supname rename: " + collection.toStdString() + ": no pattern 'Nope'\n");
}

TEST(NameCommands, NamesCarryAsciiDigitsUnderAnyLocale)
{
    const QList<QPair<QStringList, std::string>> rows = {
        {{"name", "--example", "--pattern", quortest::namingData("worked_file_pattern.xml")},
         "0|L0_Project_Take_001_20110115_1234_001_PANF02A_raw\n|"},
        {{"name", "--example", "--pattern", "$yyMMdd$-$hh:mm:ss$-$SERIAL$"},
         "0|110115-12:34:58-30001\n|"},
        {{"supname", "rename", ortho, "--pattern-file", supPattern},
         "0|AB_110115_1234_3001_PANF02AL1_012_034_ortho\n|"}};
    for (const QString locale : {"ar_EG.UTF-8", "fa_IR.UTF-8", "de_DE.UTF-8"})
        for (const auto &row : rows)
            EXPECT_EQ(runToolProcess(row.first, {"LC_ALL=" + locale, "LANG=" + locale}), row.second)
                << locale.toStdString() << ": " << row.first.join(' ').toStdString();
}
