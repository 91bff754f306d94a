#pragma once

// Internal to the support-file reader and writer: whole-file access in one system call each
// way where possible. Not part of the library's interface.

#include <cstddef>
#include <string>
#include <string_view>

#include "util/files/Failure.h"

namespace util {
namespace detail {

/// Support files larger than this are refused: no real one comes near it, and a reader that
/// takes anything would hold a whole disk image in memory.
constexpr std::size_t maxSupportFileSize = 16u << 20;

/// Replaces out with the whole content of the regular file at path. False, with the failure in
/// *failure (when given), if path is empty, the file cannot be opened or read (a directory is
/// EISDIR), is no regular file (a FIFO or device) or is larger than maxSupportFileSize. Never
/// blocks on a FIFO.
bool readWholeFile(const std::string &path, std::string &out, Failure *failure = nullptr);

/// Replaces the file at path with text, atomically: false, with any old file left as it was
/// and the reason in *error, when the file cannot be created or written.
bool writeWholeFile(const std::string &path, std::string_view text, Failure *failure = nullptr);

} // namespace detail
} // namespace util
