#pragma once

// Internal: the one way the library replaces the content of a file (the copy, the support-file
// writers, the INI merge). Not part of the library's interface; docs/replacing-files.md tells
// the story for users.
//
// The rule: replacing a file loses nothing, neither the old content nor what the file system
// knows about the file.
//  - The destination's links are followed: the file they point to gets the new content, the
//    links stay.
//  - A directory is refused (EISDIR) before anything is written.
//  - Not a regular file (character or block device, FIFO, socket): written through in place,
//    never replaced or truncated.
//  - A missing file is created: written to a temporary file beside it, renamed into place.
//  - A regular file is replaced atomically (temporary file beside it, then rename) only when that
//    loses nothing: it has one link, and the temporary file took its owner, group, mode and
//    extended attributes (ACLs are extended attributes on Linux). Otherwise (a second hard link,
//    a foreign owner we cannot give away, a folder that takes no new files, ...) it is rewritten
//    in place: the full new size is reserved first (posix_fallocate), so a full medium or a file
//    size limit fails before a byte of the old content changes; then it is written from the
//    start and cut to the new length.
//  - While a temporary file exists, SIGINT, SIGTERM and SIGHUP whose action is the default
//    (ending the process) first unlink it, then end the process as they would have. Signals the
//    application handles or ignores are left alone.
//  - SIGXFSZ, when at its default action, is ignored from the first replacement on, so a write
//    beyond the file size limit fails with EFBIG, an ordinary error, instead of ending the
//    process without a word.

#include "util/TestSeam_p.h"

#include <cstdint>
#include <memory>
#include <string>

#include <sys/types.h>

namespace util {
namespace detail {

class FileReplacement
{
public:
    enum Kind { None, Atomic, InPlace, Stream };

    FileReplacement();
    ~FileReplacement(); // without commit(): any temporary file is removed
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;

    /// Fails with EISDIR when path (after links) is a directory, with errno from lstat otherwise
    /// (ENOENT is not a failure: the file is new). Changes nothing.
    static bool checkDestination(const std::string &path, int *error);

    /// Prepares writing newSize bytes to path. newFileMode is the mode of a file that does not
    /// exist yet (the umask applies). False with *error (an errno) on failure; path unchanged.
    bool open(const std::string &path, std::uint64_t newSize, mode_t newFileMode, int *error);
    /// Where the new content goes, from offset 0 (current position).
    int fd() const;
    Kind kind() const;
    /// The temporary file that commit() renames into place (Atomic only; empty otherwise).
    const std::string &temporaryPath() const;
    /// Finishes: renames the temporary file into place, or cuts the rewritten file to the
    /// length written. durable: flush to the medium before the rename. False with *error.
    bool commit(bool durable, int *error);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

/// Writes all of data to fd, retrying short writes; false with errno set on failure.
bool writeAll(int fd, const char *data, std::size_t size);

} // namespace detail

namespace testseam {
/// The next flush of a replacement to the medium (the fsync before the rename, or after an
/// in-place rewrite) fails with error instead of being made; 0 clears it.
UTIL_TEST_SEAM void failNextFsync(int error);
} // namespace testseam

} // namespace util
