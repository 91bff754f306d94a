#pragma once

/// \file
/// Validating XML documents against a W3C XML Schema.
/// \ingroup xml

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
/// \ingroup xml
class UTIL_EXPORT XmlValidator
{
public:
    /// Loads schemaName from the installation's schema directory (`<root>/etc/schemas/`).
    /// Throws std::runtime_error "Invalid schema file: <schemaName>" when the schema is missing,
    /// unreadable or not a valid XML Schema.
    /// \param schemaName the schema's file name within the directory
    explicit XmlValidator(const QString &schemaName);
    /// Loads schemaName from schemaDirectory; throws as above.
    /// \param schemaName the schema's file name within the directory
    /// \param schemaDirectory the directory, with or without a trailing '/'
    XmlValidator(const QString &schemaName, const QString &schemaDirectory);
    /// A validator of the same compiled schema, with a schema validator of its own.
    /// \param other the validator copied
    XmlValidator(const XmlValidator &other);
    /// Takes the compiled schema of other, with a schema validator of its own.
    /// \param other the validator copied
    /// \return this validator
    XmlValidator &operator=(const XmlValidator &other);
    /// Destroys the validator; copies keep the compiled schema.
    ~XmlValidator();

    /// True if the buffer holds a well-formed document that is valid against the schema.
    /// \param document the document's bytes
    /// \return true when it does; false also for more than 16 MiB or elements nested deeper
    /// than 256 levels, which are not handed to the schema validator
    bool validate(const QByteArray &document) const;
    /// True if the file exists, opens and holds a valid document.
    /// \param fileName the document's file
    /// \return true when it does; false when the file cannot be read or its document is not
    /// valid
    bool validate(const QString &fileName) const;
    /// As validate(fileName), with the first reason for a false in *failure (when given).
    ///
    /// The reason is a system error, the parser's line and column for a document that is not
    /// well-formed, or the schema validator's first complaint with its line and column, all naming
    /// fileName.
    /// \param fileName the document's file
    /// \param[out] failure receives the failure when given; may be null
    /// \return true when the file holds a valid document
    bool validate(const QString &fileName, Failure *failure) const;
    /// True if the node's serialised text (document or element) is valid.
    /// \param node the document or element serialised and validated
    /// \return true when it is; false also for a tree nested deeper than 256 levels
    bool validate(const QDomNode &node) const;

private:
    void load(const QString &schemaPath, const QString &schemaName);

    std::unique_ptr<QXmlSchemaValidator> m_validator;
};

} // namespace util
