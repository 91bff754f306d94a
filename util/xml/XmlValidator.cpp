#include "util/xml/XmlValidator.h"

#include "util/config/QuorEnvironment.h"
#include "util/files/ReadFile.h"
#include "util/xml/SchemaCache_p.h"
#include "util/xml/XmlDepthGuard_p.h"
#include "util/xml/XmlFile.h"

#include <QAbstractMessageHandler>
#include <QBuffer>
#include <QDomDocument>
#include <QDomNode>
#include <QFile>
#include <QRegExp>
#include <QSourceLocation>
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

namespace {

// Keeps the schema validator's first complaint, with where it was found, instead of letting it
// reach Qt's message handler.
class FirstComplaint : public QAbstractMessageHandler
{
public:
    QString description;
    QSourceLocation where;
    bool any = false;

protected:
    void handleMessage(QtMsgType type, const QString &text, const QUrl &,
                       const QSourceLocation &location) override
    {
        if (any || type == QtDebugMsg)
            return;
        any = true;
        description = plainText(text);
        where = location;
    }

private:
    // The descriptions are small XHTML documents.
    static QString plainText(QString text)
    {
        text.remove(QRegExp(QStringLiteral("<[^>]*>")));
        text.replace(QLatin1String("&lt;"), QLatin1String("<"));
        text.replace(QLatin1String("&gt;"), QLatin1String(">"));
        text.replace(QLatin1String("&quot;"), QLatin1String("\""));
        text.replace(QLatin1String("&apos;"), QLatin1String("'"));
        text.replace(QLatin1String("&amp;"), QLatin1String("&"));
        text = text.simplified();
        while (text.endsWith(QLatin1String(".."))) // some descriptions end in two
            text.chop(1);
        return text;
    }
};

} // namespace

bool XmlValidator::validate(const QString &fileName, Failure *failure) const
{
    QByteArray bytes;
    QDomDocument document;
    // Well-formedness first, so that a broken document reads as it does everywhere else.
    if (!readWholeFile(fileName, bytes, failure)
        || !parseXmlBytes(bytes, document, fileName, failure))
        return false;
    document.clear();
    FirstComplaint complaint;
    QAbstractMessageHandler *const previous = m_validator->messageHandler();
    m_validator->setMessageHandler(&complaint);
    const bool valid = m_validator->validate(bytes, QUrl::fromLocalFile(fileName));
    m_validator->setMessageHandler(previous);
    if (valid)
        return true;
    return fail(failure,
                Failure::document(fileName, int(complaint.where.line()),
                                  int(complaint.where.column()),
                                  complaint.any ? complaint.description
                                                : QStringLiteral("not valid against the schema")));
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
