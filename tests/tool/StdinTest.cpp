// "-" for the one file a command reads: standard input, from a pipe or a redirected file, is
// read like the file itself and bounded like every other read.

#include "tests/common/TestUtil.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ProcessRun
{
    int code = -1;
    std::string out;
    std::string err;
};

enum class Feed { None, Pipe, Redirect };

ProcessRun runQuorutil(const QStringList &args, Feed feed, const QString &input)
{
    QProcess tool;
    if (feed == Feed::Redirect)
        tool.setStandardInputFile(input);
    tool.start(QCoreApplication::applicationDirPath() + "/quorutil", args);
    EXPECT_TRUE(tool.waitForStarted(30000));
    if (feed == Feed::Pipe)
        tool.write(quortest::readFile(input));
    tool.closeWriteChannel();
    EXPECT_TRUE(tool.waitForFinished(60000));
    return {tool.exitCode(), tool.readAllStandardOutput().toStdString(),
            tool.readAllStandardError().toStdString()};
}

std::string replaced(std::string text, const std::string &from, const std::string &to)
{
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

TEST(StandardInput, ADashReadsStandardInputLikeTheFile)
{
    for (const quortest::TableRow &row : quortest::tableRows("tool/stdin.txt")) {
        const std::string &line = row.line;
        const QString file = quortest::dataPath(QString::fromStdString(row[1]));
        const QStringList pattern = QString::fromStdString(row[0]).split(' ');
        QStringList withFile = pattern, withDash = pattern;
        withFile.replace(pattern.indexOf("FILE"), file);
        withDash.replace(pattern.indexOf("FILE"), "-");

        const ProcessRun direct = runQuorutil(withFile, Feed::None, QString());
        ASSERT_EQ(direct.code, 0) << line << ": " << direct.err;
        const std::string expected = replaced(direct.out, file.toStdString(), "-");
        for (const Feed feed : {Feed::Pipe, Feed::Redirect}) {
            const ProcessRun run = runQuorutil(withDash, feed, file);
            const std::string how = line + (feed == Feed::Pipe ? " (pipe)" : " (redirect)");
            EXPECT_EQ(run.code, 0) << how << ": " << run.err;
            EXPECT_EQ(run.out, expected) << how;
            EXPECT_EQ(run.err, "") << how;
        }
    }
}

TEST(StandardInput, FailuresNameItDashAndTheBoundHolds)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString garbage = dir.filePath("garbage");
    quortest::writeFile(garbage, "1 2 3\n");
    for (const Feed feed : {Feed::Pipe, Feed::Redirect}) {
        const ProcessRun run = runQuorutil({"tfw", "show", "-"}, feed, garbage);
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.err, "quorutil tfw show: -: line 2, column 1: number 4 of 6 is missing\n");
    }

    // 64 MiB and one byte, sparse: no more than the bound is taken, nothing is written.
    const QString huge = dir.filePath("huge");
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize((qint64(64) << 20) + 1));
    file.close();
    const ProcessRun run = runQuorutil({"bpf", "show", "-"}, Feed::Redirect, huge);
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, "quorutil bpf show: -: larger than 64 MiB\n");
    EXPECT_EQ(run.out, "");

    // A command that reads no standard input leaves "-" a plain name.
    const ProcessRun plain = runQuorutil({"lik", "show", "-"}, Feed::Pipe, garbage);
    EXPECT_EQ(plain.code, 1);
}
