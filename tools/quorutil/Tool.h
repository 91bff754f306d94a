#pragma once

#include <QStringList>

#include <iosfwd>
#include <vector>

namespace quorutil {

/// Exit codes of every command.
enum ExitCode { ExitOk = 0, ExitFailure = 1, ExitUsage = 2 };

/// Runs the tool with the arguments after the program name, writing to the given streams.
/// Returns the process exit code. The tool's main() is a thin wrapper around this.
int run(const QStringList &args, std::ostream &out, std::ostream &err);

/// The top-level usage text.
std::string usage();

/// Every command and subcommand ({"sup"}, {"sup", "show"}, ...): each answers --help.
std::vector<QStringList> commandPaths();

/// True when the arguments ask for the Qt GUI (the caller then needs a QApplication).
bool wantsGui(const QStringList &args);

/// True when the GUI the arguments ask for shows a window (the progress dialog, the curve
/// editor); drawing into a picture needs a GUI application object but no screen.
bool needsScreen(const QStringList &args);

} // namespace quorutil
