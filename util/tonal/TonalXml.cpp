#include "util/tonal/TonalXml_p.h"

#include <QDomDocument>

namespace util::detail {

QDomElement findCorrector(const QDomDocument &document)
{
    static const QString tag = QStringLiteral("Corrector");
    const QDomElement root = document.documentElement();
    if (root.tagName() == tag)
        return root;
    return root.elementsByTagName(tag).item(0).toElement();
}

} // namespace util::detail
