// A command whose standard output cannot be written fails, as coreutils' tools do: the write
// error comes when the output is flushed at the end, and the user reads it in one line.

#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"
#include "tests/files/FileTestUtil.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

TEST(StandardOutput, AFullMediumIsAFailureInOneLine)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "making a full device node needs root";
    QTemporaryDir dir;
    // A device with the numbers of /dev/full, in the test's own folder: every write fails
    // with ENOSPC.
    const QString full = dir.filePath("full");
    ASSERT_EQ(::mknod(QFile::encodeName(full).constData(), S_IFCHR | 0666, makedev(1, 7)), 0);
    const QString tfw = dir.filePath("a.tfw");
    quortest::writeFile(tfw, "0.5\n0\n0\n-0.5\n100\n200\n");
    for (const quortest::TableRow &row : quortest::tableRows("tool/full_output.txt")) {
        QStringList args = QString::fromStdString(row[1]).split(' ');
        args.replaceInStrings("$TFW", tfw).replaceInStrings("$DATA/", quortest::dataPath("") + "/");
        QProcess process;
        process.setStandardOutputFile(full);
        process.start(QUOR_TOOL, args);
        ASSERT_TRUE(process.waitForFinished(60000)) << row.line;
        EXPECT_EQ(process.exitCode(), 1) << row.line;
        EXPECT_EQ(process.readAllStandardError().toStdString(),
                  "quorutil " + row[0] + ": standard output: No space left on device\n")
            << row.line;
    }
}

// What a link file names is its content, not the tool's: shown escaped. A name that is not
// UTF-8 cannot be written into one and be found again.
TEST(LinkFileText, ShownEscapedAndOnlyUtf8Written)
{
    QTemporaryDir dir;
    const QString lik = dir.filePath("c.lik");
    quortest::writeFile(lik, "<reference version=\"1.0\"><URI>/a&#1;b\xe2\x80\xae.tif</URI>"
                             "</reference>");
    const quortest::ToolResult shown = quortest::runTool({"lik", "show", lik});
    EXPECT_EQ(shown.out.substr(0, shown.out.find('\n')), "image: /a\\x01b\\u{202e}.tif");

    const QString bad = QString::fromLocal8Bit("a\xff" "b.tif");
    const quortest::ToolResult made =
        quortest::runTool({"lik", "make", dir.filePath(bad), "-o", dir.filePath("x.lik")});
    EXPECT_EQ(made.code, 1);
    EXPECT_NE(made.err.find(": the name is not UTF-8 text, which a link file cannot hold\n"),
              std::string::npos)
        << made.err;
    EXPECT_FALSE(QFile::exists(dir.filePath("x.lik")));
}
