#pragma once

/// \file
/// Replacing the content of a file whole or not at all.
/// \ingroup files

#include "util/UtilExport.h"
#include "util/files/Failure.h"

#include <QString>

#include <cstddef>

namespace util {

/// Replaces the content of the file at path with size bytes from data, by the library's rule
/// for replacing files (docs/replacing-files.md). A failed write leaves the old content as it
/// was, and nothing the file system knows about the file is lost.
/// - Links are followed; the file they point to gets the content, the links stay.
/// - A directory is refused; a device, FIFO or socket is written through, never replaced.
/// - A regular file with one link whose owner, group, mode and extended attributes a new file
///   can take is replaced atomically: written to a temporary file beside it, flushed to the
///   medium and renamed into place (removed again if SIGINT, SIGTERM or SIGHUP ends the process
///   meanwhile). Any other regular file (more links, a foreign owner, a folder that takes no new
///   files) is rewritten in place after its new size has been reserved, so a full medium or a
///   file size limit fails before a byte changes.
/// - A missing file is created with mode 0666 less the umask.
///
/// \param path the file to replace; an empty path fails with ENOENT
/// \param data the new content
/// \param size the number of bytes at data
/// \param[out] failure receives the failure when given (a system error naming path); may be
/// null
/// \return true when the new content is in place, false on failure
UTIL_EXPORT bool writeFileAtomically(const QString &path, const char *data, std::size_t size,
                                     Failure *failure = nullptr);

} // namespace util
