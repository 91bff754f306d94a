#include "util/files/AtomicWrite.h"

#include <QSaveFile>

namespace util {

bool writeFileAtomically(const QString &path, const char *data, std::size_t size, QString *error)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    // The explicit flush matters: a short text stays in QFileDevice's buffer, and commit()
    // would rename the temporary file into place even when writing that buffer out failed
    // (a full disk, a size limit).
    const bool ok = file.open(QIODevice::WriteOnly)
        && file.write(data, static_cast<qint64>(size)) == static_cast<qint64>(size) && file.flush();
    if (!ok)
        file.cancelWriting();
    if (file.commit() && ok)
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace util
