#pragma once

// Internal: the one way the library turns XML text from outside into a DOM.
//
// Qt's DOM parser, the DOM's destructor and its serializer all recurse once per level of
// element nesting; a document nested some 25,000 levels deep overflows an 8 MB stack while it is
// parsed, and serializing overflows at about 6,000. Every DOM load of the library therefore goes
// through setXmlContent(), which refuses a text whose elements could nest deeper than
// maxXmlDepth before the DOM parser sees it. The check is a linear scan without recursion.
//
// The DOM also costs about a kilobyte per node and expands every reference to an entity of the
// internal subset in full, so a small file can ask for gigabytes ("billion laughs", or one long
// entity referenced a hundred thousand times). The same scan therefore counts elements,
// attributes and what entity references would add, and refuses beyond limits no file of the
// suite comes near, so that the memory a reader takes stays within a small multiple of the file.

#include <QString>

class QByteArray;
class QDomDocument;
class QDomNode;

namespace util {
namespace detail {

/// Deepest element nesting the library reads (the root element is level 1). The same figure as
/// libxml2's default; the suite's own formats nest fewer than ten levels.
constexpr int maxXmlDepth = 256;

/// Most nodes in one document: elements, attributes, comments, processing instructions, CDATA
/// sections and entity references (with what they expand to), each counted with the text node
/// that may follow it. The suite's curve and collection files hold a few thousand; a DOM this
/// size takes about 100 MB.
constexpr int maxXmlNodes = 200000;

/// Most attributes on one element; more is refused before any parser compares each attribute
/// with every other one.
constexpr int maxXmlAttributes = 256;

/// Most characters that references to entities of the internal subset may add to a document.
/// The suite's formats declare no entities; this leaves room for a few abbreviations.
constexpr int maxXmlEntityExpansion = 1 << 20;

/// Most bytes of XML text the library parses into a DOM (decoded it takes twice as much, and the
/// DOM as much again).
constexpr int maxXmlBytes = 16 << 20;

/// The text of an XML byte buffer, decoded exactly as QDomDocument::setContent decodes it
/// (byte order mark, encoding declaration, else UTF-8).
QString decodeXml(const QByteArray &bytes);

/// False if elements of text could nest deeper than maxXmlDepth, counting what references to
/// entities of the internal DTD subset could add; also false beyond maxXmlNodes elements,
/// maxXmlAttributes attributes on one element, maxXmlEntityExpansion characters of entity
/// expansion, or when the text declares parameter entities (which no format of the suite uses
/// and which could declare entities the scan does not see). Never underestimates for any text
/// Qt's parser accepts; may overestimate for text it refuses anyway. On false, *errorMsg (when
/// given) says why and *errorLine / *errorColumn (when given) point where the scan stopped.
bool withinXmlDepth(const QString &text, QString *errorMsg = nullptr, int *errorLine = nullptr,
                    int *errorColumn = nullptr);

/// QDomDocument::setContent behind withinXmlDepth (and, for bytes, maxXmlBytes); the same
/// results and messages for every text within the limits.
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
