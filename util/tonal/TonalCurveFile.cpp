#include "util/tonal/TonalCurveFile.h"

#include "util/files/ReadFile.h"
#include "util/tonal/TonalCurve.h"
#include "util/tonal/TonalXml_p.h"

#include <QDomDocument>
#include <QDomElement>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <exception>

namespace util {

namespace {

const QString correctorTag = QStringLiteral("Corrector");

enum class Load { Ok, CannotOpen, NotXml };

Load load(const QString &fileName, QDomDocument &document, QString *reason)
{
    QByteArray bytes;
    if (!readWholeFile(fileName, bytes, reason))
        return Load::CannotOpen;
    if (!detail::loadTonalDom(bytes, document, reason))
        return Load::NotXml;
    return Load::Ok;
}

QDomElement findCorrector(const QDomDocument &document)
{
    const QDomElement root = document.documentElement();
    if (root.tagName() == correctorTag)
        return root;
    return root.elementsByTagName(correctorTag).item(0).toElement();
}

} // namespace

bool readTonalCurveFile(const QString &fileName, TonalCurve &curve, bool validate,
                        QString *errorString)
{
    QDomDocument document;
    QString reason;
    switch (load(fileName, document, &reason)) {
    case Load::CannotOpen:
        if (errorString)
            *errorString = reason;
        return false;
    case Load::NotXml:
        if (errorString)
            *errorString = fileName + QStringLiteral(": not well-formed XML: ") + reason;
        return false;
    case Load::Ok:
        break;
    }
    const QDomElement corrector = findCorrector(document);
    if (corrector.isNull()) {
        if (errorString)
            *errorString = fileName + QStringLiteral(": holds no Corrector element");
        return false;
    }
    try {
        curve = TonalCurve(corrector, validate);
    } catch (const std::exception &e) {
        if (errorString)
            *errorString = fileName + QStringLiteral(": ") + QString::fromStdString(e.what());
        return false;
    }
    return true;
}

bool holdsTonalCurve(const QString &fileName)
{
    QDomDocument document;
    return load(fileName, document, nullptr) == Load::Ok && !findCorrector(document).isNull();
}

} // namespace util
