#pragma once

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
class UTIL_EXPORT auto_file
{
public:
    auto_file();
    auto_file(const char *path, const char *mode);
    auto_file(const auto_file &other);
    auto_file &operator=(const auto_file &other);
    ~auto_file();

    operator FILE *() const { return m_handle.get(); }

    /// A file is open and its end-of-file indicator is not set.
    bool isValid() const;
    /// The stream's end-of-file indicator.
    int eof() const;
    /// Closes any open file, then opens path: 1 on success, -1 on failure (no file open then).
    int open(const char *path, const char *mode);
    void close();

    /// The next line without its newline: at most 254 characters per call, so longer lines come
    /// in pieces. "" at the end of the file or on a read error (test isValid or eof).
    std::string getLine();
    const std::string &lastLine() const { return m_lastLine; }

    static void split(const std::string &text, const std::string &delimiters,
                      std::list<std::string> &list);
    static void split(const std::string &text, const std::string &delimiters,
                      std::vector<std::string> &list);

private:
    std::shared_ptr<FILE> m_handle;
    char m_buffer[256];
    std::string m_lastLine;
};

} // namespace util
