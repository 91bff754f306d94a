#include "util/bands/ProductsXml_p.h"

#include "util/xml/SchemaCache_p.h"
#include "util/xml/XmlDepthGuard_p.h"

#include "util/config/QuorEnvironment.h"

#include <QDomDocument>
#include <QIODevice>
#include <QUrl>
#include <QXmlSchemaValidator>
#include <QXmlStreamReader>

#include <stdexcept>

namespace util {
namespace detail {

namespace {

// The first element, in document order, with more than limit attributes; a null element when
// there is none. Iterative: the depth guard has bounded the nesting, not the stack's use.
QDomElement crowdedElement(const QDomDocument &document, int limit)
{
    QDomElement element = document.documentElement();
    while (!element.isNull()) {
        if (element.attributes().count() > limit)
            return element;
        QDomElement next = element.firstChildElement();
        for (QDomElement up = element; next.isNull() && !up.isNull();
             up = up.parentNode().toElement())
            next = up.nextSiblingElement();
        element = next;
    }
    return element;
}

} // namespace

bool loadDom(const QByteArray &bytes, QDomDocument &document, QString *error)
{
    const auto refuse = [&](int line, int column, const QString &message) {
        document.clear();
        if (error)
            *error = QStringLiteral("line %1, column %2: %3").arg(line).arg(column).arg(message);
        return false;
    };
    QString message;
    int line = 0, column = 0;
    if (!detail::setXmlContent(document, bytes, false, &message, &line, &column))
        return refuse(line, column, message);
    // Qt's stream reader below compares every attribute of an element with every other one, so
    // tens of thousands of attributes on one element would take minutes.
    const QDomElement crowded = crowdedElement(document, maxProductMapAttributes);
    if (!crowded.isNull())
        return refuse(crowded.lineNumber(), crowded.columnNumber(),
                      QStringLiteral("element %1 holds more than %2 attributes")
                          .arg(crowded.tagName())
                          .arg(maxProductMapAttributes));
    // The DOM parser lets some broken documents pass (it stops quietly at a NUL byte and keeps
    // undeclared entities as empty text), so the stricter stream reader has the last word.
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd())
        reader.readNext();
    if (reader.hasError())
        return refuse(int(reader.lineNumber()), int(reader.columnNumber()), reader.errorString());
    return true;
}

SchemaVerdict checkAgainstProductsSchema(QIODevice *device, std::string *schemaPath,
                                         QString *message)
{
    const std::string path = getQuorRoot() + "/etc/schemas/products.xsd";
    if (schemaPath)
        *schemaPath = path;
    const CompiledSchema compiled = compiledSchema(QString::fromStdString(path));
    if (!compiled.schema.isValid()) {
        if (message)
            *message = compiled.message;
        return SchemaVerdict::SchemaInvalid;
    }
    FirstXmlMessage documentMessages;
    QXmlSchemaValidator validator(compiled.schema);
    validator.setMessageHandler(&documentMessages);
    // The schema validator's parser expands entities and recurses per level as the DOM's does:
    // the document passes the same limits first.
    const QByteArray bytes =
        device && device->isReadable() ? device->read(qint64(maxXmlBytes) + 1) : QByteArray();
    QString refusal;
    int line = 0, column = 0;
    if (bytes.size() > maxXmlBytes)
        refusal = QStringLiteral("more than %1 MiB of XML").arg(maxXmlBytes >> 20);
    else if (bytes.count("<Product") > maxProductMapProducts + 1) // the map's own tag counts
        refusal = QStringLiteral("more than %1 products").arg(maxProductMapProducts);
    else if (withinXmlDepth(decodeXml(bytes), &refusal, &line, &column))
        refusal.clear();
    else
        refusal = QStringLiteral("line %1, column %2: %3").arg(line).arg(column).arg(refusal);
    if (device && device->isReadable() && refusal.isEmpty() && validator.validate(bytes, QUrl()))
        return SchemaVerdict::Valid;
    if (message)
        *message = !refusal.isEmpty()         ? refusal
            : documentMessages.text.isEmpty() ? QStringLiteral("not readable")
                                              : documentMessages.text;
    return SchemaVerdict::DocumentInvalid;
}

void validateWithProductsSchema(QIODevice *device)
{
    std::string schemaPath;
    switch (checkAgainstProductsSchema(device, &schemaPath, nullptr)) {
    case SchemaVerdict::Valid:
        return;
    case SchemaVerdict::SchemaInvalid:
        throw std::runtime_error("Schema invalid: " + schemaPath);
    case SchemaVerdict::DocumentInvalid:
        break;
    }
    throw std::runtime_error("Xml file is invalid");
}

} // namespace detail

namespace testseam {
void validateWithProductsSchema(QIODevice *device)
{
    detail::validateWithProductsSchema(device);
}
} // namespace testseam

} // namespace util
