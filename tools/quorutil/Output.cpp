#include "tools/quorutil/Output.h"

#include "util/files/ReadFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <ostream>

#include <unistd.h>

namespace quorutil {

bool writeToOutput(
    const QString &dest, std::ostream &out,
    const std::function<bool(const std::string &path, util::Failure *failure)> &write,
    util::Failure *failure)
{
    if (dest != QLatin1String("-"))
        return write(QFile::encodeName(dest).toStdString(), failure);
    QTemporaryDir dir;
    if (!dir.isValid())
        return util::fail(failure, util::Failure::other(dir.path(), dir.errorString()));
    const QString path = dir.filePath(QStringLiteral("out"));
    QByteArray bytes;
    if (!write(QFile::encodeName(path).toStdString(), failure)
        || !util::readWholeFile(path, bytes, failure))
        return false;
    out.write(bytes.constData(), bytes.size());
    out.flush();
    return true;
}

bool isTerminal(int fd)
{
    return ::isatty(fd) == 1;
}

} // namespace quorutil
