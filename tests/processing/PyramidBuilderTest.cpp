// The pyramid builder call, against small stand-in builders that each test writes.

#include "util/processing/PyramidBuilder.h"

#include "tests/common/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <csignal>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>

namespace {

struct BuilderRow
{
    const char *name;
    const char *script; // body of a shell script; empty: no builder at all
    int timeoutMs;
    bool ok;
    std::vector<std::string> tail; // the report after the command line
};

class PyramidBuilder : public ::testing::Test
{
protected:
    std::string writeBuilder(const char *name, const char *body)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        quortest::writeFile(path, QByteArray("#!/bin/sh\n") + body);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path.toStdString();
    }
    QTemporaryDir dir;
};

TEST_F(PyramidBuilder, ReportsEachOutcomeInItsLines)
{
    const std::vector<BuilderRow> rows = {
        {"success", "exit 0\n", -1, true, {"Processor elapsed seconds: 0"}},
        {"error exit",
         "echo 'half written' >&2; echo 'level 3 of 7'; exit 3\n",
         -1,
         false,
         {"make_pyr exited with error code 3", "make_pyr encountered problems:", "unknown problem",
          "standard error:", "half written\n", "standard out:", "level 3 of 7\n"}},
        {"crash",
         "printf partial; kill -SEGV $$\n",
         -1,
         false,
         {"make_pyr exited with error code 0", "make_pyr encountered problems:", "make_pyr crashed",
          "standard error:", "", "standard out:", "partial"}},
        {"never ends",
         "echo started; exec sleep 30\n",
         300,
         false,
         {"make_pyr exited with error code 0", "make_pyr encountered problems:", "timed out",
          "standard error:", "", "standard out:", "started\n"}},
        {"output up to a NUL byte",
         "printf 'before\\000after'; printf 'err\\000more' >&2; exit 1\n",
         -1,
         false,
         {"make_pyr exited with error code 1", "make_pyr encountered problems:", "unknown problem",
          "standard error:", "err", "standard out:", "before"}},
        {"missing builder",
         "",
         -1,
         false,
         {"make_pyr exited with error code 0", "make_pyr encountered problems:",
          "failed to start process", "standard error:", "", "standard out:", ""}},
    };
    for (const BuilderRow &row : rows) {
        const std::string builder = *row.script
            ? writeBuilder(row.name, row.script)
            : dir.filePath(QStringLiteral("no-such-builder")).toStdString();
        std::vector<std::string> messages = {"left over from an earlier call"};
        const bool ok =
            util::createOrthoVistaPyramid(builder, "/data/ortho 1.tif", messages, row.timeoutMs);
        EXPECT_EQ(ok, row.ok) << row.name;
        ASSERT_FALSE(messages.empty()) << row.name;
        EXPECT_EQ(messages.front(), "command line: " + builder + " /data/ortho 1.tif -external")
            << row.name;
        EXPECT_EQ(std::vector<std::string>(messages.begin() + 1, messages.end()), row.tail)
            << row.name;
    }
}

TEST_F(PyramidBuilder, PassesTheImageAndTheExternalFlag)
{
    const std::string args = dir.filePath(QStringLiteral("args")).toStdString();
    const std::string body = "for a in \"$@\"; do echo \"[$a]\"; done > '" + args + "'\n";
    std::vector<std::string> messages;
    EXPECT_TRUE(util::createOrthoVistaPyramid(writeBuilder("echo-args", body.c_str()),
                                              "with blank.tif", messages));
    EXPECT_EQ(quortest::readFile(QString::fromStdString(args)), "[with blank.tif]\n[-external]\n");
    EXPECT_EQ(messages.size(), 2u);
    // A name that starts with '-' cannot reach the builder as an option.
    EXPECT_TRUE(
        util::createOrthoVistaPyramid(dir.filePath("echo-args").toStdString(), "-x.tif", messages));
    EXPECT_EQ(quortest::readFile(QString::fromStdString(args)), "[./-x.tif]\n[-external]\n");
    EXPECT_EQ(messages.front(),
              "command line: " + dir.filePath("echo-args").toStdString() + " ./-x.tif -external");
}

// Whether a process runs: not gone, not a zombie.
bool running(const QByteArray &pid)
{
    const QByteArray stat = quortest::readFile("/proc/" + pid.trimmed() + "/stat");
    const int close = stat.lastIndexOf(')');
    return close > 0 && stat.mid(close + 2, 1) != "Z";
}

// What the builder does cannot hold the caller beyond the time-out, nor its memory beyond the
// tails: output without end, a read of standard input, children left running.
TEST_F(PyramidBuilder, StaysWithinTimeAndMemoryWhateverTheBuilderDoes)
{
    using Clock = std::chrono::steady_clock;
    util::PyramidResult result;
    std::vector<std::string> messages;

    // A megabyte on each stream, then the last words: the tails keep the end.
    const std::string chatty =
        writeBuilder("chatty",
                     "head -c 1048576 /dev/zero | tr '\\0' a; echo out-end;"
                     "head -c 1048576 /dev/zero | tr '\\0' b >&2; echo err-end >&2; exit 2\n");
    EXPECT_FALSE(util::createOrthoVistaPyramid(chatty, "a.tif", messages, 20000, result));
    EXPECT_EQ(result.standardOutput.size(), util::PyramidResult::tailBytes);
    EXPECT_EQ(result.standardOutput.substr(result.standardOutput.size() - 10), "aaout-end\n");
    EXPECT_EQ(result.standardError.substr(result.standardError.size() - 10), "bberr-end\n");
    EXPECT_TRUE(result.standardOutputCut && result.standardErrorCut);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(messages.at(7), result.standardOutput); // the report shows the same tail

    // Standard input is empty: a builder that reads it to its end goes on at once.
    const std::string reader = writeBuilder("reader", "cat > /dev/null; exit 0\n");
    Clock::time_point start = Clock::now();
    EXPECT_TRUE(util::createOrthoVistaPyramid(reader, "a.tif", messages, 60000, result));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));

    // The time-out ends the builder and what it started, and the call returns promptly.
    const QString pidFile = dir.filePath("child.pid");
    const std::string sleeper = writeBuilder(
        "sleeper", ("sleep 60 & echo $! > '" + pidFile.toStdString() + "'; wait\n").c_str());
    start = Clock::now();
    EXPECT_FALSE(util::createOrthoVistaPyramid(sleeper, "a.tif", messages, 300, result));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(result.started && result.timedOut && !result.crashed);
    EXPECT_EQ(messages.at(3), "timed out");
    const QByteArray child = quortest::readFile(pidFile);
    ASSERT_FALSE(child.isEmpty());
    for (int i = 0; i < 100 && running(child); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(running(child)) << "the builder's child " << child.toStdString() << " still runs";
}

// The result says how the run went; a builder that cannot start is named with the reason.
TEST_F(PyramidBuilder, DescribesTheRunInAResult)
{
    const QString folder = dir.filePath("folder");
    QDir().mkpath(folder);
    const QString plain = dir.filePath("plain");
    quortest::writeFile(plain, "#!/bin/sh\nexit 0\n");
    // Program, started, crashed, exit code, failure text.
    const std::tuple<std::string, bool, bool, int, QString> rows[] = {
        {writeBuilder("ok", "echo fine\n"), true, false, 0, ""},
        {writeBuilder("five", "exit 5\n"), true, false, 5, ""},
        {writeBuilder("abort", "kill -ABRT $$\n"), true, true, 0, ""},
        {dir.filePath("none").toStdString(), false, false, 0,
         dir.filePath("none") + ": No such file or directory"},
        {plain.toStdString(), false, false, 0, plain + ": Permission denied"},
        {folder.toStdString(), false, false, 0, folder + ": Permission denied"},
        {"quortest-no-such-builder-on-path", false, false, 0,
         "quortest-no-such-builder-on-path: No such file or directory"},
    };
    for (const auto &[program, started, crashed, exitCode, failureText] : rows) {
        util::PyramidResult result;
        result.standardOutput = "stale";
        util::Failure failure;
        const bool ok = util::buildPyramid(program, "a.tif", 10000, result, &failure);
        EXPECT_EQ(ok, started && !crashed && exitCode == 0) << program;
        EXPECT_EQ(result.started, started) << program;
        EXPECT_EQ(result.crashed, crashed) << program;
        EXPECT_EQ(result.signal, crashed ? SIGABRT : 0) << program;
        EXPECT_EQ(result.exitCode, exitCode) << program;
        EXPECT_FALSE(result.timedOut) << program;
        EXPECT_EQ(result.standardOutput, ok ? "fine\n" : "") << program;
        EXPECT_EQ(result.commandLine, program + " a.tif -external");
        if (!started) {
            EXPECT_EQ(failure.text(), failureText) << program;
        }
    }
}

} // namespace
