// Linux file operations: copy with progress by copy_file_range, tree removal by directory
// descriptors.

#include "util/files/FileOps.h"

#include "util/core/ProgressInterface.h"
#include "util/files/FileOps_p.h"
#include "util/files/FileReplace_p.h"
#include "util/files/UniqueFd_p.h"

#include <QFile>
#include <QString>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace util {

namespace {

std::atomic<int> faultError {0};
std::atomic<std::uint64_t> faultAfter {0};

using detail::UniqueFd;

struct CopyError
{
    int error;
};

bool isNoSpace(int error)
{
    return error == ENOSPC || error == EDQUOT;
}

// Copies in to out from their current positions to the end of in, telling progress the
// cumulative byte count after every chunk. Returns the bytes copied; throws CopyError.
std::uint64_t copyContents(int in, int out, ProgressInterface *progress, int fault,
                           std::uint64_t faultAt)
{
    // Large chunks keep the in-kernel copy at full speed; the reporters throttle what they show.
    constexpr std::size_t chunk = std::size_t(8) << 20;
    constexpr std::size_t bufferSize = std::size_t(1) << 20;
    enum { CopyRange, SendFile, ReadWrite } method = CopyRange;
    std::vector<char> buffer;
    std::uint64_t copied = 0;

    for (;;) {
        std::size_t want = method == ReadWrite ? bufferSize : chunk;
        if (fault != 0) {
            if (copied >= faultAt)
                throw CopyError {fault};
            want = static_cast<std::size_t>(std::min<std::uint64_t>(want, faultAt - copied));
        }

        ssize_t n = 0;
        if (method == CopyRange) {
            n = ::copy_file_range(in, nullptr, out, nullptr, want, 0);
            if (n < 0
                && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
                method = SendFile;
                continue;
            }
            // Some file systems (procfs and the like) report 0 instead of copying, and their
            // sizes read 0: a plain read confirms the end.
            if (n == 0) {
                method = ReadWrite;
                continue;
            }
        } else if (method == SendFile) {
            n = ::sendfile(out, in, nullptr, want);
            if (n < 0 && (errno == EINVAL || errno == ENOSYS)) {
                method = ReadWrite;
                continue;
            }
            if (n == 0) {
                method = ReadWrite;
                continue;
            }
        } else {
            if (buffer.empty())
                buffer.resize(bufferSize);
            n = ::read(in, buffer.data(), want);
            if (n > 0 && !detail::writeAll(out, buffer.data(), static_cast<std::size_t>(n)))
                throw CopyError {errno};
        }

        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw CopyError {errno};
        }
        if (n == 0)
            return copied;
        copied += static_cast<std::uint64_t>(n);
        if (progress)
            progress->amountDone(static_cast<double>(copied));
    }
}

} // namespace

void testseam::injectCopyFault(int error, std::uint64_t afterBytes)
{
    faultAfter = afterBytes;
    faultError = error;
}

namespace {

// One failed copy, both as the value of the reporting overload and as the fixed message of the
// throwing one.
struct CopyFailure
{
    util::Failure failure;
    std::string message;
};

bool copyFailed(CopyFailure &out, util::Failure failure, std::string message)
{
    out.failure = std::move(failure);
    out.message = std::move(message);
    return false;
}

bool copyOrFail(const std::string &src, const std::string &dst, ProgressInterface *progress,
                CopyFailure &failed)
{
    const int fault = faultError.exchange(0);
    const std::uint64_t faultAt = faultAfter.load();
    const std::string task = "Copy to " + dst;
    const auto writeFailed = [&](int error) {
        const QString target = QFile::decodeName(dst.c_str());
        if (isNoSpace(error))
            return copyFailed(failed, Failure::system(error, target),
                              "Can't copy to " + dst + ": not enough space.");
        return copyFailed(failed, Failure::system(error, target),
                          "Failed to copy from " + src + " to " + dst + ": "
                              + std::to_string(error));
    };

    UniqueFd in(::open(src.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st;
    if (in && ::fstat(in.get(), &st) != 0)
        in.reset();
    else if (in && S_ISDIR(st.st_mode)) {
        in.reset();
        errno = EISDIR;
    }
    if (!in) {
        const int error = errno;
        return copyFailed(failed, Failure::system(error, QFile::decodeName(src.c_str())),
                          "Can't open: " + src + ": " + std::to_string(error));
    }
    // A folder as the destination is refused before a byte is read or any progress shown.
    int error = 0;
    if (!detail::FileReplacement::checkDestination(dst, &error))
        return writeFailed(error);

    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (progress) {
        progress->starting(task.c_str());
        progress->totalAmount(static_cast<double>(size), "bytes");
    }

    detail::FileReplacement out;
    if (!out.open(dst, size, st.st_mode & 0777, &error))
        return writeFailed(error);
    std::uint64_t copied = 0;
    try {
        copied = copyContents(in.get(), out.fd(), progress, fault, faultAt);
    } catch (const CopyError &e) {
        return writeFailed(e.error);
    }
    // A file that grew or shrank meanwhile would leave a copy of no consistent state. Files
    // that read 0 bytes long but have content (procfs and the like) keep reading 0.
    struct stat after;
    if (::fstat(in.get(), &after) != 0)
        return writeFailed(errno);
    if (after.st_size != st.st_size || (size != 0 && copied != size))
        return copyFailed(failed,
                          Failure::other(QFile::decodeName(src.c_str()),
                                         QStringLiteral("changed size during the copy")),
                          "Failed to copy from " + src + " to " + dst
                              + ": the source changed size during the copy");
    if (out.kind() != detail::FileReplacement::Stream) {
        const struct timespec times[2] = {{0, UTIME_NOW}, st.st_mtim};
        ::futimens(out.fd(), times);
    }
    if (!out.commit(false, &error))
        return writeFailed(error);

    if (progress)
        progress->finished(task.c_str());
    return true;
}

} // namespace

void copyFile(const std::string &src, const std::string &dst, ProgressInterface *progress)
{
    CopyFailure failed;
    if (!copyOrFail(src, dst, progress, failed))
        throw std::runtime_error(failed.message);
}

bool copyFile(const std::string &src, const std::string &dst, ProgressInterface *progress,
              Failure *failure)
{
    CopyFailure failed;
    if (copyOrFail(src, dst, progress, failed))
        return true;
    return fail(failure, std::move(failed.failure));
}

namespace {

struct Entry
{
    std::string name;
    QString sortKey; // the name as Qt's directory listing sees and orders it
    bool listedAsDir; // what the listing order sees: a link to a directory counts as one
    bool realDir; // what is descended into: never a link
};

struct Stop
{
    std::string path;
    int error = 0;
};

bool stop(Stop &failure, const std::string &path, int error)
{
    failure.path = path;
    failure.error = error;
    return false;
}

// Deletes everything inside the open directory fd (path names it for failure reports).
// Works relative to directory descriptors so that no link is ever followed, even one swapped
// in while the walk runs.
bool removeContents(int fd, const std::string &path, Stop &failure)
{
    std::vector<Entry> entries;
    {
        const int listFd = ::dup(fd);
        DIR *dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
        if (!dir) {
            if (listFd >= 0)
                ::close(listFd);
            return true; // unreadable: the final rmdir tells whether it was empty
        }
        while (const dirent *d = ::readdir(dir)) {
            const char *name = d->d_name;
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
                continue;
            unsigned char type = d->d_type;
            struct stat st;
            if (type == DT_UNKNOWN && ::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
            const bool realDir = type == DT_DIR;
            bool listedAsDir = realDir;
            if (type == DT_LNK)
                listedAsDir = ::fstatat(fd, name, &st, 0) == 0 && S_ISDIR(st.st_mode);
            entries.push_back({name, QFile::decodeName(name), listedAsDir, realDir});
        }
        ::closedir(dir);
    }

    // Directories first, then by name in UTF-16 order as QDir::Name sorts: that differs from
    // the byte order of UTF-8 names for characters beyond U+FFFF.
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        if (a.listedAsDir != b.listedAsDir)
            return a.listedAsDir;
        const int byKey = a.sortKey.compare(b.sortKey);
        return byKey != 0 ? byKey < 0 : a.name < b.name;
    });

    for (const Entry &entry : entries) {
        const char *name = entry.name.c_str();
        if (entry.realDir) {
            const std::string childPath = path + "/" + entry.name;
            UniqueFd child(::openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (child && !removeContents(child.get(), childPath, failure))
                return false;
            child.reset();
            if (::unlinkat(fd, name, AT_REMOVEDIR) != 0)
                return stop(failure, childPath, errno);
        } else if (::unlinkat(fd, name, 0) != 0) {
            return stop(failure, path + "/" + entry.name, errno);
        }
    }
    return true;
}

} // namespace

namespace {

// Why a path given to removeDir is not deleted at all: 0 when it may be, else EINVAL.
// Trailing slashes would make the system follow a link to the directory it points to, so they
// are dropped; what is left must not be the root or end in "." or "..".
int refusal(std::string &path)
{
    if (path.empty())
        return EINVAL;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path == "/")
        return EINVAL;
    const std::size_t slash = path.rfind('/');
    const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    return last == "." || last == ".." ? EINVAL : 0;
}

enum class Outcome { Removed, Missing, NotADirectory, Refused, Failed };

Outcome removeTree(const std::string &given, std::string &failedPath, int &error)
{
    failedPath = given;
    std::string path = given;
    error = refusal(path);
    if (error != 0)
        return Outcome::Refused;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        error = errno;
        return errno == ENOENT || errno == ENOTDIR ? Outcome::Missing : Outcome::Failed;
    }
    if (S_ISLNK(st.st_mode)) {
        // A link to a directory goes as a link; its target stays untouched.
        if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            error = ENOTDIR;
            return Outcome::NotADirectory;
        }
        if (::unlink(path.c_str()) == 0)
            return Outcome::Removed;
        error = errno;
        return Outcome::Failed;
    }
    if (!S_ISDIR(st.st_mode)) {
        error = ENOTDIR;
        return Outcome::NotADirectory;
    }

    Stop failure;
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (fd && !removeContents(fd.get(), path, failure)) {
        failedPath = failure.path;
        error = failure.error;
        return Outcome::Failed;
    }
    fd.reset();
    if (::rmdir(path.c_str()) != 0) {
        error = errno;
        return Outcome::Failed;
    }
    return Outcome::Removed;
}

} // namespace

bool removeDir(const std::string &path, Failure *failure)
{
    std::string failedPath;
    int error = 0;
    switch (removeTree(path, failedPath, error)) {
    case Outcome::Removed:
        return true;
    case Outcome::Refused: {
        Failure refused = Failure::other(QFile::decodeName(path.c_str()),
                                         QStringLiteral("refused: it names / or ends in . or .."));
        refused.error = EINVAL;
        return fail(failure, std::move(refused));
    }
    case Outcome::Missing:
    case Outcome::NotADirectory:
    case Outcome::Failed:
        break;
    }
    return fail(failure, Failure::system(error, QFile::decodeName(failedPath.c_str())));
}

bool removeDir(const std::string &path)
{
    std::string failedPath;
    int error = 0;
    switch (removeTree(path, failedPath, error)) {
    case Outcome::Removed:
    case Outcome::Missing:
    case Outcome::NotADirectory:
        return true;
    case Outcome::Refused:
    case Outcome::Failed:
        break;
    }
    return false;
}

// --- The forms of 6.2 that reported through a QString --------------------------------------
// Programs built against them still find these symbols; the headers offer the Failure forms.

UTIL_EXPORT bool removeDir(const std::string &path, std::string &failedPath, int &error);
bool removeDir(const std::string &path, std::string &failedPath, int &error)
{
    Failure failure;
    if (removeDir(path, &failure))
        return true;
    failedPath = failure.path.toStdString();
    error = failure.error ? failure.error : EINVAL;
    return false;
}

} // namespace util
