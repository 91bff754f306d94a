#pragma once

#include "util/UtilExport.h"

#include <QString>

namespace util {

/// File-name assembly on QString paths. Results use native separators.
class UTIL_EXPORT IOQString
{
public:
    /// directory/name with its extension changed to extension (when not empty).
    static QString makeUpFileName(const QString &directory, const QString &name,
                                  const QString &extension);
    /// Replaces the suffix (the text after the last dot of the file name) with extension.
    static QString changeExtension(const QString &path, const QString &extension);
    /// Appends "." and extension (no second dot if path ends in one); an empty extension
    /// removes a trailing dot.
    static QString addExtension(const QString &path, const QString &extension);
};

} // namespace util
