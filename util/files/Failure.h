#pragma once

/// \file
/// The failure value through which the library's added functions report why they failed.
/// \ingroup files

#include "util/UtilExport.h"

#include <QString>

namespace util {

/// Why a call failed: how every function the library adds beyond the specified interfaces
/// reports a failure (an optional `Failure *failure = nullptr` out-parameter beside a `bool`
/// result). The specified interfaces keep their exceptions and fixed messages.
///
/// A plain value of a few fields that will not grow.
/// \ingroup files
struct UTIL_EXPORT Failure
{
    int error = 0; ///< The errno of a system error, 0 for any other failure.
    QString path; ///< The file or folder the failure concerns (empty when none does).
    /// Where in a document the failure was found: the line, 1-based (0 when it does not apply).
    int line = 0;
    int column = 0; ///< The column of the same place, 1-based (0 when it does not apply).
    /// What was wrong, in English, without the path ("No such file or directory", "not a world
    /// file: six numbers expected").
    QString reason;

    /// A system error: reason is the untranslated text of error (systemReason()).
    /// \param error the errno value
    /// \param path the file or folder the error concerns
    /// \return the failure, with line and column 0
    static Failure system(int error, const QString &path);
    /// Malformed content at line, column of the document at path.
    /// \param path the document
    /// \param line the line, 1-based (0 when unknown)
    /// \param column the column, 1-based (0 when unknown)
    /// \param reason what was wrong
    /// \return the failure, with error 0
    static Failure document(const QString &path, int line, int column, const QString &reason);
    /// Any other failure concerning path.
    /// \param path the file or folder the failure concerns; may be empty
    /// \param reason what was wrong
    /// \return the failure, with error, line and column 0
    static Failure other(const QString &path, const QString &reason);

    /// The one line a user reads: "PATH: reason", "PATH: line L, column C: reason", or the
    /// reason alone when there is no path.
    /// \return the text, with "line L" only when line is set and ", column C" only when column
    /// is set as well
    QString text() const;
};

/// The system's reason for error, untranslated whatever the locale: "No such file or directory".
/// \param error an errno value
/// \return the reason; "Unknown error" for a number the system does not know
UTIL_EXPORT QString systemReason(int error);

/// Stores failure in *out when out is given; returns false, so that a function can end with
/// `return util::fail(out, Failure::system(errno, path));`.
/// \param[out] out receives the failure when given; may be null
/// \param failure the failure to store
/// \return false, always
UTIL_EXPORT bool fail(Failure *out, Failure failure);

} // namespace util
