#include "util/strings/IOQString.h"

#include <QDir>
#include <QFileInfo>

namespace util {

QString IOQString::makeUpFileName(const QString &directory, const QString &name,
                                  const QString &extension)
{
    const QString fileName = extension.isEmpty() ? name : changeExtension(name, extension);
    if (directory.isEmpty())
        return QDir::toNativeSeparators(fileName);
    return QDir::toNativeSeparators(QFileInfo(QDir(directory), fileName).filePath());
}

QString IOQString::changeExtension(const QString &path, const QString &extension)
{
    const QString suffix = QFileInfo(path).suffix();
    QString base = path;
    if (!suffix.isEmpty()) {
        const int at = path.lastIndexOf(QLatin1Char('.') + suffix, -1, Qt::CaseSensitive);
        if (at >= 0)
            base = path.left(at);
    }
    return addExtension(base, extension);
}

QString IOQString::addExtension(const QString &path, const QString &extension)
{
    QString result = QDir::toNativeSeparators(path);
    if (!extension.isEmpty()) {
        if (!result.endsWith(QLatin1Char('.')))
            result += QLatin1Char('.');
        result += extension;
        return QDir::toNativeSeparators(result);
    }
    if (result.endsWith(QLatin1Char('.')))
        result.chop(1);
    return result;
}

} // namespace util
