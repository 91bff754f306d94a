#pragma once

// Internal to the support-file reader and writer: whole-file access in one system call each
// way where possible. Not part of the library's interface.

#include <string>
#include <string_view>

namespace util {
namespace detail {

/// Replaces out with the whole content of the regular file at path. False if path is empty or
/// the file cannot be opened or read (a directory, for instance).
bool readWholeFile(const std::string &path, std::string &out);

/// Replaces the file at path with text, atomically: false, with any old file left as it was,
/// when the file cannot be created or written.
bool writeWholeFile(const std::string &path, std::string_view text);

} // namespace detail
} // namespace util
