#include "util/files/Failure.h"

#include <cstring>

namespace util {

Failure Failure::system(int error, const QString &path)
{
    Failure f;
    f.error = error;
    f.path = path;
    f.reason = systemReason(error);
    return f;
}

Failure Failure::document(const QString &path, int line, int column, const QString &reason)
{
    Failure f;
    f.path = path;
    f.line = line;
    f.column = column;
    f.reason = reason;
    return f;
}

Failure Failure::other(const QString &path, const QString &reason)
{
    Failure f;
    f.path = path;
    f.reason = reason;
    return f;
}

QString Failure::text() const
{
    QString where = path;
    if (line > 0) {
        if (!where.isEmpty())
            where += QLatin1String(": ");
        where += QStringLiteral("line %1").arg(line);
        if (column > 0)
            where += QStringLiteral(", column %1").arg(column);
    }
    return where.isEmpty() ? reason : where + QLatin1String(": ") + reason;
}

QString systemReason(int error)
{
    // strerror() would follow LC_MESSAGES; strerrordesc_np() gives the untranslated text.
    const char *reason = ::strerrordesc_np(error);
    return QString::fromUtf8(reason ? reason : "Unknown error");
}

bool fail(Failure *out, Failure failure)
{
    if (out)
        *out = std::move(failure);
    return false;
}

} // namespace util
