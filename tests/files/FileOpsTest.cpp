#include "util/files/FileOps.h"

#include "util/progress/ProgressInterface.h"

#include "tests/common/TestUtil.h"
#include "tests/files/FileTestUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using quortest::readFile;
using quortest::writeFile;
using testing::ElementsAre;

namespace {

struct Recorder : util::ProgressInterface
{
    std::vector<std::string> calls;
    std::vector<double> amounts;

    void starting(const char *name) override { calls.push_back(std::string("starting ") + name); }
    void totalAmount(double total, const char *units) override
    {
        calls.push_back("total " + std::to_string(static_cast<long long>(total)) + " " + units);
    }
    void amountDone(double amount) override { amounts.push_back(amount); }
    void finished(const char *name) override { calls.push_back(std::string("finished ") + name); }
};

std::string path(const QString &p)
{
    return QFile::encodeName(p).toStdString();
}

// Bytes that differ from chunk to chunk, so a chunk copied twice or skipped shows.
QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 4099) & 0xff);
    return bytes;
}

std::string copyError(const std::string &src, const std::string &dst, Recorder *recorder)
{
    try {
        util::copyFile(src, dst, recorder);
    } catch (const std::runtime_error &e) {
        return e.what();
    }
    return "no error";
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(FileOps, CopiesWithCumulativeProgress)
{
    const int sizes[] = {1, 4096, 8 << 20, (8 << 20) + 1, (20 << 20) + 123};
    for (int size : sizes) {
        QTemporaryDir dir;
        const QString src = dir.filePath("in.bin"), dst = dir.filePath("out.bin");
        writeFile(src, pattern(size));
        Recorder recorder;
        util::copyFile(path(src), path(dst), &recorder);

        EXPECT_EQ(readFile(dst), readFile(src)) << size;
        const std::string task = "Copy to " + path(dst);
        EXPECT_THAT(recorder.calls,
                    ElementsAre("starting " + task, "total " + std::to_string(size) + " bytes",
                                "finished " + task))
            << size;
        ASSERT_FALSE(recorder.amounts.empty()) << size;
        for (std::size_t i = 1; i < recorder.amounts.size(); ++i)
            EXPECT_GT(recorder.amounts[i], recorder.amounts[i - 1]) << size;
        EXPECT_EQ(recorder.amounts.back(), size);
        EXPECT_EQ(entries(dir.path()), QStringList({"in.bin", "out.bin"})) << size;
    }
}

TEST(FileOps, CopiesAnEmptyFile)
{
    QTemporaryDir dir;
    const QString src = dir.filePath("empty"), dst = dir.filePath("copy");
    writeFile(src, QByteArray());
    Recorder recorder;
    util::copyFile(path(src), path(dst), &recorder);
    EXPECT_TRUE(QFileInfo::exists(dst));
    EXPECT_EQ(QFileInfo(dst).size(), 0);
    const std::string task = "Copy to " + path(dst);
    EXPECT_THAT(recorder.calls,
                ElementsAre("starting " + task, "total 0 bytes", "finished " + task));
    EXPECT_TRUE(recorder.amounts.empty());
}

TEST(FileOps, CopyReplacesTheDestinationAndKeepsModeAndTime)
{
    QTemporaryDir dir;
    const QString src = dir.filePath("new"), dst = dir.filePath("old");
    writeFile(src, "short");
    writeFile(dst, QByteArray(100000, 'x'));
    ASSERT_EQ(::chmod(QFile::encodeName(src).constData(), 0640), 0);
    const struct timespec times[2] = {{1000000000, 0}, {1234567890, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(src).constData(), times, 0), 0);

    util::copyFile(path(src), path(dst), nullptr);
    EXPECT_EQ(readFile(dst), "short");
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(dst).constData(), &st), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0640u & ~mask);
    EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
    EXPECT_EQ(entries(dir.path()), QStringList({"new", "old"}));
}

TEST(FileOps, CopyWritesThroughALinkedDestination)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("real"));
    ASSERT_TRUE(QDir(dir.path()).mkpath("links"));
    writeFile(dir.filePath("real/target"), "old");
    writeFile(dir.filePath("src"), "new");
    // A chain of relative links: each is resolved against the folder it lives in.
    ASSERT_EQ(::symlink("../real/target", QFile::encodeName(dir.filePath("links/two"))), 0);
    ASSERT_EQ(::symlink("two", QFile::encodeName(dir.filePath("links/one"))), 0);

    util::copyFile(path(dir.filePath("src")), path(dir.filePath("links/one")), nullptr);
    EXPECT_TRUE(QFileInfo(dir.filePath("links/one")).isSymLink());
    EXPECT_TRUE(QFileInfo(dir.filePath("links/two")).isSymLink());
    EXPECT_EQ(readFile(dir.filePath("real/target")), "new");
    EXPECT_EQ(entries(dir.filePath("real")), QStringList({"target"}));
    EXPECT_EQ(entries(dir.filePath("links")), QStringList({"one", "two"}));
}

TEST(FileOps, CopiesFilesWhoseSizeReadsZero)
{
    // procfs files read 0 bytes long and refuse the in-kernel copy.
    QTemporaryDir dir;
    const QString dst = dir.filePath("version");
    util::copyFile("/proc/version", path(dst), nullptr);
    EXPECT_FALSE(readFile(dst).isEmpty());
    EXPECT_EQ(readFile(dst), readFile("/proc/version"));
}

TEST(FileOps, CopyFailuresThrowTheirMessages)
{
    QTemporaryDir dir;
    const std::string src = path(dir.filePath("src"));
    writeFile(dir.filePath("src"), "data");
    const std::string missing = path(dir.filePath("missing"));
    const std::string noDir = path(dir.filePath("no/such/dir/file"));

    Recorder recorder;
    EXPECT_EQ(copyError(missing, path(dir.filePath("dst")), &recorder),
              "Can't open: " + missing + ": 2");
    EXPECT_TRUE(recorder.calls.empty());

    EXPECT_EQ(copyError(path(dir.path()), path(dir.filePath("dst")), &recorder),
              "Can't open: " + path(dir.path()) + ": 21");
    EXPECT_TRUE(recorder.calls.empty());

    EXPECT_EQ(copyError(src, noDir, &recorder),
              "Failed to copy from " + src + " to " + noDir + ": 2");
    EXPECT_THAT(recorder.calls, ElementsAre("starting Copy to " + noDir, "total 4 bytes"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("dst")));
}

TEST(FileOps, FailedCopyKeepsTheOldDestination)
{
    struct Row
    {
        const char *name;
        int error;
        std::uint64_t after;
        const char *message; // after the destination
    };
    const Row rows[] = {
        {"full at once", ENOSPC, 0, ": not enough space."},
        {"full midway", ENOSPC, (9 << 20) + 5, ": not enough space."},
        {"quota", EDQUOT, 1 << 20, ": not enough space."},
        {"i/o error", EIO, 4096, ": 5"},
    };
    for (const Row &row : rows) {
        QTemporaryDir dir;
        const std::string src = path(dir.filePath("big")), dst = path(dir.filePath("keep"));
        writeFile(dir.filePath("big"), pattern(12 << 20));
        writeFile(dir.filePath("keep"), "the old destination");
        Recorder recorder;
        util::detail::injectCopyFault(row.error, row.after);
        const std::string expected = row.error == EIO
            ? "Failed to copy from " + src + " to " + dst + row.message
            : "Can't copy to " + dst + row.message;
        EXPECT_EQ(copyError(src, dst, &recorder), expected) << row.name;
        EXPECT_EQ(readFile(dir.filePath("keep")), "the old destination") << row.name;
        EXPECT_EQ(entries(dir.path()), QStringList({"big", "keep"})) << row.name;
        EXPECT_EQ(recorder.calls.size(), 2u) << row.name; // no finished
        const double last = recorder.amounts.empty() ? 0.0 : recorder.amounts.back();
        EXPECT_EQ(last, static_cast<double>(row.after)) << row.name;
    }
    // The fault was used up: the next copy works.
    QTemporaryDir dir;
    writeFile(dir.filePath("a"), "a");
    EXPECT_NO_THROW(util::copyFile(path(dir.filePath("a")), path(dir.filePath("b")), nullptr));
}

TEST(FileOps, CopyToAFullMediumKeepsTheOldDestination)
{
    QTemporaryDir dir;
    const QString mountPoint = dir.filePath("small");
    ASSERT_TRUE(QDir().mkpath(mountPoint));
    const QByteArray mp = QFile::encodeName(mountPoint);
    if (::mount("tmpfs", mp.constData(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "cannot mount a 1 MiB tmpfs here (" << std::strerror(errno)
                     << "); FailedCopyKeepsTheOldDestination covers a full medium by injection";
    struct Unmount
    {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    } unmount {mp};

    const QString dst = mountPoint + "/image.tif";
    writeFile(dst, QByteArray(200000, 'o'));
    writeFile(dir.filePath("big"), pattern(3 << 20));
    Recorder recorder;
    EXPECT_EQ(copyError(path(dir.filePath("big")), path(dst), &recorder),
              "Can't copy to " + path(dst) + ": not enough space.");
    EXPECT_EQ(readFile(dst), QByteArray(200000, 'o'));
    EXPECT_EQ(entries(mountPoint), QStringList({"image.tif"}));
    EXPECT_EQ(recorder.calls.size(), 2u);
}

TEST(FileOps, RemovesATreeWithHiddenAndSpecialEntries)
{
    QTemporaryDir dir;
    const QString root = dir.filePath("tree");
    for (const char *sub : {"a/b/c", ".hidden/inner", "empty", "z"})
        ASSERT_TRUE(QDir(root).mkpath(sub));
    for (const char *file : {".profile", "a/b/c/deep.txt", ".hidden/inner/.x", "z/file", "top"})
        writeFile(root + "/" + file, "x");
    ASSERT_EQ(::mkfifo(QFile::encodeName(root + "/fifo").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(root + "/gone", root + "/dangling"));

    EXPECT_TRUE(util::removeDir(path(root)));
    EXPECT_FALSE(QFileInfo::exists(root));
    EXPECT_TRUE(QFileInfo::exists(dir.path()));
}

TEST(FileOps, RemoveDirOfNothingIsDone)
{
    QTemporaryDir dir;
    EXPECT_TRUE(util::removeDir(path(dir.filePath("never"))));
    // Not a directory: nothing to remove, and the file stays.
    writeFile(dir.filePath("file"), "f");
    EXPECT_TRUE(util::removeDir(path(dir.filePath("file"))));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("file")));
}

TEST(FileOps, RemoveDirNeverFollowsLinksOutOfTheTree)
{
    QTemporaryDir dir;
    const QString outside = dir.filePath("outside");
    ASSERT_TRUE(QDir().mkpath(outside + "/sub"));
    writeFile(outside + "/keep.txt", "k");
    writeFile(outside + "/sub/keep2.txt", "k");
    writeFile(dir.filePath("lone.txt"), "l");

    const QString root = dir.filePath("tree");
    ASSERT_TRUE(QDir().mkpath(root + "/inner"));
    ASSERT_TRUE(QFile::link(outside, root + "/dirlink"));
    ASSERT_TRUE(QFile::link(outside, root + "/inner/again"));
    ASSERT_TRUE(QFile::link(dir.filePath("lone.txt"), root + "/filelink"));

    EXPECT_TRUE(util::removeDir(path(root)));
    EXPECT_FALSE(QFileInfo::exists(root));
    EXPECT_EQ(entries(outside), QStringList({"keep.txt", "sub"}));
    EXPECT_TRUE(QFileInfo::exists(outside + "/sub/keep2.txt"));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("lone.txt")));

    // A link given as the tree itself goes as a link.
    ASSERT_TRUE(QFile::link(outside, dir.filePath("toplink")));
    EXPECT_TRUE(util::removeDir(path(dir.filePath("toplink"))));
    EXPECT_FALSE(QFileInfo(dir.filePath("toplink")).isSymLink());
    EXPECT_EQ(entries(outside), QStringList({"keep.txt", "sub"}));
}

TEST(FileOps, RemoveDirWalksInTheOrderQDirLists)
{
    // Each directory holds one file; a file that cannot be deleted stops the walk there, so
    // what is left shows the order. U+1F600 sorts before U+FF21 in UTF-16, after it in UTF-8.
    const char *const names[] = {
        "B", "a", "_", ".hid", "Z9", "\xef\xbc\xa1", "\xf0\x9f\x98\x80", "\xc3\xa9", "10", "9"};
    const QDir::Filters filters =
        QDir::Files | QDir::Hidden | QDir::System | QDir::AllDirs | QDir::NoDotAndDotDot;
    for (const char *lockName : {"9", "a", "\xf0\x9f\x98\x80"}) {
        QTemporaryDir dir;
        const QString root = dir.filePath("tree");
        const QString outside = dir.filePath("outside");
        ASSERT_TRUE(QDir().mkpath(outside));
        for (const char *name : names) {
            ASSERT_TRUE(QDir(root).mkpath(QString::fromUtf8(name)));
            writeFile(root + "/" + QString::fromUtf8(name) + "/f", "f");
        }
        ASSERT_TRUE(QFile::link(outside, root + "/link")); // listed with the directories
        writeFile(root + "/A-file", "x");
        writeFile(root + "/.z-file", "x");

        const QStringList order = QDir(root).entryList(filters, QDir::DirsFirst | QDir::Name);
        const QString locked = QString::fromUtf8(lockName);
        const int lockAt = order.indexOf(locked);
        filetest::Undeletable lock(root + "/" + locked, root + "/" + locked + "/f");
        if (!lock.ok())
            GTEST_SKIP() << "cannot make a file undeletable: " << lock.reason().toStdString();

        std::string failedPath;
        int error = 0;
        EXPECT_FALSE(util::removeDir(path(root), failedPath, error));
        EXPECT_EQ(failedPath, path(root + "/" + locked + "/f"));
        EXPECT_EQ(error, lock.expectedError());
        EXPECT_EQ(QDir(root).entryList(filters, QDir::DirsFirst | QDir::Name), order.mid(lockAt))
            << "listed: " << order.join(' ').toStdString();
        for (const char *name : names) {
            if (order.indexOf(QString::fromUtf8(name)) >= lockAt) {
                EXPECT_TRUE(QFileInfo::exists(root + "/" + QString::fromUtf8(name) + "/f")) << name;
            }
        }
        EXPECT_TRUE(QFileInfo::exists(outside));
        EXPECT_FALSE(util::removeDir(path(root)));
    }
}
