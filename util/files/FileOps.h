#pragma once

/// \file
/// Copying a file with progress and deleting a directory tree.
/// \ingroup files

#include "util/UtilExport.h"
#include "util/files/Failure.h"

#include <string>

namespace util {

class ProgressInterface;

/// Copies src to dst and reports the bytes copied so far after each chunk:
/// starting("Copy to <dst>"), totalAmount(size, "bytes"), amountDone(...), finished("Copy to
/// <dst>"). progress may be null.
///
/// dst is replaced by the library's rule for replacing files (docs/replacing-files.md): links
/// are followed and stay; a device, FIFO or socket is written through, never replaced; a regular
/// file is replaced by a temporary file beside it renamed into place when that keeps its links,
/// owner, group, mode and extended attributes, and is rewritten in place otherwise, after its new
/// size has been reserved. A failed copy never leaves a half-written file where the old
/// destination stood (nor a temporary file, even when SIGINT, SIGTERM or SIGHUP ends the
/// process). A new dst gets the permission bits of src (less the umask); an existing one keeps
/// its own. The modification time of src carries over to a regular dst.
///
/// Throws std::runtime_error, without calling finished():
/// - "Can't open: <src>: <errno>" when src cannot be opened (or is a directory);
/// - "Failed to copy from <src> to <dst>: 21" when dst is a directory, before anything is read
///   and before any progress is reported;
/// - "Can't copy to <dst>: not enough space." when the target medium is full;
/// - "Failed to copy from <src> to <dst>: <errno>" on any other failure (27, EFBIG, beyond the
///   file size limit);
/// - "Failed to copy from <src> to <dst>: the source changed size during the copy".
///
/// \param src the file to copy
/// \param dst where the copy goes
/// \param progress receives the progress of the copy; may be null
UTIL_EXPORT void copyFile(const std::string &src, const std::string &dst,
                          ProgressInterface *progress);
/// As copyFile(src, dst, progress), reporting instead of throwing. False with the failure in
/// *failure (when given): a system error naming src when it cannot be opened, naming dst when
/// writing fails, or src "changed size during the copy".
/// \param src the file to copy
/// \param dst where the copy goes
/// \param progress receives the progress of the copy; may be null
/// \param[out] failure receives the failure when given; may be null
/// \return true when the copy is in place, false on failure
UTIL_EXPORT bool copyFile(const std::string &src, const std::string &dst,
                          ProgressInterface *progress, Failure *failure);

/// Deletes the directory tree at path: true when it is gone (or was never a directory), false
/// when the walk stopped at an entry it could not delete or path was refused. Entries are
/// visited directories first, then by name; what was deleted before the failure stays deleted,
/// everything after it stays. Hidden files go like any others; attributes and permissions are
/// never changed.
///
/// Nothing outside the named tree is ever deleted:
/// - a link is removed as a link, never followed, also when path names it with trailing slashes
///   ("lnk/"), and so is every link inside the tree;
/// - path is refused (false, nothing deleted) when it is empty, names the root ("/", "//"), or
///   its last component is "." or ".." ("DIR/.", "..", "a/../"), trailing slashes ignored.
///
/// \param path the directory tree to delete
/// \return true when the tree is gone or was never a directory, false when the walk stopped or
/// path was refused
UTIL_EXPORT bool removeDir(const std::string &path);
/// As removeDir(path), but strict about what path names, for callers that report it. False
/// with a system error naming path when nothing is there (ENOENT) or it is neither a directory
/// nor a link to one (ENOTDIR); with error EINVAL and the reason "refused: ..." when path was
/// refused; on any other failure naming the entry that could not be deleted.
/// \param path the directory tree to delete
/// \param[out] failure receives the failure when given; may be null
/// \return true when the tree was there and is gone, false otherwise
UTIL_EXPORT bool removeDir(const std::string &path, Failure *failure);

} // namespace util
