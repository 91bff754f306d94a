#pragma once

// How the tool tells a user that something failed: one line on standard error,
// "quorutil COMMAND: PATH: reason" (or "PATH: line L, column C: reason" for a document), and
// exit code 1. Every command reports through report(); nothing else of Qt's reaches stderr.

#include "util/files/Failure.h"

#include <QStringList>

#include <iosfwd>
#include <streambuf>
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

/// Standard output through write(2) with a buffer of its own, keeping the errno of the first
/// write that failed, which stdio would lose before the output is closed. main() puts it
/// under std::cout for the life of the process.
class StandardOutputBuffer : public std::streambuf
{
public:
    StandardOutputBuffer();
    ~StandardOutputBuffer() override;
    /// The errno of the first failed write, 0 while none failed.
    int error() const { return m_error; }

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool drain();
    char m_buffer[65536];
    int m_error = 0;
};

/// Flushes and closes standard output once the command has run, as every tool must that writes
/// there: a write that failed (a full medium, a closed pipe's reader gone) turns exit code into
/// ExitFailure with one line "quorutil COMMAND: standard output: reason". Returns the exit
/// code to end with.
int closeStandardOutput(const QStringList &args, int exitCode, StandardOutputBuffer &buffer,
                        std::ostream &err);

} // namespace quorutil
