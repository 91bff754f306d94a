#pragma once

#include "util/UtilExport.h"

#include <string>

namespace util {

/// Path dissection on 8-bit paths. The colon, the slash and the backslash all count as path
/// separators, so a drive letter's colon ends a component just as a slash does.
class UTIL_EXPORT IOString
{
public:
    /// The text after the last dot that follows the last separator; empty if there is none.
    static std::string getExtension(const std::string &path);
    /// Replaces, adds or (with an empty extension) removes the extension. Every slash of the
    /// result becomes a backslash, also when nothing else changes.
    static std::string changeExtension(const std::string &path, const std::string &extension);
    /// The text after the last separator (the whole path if there is none).
    static std::string getFileName(const std::string &path);
    /// The file name up to its first dot.
    static std::string getBaseName(const std::string &path);
    /// The text before the last separator; empty if there is none.
    static std::string getPath(const std::string &path);
    /// The path without its trailing separators; empty for a path that holds no separator.
    static std::string removeTrailingPathDelimeter(const std::string &path);
    /// Removes every character of the set from both ends of text.
    static void trim(std::string &text, const std::string &characters);
    static void trim2(std::string &text, char c);
    /// Cuts the leading keyword (up to the first space or tab) off line and returns it; the rest
    /// is trimmed of spaces and tabs. A line without blanks is left whole and "" is returned.
    static std::string removeKeyword(std::string &line);
};

} // namespace util
