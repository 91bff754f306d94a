#include "tools/quorutil/Commands.h"

#include "tests/common/TestUtil.h"
#include "tests/files/FileTestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>

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

} // namespace

TEST(CopyCommands, CopyReportsPlainLinesWhenAsked)
{
    ScopedEnv slot("_CONDOR_SLOT");
    QTemporaryDir dir;
    const QString src = dir.filePath("a"), dst = dir.filePath("b");
    writeFile(src, QByteArray(5000, 'a'));
    const Result r = copy({src, dst, "--progress", "std"});
    EXPECT_EQ(r.code, 0) << r.err;
    const std::string task = "Copy to " + dst.toStdString();
    EXPECT_EQ(r.stdoutText, "Starting: " + task + "\nPercent Done: 100%\nFinished: " + task + "\n");
    EXPECT_EQ(readFile(dst), readFile(src));
}

TEST(CopyCommands, CopyWithoutProgressIsSilent)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("a"), "abc");
    const Result r = copy({dir.filePath("a"), dir.filePath("b"), "--progress=none"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.stdoutText, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readFile(dir.filePath("b")), "abc");
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
    const Result r = rmtree({dir.filePath("file")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err,
              "quorutil rmtree: not a directory: " + dir.filePath("file").toStdString() + "\n");
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("file")));
    EXPECT_EQ(rmtree({}).code, 2);
    EXPECT_EQ(rmtree({"a", "b"}).code, 2);
}
