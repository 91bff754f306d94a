#include "util/tonal/TonalCurveFile.h"

#include "util/files/ReadFile.h"
#include "util/tonal/TonalCurve.h"
#include "util/tonal/TonalXml_p.h"
#include "util/xml/XmlFile.h"

#include <QDomDocument>
#include <QDomElement>

#include <exception>

namespace util {

namespace {

bool load(const QString &fileName, QDomDocument &document, Failure *failure)
{
    QByteArray bytes;
    return readWholeFile(fileName, bytes, failure)
        && parseXmlBytes(bytes, document, fileName, failure);
}

bool curveOf(const QDomElement &corrector, const QString &path, bool validate, TonalCurve &curve,
             Failure *failure)
{
    if (corrector.isNull())
        return fail(failure, Failure::other(path, QStringLiteral("holds no Corrector element")));
    try {
        curve = TonalCurve(corrector, validate);
    } catch (const std::exception &e) {
        return fail(failure, Failure::other(path, QString::fromStdString(e.what())));
    }
    return true;
}

} // namespace

bool readTonalCurveFile(const QString &fileName, TonalCurve &curve, bool validate, Failure *failure)
{
    QDomDocument document;
    return load(fileName, document, failure)
        && curveOf(detail::findCorrector(document), fileName, validate, curve, failure);
}

bool holdsTonalCurve(const QString &fileName)
{
    QDomDocument document;
    return load(fileName, document, nullptr) && !detail::findCorrector(document).isNull();
}

bool parseTonalCurves(const QByteArray &bytes, const QString &path, bool validate,
                      QMap<QString, TonalCurve> &curves, Failure *failure)
{
    QDomDocument document;
    if (!parseXmlBytes(bytes, document, path, failure))
        return false;
    const QDomElement corrector = detail::findCorrector(document);
    if (!corrector.isNull()) {
        TonalCurve curve;
        if (!curveOf(corrector, path, validate, curve, failure))
            return false;
        curves.clear();
        curves.insert(QString(), curve);
        return true;
    }
    return detail::readBreakPoints(document, path, curves, failure);
}

// --- The forms of 6.2 that reported through a QString --------------------------------------
// Programs built against them still find these symbols; the headers offer the Failure forms.

UTIL_EXPORT bool readTonalCurveFile(const QString &fileName, TonalCurve &curve, bool validate,
                                    QString *errorString);
bool readTonalCurveFile(const QString &fileName, TonalCurve &curve, bool validate,
                        QString *errorString)
{
    Failure failure;
    const bool ok = readTonalCurveFile(fileName, curve, validate, &failure);
    if (!ok && errorString)
        *errorString = failure.text();
    return ok;
}

} // namespace util
