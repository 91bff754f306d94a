#pragma once

#include "util/UtilExport.h"

#include <QString>

namespace util {

/// Why a call failed: how every function the library adds beyond the specified interfaces
/// reports a failure (an optional `Failure *failure = nullptr` out-parameter beside a `bool`
/// result). The specified interfaces keep their exceptions and fixed messages.
///
/// A plain value of a few fields that will not grow:
/// - error: the errno of a system error, 0 for any other failure;
/// - path: the file or folder the failure concerns (empty when none does);
/// - line, column: where in a document it was found, 1-based (0 when it does not apply);
/// - reason: what was wrong, in English, without the path ("No such file or directory",
///   "not a world file: six numbers expected").
struct UTIL_EXPORT Failure
{
    int error = 0;
    QString path;
    int line = 0;
    int column = 0;
    QString reason;

    /// A system error: reason is the untranslated text of error (systemReason()).
    static Failure system(int error, const QString &path);
    /// Malformed content at line, column of the document at path.
    static Failure document(const QString &path, int line, int column, const QString &reason);
    /// Any other failure concerning path.
    static Failure other(const QString &path, const QString &reason);

    /// The one line a user reads: "PATH: reason", "PATH: line L, column C: reason", or the
    /// reason alone when there is no path.
    QString text() const;
};

/// The system's reason for error, untranslated whatever the locale: "No such file or directory".
UTIL_EXPORT QString systemReason(int error);

/// Stores failure in *out when out is given; returns false, so that a function can end with
/// `return util::fail(out, Failure::system(errno, path));`.
UTIL_EXPORT bool fail(Failure *out, Failure failure);

} // namespace util
