#pragma once

// Where a command's -o output goes: a file, or "-" for standard output.

#include <QString>

#include <functional>
#include <iosfwd>
#include <string>

namespace quorutil {

/// Runs write(path) for the destination dest. For "-" the writer writes into a private
/// temporary file whose bytes then go to out, so the library's own writer is used unchanged.
/// Returns false when the writer fails, with one line in *error (the writer's own, when it
/// set one).
bool writeToOutput(const QString &dest, std::ostream &out,
                   const std::function<bool(const std::string &path)> &write, QString *error);

/// Whether the file descriptor is a terminal (progress redrawn in place, tables kept fresh).
bool isTerminal(int fd);

/// The shortest text that reads back as the same double, in the "C" locale, without an exponent
/// unless the number is tiny or huge: 500000, 0.1, 1e+300.
std::string shortestNumber(double value);

} // namespace quorutil
