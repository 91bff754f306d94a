#pragma once

// Internal: how the bands family reads and checks its XML.

#include "util/TestSeam_p.h"

#include <QByteArray>
#include <QString>

#include <string>

class QDomDocument;
class QIODevice;

namespace util {
namespace detail {

/// Most attributes one element of a product map may hold.
constexpr int maxProductMapAttributes = 256;

/// Most products a map may list for the schema check: Qt's check of the schema's unique names
/// takes time with the square of their number (2,000 products take 8 s); the shipped map
/// lists 24.
constexpr int maxProductMapProducts = 500;

/// The one place the family turns bytes into a DOM (no namespace processing). False, with a
/// one-line reason in *error, when the bytes are not a well-formed document or an element holds
/// more than maxProductMapAttributes attributes; the document is then empty.
bool loadDom(const QByteArray &bytes, QDomDocument &document, QString *error = nullptr);

/// The outcome of checking a document against the products schema.
enum class SchemaVerdict { Valid, SchemaInvalid, DocumentInvalid };

/// Checks the device against <root>/etc/schemas/products.xsd. *schemaPath receives the path
/// tried; *message the validator's first complaint as plain text ("line L, column C: ...").
SchemaVerdict checkAgainstProductsSchema(QIODevice *device, std::string *schemaPath,
                                         QString *message);

/// The check behind ProductBandMapper::validateWithSchema: throws its two messages.
void validateWithProductsSchema(QIODevice *device);

} // namespace detail

namespace testseam {
/// ProductBandMapper::validateWithSchema, which only the class itself may call.
UTIL_TEST_SEAM void validateWithProductsSchema(QIODevice *device);
} // namespace testseam

} // namespace util
