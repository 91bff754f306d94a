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

bool loadDom(const QByteArray &bytes, QDomDocument &document, QString *error)
{
    // The DOM parser lets some broken documents pass (it stops quietly at a NUL byte and keeps
    // undeclared entities as empty text), so well-formedness is decided by the stricter
    // stream reader first.
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd())
        reader.readNext();
    if (reader.hasError()) {
        if (error)
            *error = QStringLiteral("line %1, column %2: %3")
                         .arg(reader.lineNumber())
                         .arg(reader.columnNumber())
                         .arg(reader.errorString());
        return false;
    }
    QString message;
    int line = 0, column = 0;
    if (detail::setXmlContent(document, bytes, false, &message, &line, &column))
        return true;
    if (error)
        *error = QStringLiteral("line %1, column %2: %3").arg(line).arg(column).arg(message);
    return false;
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
    if (device && device->isReadable() && validator.validate(device, QUrl()))
        return SchemaVerdict::Valid;
    if (message)
        *message = documentMessages.text.isEmpty() ? QStringLiteral("not readable")
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
