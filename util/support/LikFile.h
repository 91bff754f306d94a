#pragma once

/// \file
/// Image link files: small XML files that name where an image really is.
/// \ingroup support

#include "util/UtilExport.h"
#include "util/files/Failure.h"

#include <string>
#include <utility>

namespace util {

/// An image link file (".lik"): a small XML file that stands in place of an image and names
/// where the image really is.
///
/// It reads:
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
/// \ingroup support
class UTIL_EXPORT LikFile
{
public:
    /// Both paths empty.
    LikFile() = default;
    /// The two paths given; nothing is read.
    /// \param imagePath the image the link file points to
    /// \param likPath the link file
    LikFile(const std::string &imagePath, const std::string &likPath);

    /// The image the link file points to.
    /// \return the image path
    std::string imgFilePath() const { return m_imagePath; }
    /// Sets the image the link file points to.
    /// \param path the image path
    void imgFilePath(const std::string &path) { m_imagePath = path; }
    /// The link file itself.
    /// \return the link path
    std::string likFilePath() const { return m_likPath; }
    /// Sets the link file itself.
    /// \param path the link path
    void likFilePath(const std::string &path) { m_likPath = path; }

    /// Sets the image path from the link file at the link path; throws on failure, leaving the
    /// image path as it was.
    void read();
    /// Writes a link file at the link path that points to the image path; throws on failure.
    /// An existing link file is replaced whole or not at all.
    void write();
    /// As read(), reporting instead of throwing. False with the failure in *failure (when
    /// given): a system error when the file cannot be opened, "not a file to read" or "larger
    /// than 1 MiB" for what is no link file to read, else the reason read() would give.
    /// \param[out] failure receives the failure when given; may be null
    /// \return true when the image path was read, false (image path unchanged) on failure
    bool read(Failure *failure);
    /// As write(), reporting instead of throwing. False with a system error naming the link
    /// path in *failure (when given) when the file cannot be written.
    /// \param[out] failure receives the failure when given; may be null
    /// \return true when the link file is written
    bool write(Failure *failure);
    /// The link file at likPath, read; throws on failure.
    /// \param likPath the link file to read
    /// \return the object with that link path and the image path read from it
    static LikFile createFromLikFile(const std::string &likPath);

    /// Whether the image path names an existing file or folder.
    /// \return true when something is there
    bool existsImage() const;
    /// Whether the link path names an existing file or folder.
    /// \return true when something is there
    bool existsLik() const;

    /// \<absolute folder of path\>/\<name up to its last dot\>.lik (the file need not exist).
    /// \param path any path; a relative one is made absolute against the current folder
    /// \return the link-file path
    static std::string computeLikFilePathFromGivenPath(const std::string &path);
    /// The same with ".lov".
    /// \param path any path; a relative one is made absolute against the current folder
    /// \return the ".lov" path
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
