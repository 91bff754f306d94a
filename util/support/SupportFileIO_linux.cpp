#include "util/support/SupportFileIO_p.h"

#include "util/files/AtomicWrite.h"
#include "util/files/UniqueFd_p.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace util {
namespace detail {

bool readWholeFile(const std::string &path, std::string &out)
{
    out.clear();
    if (path.empty())
        return false;
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;

    // The size is only a hint: the file may grow or be a pipe. One spare byte lets the read
    // that reports the end follow without a reallocation.
    std::size_t capacity = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 4096;
    out.resize(capacity);
    std::size_t used = 0;
    for (;;) {
        if (used == out.size())
            out.resize(out.size() * 2);
        const ssize_t n = ::read(fd.get(), &out[used], out.size() - used);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            out.clear();
            return false;
        }
        if (n == 0)
            break;
        used += static_cast<std::size_t>(n);
    }
    out.resize(used);
    return true;
}

bool writeWholeFile(const std::string &path, std::string_view text)
{
    return !path.empty()
        && writeFileAtomically(QFile::decodeName(path.c_str()), text.data(), text.size());
}

} // namespace detail
} // namespace util
