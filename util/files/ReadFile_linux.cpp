#include "util/files/ReadFile.h"

#include "util/files/ReadFile_p.h"
#include "util/files/UniqueFd_p.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace util {
namespace detail {

namespace {

template<typename Buffer>
ReadOutcome readInto(const char *path, Buffer &out, std::size_t maxBytes, bool regularOnly,
                     int *error)
{
    out.clear();
    // O_NONBLOCK when only regular files are wanted: opening a FIFO without a writer must not
    // wait for one, since the FIFO is refused right after.
    const int flags = O_RDONLY | O_CLOEXEC | (regularOnly ? O_NONBLOCK : 0);
    UniqueFd fd(::open(path, flags));
    if (fd.get() < 0) {
        *error = errno;
        return ReadOutcome::CannotOpen;
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) {
        *error = errno;
        return ReadOutcome::CannotRead;
    }
    const bool regular = S_ISREG(st.st_mode);
    if (S_ISDIR(st.st_mode)) {
        *error = EISDIR; // as open() would say for writing
        return ReadOutcome::CannotOpen;
    }
    if (!regular && (regularOnly || !(S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))))
        return ReadOutcome::NotRegular;
    if (regular && static_cast<unsigned long long>(st.st_size) > maxBytes)
        return ReadOutcome::TooLarge;

    // The size is only a hint: the file may grow while it is read, and a stream has none. One
    // spare byte lets the read that reports the end follow without a reallocation, and the
    // buffer never grows beyond maxBytes + 1, so a full buffer is an input over the bound.
    using Size = decltype(out.size());
    out.resize(Size(regular ? static_cast<std::size_t>(st.st_size) + 1
                            : std::min<std::size_t>(65536, maxBytes + 1)));
    std::size_t used = 0;
    for (;;) {
        const std::size_t capacity = static_cast<std::size_t>(out.size());
        if (used == capacity) {
            if (used > maxBytes) {
                out.clear();
                return ReadOutcome::TooLarge;
            }
            out.resize(Size(std::min(capacity * 2 + 4096, maxBytes + 1)));
        }
        const ssize_t n =
            ::read(fd.get(), out.data() + used, static_cast<std::size_t>(out.size()) - used);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            out.clear();
            return ReadOutcome::CannotRead;
        }
        if (n == 0)
            break;
        used += static_cast<std::size_t>(n);
    }
    out.resize(Size(used));
    return ReadOutcome::Ok;
}

} // namespace

ReadOutcome readInput(const char *path, std::string &out, std::size_t maxBytes, bool regularOnly,
                      int *error)
{
    return readInto(path, out, maxBytes, regularOnly, error);
}

ReadOutcome readInput(const char *path, QByteArray &out, std::size_t maxBytes, bool regularOnly,
                      int *error)
{
    return readInto(path, out, maxBytes, regularOnly, error);
}

std::string sizeText(std::size_t bytes)
{
    if (bytes >= (1u << 20) && bytes % (1u << 20) == 0)
        return std::to_string(bytes >> 20) + " MiB";
    if (bytes >= 1024 && bytes % 1024 == 0)
        return std::to_string(bytes >> 10) + " KiB";
    return std::to_string(bytes) + " bytes";
}

} // namespace detail

bool readWholeFile(const QString &path, QByteArray &bytes, Failure *failure, std::size_t maxBytes)
{
    bytes.clear();
    // QByteArray holds at most 2 GiB less a little.
    maxBytes = std::min<std::size_t>(maxBytes, (std::size_t(1) << 31) - 64);
    const QString tooLarge =
        QStringLiteral("larger than ") + QString::fromStdString(detail::sizeText(maxBytes));
    if (path.startsWith(QLatin1Char(':'))) {
        // A resource compiled into the application: small, and only Qt can open it.
        QFile resource(path);
        if (!resource.open(QIODevice::ReadOnly))
            return fail(failure, Failure::other(path, QStringLiteral("no such resource")));
        bytes = resource.read(static_cast<qint64>(maxBytes) + 1);
        if (static_cast<std::size_t>(bytes.size()) <= maxBytes)
            return true;
        bytes.clear();
        return fail(failure, Failure::other(path, tooLarge));
    }
    if (path.isEmpty())
        return fail(failure, Failure::system(ENOENT, path));
    int error = 0;
    const QByteArray local = QFile::encodeName(path);
    switch (detail::readInput(local.constData(), bytes, maxBytes, false, &error)) {
    case detail::ReadOutcome::Ok:
        return true;
    case detail::ReadOutcome::CannotOpen:
    case detail::ReadOutcome::CannotRead:
        return fail(failure, Failure::system(error, path));
    case detail::ReadOutcome::NotRegular:
        return fail(failure, Failure::other(path, QStringLiteral("not a file to read")));
    case detail::ReadOutcome::TooLarge:
        break;
    }
    return fail(failure, Failure::other(path, tooLarge));
}

// --- The forms of 6.2 that reported through a QString --------------------------------------
// Programs built against them still find these symbols; the headers offer the Failure forms.

UTIL_EXPORT bool readWholeFile(const QString &path, QByteArray &bytes, QString *errorString,
                               std::size_t maxBytes);
bool readWholeFile(const QString &path, QByteArray &bytes, QString *errorString,
                   std::size_t maxBytes)
{
    Failure failure;
    const bool ok = readWholeFile(path, bytes, &failure, maxBytes);
    if (!ok && errorString)
        *errorString = failure.text();
    return ok;
}

} // namespace util
