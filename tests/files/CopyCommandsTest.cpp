#include "tools/quorutil/Commands.h"

#include "tests/common/TestUtil.h"
#include "tests/files/FileTestUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <sstream>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using quortest::CaptureFd;
using quortest::readFile;
using quortest::ScopedEnv;
using quortest::writeFile;

namespace {

struct Result
{
    int code;
    std::string out, err, stdoutText;
};

Result copy(const QStringList &args)
{
    std::ostringstream out, err;
    CaptureFd captured(1);
    const int code = quorutil::copyCommand(args, out, err);
    return {code, out.str(), err.str(), captured.text()};
}

Result rmtree(const QStringList &args)
{
    std::ostringstream out, err;
    const int code = quorutil::rmtreeCommand(args, out, err);
    return {code, out.str(), err.str(), {}};
}

// Runs copy with stdout and stderr each on a pseudo-terminal or on a file, and returns what
// stdout received.
class TerminalRun
{
public:
    TerminalRun()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            return;
        m_terminal = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY);
        termios mode;
        if (m_terminal >= 0 && ::tcgetattr(m_terminal, &mode) == 0) {
            ::cfmakeraw(&mode); // no "\r\n" for "\n"
            ::tcsetattr(m_terminal, TCSANOW, &mode);
        }
        ::fcntl(m_master, F_SETFL, O_NONBLOCK);
    }
    ~TerminalRun()
    {
        for (int fd : {m_terminal, m_master})
            if (fd >= 0)
                ::close(fd);
    }
    bool ok() const { return m_terminal >= 0; }

    std::string run(const QStringList &args, bool stdoutOnTerminal, bool stderrOnTerminal)
    {
        std::string text;
        {
            std::fflush(nullptr);
            CaptureFd out(1), err(2);
            if (stdoutOnTerminal)
                ::dup2(m_terminal, 1);
            if (stderrOnTerminal)
                ::dup2(m_terminal, 2);
            std::ostringstream toolOut, toolErr;
            EXPECT_EQ(quorutil::copyCommand(args, toolOut, toolErr), 0) << toolErr.str();
            std::cout.flush();
            text = stdoutOnTerminal ? std::string() : out.text();
        }
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(m_master, buffer, sizeof buffer)) > 0)
            text.append(buffer, static_cast<std::size_t>(n));
        return text;
    }

private:
    int m_master = -1;
    int m_terminal = -1;
};

} // namespace

TEST(CopyCommands, CopyShowsTheStatusLineOnlyOnATerminal)
{
    ScopedEnv slot("_CONDOR_SLOT");
    TerminalRun terminal;
    if (!terminal.ok())
        GTEST_SKIP() << "no pseudo-terminal here";
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
        bool stdoutOnTerminal, stderrOnTerminal;
        std::string expected;
    };
    const Row rows[] = {
        {"both on a terminal", {}, true, true, fancy},
        {"stderr to a log", {}, true, false, plain},
        {"stdout to a log", {}, false, true, plain},
        {"neither", {}, false, false, plain},
        {"plain asked for", {"--progress", "std"}, true, true, plain},
        {"fancy asked for", {"--progress=fancy"}, false, false, fancy},
        {"none asked for", {"--progress", "none"}, true, true, ""},
    };
    for (const Row &row : rows)
        EXPECT_EQ(terminal.run(QStringList {src, dst} + row.options, row.stdoutOnTerminal,
                               row.stderrOnTerminal),
                  row.expected)
            << row.name;
    EXPECT_EQ(readFile(dst), readFile(src));
}

TEST(CopyCommands, CopyFailureNamesTheCause)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing");
    const Result r = copy({missing, dir.filePath("b"), "--progress", "none"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "quorutil copy: Can't open: " + missing.toStdString() + ": 2\n");
}

TEST(CopyCommands, CopyRejectsBadUsage)
{
    for (const QStringList &args :
         {QStringList {"only-one"}, QStringList {"a", "b", "c"}, QStringList {"a", "b", "--bogus"},
          QStringList {"a", "b", "--progress", "loud"}}) {
        const Result r = copy(args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        EXPECT_NE(r.err.find("Usage: quorutil copy"), std::string::npos);
    }
    EXPECT_EQ(copy({"--help"}).code, 0);
}

TEST(CopyCommands, CopyRunsBehindTheDialog)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("a"), QByteArray(3 << 20, 'g'));
    Result r = copy({dir.filePath("a"), dir.filePath("b"), "--gui"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(readFile(dir.filePath("b")), readFile(dir.filePath("a")));

    r = copy({dir.filePath("missing"), dir.filePath("c"), "--gui"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Can't open: "), std::string::npos);
}

TEST(CopyCommands, RmtreeRemovesATree)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.filePath("t/a/b")));
    writeFile(dir.filePath("t/a/b/f"), "f");
    const Result r = rmtree({dir.filePath("t")});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("t")));
    EXPECT_EQ(rmtree({dir.filePath("t")}).code, 0); // already gone
}

TEST(CopyCommands, RmtreeNamesWhatItCouldNotDelete)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.filePath("t/sub")));
    writeFile(dir.filePath("t/sub/locked"), "x");
    filetest::Undeletable lock(dir.filePath("t/sub"), dir.filePath("t/sub/locked"));
    if (!lock.ok())
        GTEST_SKIP() << "cannot make a file undeletable: " << lock.reason().toStdString();
    const Result r = rmtree({dir.filePath("t")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.rfind("quorutil rmtree: cannot delete "
                              + dir.filePath("t/sub/locked").toStdString() + ": ",
                          0),
              0u)
        << r.err;
}

TEST(CopyCommands, RmtreeRefusesFilesAndBadUsage)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("file"), "f");
    ASSERT_TRUE(QFile::link(dir.filePath("file"), dir.filePath("link")));
    for (const char *name : {"file", "link"}) {
        const Result r = rmtree({dir.filePath(name)});
        EXPECT_EQ(r.code, 1) << name;
        EXPECT_EQ(r.err,
                  "quorutil rmtree: not a directory: " + dir.filePath(name).toStdString() + "\n");
        EXPECT_TRUE(QFileInfo(dir.filePath(name)).isFile()) << name;
    }
    EXPECT_EQ(rmtree({}).code, 2);
    EXPECT_EQ(rmtree({"a", "b"}).code, 2);
}
