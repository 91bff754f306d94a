#pragma once

// Where a command's output goes: a file or standard output for -o, and whether standard
// output is a terminal.

#include "util/files/Failure.h"

#include <QString>

#include <functional>
#include <iosfwd>
#include <string>

namespace quorutil {

/// Runs write(path, failure) for the destination dest. For "-" the writer writes into a private
/// temporary file whose bytes then go to out, so the library's own writer is used unchanged.
/// Returns false when the writer fails, with its failure in *failure.
bool writeToOutput(
    const QString &dest, std::ostream &out,
    const std::function<bool(const std::string &path, util::Failure *failure)> &write,
    util::Failure *failure);

/// Whether the file descriptor is a terminal (progress redrawn in place, tables kept fresh).
bool isTerminal(int fd);

} // namespace quorutil
