#pragma once

/// \file
/// An owning wrapper of a C stdio file with a line reader.
/// \ingroup files

#include "util/UtilExport.h"

#include <cstdio>
#include <list>
#include <memory>
#include <string>
#include <vector>

namespace util {

/// Owning wrapper of a C stdio file with a line reader.
///
/// Copies share the open file: the copy and the original read from the same stream, and the
/// file is closed exactly once, when the last object holding it closes it, is assigned over or
/// is destroyed. close() on one copy releases that copy's hold only.
///
/// On an object without an open file, getLine() returns "" and eof() returns 1.
/// \ingroup files
class UTIL_EXPORT auto_file
{
public:
    /// An object without an open file.
    auto_file();
    /// Opens path as open(path, mode) does; when that fails, no file is open (isValid() tells).
    /// \param path the file to open
    /// \param mode the C library's mode string ("r", "wb", ...)
    auto_file(const char *path, const char *mode);
    /// A second holder of the file of other, with its last line.
    /// \param other the object to copy
    auto_file(const auto_file &other);
    /// Releases this object's hold on its file (closing it when no other object holds it),
    /// then shares the file of other and takes its last line.
    /// \param other the object to copy
    /// \return this object
    auto_file &operator=(const auto_file &other);
    /// Releases this object's hold; the file is closed when no other object holds it.
    ~auto_file();

    /// The stream, for the C library's functions.
    /// \return the open stream, or null when no file is open
    operator FILE *() const { return m_handle.get(); }

    /// A file is open and its end-of-file indicator is not set.
    /// \return true while there may be more to read
    bool isValid() const;
    /// The stream's end-of-file indicator.
    /// \return the indicator as feof() gives it (non-zero at the end), 1 when no file is open
    int eof() const;
    /// Closes any open file, then opens path.
    /// \param path the file to open; null fails
    /// \param mode the C library's mode string; null fails
    /// \return 1 on success, -1 on failure (no file open then)
    int open(const char *path, const char *mode);
    /// Releases this object's hold on its file, which is closed when no other object holds it;
    /// no file is open afterwards.
    void close();

    /// The next line without its newline: at most 254 characters per call, so longer lines come
    /// in pieces.
    /// \return the line, also kept as lastLine(); "" at the end of the file, on a read error or
    /// without an open file (test isValid or eof)
    std::string getLine();
    /// The line getLine() returned last.
    /// \return the line; empty before the first call and after a read that yielded nothing
    const std::string &lastLine() const { return m_lastLine; }

    /// Splits text into the maximal runs of characters that are not in delimiters: leading,
    /// trailing and repeated delimiters give no empty tokens, and an empty set leaves a
    /// non-empty text whole.
    /// \param text the text to split
    /// \param delimiters the characters that separate tokens
    /// \param[out] list receives the tokens in order; cleared first
    static void split(const std::string &text, const std::string &delimiters,
                      std::list<std::string> &list);
    /// As split() into a list, into a vector.
    /// \param text the text to split
    /// \param delimiters the characters that separate tokens
    /// \param[out] list receives the tokens in order; cleared first
    static void split(const std::string &text, const std::string &delimiters,
                      std::vector<std::string> &list);

private:
    std::shared_ptr<FILE> m_handle;
    char m_buffer[256];
    std::string m_lastLine;
};

} // namespace util
