#pragma once

/// \file
/// Reading a whole input into memory, with a bound on its size.
/// \ingroup files

#include "util/UtilExport.h"
#include "util/files/Failure.h"

#include <QByteArray>
#include <QString>

#include <cstddef>

namespace util {

/// The most the library's readers take from one input unless told otherwise: no file of the
/// suite's formats comes near it, and an input without end (/dev/zero) must not fill memory.
constexpr std::size_t defaultMaxReadSize = std::size_t(64) << 20;

/// Reads the whole input at path into bytes: a regular file, a stream (pipe, FIFO, character
/// device) up to its end, or a Qt resource (":/..."). False, with the failure in *failure (when
/// given), when it cannot be opened or read (a system error: a directory gives EISDIR), is
/// another kind of file such as a socket ("not a file to read"), or holds more than maxBytes
/// ("larger than 64 MiB"); bytes is then empty. A resource that Qt cannot open fails with
/// "no such resource".
/// \param path the input to read
/// \param[out] bytes receives the content; emptied first
/// \param[out] failure receives the failure when given; may be null
/// \param maxBytes the most bytes to take; more than 2 GiB less 64 bytes (what a QByteArray
/// holds) counts as that
/// \return true when bytes holds the whole input, false on failure
UTIL_EXPORT bool readWholeFile(const QString &path, QByteArray &bytes, Failure *failure = nullptr,
                               std::size_t maxBytes = defaultMaxReadSize);

} // namespace util
