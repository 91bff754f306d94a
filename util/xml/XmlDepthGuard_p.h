#pragma once

// Internal: the one way the library turns XML text from outside into a DOM.
//
// Qt's DOM parser, the DOM's destructor and its serializer all recurse once per level of
// element nesting; a document nested some 25,000 levels deep overflows an 8 MB stack while it is
// parsed, and serializing overflows at about 6,000. Every DOM load of the library therefore goes
// through setXmlContent(), which refuses a text whose elements could nest deeper than
// maxXmlDepth before the DOM parser sees it. The check is a linear scan without recursion.

#include <QString>

class QByteArray;
class QDomDocument;
class QDomNode;

namespace util {
namespace detail {

/// Deepest element nesting the library reads (the root element is level 1). The same figure as
/// libxml2's default; the suite's own formats nest fewer than ten levels.
constexpr int maxXmlDepth = 256;

/// The text of an XML byte buffer, decoded exactly as QDomDocument::setContent decodes it
/// (byte order mark, encoding declaration, else UTF-8).
QString decodeXml(const QByteArray &bytes);

/// False if elements of text could nest deeper than maxXmlDepth, counting what references to
/// entities of the internal DTD subset could add. Never underestimates for any text Qt's
/// parser accepts; may overestimate for text it refuses anyway. On false, *errorMsg (when given)
/// says so and *errorLine / *errorColumn (when given) point at the element that goes too deep.
bool withinXmlDepth(const QString &text, QString *errorMsg = nullptr, int *errorLine = nullptr,
                    int *errorColumn = nullptr);

/// QDomDocument::setContent behind the depth check; the same results and messages for every
/// text that is not too deep.
bool setXmlContent(QDomDocument &document, const QByteArray &bytes, bool namespaceProcessing,
                   QString *errorMsg = nullptr, int *errorLine = nullptr,
                   int *errorColumn = nullptr);
bool setXmlContent(QDomDocument &document, const QString &text, bool namespaceProcessing,
                   QString *errorMsg = nullptr, int *errorLine = nullptr,
                   int *errorColumn = nullptr);

/// Whether the tree below node (node itself at level 1) stays within maxXmlDepth levels; for
/// DOMs built by hand before they are serialized. Iterative.
bool domWithinXmlDepth(const QDomNode &node);

} // namespace detail
} // namespace util
