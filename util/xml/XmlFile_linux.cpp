// Reading an XML file with the system's reason for a failure.

#include "util/xml/XmlFile.h"

#include "util/files/UniqueFd_p.h"
#include "util/xml/XmlDepthGuard_p.h"

#include <QByteArray>
#include <QDomDocument>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace util {

namespace {

QString systemError(const char *what, const QString &fileName, int error)
{
    return QStringLiteral("%1: %2: %3 (%4)")
        .arg(QLatin1String(what), fileName, QString::number(error),
             QString::fromLocal8Bit(std::strerror(error)));
}

bool readAll(const QString &fileName, QByteArray &bytes, QString *errorString)
{
    const detail::UniqueFd fd(::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
        if (errorString)
            *errorString = systemError("Can't open", fileName, errno);
        return false;
    }
    struct stat info;
    if (::fstat(fd.get(), &info) == 0 && S_ISDIR(info.st_mode)) {
        if (errorString)
            *errorString = systemError("Can't open", fileName, EISDIR);
        return false;
    }
    char buffer[65536];
    while (true) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errorString)
                *errorString = systemError("Can't read", fileName, errno);
            return false;
        }
        bytes.append(buffer, static_cast<int>(got));
    }
}

QString located(const QString &message, int line, int column)
{
    return QStringLiteral("%1 (line %2, column %3)")
        .arg(message, QString::number(line), QString::number(column));
}

} // namespace

bool parseXmlText(const QString &text, QDomDocument &document, QString *errorString)
{
    QString message;
    int line = 0;
    int column = 0;
    if (detail::setXmlContent(document, text, false, &message, &line, &column))
        return true;
    if (errorString)
        *errorString = located(message, line, column);
    return false;
}

bool readXmlFile(const QString &fileName, QDomDocument &document, QString *errorString)
{
    QByteArray bytes;
    if (!readAll(fileName, bytes, errorString)) {
        document = QDomDocument();
        return false;
    }
    QString message;
    int line = 0;
    int column = 0;
    if (detail::setXmlContent(document, bytes, false, &message, &line, &column))
        return true;
    if (errorString)
        *errorString = fileName + QStringLiteral(": ") + located(message, line, column);
    return false;
}

} // namespace util
