#pragma once

/// \file
/// Path dissection on 8-bit paths.
/// \ingroup strings

#include "util/UtilExport.h"

#include <string>

namespace util {

/// Path dissection on 8-bit paths. The colon, the slash and the backslash all count as path
/// separators, so a drive letter's colon ends a component just as a slash does.
/// \ingroup strings
class UTIL_EXPORT IOString
{
public:
    /// The text after the last dot that follows the last separator; empty if there is none.
    /// \param path the path
    /// \return the extension without its dot
    static std::string getExtension(const std::string &path);
    /// Replaces, adds or (with an empty extension) removes the extension. Every slash of the
    /// result becomes a backslash, also when nothing else changes.
    /// \param path the path
    /// \param extension the new extension without its dot (one with a dot gives two dots), or
    /// empty
    /// \return the changed path
    static std::string changeExtension(const std::string &path, const std::string &extension);
    /// The text after the last separator (the whole path if there is none).
    /// \param path the path
    /// \return the file name; empty when path ends in a separator
    static std::string getFileName(const std::string &path);
    /// The file name up to its first dot.
    /// \param path the path
    /// \return the base name; the whole file name when it holds no dot
    static std::string getBaseName(const std::string &path);
    /// The text before the last separator; empty if there is none.
    /// \param path the path
    /// \return the folder part, without the separator
    static std::string getPath(const std::string &path);
    /// The path without its trailing separators; empty for a path that holds no separator.
    /// \param path the path
    /// \return the shortened path; empty also for a path of separators only
    static std::string removeTrailingPathDelimeter(const std::string &path);
    /// Removes every character of the set from both ends of text.
    /// \param[in,out] text the text to trim; empty afterwards when it held nothing else
    /// \param characters the set of characters to remove
    static void trim(std::string &text, const std::string &characters);
    /// Removes the character c from both ends of text.
    /// \param[in,out] text the text to trim
    /// \param c the character to remove
    static void trim2(std::string &text, char c);
    /// Cuts the leading keyword (up to the first space or tab) off line and returns it; the rest
    /// is trimmed of spaces and tabs. A line without blanks is left whole and "" is returned.
    /// \param[in,out] line the line; keeps what follows the keyword
    /// \return the keyword; empty also when line begins with a blank
    static std::string removeKeyword(std::string &line);
};

} // namespace util
