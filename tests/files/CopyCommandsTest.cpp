#include "tools/quorutil/Tool.h"

#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"
#include "tests/files/FileTestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <sstream>

#include <csignal>

#include <signal.h>

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
        EXPECT_EQ(quorutil::run(QStringList {"copy"} + args, toolOut, toolErr), 0) << toolErr.str();
        std::cout.flush();
        EXPECT_EQ(out.text(), expected) << option.toStdString();
    }
}

TEST(CopyCommands, MalformedProgressTargetIsSaidAndTheCopyStillRuns)
{
    ScopedEnv target("QUOR_PROGRESS_TARGET", "not-a-host-port");
    QTemporaryDir dir;
    const QString src = dir.filePath("a"), dst = dir.filePath("b");
    writeFile(src, "payload");
    const auto result = runTool({"copy", src, dst, "--progress", "udp"});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.err.rfind("quorutil copy: no progress datagrams: QUOR_PROGRESS_TARGET", 0), 0u)
        << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
    EXPECT_EQ(readFile(dst), "payload");
}

TEST(CopyCommands, CopyAndRmtreeExitCodes)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a"), missing = dir.filePath("missing");
    writeFile(a, QByteArray(3 << 20, 'g'));
    EXPECT_EQ(runTool({"copy", a, dir.filePath("b"), "--gui"}).code, 0);
    EXPECT_EQ(readFile(dir.filePath("b")), readFile(a));
    // Missing sources, folders as destinations and bad options without --gui are rows of the
    // failure table, tool/values.txt and FileOps.
    const ToolResult gone = runTool({"copy", missing, "b", "--gui"});
    EXPECT_EQ(gone.code, 1);
    EXPECT_EQ(gone.err,
              "quorutil copy: " + missing.toStdString() + ": No such file or directory\n");

    const QString tree = dir.filePath("t");
    ASSERT_TRUE(QDir().mkpath(tree + "/sub"));
    writeFile(tree + "/sub/f", "f");
    EXPECT_EQ(runTool({"rmtree", tree}).code, 0);
    EXPECT_FALSE(QFileInfo::exists(tree));
    // The strict form of the library: a file (or a missing tree) is a failure; "." is refused.
    // Links, missing trees and the other refused names are the library's rows.
    for (const auto &[name, reason] :
         {std::pair<QString, std::string> {a, "Not a directory"},
          {dir.filePath("."), "refused: it names / or ends in . or .."}}) {
        const ToolResult r = runTool({"rmtree", name});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, "quorutil rmtree: " + name.toStdString() + ": " + reason + "\n");
        EXPECT_TRUE(QFileInfo(a).isFile());
    }

    ASSERT_TRUE(QDir().mkpath(tree + "/sub"));
    writeFile(tree + "/sub/locked", "x");
    filetest::Undeletable lock {tree + "/sub", tree + "/sub/locked"};
    if (!lock.ok)
        GTEST_SKIP() << "cannot make a file undeletable (chattr +i as root, chmod otherwise)";
    const ToolResult r = runTool({"rmtree", tree});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.rfind("quorutil rmtree: " + tree.toStdString() + "/sub/locked: ", 0), 0u)
        << r.err;
}

// The root is refused. Tried as uid 65534, who could delete next to nothing should that fail.
TEST(CopyCommands, RmtreeRefusesTheRoot)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run the tool as uid 65534";
    for (const char *root : {"/", "//", "/."}) {
        const filetest::Run r = filetest::runToolAsNobody({"rmtree", root});
        EXPECT_EQ(r.code, 1) << root;
        EXPECT_EQ(r.err,
                  std::string("quorutil rmtree: ") + root
                      + ": refused: it names / or ends in . or ..\n");
    }
}

// A copy ended by a signal leaves no temporary file; a file size limit is a plain failure.
TEST(CopyCommands, CopyCleansUpWhenEndedBySignalOrSizeLimit)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo"), dst = dir.filePath("dst");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        writeFile(dst, "old");
        QProcess copy;
        copy.start(QUOR_TOOL, {"copy", fifo, dst, "--progress=none"});
        ASSERT_TRUE(copy.waitForStarted());
        // The copy blocks reading the FIFO once its temporary file exists.
        QFile writer(fifo);
        ASSERT_TRUE(writer.open(QIODevice::WriteOnly));
        writer.write(QByteArray(100000, 'f'));
        writer.flush();
        const auto files = [&] {
            return QDir(dir.path()).entryList(QDir::Hidden | QDir::System | QDir::Files);
        };
        for (int i = 0; i < 500 && files().size() < 3; ++i)
            QThread::msleep(10);
        EXPECT_EQ(files().size(), 3) << sig;
        ::kill(static_cast<pid_t>(copy.processId()), sig);
        ASSERT_TRUE(copy.waitForFinished(30000));
        writer.close();
        EXPECT_EQ(copy.exitStatus(), QProcess::CrashExit) << sig;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Hidden | QDir::System | QDir::Files),
                  QStringList({"dst", "fifo"}))
            << sig;
        EXPECT_EQ(readFile(dst), "old") << sig;
    }

    const QString big = dir.filePath("big");
    writeFile(big, QByteArray(1 << 20, 'b'));
    const filetest::Run limited =
        filetest::runProcess("sh",
                             {"-c", "ulimit -f 256; exec \"$0\" copy \"$1\" \"$2\" --progress=none",
                              QUOR_TOOL, big, dst});
    EXPECT_EQ(limited.code, 1);
    EXPECT_EQ(limited.err, "quorutil copy: " + dst.toStdString() + ": File too large\n");
    EXPECT_EQ(readFile(dst), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Hidden | QDir::System | QDir::Files),
              QStringList({"big", "dst", "fifo"}));
}

TEST(CopyCommands, GuiWithoutADisplaySaysSo)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("a"), "a");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    const filetest::Run r = filetest::runProcess(
        QUOR_TOOL, {"copy", dir.filePath("a"), dir.filePath("b"), "--gui"}, env);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err,
              "quorutil copy: no display to open the window on (DISPLAY, WAYLAND_DISPLAY and "
              "QT_QPA_PLATFORM are unset)\n");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("b")));
}
