#include "util/tonal/TonalXml_p.h"

#include "util/xml/XmlDepthGuard_p.h"

#include <QByteArray>
#include <QDomDocument>
#include <QString>

namespace util::detail {

bool loadTonalDom(const QByteArray &bytes, QDomDocument &document, QString *error)
{
    QString message;
    int line = 0;
    int column = 0;
    if (detail::setXmlContent(document, bytes, false, &message, &line, &column))
        return true;
    if (error)
        *error = QStringLiteral("%1 (line %2, column %3)").arg(message).arg(line).arg(column);
    return false;
}

} // namespace util::detail
