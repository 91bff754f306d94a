#include "util/xml/XmlValidator.h"

#include "util/config/QuorEnvironment.h"
#include "util/files/ReadFile.h"
#include "util/xml/SchemaCache_p.h"
#include "util/xml/XmlDepthGuard_p.h"

#include <QBuffer>
#include <QDomNode>
#include <QFile>
#include <QTextStream>
#include <QUrl>
#include <QXmlSchema>
#include <QXmlSchemaValidator>

#include <stdexcept>

namespace util {

XmlValidator::XmlValidator(const QString &schemaName)
{
    load(QString::fromStdString(getQuorRoot()) + QStringLiteral("/etc/schemas/") + schemaName,
         schemaName);
}

XmlValidator::XmlValidator(const QString &schemaName, const QString &schemaDirectory)
{
    const bool slash = schemaDirectory.endsWith(QLatin1Char('/'));
    load(schemaDirectory + (slash ? QString() : QStringLiteral("/")) + schemaName, schemaName);
}

// The compiled schema is implicitly shared; only the validator is made anew, so no two
// objects ever own the same one.
XmlValidator::XmlValidator(const XmlValidator &other)
    : m_validator(std::make_unique<QXmlSchemaValidator>(other.m_validator->schema()))
{
}

XmlValidator &XmlValidator::operator=(const XmlValidator &other)
{
    if (this != &other)
        m_validator = std::make_unique<QXmlSchemaValidator>(other.m_validator->schema());
    return *this;
}

XmlValidator::~XmlValidator() = default;

void XmlValidator::load(const QString &schemaPath, const QString &schemaName)
{
    const detail::CompiledSchema compiled = detail::compiledSchema(schemaPath);
    if (!compiled.schema.isValid()) {
        // The reason goes to Qt's message handler; the exception keeps its fixed text.
        if (!compiled.message.isEmpty())
            qWarning("%s: %s", qUtf8Printable(schemaPath), qUtf8Printable(compiled.message));
        throw std::runtime_error("Invalid schema file: " + schemaName.toStdString());
    }
    m_validator = std::make_unique<QXmlSchemaValidator>(compiled.schema);
}

// The schema validator's parser recurses per level of nesting too and expands entities, so
// documents go through the library's limits first; none of the suite's formats comes near them.
bool XmlValidator::validate(const QByteArray &document) const
{
    if (document.size() > detail::maxXmlBytes
        || !detail::withinXmlDepth(detail::decodeXml(document)))
        return false;
    return m_validator->validate(document, QUrl());
}

bool XmlValidator::validate(const QString &fileName) const
{
    QByteArray bytes;
    return readWholeFile(fileName, bytes) && validate(bytes);
}

bool XmlValidator::validate(const QDomNode &node) const
{
    // Serializing recurses per level: a tree built by hand may be deeper than any parsed one.
    if (!detail::domWithinXmlDepth(node))
        return false;
    QByteArray text;
    {
        QTextStream stream(&text, QIODevice::WriteOnly);
        stream.setCodec("UTF-8");
        node.save(stream, 1);
    } // the stream flushes on destruction
    return validate(text);
}

} // namespace util
