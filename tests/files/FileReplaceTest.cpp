// The rule for replacing a file, tried through every writer that follows it: the copy, the
// writers' entry point and the INI merge.
#include "util/config/IniTool.h"
#include "util/files/AtomicWrite.h"
#include "util/files/FileOps.h"
#include "util/files/FileReplace_p.h"

#include "tests/common/TestUtil.h"
#include "tests/files/FileTestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>

using namespace quortest;
using filetest::statOf;

namespace {

const QByteArray oldContent = "[A]\nold=1\n";

// One writer: gives dst the content oldContent + addition (what the merge adds to oldContent);
// returns the error text, "" on success.
struct Writer
{
    const char *name;
    std::function<std::string(const QString &dir, const QString &dst, const QByteArray &addition)>
        write;
};

std::string local(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

const Writer writers[] = {
    {"copy",
     [](const QString &dir, const QString &dst, const QByteArray &addition) {
         const QString src = dir + "/.source";
         writeFile(src, oldContent + addition);
         try {
             util::copyFile(local(src), local(dst), nullptr);
         } catch (const std::exception &e) {
             return std::string(e.what());
         }
         return std::string();
     }},
    {"write",
     [](const QString &, const QString &dst, const QByteArray &addition) {
         const QByteArray bytes = oldContent + addition;
         util::Failure failure;
         return util::writeFileAtomically(dst, bytes.constData(),
                                          static_cast<std::size_t>(bytes.size()), &failure)
             ? std::string()
             : "failed: " + failure.text().toStdString();
     }},
    {"merge",
     [](const QString &dir, const QString &dst, const QByteArray &addition) {
         const QString src = dir + "/.source.ini";
         writeFile(src, "[A]\n" + addition);
         try {
             util::IniTool::mergeIniFiles(local(src), local(dst));
         } catch (const std::exception &e) {
             return std::string(e.what());
         }
         return std::string();
     }},
};

class FileReplace : public testing::TestWithParam<Writer>
{
protected:
    QString at(const QString &name) const { return dir.filePath(name); }
    std::string write(const QString &dst, const QByteArray &addition = "new=1\n")
    {
        return GetParam().write(dir.path(), dst, addition);
    }
    // Everything in a folder but the writers' own source files.
    static QStringList entries(const QString &folder)
    {
        QStringList list = QDir(folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        list.removeAll(".source");
        list.removeAll(".source.ini");
        return list;
    }

    QTemporaryDir dir;
    const bool root = ::geteuid() == 0;
};

} // namespace

TEST_P(FileReplace, ARegularFileKeepsItsLinksOwnerModeAndAttributes)
{
    // A second hard link sees the new content: the file was rewritten, not replaced.
    const QString dst = at("dst"), other = at("other");
    writeFile(dst, oldContent);
    ASSERT_EQ(::link(QFile::encodeName(dst).constData(), QFile::encodeName(other).constData()), 0);
    EXPECT_EQ(write(dst), "");
    EXPECT_EQ(readFile(other), oldContent + "new=1\n");
    EXPECT_EQ(statOf(dst).st_ino, statOf(other).st_ino);
    EXPECT_EQ(statOf(dst).st_nlink, 2u);
    if (std::string(GetParam().name) != "merge") { // a shorter content cuts the file
        writeFile(dst, QByteArray(5000, 'l'));
        EXPECT_EQ(write(dst), "");
        EXPECT_EQ(readFile(other), oldContent + "new=1\n");
    }
    ASSERT_TRUE(QFile::remove(other));

    // One link: replaced, but dressed as the old file. A shorter content cuts the file.
    ASSERT_EQ(::chmod(QFile::encodeName(dst).constData(), 0640), 0);
    const bool tagged =
        ::setxattr(QFile::encodeName(dst).constData(), "user.quor.tag", "kept", 4, 0) == 0;
    // An access ACL that lets uid 65534 read: version 2, then (tag, permissions, id) entries
    // for the owner, that user, the group, the mask and the others.
    const unsigned char aclBytes[] = {
        2, 0,    0,    0,    0x01, 0,    6,    0, 0xff, 0xff, 0xff, 0xff, 0x02, 0,    4,
        0, 0xfe, 0xff, 0,    0,    0x04, 0,    4, 0,    0xff, 0xff, 0xff, 0xff, 0x10, 0,
        4, 0,    0xff, 0xff, 0xff, 0xff, 0x20, 0, 0,    0,    0xff, 0xff, 0xff, 0xff};
    const QByteArray acl(reinterpret_cast<const char *>(aclBytes), sizeof aclBytes);
    const bool withAcl = ::setxattr(QFile::encodeName(dst).constData(), "system.posix_acl_access",
                                    acl.constData(), static_cast<std::size_t>(acl.size()), 0)
        == 0;
    if (root) { // someone else's file, which only root may give away
        ASSERT_TRUE(filetest::chown(dst, 65534, 65534));
    }
    writeFile(dst, oldContent);
    EXPECT_EQ(write(dst), "");
    EXPECT_EQ(readFile(dst), oldContent + "new=1\n");
    EXPECT_EQ(statOf(dst).st_mode & 07777, 0640u);
    EXPECT_EQ(statOf(dst).st_uid, root ? 65534u : ::geteuid());
    EXPECT_EQ(statOf(dst).st_gid, root ? 65534u : ::getegid());
    char value[16] = {};
    if (tagged) {
        EXPECT_EQ(::getxattr(QFile::encodeName(dst).constData(), "user.quor.tag", value, 16), 4);
    }
    if (withAcl) {
        char kept[64] = {};
        const ssize_t n = ::getxattr(QFile::encodeName(dst).constData(), "system.posix_acl_access",
                                     kept, sizeof kept);
        EXPECT_EQ(QByteArray(kept, static_cast<int>(std::max<ssize_t>(n, 0))), acl);
    }
    EXPECT_EQ(entries(dir.path()), QStringList({"dst"}));
}

TEST_P(FileReplace, ADeviceOrFifoIsWrittenThroughAndADirectoryRefused)
{
    const std::string name = GetParam().name;
    if (root) { // a device node with the numbers of /dev/null, in our own folder
        const QByteArray device = QFile::encodeName(at("null"));
        ASSERT_EQ(::mknod(device.constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
        EXPECT_EQ(write(at("null")), "");
        EXPECT_TRUE(S_ISCHR(statOf(at("null")).st_mode));
        EXPECT_EQ(statOf(at("null")).st_rdev, makedev(1, 3));
    }

    // A FIFO: what is written comes out at the other end. Both ends are opened here, before
    // the write, so no open waits for a partner that has already gone (or not yet come), and
    // the reader sees the end only once the write and the held end are closed.
    const QByteArray fifo = QFile::encodeName(at("fifo"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const int held = ::open(fifo.constData(), O_RDWR);
    ASSERT_GE(held, 0);
    const int readEnd = ::open(fifo.constData(), O_RDONLY);
    ASSERT_GE(readEnd, 0);
    QByteArray received;
    std::thread reader([&] {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(readEnd, buffer, sizeof buffer)) > 0)
            received.append(buffer, static_cast<int>(n));
        ::close(readEnd);
    });
    if (name == "merge") {
        // A merge reads its destination first, which a FIFO never ends: refused.
        EXPECT_EQ(write(at("fifo")),
                  "Destination INI file " + local(at("fifo")) + " can't be opened!");
    } else {
        EXPECT_EQ(write(at("fifo")), "");
    }
    ::close(held);
    reader.join();
    EXPECT_TRUE(S_ISFIFO(statOf(at("fifo")).st_mode));
    EXPECT_EQ(received, name == "merge" ? QByteArray() : oldContent + "new=1\n");

    // A directory: refused, untouched.
    ASSERT_TRUE(QDir().mkpath(at("folder/inner")));
    const std::string error = write(at("folder"));
    if (name == "copy")
        EXPECT_EQ(error,
                  "Failed to copy from " + local(at(".source")) + " to " + local(at("folder"))
                      + ": 21");
    else if (name == "write")
        EXPECT_EQ(error, "failed: " + local(at("folder")) + ": Is a directory");
    else
        EXPECT_EQ(error, "Destination INI file " + local(at("folder")) + " can't be opened!");
    EXPECT_EQ(entries(at("folder")), QStringList({"inner"}));
    EXPECT_EQ(entries(dir.path()),
              root ? QStringList({"fifo", "folder", "null"}) : QStringList({"fifo", "folder"}));
}

TEST_P(FileReplace, AFullMediumLeavesTheOldFileWhole)
{
    // Both ways of replacing: the temporary file beside it, and in place (a second link).
    ASSERT_TRUE(QDir().mkpath(at("small")));
    filetest::SmallMedium medium(at("small"));
    if (!medium.ok)
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    const QByteArray old = oldContent + "pad=" + QByteArray(300000, 'o') + "\n";
    const QByteArray big = "big=" + QByteArray(1500000, 'v') + "\n";
    for (bool secondLink : {false, true}) {
        const QString dst = at("small/settings.ini");
        writeFile(dst, old);
        if (secondLink) {
            ASSERT_EQ(::link(QFile::encodeName(dst).constData(),
                             QFile::encodeName(at("small/link")).constData()),
                      0);
        }
        const std::string error = write(dst, big);
        EXPECT_FALSE(error.empty()) << secondLink;
        EXPECT_EQ(readFile(dst), old) << secondLink;
        EXPECT_EQ(entries(at("small")),
                  secondLink ? QStringList({"link", "settings.ini"})
                             : QStringList({"settings.ini"}));
    }
}

// The writers that promise the new content is on the medium before it replaces the old one
// flush it first: when the flush fails, the old file stays whole and the failure is reported;
// after a rewrite in place the failure is reported too.
TEST_P(FileReplace, AFailedFlushBeforeTheRenameLeavesTheOldFileWhole)
{
    if (std::string(GetParam().name) == "copy")
        GTEST_SKIP() << "the copy does not flush";
    const QString dst = at("settings.ini");
    writeFile(dst, oldContent);
    util::testseam::failNextFsync(EIO);
    const std::string error = write(dst);
    util::testseam::failNextFsync(0);
    EXPECT_NE(error, "");
    if (std::string(GetParam().name) == "write") {
        EXPECT_EQ(error, "failed: " + local(dst) + ": Input/output error");
    }
    EXPECT_EQ(readFile(dst), oldContent);
    EXPECT_EQ(entries(dir.path()), QStringList({"settings.ini"}));

    ASSERT_EQ(
        ::link(QFile::encodeName(dst).constData(), QFile::encodeName(at("second")).constData()), 0);
    util::testseam::failNextFsync(EIO);
    EXPECT_NE(write(dst), "") << "in place";
    util::testseam::failNextFsync(0);
    EXPECT_EQ(write(dst), "");
    EXPECT_EQ(readFile(at("second")), oldContent + "new=1\n");
}

INSTANTIATE_TEST_SUITE_P(Writers, FileReplace, testing::ValuesIn(writers),
                         [](const testing::TestParamInfo<Writer> &info) {
                             return std::string(info.param.name);
                         });

// Another user's file in a folder that takes no new files: the tool, run as that user, rewrites
// it in place; when the new content does not fit, nothing changes.
TEST(FileReplaceTool, ALockedFolderRewritesInPlaceAndFailsBeforeChangingAByte)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as uid 65534 and to mount a small tmpfs";
    QTemporaryDir dir;
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const QString folder = dir.filePath("locked"), dst = folder + "/settings.ini";
    ASSERT_TRUE(QDir().mkpath(folder));
    filetest::SmallMedium medium(folder);
    ASSERT_TRUE(medium.ok);
    const QByteArray old = "[A]\nold=1\npad=" + QByteArray(300000, 'o') + "\n";
    const QString small = dir.filePath("small.ini"), big = dir.filePath("big.ini");
    writeFile(small, old + "new=1\n");
    writeFile(big, "[A]\nbig=" + QByteArray(1500000, 'v') + "\n");
    for (const char *command : {"copy", "ini-merge"}) {
        writeFile(dst, old);
        ASSERT_TRUE(filetest::chown(dst, 65534, 65534));
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
        const filetest::Run fits = filetest::runToolAsNobody({command, small, dst});
        EXPECT_EQ(fits.code, 0) << command << ": " << fits.err;
        EXPECT_EQ(readFile(dst), old + "new=1\n") << command;

        writeFile(dst, old);
        const filetest::Run full = filetest::runToolAsNobody({command, big, dst});
        EXPECT_EQ(full.code, 1) << command << ": " << full.err;
        EXPECT_EQ(readFile(dst), old) << command;
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList({"settings.ini"}))
            << command;
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    }
}
