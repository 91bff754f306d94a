#pragma once

#include "util/UtilExport.h"

#include <QString>

#include <memory>

namespace util {

struct Failure;

/// Replaces the file at path, by the library's rule for replacing files
/// (docs/replacing-files.md), with a file that a writer creates and fills by name itself (a
/// raster driver, say) instead of through the library:
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
class UTIL_EXPORT NamedReplacement
{
public:
    explicit NamedReplacement(const QString &path);
    ~NamedReplacement();
    NamedReplacement(const NamedReplacement &) = delete;
    NamedReplacement &operator=(const NamedReplacement &) = delete;

    /// Refuses a directory (EISDIR) and a path that cannot be reached; makes the empty
    /// temporary file. False with *failure naming path.
    bool open(Failure *failure = nullptr);
    /// The file the writer opens (it may truncate it, or remove it and create it again); empty
    /// before open().
    QString writePath() const;
    /// Puts what the writer left at writePath() in place. False with *failure naming path; path
    /// then keeps its old content.
    bool commit(Failure *failure = nullptr);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace util
