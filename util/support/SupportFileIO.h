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

/// Opens path for writing (created or truncated). False if it cannot be opened. Errors while
/// writing after a successful open are not reported: the support-file writers promise only the
/// open.
bool writeWholeFile(const std::string &path, std::string_view text);

} // namespace detail
} // namespace util
