#include "tools/quorutil/Tool.h"

#include "tests/common/TestUtil.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>

using quortest::readFile;
using quortest::writeFile;

namespace {

struct ToolRun
{
    int code;
    QStringList lines;
};

ToolRun runTool(const QStringList &args, const QString &develop = QString())
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QUOR_DEVELOP"));
    env.remove(QStringLiteral("QUOR_INI"));
    if (!develop.isNull())
        env.insert(QStringLiteral("QUOR_DEVELOP"), develop);
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QUOR_TOOL), args);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(),
            QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)};
}

int runInProcess(const QStringList &args, std::string &out, std::string &err)
{
    std::ostringstream o, e;
    const int code = quorutil::run(args, o, e);
    out = o.str();
    err = e.str();
    return code;
}

} // namespace

TEST(EnvCommands, EnvRunsFromTheBuildTreeWithoutEnvironment)
{
    const ToolRun run = runTool({"env"});
    const QString bin = QFileInfo(QStringLiteral(QUOR_TOOL)).path();
    ASSERT_EQ(run.code, 0) << run.lines.join('\n').toStdString();
    ASSERT_EQ(run.lines.size(), 6);
    EXPECT_EQ(run.lines[0], "Installation root: " + bin);
    EXPECT_EQ(run.lines[1], "Settings file: " + bin + "/quor.ini");
    EXPECT_TRUE(run.lines[3].startsWith("Naming configuration ZeduvidoFileNaming: "));
    EXPECT_TRUE(run.lines[4].startsWith("Naming configuration ZeduvidoSessionNaming: "));
}

TEST(EnvCommands, EnvReportsTheRootsFiles)
{
    QTemporaryDir root;
    writeFile(root.filePath("quor.ini"), "[NamingConfig]\nZeduvidoSessionNaming=/srv/s.xml\n");
    writeFile(root.filePath("Quor-6.2-Manual.pdf"), "%PDF");
    const ToolRun run = runTool({"env"}, root.path());
    ASSERT_EQ(run.code, 0);
    ASSERT_EQ(run.lines.size(), 6);
    EXPECT_EQ(run.lines.mid(0, 5),
              (QStringList {"Installation root: " + root.path(),
                            "Settings file: " + root.filePath("quor.ini"),
                            "Help file: " + root.filePath("Quor-6.2-Manual.pdf"),
                            "Naming configuration ZeduvidoFileNaming: " + root.path()
                                + "/etc/ZeduvidoFileNaming.xml",
                            "Naming configuration ZeduvidoSessionNaming: /srv/s.xml"}));
    EXPECT_TRUE(QRegExp("Vector instruction level: (2\\.0|3\\.0|3\\.1|4\\.1|4\\.2)")
                    .exactMatch(run.lines[5]))
        << run.lines[5].toStdString();
}

TEST(EnvCommands, EnvSaysWhyFilesAreMissing)
{
    QTemporaryDir root;
    const ToolRun run = runTool({"env"}, root.path());
    EXPECT_EQ(run.code, 1);
    ASSERT_EQ(run.lines.size(), 6);
    const QString missing = "none (Can't find quor.ini: " + root.filePath("quor.ini") + ")";
    EXPECT_EQ(run.lines[1], "Settings file: " + missing);
    EXPECT_EQ(run.lines[2], "Help file: none (Can't find help file)");
    EXPECT_EQ(run.lines[3], "Naming configuration ZeduvidoFileNaming: " + missing);
}

TEST(EnvCommands, IniMergeMergesOrLeavesDestUntouched)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("new.ini");
    const QString dest = dir.filePath("quor.ini");
    writeFile(source, "[A]\nx=1\ny=2\n");
    writeFile(dest, "[A]\nx=5\n");
    std::string out, err;
    EXPECT_EQ(runInProcess({"ini-merge", source, dest}, out, err), 0);
    EXPECT_EQ(out, "Merged " + source.toStdString() + " into " + dest.toStdString() + "\n");
    EXPECT_EQ(readFile(dest), "[A]\nx=5\ny=2\n");

    writeFile(source, "[A]\nz=\n");
    EXPECT_EQ(runInProcess({"ini-merge", source, dest}, out, err), 1);
    EXPECT_EQ(err, "quorutil ini-merge: Can't parse ini file\n");
    EXPECT_EQ(readFile(dest), "[A]\nx=5\ny=2\n");

    EXPECT_EQ(runInProcess({"ini-merge", source}, out, err), 2);
    EXPECT_NE(err.find("Usage: quorutil ini-merge SOURCE DEST"), std::string::npos);
}
