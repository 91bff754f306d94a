#pragma once

// How the tool tells a user that something failed: one line on standard error,
// "quorutil COMMAND: PATH: reason" (or "PATH: line L, column C: reason" for a document), and
// exit code 1. Every command reports through report(); nothing else of Qt's reaches stderr.

#include "util/files/Failure.h"

#include <iosfwd>
#include <string>

namespace quorutil {

/// Prints "quorutil COMMAND: " + failure.text() and a newline to err; returns ExitFailure.
int report(std::ostream &err, const std::string &command, const util::Failure &failure);

class CommandLine;
/// The same for the command cl runs; a copy of standard input ("-") is named "-".
int report(std::ostream &err, const CommandLine &cl, const util::Failure &failure);

/// Installs the tool's Qt message handler: Qt's remarks (a missing runtime folder, a platform
/// plugin's unsupported hints, a parser's warning) stay off the user's stderr, which carries
/// the tool's own lines only. Fatal messages still end the process with their text.
/// QUOR_QT_MESSAGES=1 shows everything, for debugging.
void installQtMessageHandler();

} // namespace quorutil
