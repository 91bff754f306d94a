#pragma once

/// \file
/// Replacing a file with one that another writer creates by name.
/// \ingroup files

#include "util/UtilExport.h"

#include <QString>

#include <memory>

namespace util {

struct Failure;

/// Replaces the file at path with a file that a writer creates and fills by name itself (a
/// raster driver, say) instead of through the library.
///
/// The replacement follows the library's rule for replacing files (docs/replacing-files.md):
///
///     util::NamedReplacement out(path);
///     if (!out.open(&failure)) ...
///     writer.create(out.writePath()); ... writer.close();
///     if (!out.commit(&failure)) ...
///
/// The writer works on a temporary file: beside path when path is new or may be replaced by a
/// rename (the file is then renamed into place, no byte copied), else in the temporary folder,
/// from where commit() copies it into path in place after reserving its size (a second hard
/// link, a foreign owner, a folder that takes no new files, a device). Until commit() succeeds
/// path keeps its old content, and the temporary file goes away when the object does, when
/// commit() fails, and on SIGINT, SIGTERM and SIGHUP at their default action.
///
/// The writer must write nothing but writePath(): files it puts beside it are its caller's.
/// \ingroup files
class UTIL_EXPORT NamedReplacement
{
public:
    /// A replacement of path that touches nothing until open().
    /// \param path the file to replace
    explicit NamedReplacement(const QString &path);
    /// Removes the temporary file unless commit() has put it in place.
    ~NamedReplacement();
    /// Not copyable: the object owns its temporary file.
    NamedReplacement(const NamedReplacement &) = delete;
    /// Not assignable: the object owns its temporary file.
    NamedReplacement &operator=(const NamedReplacement &) = delete;

    /// Refuses a directory (EISDIR) and a path that cannot be reached; makes the empty
    /// temporary file. False with *failure naming path (or naming the temporary file when it
    /// cannot be made in the temporary folder).
    /// \param[out] failure receives the failure when given; may be null
    /// \return true when writePath() is ready for the writer, false on failure
    bool open(Failure *failure = nullptr);
    /// The file the writer opens (it may truncate it, or remove it and create it again); empty
    /// before open().
    /// \return the path of the temporary file
    QString writePath() const;
    /// Puts what the writer left at writePath() in place. False with *failure naming path; path
    /// then keeps its old content. The temporary file is gone afterwards either way, so a
    /// second commit() fails, as does one before open() (EBADF).
    /// \param[out] failure receives the failure when given; may be null
    /// \return true when path holds what the writer wrote, false on failure
    bool commit(Failure *failure = nullptr);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace util
