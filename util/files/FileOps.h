#pragma once

#include "util/UtilExport.h"

#include <cstdint>
#include <string>

namespace util {

class ProgressInterface;

/// Copies src to dst, replacing an existing dst, and reports the bytes copied so far after
/// each chunk: starting("Copy to <dst>"), totalAmount(size, "bytes"), amountDone(...),
/// finished("Copy to <dst>"). progress may be null.
///
/// The copy goes into a temporary file beside dst that is renamed into place, so a failed copy
/// never leaves a half-written file where the old destination stood. When dst is a link, the
/// file it points to is replaced and the link stays. The permission bits of src (less the
/// umask) and its modification time carry over.
///
/// Throws std::runtime_error, without calling finished():
/// - "Can't open: <src>: <errno>" when src cannot be opened (or is a directory);
/// - "Can't copy to <dst>: not enough space." when the target medium is full;
/// - "Failed to copy from <src> to <dst>: <errno>" on any other failure.
UTIL_EXPORT void copyFile(const std::string &src, const std::string &dst,
                          ProgressInterface *progress);

/// Deletes the directory tree at path: true when it is gone (or was never a directory), false
/// when the walk stopped at an entry it could not delete. Entries are visited directories
/// first, then by name; what was deleted before the failure stays deleted, everything after it
/// stays. Links are removed, never followed. Hidden files go like any others; attributes and
/// permissions are never changed.
UTIL_EXPORT bool removeDir(const std::string &path);
/// As removeDir(path); on failure failedPath names what could not be deleted and error holds
/// the errno of that failure.
UTIL_EXPORT bool removeDir(const std::string &path, std::string &failedPath, int &error);

namespace detail {
/// Test seam: makes the next copyFile() fail with errno `error` once `afterBytes` bytes have
/// been copied, as a full or failing medium would. error 0 clears it.
UTIL_EXPORT void injectCopyFault(int error, std::uint64_t afterBytes);
} // namespace detail

} // namespace util
