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

bool readBreakPoints(const QDomDocument &document, const QString &path,
                     QMap<QString, TonalCurve> &curves, Failure *failure)
{
    const char *refusal = breakPointCurves(document, curves);
    if (!refusal)
        return true;
    curves.clear();
    QString reason = QString::fromLatin1(refusal);
    if (reason.endsWith(QLatin1String(" File: "))) // the failure names the file
        reason.chop(7);
    return fail(failure, Failure::other(path, reason));
}

} // namespace util::detail
