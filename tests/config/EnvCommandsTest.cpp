#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"
#include "tests/config/ProcessEnv.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
    QProcess process;
    process.setProcessEnvironment(quortest::quorEnvironment(develop));
    process.start(QStringLiteral(QUOR_TOOL), args);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(),
            QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)};
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
    quortest::ToolResult r;
    r = quortest::runTool({"ini-merge", source, dest});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "Merged " + source.toStdString() + " into " + dest.toStdString() + "\n");
    EXPECT_EQ(readFile(dest), "[A]\nx=5\ny=2\n");

    writeFile(source, "[A]\nz=\n");
    r = quortest::runTool({"ini-merge", source, dest});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "quorutil ini-merge: Can't parse ini file\n");
    EXPECT_EQ(readFile(dest), "[A]\nx=5\ny=2\n");

    r = quortest::runTool({"ini-merge", source});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("Usage: quorutil ini-merge SOURCE DEST"), std::string::npos);
}
