#include "util/files/FileOps.h"
#ifdef QUOR_TEST_SEAMS
#include "util/files/FileOps_p.h"
#endif

#include "util/core/ProgressInterface.h"

#include "tests/common/TestUtil.h"
#include "tests/files/FileTestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <sys/mount.h>

using namespace quortest;
using testing::ElementsAre;

// The fixture also records what copyFile reports.
class FileOps : public testing::Test, public util::ProgressInterface
{
protected:
    void starting(const char *name) override { calls.push_back(std::string("starting ") + name); }
    void totalAmount(double total, const char *units) override
    {
        calls.push_back("total " + std::to_string(static_cast<long long>(total)) + " " + units);
    }
    void amountDone(double amount) override
    {
        amounts.push_back(amount);
        if (onAmount)
            onAmount();
    }
    void finished(const char *name) override { calls.push_back(std::string("finished ") + name); }
    QString at(const QString &name) const { return dir.filePath(name); }
    static std::string path(const QString &p) { return QFile::encodeName(p).toStdString(); }
    static QStringList entries(const QString &folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                          | QDir::NoDotAndDotDot,
                                      QDir::DirsFirst | QDir::Name);
    }
    // Bytes that differ from chunk to chunk, so a chunk copied twice or skipped shows.
    static QByteArray pattern(int size)
    {
        QByteArray bytes(size, '\0');
        for (int i = 0; i < size; ++i)
            bytes[i] = static_cast<char>((i * 7 + i / 4099) & 0xff);
        return bytes;
    }
    std::string copyError(const QString &src, const QString &dst)
    {
        try {
            util::copyFile(path(src), path(dst), this);
        } catch (const std::exception &e) {
            return e.what();
        }
        return "no error";
    }

    QTemporaryDir dir;
    std::vector<std::string> calls;
    std::vector<double> amounts;
    std::function<void()> onAmount;
};

TEST_F(FileOps, ReplacesTheDestinationWithCumulativeProgress)
{
    // The destination is a chain of relative links, each resolved against its own folder.
    const QString src = at("in.bin"), dst = at("links/one"), real = at("real.bin");
    ASSERT_TRUE(QDir().mkpath(at("links")));
    ASSERT_TRUE(QFile::link("../real.bin", at("links/two")) && QFile::link("two", dst));
    const std::string task = "Copy to " + path(dst);
    writeFile(real, "");
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0604), 0);
    const QFile::Permissions realPermissions = QFileInfo(real).permissions();
    for (int size : {0, 1, 4096, 8 << 20, (8 << 20) + 1, (20 << 20) + 123}) {
        writeFile(src, pattern(size));
        writeFile(real, QByteArray(100000, 'x'));
        ASSERT_EQ(::chmod(QFile::encodeName(src).constData(), 0640), 0);
        calls.clear();
        amounts.clear();
        util::copyFile(path(src), path(dst), this);
        EXPECT_EQ(readFile(real), readFile(src)) << size;
        EXPECT_THAT(calls,
                    ElementsAre("starting " + task, "total " + std::to_string(size) + " bytes",
                                "finished " + task))
            << size;
        EXPECT_EQ(amounts.empty(), size == 0) << size;
        EXPECT_TRUE(std::is_sorted(amounts.begin(), amounts.end(), std::less_equal<double>()));
        EXPECT_EQ(amounts.empty() ? 0.0 : amounts.back(), size) << size;
        // An existing destination keeps its own permissions; a new one takes the source's.
        EXPECT_EQ(QFileInfo(real).permissions(), realPermissions) << size;
        EXPECT_EQ(entries(dir.path()) + entries(at("links")),
                  QStringList({"links", "in.bin", "real.bin", "one", "two"}))
            << size;
        EXPECT_TRUE(QFileInfo(dst).isSymLink() && QFileInfo(at("links/two")).isSymLink());
    }
    util::copyFile(path(src), path(at("links/new")), nullptr);
    EXPECT_EQ(QFileInfo(at("links/new")).permissions(), QFileInfo(src).permissions());
    // procfs files read 0 bytes long and refuse the in-kernel copy.
    util::copyFile("/proc/version", path(at("version")), nullptr);
    EXPECT_EQ(readFile(at("version")), readFile("/proc/version"));
    EXPECT_FALSE(readFile(at("version")).isEmpty());
}

TEST_F(FileOps, CopyFailuresThrowTheirMessages)
{
    const QString src = at("src"), dst = at("dst"), noDir = at("no/such/dir/file");
    writeFile(src, "data");
    EXPECT_EQ(copyError(at("missing"), dst), "Can't open: " + path(at("missing")) + ": 2");
    EXPECT_EQ(copyError(dir.path(), dst), "Can't open: " + path(dir.path()) + ": 21");
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(copyError(src, noDir),
              "Failed to copy from " + path(src) + " to " + path(noDir) + ": 2");
    EXPECT_THAT(calls, ElementsAre("starting Copy to " + path(noDir), "total 4 bytes"));
    EXPECT_FALSE(QFileInfo::exists(dst));

    // A folder as the destination is refused before the source is read: no progress at all.
    calls.clear();
    for (const QString &folder : {dir.path(), at("."), dir.path() + "/"}) {
        EXPECT_EQ(copyError(src, folder),
                  "Failed to copy from " + path(src) + " to " + path(folder) + ": 21");
        EXPECT_TRUE(calls.empty() && amounts.empty());
    }
}

TEST_F(FileOps, ASourceThatChangesSizeDuringTheCopyIsAnError)
{
    const QString src = at("src"), dst = at("dst");
    for (const bool grow : {false, true}) {
        writeFile(src, pattern(20 << 20));
        writeFile(dst, "old");
        onAmount = [&] {
            QFile file(src);
            if (grow) {
                ASSERT_TRUE(file.open(QIODevice::Append));
                file.write("more");
            } else {
                ASSERT_TRUE(file.resize(10 << 20));
            }
            onAmount = nullptr;
        };
        EXPECT_EQ(copyError(src, dst),
                  "Failed to copy from " + path(src) + " to " + path(dst)
                      + ": the source changed size during the copy")
            << grow;
        EXPECT_EQ(readFile(dst), "old") << grow;
        EXPECT_EQ(entries(dir.path()), QStringList({"dst", "src"})) << grow;
    }
}

TEST_F(FileOps, CopyToAFullMediumKeepsTheOldDestination)
{
    // A 1 MiB tmpfs where the machine lets us mount one; the copy's fault seam otherwise.
    const QString small = at("small"), dst = at("small/image.tif");
    ASSERT_TRUE(QDir().mkpath(small));
    const QByteArray mountPoint = QFile::encodeName(small);
    const bool mounted = ::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=1m") == 0;
    const std::unique_ptr<const char, void (*)(const char *)> unmount(
        mounted ? mountPoint.constData() : nullptr,
        [](const char *p) { ::umount2(p, MNT_DETACH); });
    if (!mounted) {
#ifdef QUOR_TEST_SEAMS
        util::testseam::injectCopyFault(ENOSPC, 1 << 20);
#else
        GTEST_SKIP() << "needs root for a small tmpfs, or the test seams";
#endif
    }
    writeFile(dst, QByteArray(200000, 'o'));
    writeFile(at("big"), pattern(3 << 20));
    EXPECT_EQ(copyError(at("big"), dst), "Can't copy to " + path(dst) + ": not enough space.");
    EXPECT_EQ(readFile(dst), QByteArray(200000, 'o'));
    EXPECT_EQ(entries(small), QStringList({"image.tif"}));
    EXPECT_EQ(calls.size(), 2u); // no finished
}

TEST_F(FileOps, RemovesATreeWithoutFollowingLinksOutOfIt)
{
    const QString root = at("tree"), outside = at("outside");
    ASSERT_TRUE(QDir().mkpath(root + "/.hidden/inner") && QDir().mkpath(outside));
    for (const QString &file : {root + "/.profile", root + "/.hidden/inner/.x", outside + "/keep"})
        writeFile(file, "x");
    ASSERT_EQ(::mkfifo(QFile::encodeName(root + "/fifo").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(root + "/gone", root + "/dangling"));
    ASSERT_TRUE(QFile::link(outside, root + "/dirlink"));
    ASSERT_TRUE(QFile::link(outside, root + "/.hidden/again"));
    ASSERT_TRUE(QFile::link(outside + "/keep", root + "/filelink"));
    EXPECT_TRUE(util::removeDir(path(root)));
    EXPECT_FALSE(QFileInfo::exists(root));
    EXPECT_EQ(entries(outside), QStringList({"keep"}));

    EXPECT_TRUE(util::removeDir(path(root))); // nothing there: nothing to do
}

// A link named with trailing slashes, as shell completion writes it, still goes as a link; "/",
// "." and ".." at the end are refused before anything is touched.
TEST_F(FileOps, RemoveDirNeverLeavesTheNamedTree)
{
    const QString outside = at("outside"), tree = at("a/tree");
    const auto fill = [&] {
        for (const QString &file : {outside + "/keep", tree + "/sub/f", at("a/sibling")}) {
            ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
            writeFile(file, "x");
        }
    };
    fill();
    for (const char *slashes : {"/", "//", ""}) {
        ASSERT_TRUE(QFile::link(outside, at("lnk")));
        util::Failure failure;
        EXPECT_TRUE(util::removeDir(path(at("lnk")) + slashes, &failure)) << slashes;
        EXPECT_EQ(failure.error, 0);
        EXPECT_FALSE(QFileInfo(at("lnk")).isSymLink()) << slashes;
        EXPECT_EQ(entries(outside), QStringList({"keep"})) << slashes;
    }

    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(tree + "/sub"));
    for (const std::string &given :
         {path(tree) + "/.", path(tree) + "/./", path(tree) + "/sub/..", path(tree) + "/sub/../",
          std::string("."), std::string(".."), std::string("./"), std::string("")}) {
        util::Failure failure;
        EXPECT_FALSE(util::removeDir(given, &failure)) << given;
        EXPECT_EQ(failure.error, EINVAL) << given;
        EXPECT_EQ(failure.path.toStdString(), given);
        EXPECT_FALSE(util::removeDir(given)) << given;
        EXPECT_EQ(entries(tree + "/sub"), QStringList({"f"})) << given;
        EXPECT_EQ(entries(at("a")), QStringList({"tree", "sibling"})) << given;
    }
    ASSERT_TRUE(QDir::setCurrent(cwd));

    // The strict form tells a missing tree and a file apart; the plain one calls both gone.
    util::Failure failure;
    EXPECT_FALSE(util::removeDir(path(at("missing")), &failure));
    EXPECT_EQ(failure.error, ENOENT);
    EXPECT_FALSE(util::removeDir(path(at("a/sibling")), &failure));
    EXPECT_EQ(failure.error, ENOTDIR);
    EXPECT_TRUE(util::removeDir(path(at("missing"))));
    EXPECT_TRUE(util::removeDir(path(at("a/sibling"))));
    EXPECT_TRUE(QFileInfo::exists(at("a/sibling")));
}

TEST_F(FileOps, RemoveDirStopsAtAnUndeletableFileInQDirOrder)
{
    // One folder per name, each holding one file; the undeletable one stops the walk, so what is
    // left shows the order. U+1F600 sorts before U+FF21 in UTF-16, after it in UTF-8.
    const QStringList names = QString::fromUtf8("B a _ .hid Z9 \xef\xbc\xa1 \xf0\x9f\x98\x80 "
                                                "\xc3\xa9 10 9")
                                  .split(' ');
    ASSERT_TRUE(QDir().mkpath(at("elsewhere")));
    for (const QString &lockName : {names[9], names[1], names[6]}) {
        const QString root = at("tree-" + lockName), locked = root + "/" + lockName + "/f";
        for (const QString &name : names) {
            ASSERT_TRUE(QDir(root).mkpath(name));
            writeFile(root + "/" + name + "/f", "f");
        }
        writeFile(root + "/A-file", "x");
        ASSERT_TRUE(QFile::link(at("elsewhere"), root + "/link")); // listed with the directories
        const QStringList order = entries(root);
        filetest::Undeletable lock {root + "/" + lockName, locked};
        if (!lock.ok)
            GTEST_SKIP() << "cannot make a file undeletable (chattr +i as root, chmod otherwise)";
        util::Failure failure;
        EXPECT_FALSE(util::removeDir(path(root), &failure));
        EXPECT_EQ(failure.path.toStdString(), path(locked));
        EXPECT_EQ(failure.error, lock.expectedError());
        EXPECT_EQ(entries(root), order.mid(order.indexOf(lockName)))
            << order.join(' ').toStdString();
        for (const QString &name : names)
            EXPECT_TRUE(entries(root).contains(name)
                        == QFileInfo::exists(root + "/" + name + "/f"));
    }
}
