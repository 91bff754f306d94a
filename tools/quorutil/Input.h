#pragma once

// Standard input for the commands that read one file and take "-" for it.

#include "util/files/ReadFile.h"

#include <QByteArray>
#include <QString>

#include <cstddef>

namespace quorutil {

/// Reads standard input to its end, bounded like every other read of the library. False, with
/// one line naming it "-" in *error, when it cannot be read ("Can't read: -: 9 (Bad file
/// descriptor)") or holds more than maxBytes ("-: larger than 64 MiB"); bytes is then empty.
bool readStandardInput(QByteArray &bytes, QString *error,
                       std::size_t maxBytes = util::defaultMaxReadSize);

} // namespace quorutil
