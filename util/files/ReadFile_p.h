#pragma once

// Internal: the one loop that reads a whole input with a size bound, for the public
// readWholeFile() and for readers with their own policy and messages (support files).

#include <QByteArray>

#include <cstddef>
#include <string>

namespace util {
namespace detail {

enum class ReadOutcome {
    Ok,
    CannotOpen, ///< *error holds errno (EISDIR for a directory)
    CannotRead, ///< *error holds errno
    NotRegular, ///< a socket or block device; with regularOnly, any other non-regular file
    TooLarge,
};

/// Reads the input at path into out (cleared on failure). With regularOnly, anything but a
/// regular file is refused at once (a FIFO is opened without waiting for a writer); otherwise
/// pipes, FIFOs and character devices are read to their end, at most maxBytes.
ReadOutcome readInput(const char *path, std::string &out, std::size_t maxBytes, bool regularOnly,
                      int *error);
/// The same into a QByteArray, which grows in place (realloc), so an input read up to the bound
/// never holds two copies of itself.
ReadOutcome readInput(const char *path, QByteArray &out, std::size_t maxBytes, bool regularOnly,
                      int *error);

/// "16 MiB", "64 KiB", "1000 bytes": a size limit as messages give it.
std::string sizeText(std::size_t bytes);

} // namespace detail
} // namespace util
