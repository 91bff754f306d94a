#pragma once

// The table of every quorutil command: its arguments, options and words. Parsing, the usage
// texts, the top-level synopsis, the man page and the bash completion all come from it.
//
// Adding a command or subcommand is one entry in commandTable() (CommandTable.cpp) naming its
// handler (declared in Commands.h); adding an option is one line in its entry. A command with
// subcommands is an entry without handler, followed by one entry per subcommand ("tfw show").

#include "tools/quorutil/CommandLine.h"

#include <QString>
#include <QStringList>

#include <iosfwd>
#include <string>
#include <vector>

namespace quorutil {

/// Runs one command once its arguments are parsed and checked against its entry.
using Handler = int (*)(const CommandLine &cl, std::ostream &out, std::ostream &err);

struct CommandSpec
{
    const char *path; ///< "lut", "tfw show"
    const char *summary; ///< one line: what the command does
    std::vector<OptionSpec> args; ///< positional arguments, in order
    std::vector<OptionSpec> options; ///< the options it accepts
    const char *description; ///< paragraphs for --help and the man page, or nullptr
    Handler run; ///< nullptr for a command with subcommands
};

const std::vector<CommandSpec> &commandTable();

/// The entry of "tfw show" or "tfw"; nullptr when there is none.
const CommandSpec *findCommand(const QString &path);
/// The subcommands of a command, in table order (empty for a command without any).
std::vector<const CommandSpec *> subcommandsOf(const CommandSpec &command);

/// "quorutil lut CURVE [--samples N] ..." for one command.
std::string synopsis(const CommandSpec &command);
/// What "quorutil PATH --help" prints.
std::string usageText(const CommandSpec &command);
/// What "quorutil --help" prints.
std::string topUsage();
/// The manual page quorutil(1), in troff.
std::string manPage();
/// The bash completion script for quorutil.
std::string bashCompletion();

} // namespace quorutil
