#pragma once

#include "util/UtilExport.h"

#include <QString>

#include <cstddef>

namespace util {

/// Replaces the file at path with size bytes from data: written to a temporary file beside it
/// and renamed into place only when complete, so a failed write leaves any old file as it was.
/// The old file's permissions are kept and a link is written through to its target. Where the
/// folder takes no new file but the file itself is writable, the file is rewritten in place
/// (that one case cannot be atomic). Returns false on failure, with the reason in *error.
UTIL_EXPORT bool writeFileAtomically(const QString &path, const char *data, std::size_t size,
                                     QString *error = nullptr);

} // namespace util
