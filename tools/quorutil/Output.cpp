#include "tools/quorutil/Output.h"

#include <QFile>
#include <QTemporaryDir>

#include <ostream>

#include <unistd.h>

namespace quorutil {

bool writeToOutput(const QString &dest, std::ostream &out,
                   const std::function<bool(const std::string &path)> &write, QString *error)
{
    if (dest != QLatin1String("-")) {
        if (write(QFile::encodeName(dest).toStdString()))
            return true;
        if (error->isEmpty())
            *error = QStringLiteral("cannot write ") + dest;
        return false;
    }
    QTemporaryDir dir;
    if (!dir.isValid()) {
        *error = QStringLiteral("cannot make a temporary folder: ") + dir.errorString();
        return false;
    }
    const QString path = dir.filePath(QStringLiteral("out"));
    QFile file(path);
    if (!write(QFile::encodeName(path).toStdString()) || !file.open(QIODevice::ReadOnly)) {
        if (error->isEmpty())
            *error = QStringLiteral("cannot write the output");
        return false;
    }
    const QByteArray bytes = file.readAll();
    out.write(bytes.constData(), bytes.size());
    out.flush();
    return true;
}

bool isTerminal(int fd)
{
    return ::isatty(fd) == 1;
}

} // namespace quorutil
