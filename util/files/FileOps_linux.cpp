// Linux file operations: copy with progress by copy_file_range, tree removal by directory
// descriptors.

#include "util/files/FileOps.h"

#include "util/files/UniqueFd_p.h"
#include "util/progress/ProgressInterface.h"

#include <QFile>
#include <QString>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>
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

// Deletes the temporary copy unless it was renamed into place.
class TempFileGuard
{
public:
    ~TempFileGuard()
    {
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    void set(const std::string &path) { m_path = path; }
    void release() { m_path.clear(); }

private:
    std::string m_path;
};

struct CopyError
{
    int error;
};

// A file beside dst with a name of its own; the kernel applies the umask to mode.
int createTemporary(const std::string &dst, mode_t mode, std::string &tmpPath)
{
    const std::size_t slash = dst.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : dst.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? dst : dst.substr(slash + 1);
    static thread_local std::mt19937 random {std::random_device {}()};
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix(8, 'x');
        for (char &c : suffix)
            c = letters[random() % (sizeof(letters) - 1)];
        tmpPath = dir + "." + base + ".copy-" + suffix;
        const int fd = ::open(tmpPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// The file that path names once links are followed, even when it does not exist yet.
std::string followLinks(const std::string &path)
{
    std::string target = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return target;
        std::vector<char> buffer(static_cast<std::size_t>(st.st_size) + 1);
        const ssize_t n = ::readlink(target.c_str(), buffer.data(), buffer.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size())
            return path;
        const std::string link(buffer.data(), static_cast<std::size_t>(n));
        const std::size_t slash = target.rfind('/');
        target = link[0] == '/' || slash == std::string::npos ? link
                                                              : target.substr(0, slash + 1) + link;
    }
    return path; // a loop: let the rename replace the link itself
}

bool isNoSpace(int error)
{
    return error == ENOSPC || error == EDQUOT;
}

bool writeAll(int fd, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Copies in to out from their current positions to the end of in, telling progress the
// cumulative byte count after every chunk. Throws CopyError.
void copyContents(int in, int out, ProgressInterface *progress, int fault, std::uint64_t faultAt)
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
            if (n > 0 && !writeAll(out, buffer.data(), static_cast<std::size_t>(n)))
                throw CopyError {errno};
        }

        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw CopyError {errno};
        }
        if (n == 0)
            return;
        copied += static_cast<std::uint64_t>(n);
        if (progress)
            progress->amountDone(static_cast<double>(copied));
    }
}

} // namespace

void detail::injectCopyFault(int error, std::uint64_t afterBytes)
{
    faultAfter = afterBytes;
    faultError = error;
}

void copyFile(const std::string &src, const std::string &dst, ProgressInterface *progress)
{
    const int fault = faultError.exchange(0);
    const std::uint64_t faultAt = faultAfter.load();
    const std::string task = "Copy to " + dst;

    UniqueFd in(::open(src.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st;
    if (in && ::fstat(in.get(), &st) != 0)
        in.reset();
    else if (in && S_ISDIR(st.st_mode)) {
        in.reset();
        errno = EISDIR;
    }
    if (!in)
        throw std::runtime_error("Can't open: " + src + ": " + std::to_string(errno));

    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (progress) {
        progress->starting(task.c_str());
        progress->totalAmount(static_cast<double>(size), "bytes");
    }

    try {
        // Replacing a link to the destination would cut it off from its target; the copy goes
        // to the target instead, as the other writers of the library do.
        const std::string target = followLinks(dst);
        TempFileGuard guard;
        std::string tmpPath;
        UniqueFd out(createTemporary(target, st.st_mode & 0777, tmpPath));
        if (!out)
            throw CopyError {errno};
        guard.set(tmpPath);

        copyContents(in.get(), out.get(), progress, fault, faultAt);

        const struct timespec times[2] = {{0, UTIME_NOW}, st.st_mtim};
        ::futimens(out.get(), times);
        if (out.close() != 0)
            throw CopyError {errno};
        if (::rename(tmpPath.c_str(), target.c_str()) != 0)
            throw CopyError {errno};
        guard.release();
    } catch (const CopyError &e) {
        if (isNoSpace(e.error))
            throw std::runtime_error("Can't copy to " + dst + ": not enough space.");
        throw std::runtime_error("Failed to copy from " + src + " to " + dst + ": "
                                 + std::to_string(e.error));
    }

    if (progress)
        progress->finished(task.c_str());
}

namespace {

struct Entry
{
    std::string name;
    QString sortKey; // the name as Qt's directory listing sees and orders it
    bool listedAsDir; // what the listing order sees: a link to a directory counts as one
    bool realDir; // what is descended into: never a link
};

struct Failure
{
    std::string path;
    int error = 0;
};

bool fail(Failure &failure, const std::string &path, int error)
{
    failure.path = path;
    failure.error = error;
    return false;
}

// Deletes everything inside the open directory fd (path names it for failure reports).
// Works relative to directory descriptors so that no link is ever followed, even one swapped
// in while the walk runs.
bool removeContents(int fd, const std::string &path, Failure &failure)
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
                return fail(failure, childPath, errno);
        } else if (::unlinkat(fd, name, 0) != 0) {
            return fail(failure, path + "/" + entry.name, errno);
        }
    }
    return true;
}

} // namespace

bool removeDir(const std::string &path, std::string &failedPath, int &error)
{
    failedPath.clear();
    error = 0;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return true;
        failedPath = path;
        error = errno;
        return false;
    }
    if (S_ISLNK(st.st_mode)) {
        // A link to a directory goes as a link; its target stays untouched.
        if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return true;
        if (::unlink(path.c_str()) == 0)
            return true;
        failedPath = path;
        error = errno;
        return false;
    }
    if (!S_ISDIR(st.st_mode))
        return true;

    Failure failure;
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (fd && !removeContents(fd.get(), path, failure)) {
        failedPath = failure.path;
        error = failure.error;
        return false;
    }
    fd.reset();
    if (::rmdir(path.c_str()) != 0) {
        failedPath = path;
        error = errno;
        return false;
    }
    return true;
}

bool removeDir(const std::string &path)
{
    std::string failedPath;
    int error = 0;
    return removeDir(path, failedPath, error);
}

} // namespace util
