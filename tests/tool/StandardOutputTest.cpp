// A command whose standard output cannot be written fails, as coreutils' tools do: the write
// error comes when the output is flushed at the end, and the user reads it in one line.

#include "tests/common/TestUtil.h"
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
