#pragma once

#include "util/UtilExport.h"
#include "util/files/Failure.h"

#include <QString>

class QByteArray;
class QDomDocument;

namespace util {

/// Reads the XML file fileName into document, without namespace processing, as the library
/// reads every XML document: through the bounded reader (readWholeFile) and refusing text whose
/// elements nest deeper than 256 levels (the root element being level 1), since Qt's DOM
/// parser, destructor and serializer recurse once per level.
///
/// On failure returns false and, when failure is given, stores why: a system error naming the
/// file (document is then empty), or the parser's message with its line and column.
UTIL_EXPORT bool readXmlFile(const QString &fileName, QDomDocument &document,
                             Failure *failure = nullptr);

/// The same for XML bytes already in memory (the encoding as the declaration says); path names
/// them in the failure (it may be empty).
UTIL_EXPORT bool parseXmlBytes(const QByteArray &bytes, QDomDocument &document,
                               const QString &path = QString(), Failure *failure = nullptr);

/// The same for XML text already in memory; the failure names no file.
UTIL_EXPORT bool parseXmlText(const QString &text, QDomDocument &document,
                              Failure *failure = nullptr);

} // namespace util
