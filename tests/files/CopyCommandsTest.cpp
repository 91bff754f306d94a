#include "tools/quorutil/Commands.h"

#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"
#include "tests/files/FileTestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

using namespace quortest;

TEST(CopyCommands, CopyChoosesItsReporter)
{
    ScopedEnv slot("_CONDOR_SLOT");
    QTemporaryDir dir;
    const QString src = dir.filePath("a"), dst = dir.filePath("b");
    writeFile(src, QByteArray(5000, 'a'));
    const std::string task = "Copy to " + dst.toStdString();
    const std::string fancy = task + ": 100.% " + std::string(task.size() + 8, '\b') + task
        + " done.                   \n";
    const std::string plain =
        "Starting: " + task + "\nPercent Done: 100%\nFinished: " + task + "\n";
    // Captured, stdout and stderr are no terminals: plain lines unless asked otherwise.
    for (const auto &[option, expected] : {std::pair<QString, std::string> {"", plain},
                                           {"--progress=fancy", fancy},
                                           {"--progress=std", plain},
                                           {"--progress=none", ""}}) {
        CaptureFd out(1), err(2);
        std::ostringstream toolOut, toolErr;
        const QStringList args = QStringList {src, dst} + QStringList {option}.filter("--");
        EXPECT_EQ(quorutil::copyCommand(args, toolOut, toolErr), 0) << toolErr.str();
        std::cout.flush();
        EXPECT_EQ(out.text(), expected) << option.toStdString();
    }
}

TEST(CopyCommands, CopyAndRmtreeExitCodes)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a"), missing = dir.filePath("missing");
    writeFile(a, QByteArray(3 << 20, 'g'));
    EXPECT_EQ(runTool({"copy", a, dir.filePath("b"), "--gui"}).code, 0);
    EXPECT_EQ(readFile(dir.filePath("b")), readFile(a));
    for (const char *option : {"--gui", "--progress=none"}) {
        const ToolResult r = runTool({"copy", missing, "b", option});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, "quorutil copy: Can't open: " + missing.toStdString() + ": 2\n");
    }
    EXPECT_EQ(runTool({"copy", "a", "b", "--progress", "loud"}).code, 2);

    const QString tree = dir.filePath("t");
    ASSERT_TRUE(QDir().mkpath(tree + "/sub"));
    writeFile(tree + "/sub/f", "f");
    EXPECT_EQ(runTool({"rmtree", tree}).code, 0);
    EXPECT_FALSE(QFileInfo::exists(tree));
    ASSERT_TRUE(QFile::link(a, a + "-link"));
    for (const QString &name : {a, a + "-link"}) {
        const ToolResult r = runTool({"rmtree", name});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, "quorutil rmtree: not a directory: " + name.toStdString() + "\n");
        EXPECT_TRUE(QFileInfo(name).isFile());
    }

    ASSERT_TRUE(QDir().mkpath(tree + "/sub"));
    writeFile(tree + "/sub/locked", "x");
    filetest::Undeletable lock {tree + "/sub", tree + "/sub/locked"};
    if (!lock.ok)
        GTEST_SKIP() << "cannot make a file undeletable (chattr +i as root, chmod otherwise)";
    const ToolResult r = runTool({"rmtree", tree});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(
        r.err.rfind("quorutil rmtree: cannot delete " + tree.toStdString() + "/sub/locked: ", 0),
        0u)
        << r.err;
}
