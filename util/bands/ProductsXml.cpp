#include "util/bands/ProductsXml_p.h"

#include "util/xml/XmlDepthGuard_p.h"

#include "util/config/QuorEnvironment.h"

#include <QAbstractMessageHandler>
#include <QDomDocument>
#include <QIODevice>
#include <QRegularExpression>
#include <QUrl>
#include <QXmlSchema>
#include <QXmlSchemaValidator>
#include <QXmlStreamReader>

#include <stdexcept>

namespace util {
namespace detail {

namespace {

// Keeps the XML library quiet (its default handler prints to the console) and remembers the
// first complaint, which it hands out as plain text.
class FirstMessage : public QAbstractMessageHandler
{
public:
    QString text;

protected:
    void handleMessage(QtMsgType type, const QString &description, const QUrl &,
                       const QSourceLocation &location) override
    {
        if (type == QtDebugMsg || type == QtInfoMsg || !text.isEmpty())
            return;
        QString plain = description;
        plain.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
        plain.replace(QLatin1String("&lt;"), QLatin1String("<"))
            .replace(QLatin1String("&gt;"), QLatin1String(">"))
            .replace(QLatin1String("&quot;"), QLatin1String("\""))
            .replace(QLatin1String("&apos;"), QLatin1String("'"))
            .replace(QLatin1String("&amp;"), QLatin1String("&"));
        plain = plain.simplified();
        if (location.line() > 0)
            text = QStringLiteral("line %1, column %2: %3")
                       .arg(location.line())
                       .arg(location.column())
                       .arg(plain);
        else
            text = plain;
    }
};

} // namespace

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
    FirstMessage schemaMessages;
    QXmlSchema schema;
    schema.setMessageHandler(&schemaMessages);
    schema.load(QUrl::fromLocalFile(QString::fromStdString(path)));
    if (!schema.isValid()) {
        if (message)
            *message = schemaMessages.text;
        return SchemaVerdict::SchemaInvalid;
    }
    FirstMessage documentMessages;
    QXmlSchemaValidator validator(schema);
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
