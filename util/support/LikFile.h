#pragma once

#include "util/UtilExport.h"
#include "util/files/Failure.h"

#include <string>
#include <utility>

namespace util {

/// An image link file (".lik"): a small XML file that stands in place of an image and names
/// where the image really is:
///
///     <?xml version="1.0" encoding="UTF-8"?>
///     <reference version="1.0">
///        <URI>/data/a.tif</URI>
///     </reference>
///
/// Reading wants exactly one "reference" element (version "1.0") and exactly one "URI" element
/// anywhere inside it. Failures are thrown as std::runtime_error:
/// "Error reading LIK file '<path>'. Message is: <reason>" (reading) and
/// "Error reading LIK file '<path>'" (writing).
class UTIL_EXPORT LikFile
{
public:
    LikFile() = default;
    LikFile(const std::string &imagePath, const std::string &likPath);

    std::string imgFilePath() const { return m_imagePath; }
    void imgFilePath(const std::string &path) { m_imagePath = path; }
    std::string likFilePath() const { return m_likPath; }
    void likFilePath(const std::string &path) { m_likPath = path; }

    /// Sets the image path from the link file at the link path; throws on failure, leaving the
    /// image path as it was.
    void read();
    /// Writes a link file at the link path that points to the image path; throws on failure.
    /// An existing link file is replaced whole or not at all.
    void write();
    /// As read() and write(), reporting instead of throwing: false with the failure in *failure
    /// (when given), a system error when the file cannot be opened or written, else the reason
    /// read() would give.
    bool read(Failure *failure);
    bool write(Failure *failure);
    /// The link file at likPath, read; throws on failure.
    static LikFile createFromLikFile(const std::string &likPath);

    /// Whether the image path (the link path) names an existing file or folder.
    bool existsImage() const;
    bool existsLik() const;

    /// <absolute folder of path>/<name up to its last dot>.lik (the file need not exist).
    static std::string computeLikFilePathFromGivenPath(const std::string &path);
    /// The same with ".lov".
    static std::string computeLovFilePathFromGivenPath(const std::string &path);

private:
    std::pair<bool, std::string> _read(const std::string &path);
    bool _write(const std::string &path);
    bool read(const std::string &path, Failure *failure);
    bool write(const std::string &path, Failure *failure);

    std::string m_imagePath;
    std::string m_likPath;
};

} // namespace util
