#pragma once

#include "util/UtilExport.h"

#include <QString>

class QDomDocument;

namespace util {

/// Reads the XML file fileName into document, without namespace processing, as the library
/// reads every XML document: text whose elements nest deeper than 256 levels (the root element
/// being level 1) is refused before it is parsed, since Qt's DOM parser, destructor and
/// serializer recurse once per level.
///
/// On failure returns false, leaves document empty and, when errorString is given, sets it to
/// one line naming the file: "Can't open: <file>: <errno> (<reason>)" when the file cannot be
/// opened or read, or "<file>: <parser message> (line L, column C)" when it is not XML or nests
/// too deep.
UTIL_EXPORT bool readXmlFile(const QString &fileName, QDomDocument &document,
                             QString *errorString = nullptr);

/// The same for XML text already in memory; errorString becomes
/// "<parser message> (line L, column C)".
UTIL_EXPORT bool parseXmlText(const QString &text, QDomDocument &document,
                              QString *errorString = nullptr);

} // namespace util
