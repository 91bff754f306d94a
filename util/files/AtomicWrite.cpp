#include "util/files/AtomicWrite.h"

#include "util/files/FileReplace_p.h"

#include <QFile>

#include <cerrno>
#include <cstring>

namespace util {

bool writeFileAtomically(const QString &path, const char *data, std::size_t size, Failure *failure)
{
    const std::string local = QFile::encodeName(path).toStdString();
    detail::FileReplacement file;
    int code = 0;
    bool ok = !local.empty() || ((code = ENOENT), false);
    ok = ok && file.open(local, size, 0666, &code);
    if (ok && !detail::writeAll(file.fd(), data, size)) {
        code = errno;
        ok = false;
    }
    ok = ok && file.commit(true, &code);
    return ok || fail(failure, Failure::system(code, path));
}

// --- The forms of 6.2 that reported through a QString --------------------------------------
// Programs built against them still find these symbols; the headers offer the Failure forms.

UTIL_EXPORT bool writeFileAtomically(const QString &path, const char *data, std::size_t size,
                                     QString *error);
UTIL_EXPORT bool replaceFileContent(const QString &path, const char *data, std::size_t size,
                                    QString *error);
bool writeFileAtomically(const QString &path, const char *data, std::size_t size, QString *error)
{
    Failure failure;
    const bool ok = writeFileAtomically(path, data, size, &failure);
    if (!ok && error)
        *error = failure.text();
    return ok;
}

bool replaceFileContent(const QString &path, const char *data, std::size_t size, QString *error)
{
    return writeFileAtomically(path, data, size, error);
}

} // namespace util
