#pragma once

#include "util/UtilExport.h"

#include <QByteArray>
#include <QString>

#include <cstddef>

namespace util {

/// The most the library's readers take from one input unless told otherwise: no file of the
/// suite's formats comes near it, and an input without end (/dev/zero) must not fill memory.
constexpr std::size_t defaultMaxReadSize = std::size_t(64) << 20;

/// Reads the whole input at path into bytes: a regular file, a stream (pipe, FIFO, character
/// device) up to its end, or a Qt resource (":/..."). False, with one line naming the file in *errorString
/// (when given), when it cannot be opened or read ("Can't open: PATH: 2 (No such file or
/// directory)"; a directory gives 21), is another kind of file such as a socket ("PATH: not a
/// file to read"), or holds
/// more than maxBytes ("PATH: larger than 64 MiB"); bytes is then empty.
UTIL_EXPORT bool readWholeFile(const QString &path, QByteArray &bytes,
                               QString *errorString = nullptr,
                               std::size_t maxBytes = defaultMaxReadSize);

} // namespace util
