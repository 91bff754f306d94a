// Reading XML files, bytes and texts, with the failure as a value.

#include "util/xml/XmlFile.h"

#include "util/files/ReadFile.h"
#include "util/xml/XmlDepthGuard_p.h"

#include <QByteArray>
#include <QDomDocument>

namespace util {

bool parseXmlText(const QString &text, QDomDocument &document, Failure *failure)
{
    QString message;
    int line = 0;
    int column = 0;
    if (detail::setXmlContent(document, text, false, &message, &line, &column))
        return true;
    return fail(failure, Failure::document(QString(), line, column, message));
}

bool parseXmlBytes(const QByteArray &bytes, QDomDocument &document, const QString &path,
                   Failure *failure)
{
    QString message;
    int line = 0;
    int column = 0;
    if (detail::setXmlContent(document, bytes, false, &message, &line, &column))
        return true;
    return fail(failure, Failure::document(path, line, column, message));
}

bool readXmlFile(const QString &fileName, QDomDocument &document, Failure *failure)
{
    QByteArray bytes;
    if (!readWholeFile(fileName, bytes, failure)) {
        document = QDomDocument();
        return false;
    }
    return parseXmlBytes(bytes, document, fileName, failure);
}

// --- The forms of 6.2 that reported through a QString --------------------------------------
// Programs built against them still find these symbols; the headers offer the Failure forms.

UTIL_EXPORT bool readXmlFile(const QString &fileName, QDomDocument &document, QString *errorString);
UTIL_EXPORT bool parseXmlText(const QString &text, QDomDocument &document, QString *errorString);
bool readXmlFile(const QString &fileName, QDomDocument &document, QString *errorString)
{
    Failure failure;
    const bool ok = readXmlFile(fileName, document, &failure);
    if (!ok && errorString)
        *errorString = failure.text();
    return ok;
}

bool parseXmlText(const QString &text, QDomDocument &document, QString *errorString)
{
    Failure failure;
    const bool ok = parseXmlText(text, document, &failure);
    if (!ok && errorString)
        *errorString = failure.text();
    return ok;
}

} // namespace util
