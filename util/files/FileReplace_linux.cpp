// Linux side of the file replacement rule (see FileReplace_p.h).

#include "util/files/FileReplace_p.h"

#include "util/files/UniqueFd_p.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <mutex>
#include <random>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace util {
namespace detail {

namespace {

std::atomic<int> fsyncFault {0};

// fsync, unless a test asked for it to fail.
int flush(int fd)
{
    if (const int fault = fsyncFault.exchange(0)) {
        errno = fault;
        return -1;
    }
    return ::fsync(fd);
}

// Temporary files that a terminating signal must take along. The handler reads the slots
// without locks: a slot is filled first, then marked ready (release), and only ready slots are
// unlinked. Unlink is async-signal-safe.
constexpr std::size_t slotCount = 64;
struct TempSlot
{
    std::atomic<int> state {0}; // 0 free, 1 being filled or emptied, 2 ready
    char path[PATH_MAX] {};
};
std::array<TempSlot, slotCount> tempSlots;

const int cleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void removeTemporariesAndDie(int sig)
{
    const int savedErrno = errno;
    for (TempSlot &slot : tempSlots) {
        if (slot.state.load(std::memory_order_acquire) == 2)
            ::unlink(slot.path);
    }
    // End the process as the signal would have without us.
    struct sigaction dfl
    {
    };
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    ::sigaction(sig, &dfl, nullptr);
    ::raise(sig); // blocked while we run: delivered when the handler returns
    errno = savedErrno;
}

// Installs the cleanup handler where the signal would end the process anyway; a signal the
// application handles or ignores is its own business. SIGXFSZ is made an ordinary write error.
void prepareSignals()
{
    static std::mutex mutex;
    const std::lock_guard<std::mutex> lock(mutex);
    for (int sig : cleanupSignals) {
        struct sigaction old
        {
        };
        if (::sigaction(sig, nullptr, &old) != 0 || (old.sa_flags & SA_SIGINFO)
            || old.sa_handler != SIG_DFL)
            continue;
        struct sigaction ours
        {
        };
        ours.sa_handler = removeTemporariesAndDie;
        sigemptyset(&ours.sa_mask);
        for (int other : cleanupSignals)
            sigaddset(&ours.sa_mask, other);
        ::sigaction(sig, &ours, nullptr);
    }
    struct sigaction xfsz
    {
    };
    if (::sigaction(SIGXFSZ, nullptr, &xfsz) == 0 && !(xfsz.sa_flags & SA_SIGINFO)
        && xfsz.sa_handler == SIG_DFL) {
        xfsz.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &xfsz, nullptr);
    }
}

int registerTemporary(const std::string &path)
{
    if (path.size() >= PATH_MAX)
        return -1;
    for (std::size_t i = 0; i < slotCount; ++i) {
        int expected = 0;
        if (tempSlots[i].state.compare_exchange_strong(expected, 1, std::memory_order_acquire)) {
            std::memcpy(tempSlots[i].path, path.c_str(), path.size() + 1);
            tempSlots[i].state.store(2, std::memory_order_release);
            return static_cast<int>(i);
        }
    }
    return -1; // all taken: the file is still removed on every failure short of a signal
}

void unregisterTemporary(int slot)
{
    if (slot < 0)
        return;
    tempSlots[static_cast<std::size_t>(slot)].state.store(1, std::memory_order_release);
    tempSlots[static_cast<std::size_t>(slot)].path[0] = '\0';
    tempSlots[static_cast<std::size_t>(slot)].state.store(0, std::memory_order_release);
}

// The file that path names once links are followed, even when it does not exist yet.
std::string followLinks(const std::string &path)
{
    std::string target = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return target;
        std::vector<char> buffer(PATH_MAX + 1);
        const ssize_t n = ::readlink(target.c_str(), buffer.data(), buffer.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size())
            return path;
        const std::string link(buffer.data(), static_cast<std::size_t>(n));
        const std::size_t slash = target.rfind('/');
        target = link[0] == '/' || slash == std::string::npos ? link
                                                              : target.substr(0, slash + 1) + link;
    }
    return path; // a loop: the open fails with ELOOP
}

// A new file beside target with a name of its own; the kernel applies the umask to mode.
int createTemporary(const std::string &target, mode_t mode, std::string &tmpPath)
{
    const std::size_t slash = target.rfind('/');
    const std::string dir =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    static thread_local std::mt19937 random {std::random_device {}()};
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix(8, 'x');
        for (char &c : suffix)
            c = letters[random() % (sizeof(letters) - 1)];
        tmpPath = dir + "." + base.substr(0, 200) + ".new-" + suffix;
        const int fd = ::open(tmpPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Gives the temporary file every extended attribute of the original (ACLs included).
bool copyAttributes(const std::string &from, int to)
{
    ssize_t size = ::listxattr(from.c_str(), nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP;
    if (size == 0)
        return true;
    std::vector<char> names(static_cast<std::size_t>(size));
    size = ::listxattr(from.c_str(), names.data(), names.size());
    if (size < 0)
        return false;
    std::vector<char> value;
    for (const char *name = names.data(); name < names.data() + size;
         name += std::strlen(name) + 1) {
        const ssize_t length = ::getxattr(from.c_str(), name, nullptr, 0);
        if (length < 0)
            return false;
        value.resize(static_cast<std::size_t>(length) + 1);
        const ssize_t got = ::getxattr(from.c_str(), name, value.data(), value.size());
        if (got < 0 || ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(got), 0) != 0)
            return false;
    }
    return true;
}

bool fail(int *error, int value)
{
    if (error)
        *error = value;
    return false;
}

} // namespace

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

struct FileReplacement::Private
{
    Kind kind = None;
    UniqueFd fd;
    std::string target;
    std::string tmpPath;
    int slot = -1;

    void dropTemporary()
    {
        if (!tmpPath.empty()) {
            ::unlink(tmpPath.c_str());
            unregisterTemporary(slot);
            slot = -1;
            tmpPath.clear();
        }
    }

    // The temporary file, dressed as the original; false (nothing left behind) when it cannot
    // be made so.
    bool openTemporary(const struct stat *original, mode_t newFileMode, std::uint64_t newSize)
    {
        fd.reset(
            createTemporary(target, original ? (original->st_mode & 0777) : newFileMode, tmpPath));
        if (!fd) {
            tmpPath.clear();
            return false;
        }
        slot = registerTemporary(tmpPath);
        bool dressed = true;
        if (original) {
            struct stat st;
            dressed = ::fstat(fd.get(), &st) == 0
                && ((st.st_uid == original->st_uid && st.st_gid == original->st_gid)
                    || ::fchown(fd.get(), original->st_uid, original->st_gid) == 0)
                && ::fchmod(fd.get(), original->st_mode & 07777) == 0
                && copyAttributes(target, fd.get());
        }
        // Reserving the space up front makes a full medium fail before any data is read; where
        // the file system cannot reserve, the writes report it.
        if (dressed && newSize > 0 && ::fallocate(fd.get(), 0, 0, static_cast<off_t>(newSize)) != 0
            && errno != EOPNOTSUPP && errno != ENOSYS) {
            const int saved = errno;
            fd.reset();
            dropTemporary();
            errno = saved;
            return false;
        }
        if (!dressed) {
            fd.reset();
            dropTemporary();
            errno = 0;
            return false;
        }
        kind = Atomic;
        return true;
    }
};

FileReplacement::FileReplacement()
    : d(new Private)
{
}

FileReplacement::~FileReplacement()
{
    d->fd.reset();
    d->dropTemporary();
}

bool FileReplacement::checkDestination(const std::string &path, int *error)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT || fail(error, errno);
    return !S_ISDIR(st.st_mode) || fail(error, EISDIR);
}

bool FileReplacement::open(const std::string &path, std::uint64_t newSize, mode_t newFileMode,
                           int *error)
{
    prepareSignals();
    d->target = followLinks(path);
    struct stat st;
    if (::lstat(d->target.c_str(), &st) != 0) {
        if (errno != ENOENT)
            return fail(error, errno);
        // A new file.
        if (d->openTemporary(nullptr, newFileMode, newSize))
            return true;
        return fail(error, errno);
    }
    if (S_ISDIR(st.st_mode))
        return fail(error, EISDIR);
    if (!S_ISREG(st.st_mode)) {
        d->fd.reset(::open(d->target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
        if (!d->fd)
            return fail(error, errno);
        d->kind = Stream;
        return true;
    }
    if (st.st_nlink == 1 && d->openTemporary(&st, newFileMode, newSize))
        return true;
    if (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)
        return fail(error, errno);

    // In place: nothing of the old content may change before the new one is sure to fit.
    d->fd.reset(::open(d->target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (!d->fd)
        return fail(error, errno);
    if (newSize > 0) {
        const int result = ::posix_fallocate(d->fd.get(), 0, static_cast<off_t>(newSize));
        if (result != 0) {
            struct stat now;
            if (::fstat(d->fd.get(), &now) == 0 && now.st_size != st.st_size)
                (void)::ftruncate(d->fd.get(), st.st_size);
            d->fd.reset();
            return fail(error, result);
        }
    }
    d->kind = InPlace;
    return true;
}

int FileReplacement::fd() const
{
    return d->fd.get();
}

FileReplacement::Kind FileReplacement::kind() const
{
    return d->kind;
}

const std::string &FileReplacement::temporaryPath() const
{
    return d->tmpPath;
}

bool FileReplacement::commit(bool durable, int *error)
{
    switch (d->kind) {
    case None:
        return fail(error, EBADF);
    case Stream:
        break;
    case InPlace: {
        const off_t length = ::lseek(d->fd.get(), 0, SEEK_CUR);
        if (length < 0 || ::ftruncate(d->fd.get(), length) != 0)
            return fail(error, errno);
        if (durable && flush(d->fd.get()) != 0)
            return fail(error, errno);
        break;
    }
    case Atomic: {
        // fallocate may have reserved more than was written.
        const off_t length = ::lseek(d->fd.get(), 0, SEEK_CUR);
        if (length < 0 || ::ftruncate(d->fd.get(), length) != 0)
            return fail(error, errno);
        if (durable && flush(d->fd.get()) != 0)
            return fail(error, errno);
        if (d->fd.close() != 0)
            return fail(error, errno);
        if (::rename(d->tmpPath.c_str(), d->target.c_str()) != 0)
            return fail(error, errno);
        unregisterTemporary(d->slot);
        d->slot = -1;
        d->tmpPath.clear();
        break;
    }
    }
    if (d->fd.close() != 0)
        return fail(error, errno);
    d->kind = None;
    return true;
}

} // namespace detail

void testseam::failNextFsync(int error)
{
    detail::fsyncFault = error;
}

} // namespace util
