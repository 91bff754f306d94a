#include "util/files/AtomicWrite.h"

#include "util/files/FileReplace_p.h"

#include <QFile>

#include <cerrno>
#include <cstring>

namespace util {

bool replaceFileContent(const QString &path, const char *data, std::size_t size, QString *error)
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
    if (!ok && error) {
        // English, like every message of the library.
        const char *reason = ::strerrordesc_np(code);
        *error = QStringLiteral("%1 (%2)").arg(code).arg(reason ? QString::fromLatin1(reason)
                                                                : QStringLiteral("Unknown error"));
    }
    return ok;
}

bool writeFileAtomically(const QString &path, const char *data, std::size_t size, QString *error)
{
    return replaceFileContent(path, data, size, error);
}

} // namespace util
