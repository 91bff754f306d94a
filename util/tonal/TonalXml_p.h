#pragma once

// The one place where the tonal family turns bytes into a DOM document, so that every reader
// of curve and break-point files goes through the same guard against hostile documents.

class QByteArray;
class QDomDocument;
class QString;

namespace util::detail {

/// Parses bytes (no namespace processing). Returns false with the parser's reason and position
/// in *error when the text is not well-formed XML.
bool loadTonalDom(const QByteArray &bytes, QDomDocument &document, QString *error = nullptr);

} // namespace util::detail
