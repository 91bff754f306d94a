// Reading XML files and texts, with a one-line reason for a failure.

#include "util/xml/XmlFile.h"

#include "util/files/ReadFile.h"
#include "util/xml/XmlDepthGuard_p.h"

#include <QByteArray>
#include <QDomDocument>

namespace util {

namespace {

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
    if (!readWholeFile(fileName, bytes, errorString)) {
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
