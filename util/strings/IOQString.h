#pragma once

/// \file
/// File-name assembly on QString paths.
/// \ingroup strings

#include "util/UtilExport.h"

#include <QString>

namespace util {

/// File-name assembly on QString paths. Results use native separators.
/// \ingroup strings
class UTIL_EXPORT IOQString
{
public:
    /// directory/name with its extension changed to extension (when not empty).
    /// \param directory the folder; when empty, the file name alone is returned
    /// \param name the file name; a relative name is placed inside directory
    /// \param extension the new extension without its dot, or empty to keep name's
    /// \return the file path
    static QString makeUpFileName(const QString &directory, const QString &name,
                                  const QString &extension);
    /// Replaces the suffix (the text after the last dot of the file name) with extension.
    /// \param path the path
    /// \param extension the new extension without its dot; empty removes the suffix and its dot
    /// \return the changed path, as addExtension() gives it
    static QString changeExtension(const QString &path, const QString &extension);
    /// Appends "." and extension (no second dot if path ends in one); an empty extension
    /// removes a trailing dot.
    /// \param path the path
    /// \param extension the extension to append, or empty
    /// \return the extended path
    static QString addExtension(const QString &path, const QString &extension);
};

} // namespace util
