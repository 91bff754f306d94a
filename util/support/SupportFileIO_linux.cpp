#include "util/support/SupportFileIO_p.h"

#include "util/files/AtomicWrite.h"
#include "util/files/UniqueFd_p.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace util {
namespace detail {

namespace {

bool fail(std::string *error, std::string text)
{
    if (error)
        *error = std::move(text);
    return false;
}

std::string systemReason(int code)
{
    // The English text, whatever the locale: messages of this library are English.
    const char *text = strerrordesc_np(code);
    return std::to_string(code) + " (" + (text ? text : "unknown error") + ")";
}

} // namespace

bool readWholeFile(const std::string &path, std::string &out, std::string *error)
{
    out.clear();
    if (path.empty())
        return fail(error, "Can't open: no file name");
    // O_NONBLOCK: opening a FIFO without a writer must not wait (the type is refused below).
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0)
        return fail(error, "Can't open: " + path + ": " + systemReason(errno));
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        return fail(error, "Can't read: " + path + ": " + systemReason(errno));
    if (!S_ISREG(st.st_mode))
        return fail(error, path + ": not a regular file");
    if (static_cast<unsigned long long>(st.st_size) > maxSupportFileSize)
        return fail(error, path + ": larger than 16 MiB, no support file");

    // The size is only a hint: the file may grow while it is read. One spare byte lets the
    // read that reports the end follow without a reallocation.
    out.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == out.size()) {
            if (used > maxSupportFileSize) {
                out.clear();
                return fail(error, path + ": larger than 16 MiB, no support file");
            }
            out.resize(std::min(out.size() * 2 + 4096, maxSupportFileSize + 1));
        }
        const ssize_t n = ::read(fd.get(), &out[used], out.size() - used);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int code = errno;
            out.clear();
            return fail(error, "Can't read: " + path + ": " + systemReason(code));
        }
        if (n == 0)
            break;
        used += static_cast<std::size_t>(n);
    }
    out.resize(used);
    return true;
}

bool writeWholeFile(const std::string &path, std::string_view text, QString *error)
{
    if (path.empty()) {
        if (error)
            *error = QStringLiteral("no file name");
        return false;
    }
    return writeFileAtomically(QFile::decodeName(path.c_str()), text.data(), text.size(), error);
}

} // namespace detail
} // namespace util
