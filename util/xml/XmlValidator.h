#pragma once

#include "util/UtilExport.h"
#include "util/files/Failure.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QDomNode;
class QXmlSchemaValidator;

namespace util {

/// Checks XML documents against one W3C XML Schema, named once at construction.
///
/// What the XML library reports while loading or validating goes to its default message
/// handler; callers learn only the verdict. Copies share the compiled schema but each has its
/// own schema validator, so copies may be used and destroyed independently.
class UTIL_EXPORT XmlValidator
{
public:
    /// Loads schemaName from the installation's schema directory (<root>/etc/schemas/).
    /// Throws std::runtime_error "Invalid schema file: <schemaName>" when the schema is missing,
    /// unreadable or not a valid XML Schema.
    explicit XmlValidator(const QString &schemaName);
    /// Loads schemaName from schemaDirectory; throws as above.
    XmlValidator(const QString &schemaName, const QString &schemaDirectory);
    XmlValidator(const XmlValidator &other);
    XmlValidator &operator=(const XmlValidator &other);
    ~XmlValidator();

    /// True if the buffer holds a well-formed document that is valid against the schema.
    bool validate(const QByteArray &document) const;
    /// True if the file exists, opens and holds a valid document.
    bool validate(const QString &fileName) const;
    /// As validate(fileName), with the first reason for a false in *failure (when given): a
    /// system error, the parser's line and column for a document that is not well-formed, or
    /// the schema validator's first complaint with its line and column, all naming fileName.
    bool validate(const QString &fileName, Failure *failure) const;
    /// True if the node's serialised text (document or element) is valid.
    bool validate(const QDomNode &node) const;

private:
    void load(const QString &schemaPath, const QString &schemaName);

    std::unique_ptr<QXmlSchemaValidator> m_validator;
};

} // namespace util
