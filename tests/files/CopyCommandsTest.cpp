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

#include <fcntl.h>
#include <pty.h>

using namespace quortest;

TEST(CopyCommands, CopyShowsTheStatusLineOnlyOnATerminal)
{
    ScopedEnv slot("_CONDOR_SLOT");
    int master = -1, terminal = -1;
    termios raw {};
    ::cfmakeraw(&raw); // no "\r\n" for "\n"
    if (::openpty(&master, &terminal, nullptr, &raw, nullptr) != 0)
        GTEST_SKIP() << "no pseudo-terminal here";
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    // What stdout and the terminal receive, with stdout and stderr each on the terminal or not.
    const auto copy = [&](const QStringList &args, bool outOnTerminal, bool errOnTerminal) {
        std::string text;
        {
            std::fflush(nullptr);
            CaptureFd out(1), err(2);
            ::dup2(outOnTerminal ? terminal : 1, 1);
            ::dup2(errOnTerminal ? terminal : 2, 2);
            std::ostringstream toolOut, toolErr;
            EXPECT_EQ(quorutil::copyCommand(args, toolOut, toolErr), 0) << toolErr.str();
            std::cout.flush();
            text = out.text();
        }
        char buffer[4096];
        for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(n));
        return text;
    };
    QTemporaryDir dir;
    const QString src = dir.filePath("a"), dst = dir.filePath("b");
    writeFile(src, QByteArray(5000, 'a'));
    const std::string task = "Copy to " + dst.toStdString();
    const std::string fancy = task + ": 100.% " + std::string(task.size() + 8, '\b') + task
        + " done.                   \n";
    const std::string plain =
        "Starting: " + task + "\nPercent Done: 100%\nFinished: " + task + "\n";
    struct Row
    {
        const char *name;
        QStringList options;
        bool outOnTerminal, errOnTerminal;
        std::string expected;
    };
    const Row rows[] = {{"both on a terminal", {}, true, true, fancy},
                        {"stderr to a log", {}, true, false, plain},
                        {"stdout to a log", {}, false, true, plain},
                        {"plain asked for", {"--progress", "std"}, true, true, plain},
                        {"fancy asked for", {"--progress=fancy"}, false, false, fancy},
                        {"none asked for", {"--progress", "none"}, true, true, ""}};
    for (const Row &row : rows)
        EXPECT_EQ(copy(QStringList {src, dst} + row.options, row.outOnTerminal, row.errOnTerminal),
                  row.expected)
            << row.name;
    EXPECT_EQ(readFile(dst), readFile(src));
    ::close(terminal);
    ::close(master);
}

TEST(CopyCommands, CopyAndRmtreeExitCodes)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a"), missing = dir.filePath("missing");
    writeFile(a, QByteArray(3 << 20, 'g'));
    EXPECT_EQ(runTool({"copy", a, dir.filePath("b"), "--gui"}).code, 0);
    EXPECT_EQ(readFile(dir.filePath("b")), readFile(a));
    const std::string cantOpen = "quorutil copy: Can't open: " + missing.toStdString() + ": 2\n";
    for (const char *option : {"--gui", "--progress=none"}) {
        const ToolResult r = runTool({"copy", missing, "b", option});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, cantOpen);
    }
    EXPECT_EQ(runTool({"copy", "a", "b", "--progress", "loud"}).code, 2);

    const QString tree = dir.filePath("t");
    ASSERT_TRUE(QDir().mkpath(tree + "/sub"));
    writeFile(tree + "/sub/f", "f");
    EXPECT_EQ(runTool({"rmtree", tree}).code, 0);
    EXPECT_FALSE(QFileInfo::exists(tree));
    EXPECT_EQ(runTool({"rmtree", tree}).code, 0); // already gone
    EXPECT_EQ(runTool({"rmtree"}).code, 2);
    ASSERT_TRUE(QFile::link(a, a + "-link"));
    for (const QString &name : {a, a + "-link"}) {
        const ToolResult r = runTool({"rmtree", name});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, "quorutil rmtree: not a directory: " + name.toStdString() + "\n");
        EXPECT_TRUE(QFileInfo(name).isFile());
    }

    ASSERT_TRUE(QDir().mkpath(tree + "/sub"));
    writeFile(tree + "/sub/locked", "x");
    filetest::Undeletable lock(tree + "/sub", tree + "/sub/locked");
    if (!lock.ok)
        GTEST_SKIP() << "cannot make a file undeletable (" << lock.how << ")";
    const ToolResult r = runTool({"rmtree", tree});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(
        r.err.rfind("quorutil rmtree: cannot delete " + tree.toStdString() + "/sub/locked: ", 0),
        0u)
        << r.err;
}
