#pragma once

/// \file
/// Reading XML files, bytes and texts with bounded nesting, the failure as a value.
/// \ingroup xml

#include "util/UtilExport.h"
#include "util/files/Failure.h"

#include <QString>

class QByteArray;
class QDomDocument;

namespace util {

/// Reads the XML file fileName into document, without namespace processing.
///
/// It reads as the library reads every XML document: through the bounded reader (readWholeFile)
/// and refusing text whose elements nest deeper than 256 levels (the root element being level
/// 1), since Qt's DOM parser, destructor and serializer recurse once per level.
///
/// On failure returns false and, when failure is given, stores why: a system error naming the
/// file (document is then empty), or the parser's message with its line and column.
/// \param fileName the file read
/// \param[out] document receives the document
/// \param[out] failure receives the failure when given; may be null
/// \return true when the file was read and parsed
UTIL_EXPORT bool readXmlFile(const QString &fileName, QDomDocument &document,
                             Failure *failure = nullptr);

/// The same for XML bytes already in memory.
///
/// The encoding is what the declaration says; path names the bytes in the failure (it may be
/// empty).
/// \param bytes the XML text
/// \param[out] document receives the document
/// \param path the name the failure carries; may be empty
/// \param[out] failure receives the failure when given; may be null
/// \return true when the bytes were parsed
UTIL_EXPORT bool parseXmlBytes(const QByteArray &bytes, QDomDocument &document,
                               const QString &path = QString(), Failure *failure = nullptr);

/// The same for XML text already in memory; the failure names no file.
/// \param text the XML text
/// \param[out] document receives the document
/// \param[out] failure receives the failure when given; may be null
/// \return true when the text was parsed
UTIL_EXPORT bool parseXmlText(const QString &text, QDomDocument &document,
                              Failure *failure = nullptr);

} // namespace util
