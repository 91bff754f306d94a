#pragma once

// The one argument parser of every quorutil command.
//
// Conventions it gives every command alike:
//  - "--help" or "-h" anywhere before "--" prints the command's usage to out and exits 0;
//  - "--opt value" and "--opt=value" are the same; a flag given a value is an error;
//  - "--" ends the options: what follows is positional, even when it starts with '-';
//  - "-" alone is positional (commands read it as standard input or output), and so is a
//    negative number ("-20", "-.5");
//  - an unknown option names itself: "quorutil CMD: unknown option --x", then the usage, exit 2.

#include <QString>
#include <QStringList>

#include <initializer_list>
#include <iosfwd>
#include <string>
#include <vector>

namespace quorutil {

/// One option a command takes: its long name ("--level") and optionally a short one ("-o").
struct OptionSpec
{
    const char *name;
    const char *shortName = nullptr;
    bool takesValue = false;
};

class CommandLine
{
public:
    /// command: the words after "quorutil" ("sup export"); usage: the command's usage text.
    CommandLine(std::string command, std::string usage, std::initializer_list<OptionSpec> options);

    /// Parses args. On --help (exit 0) or a usage error (exit 2) prints what the user needs,
    /// sets *exitCode and returns false; the command then returns *exitCode.
    bool parse(const QStringList &args, std::ostream &out, std::ostream &err, int *exitCode);

    bool isSet(const char *name) const;
    /// The last value given for the option, or fallback when it was not given.
    QString value(const char *name, const QString &fallback = QString()) const;
    /// Every value given for the option, in order.
    QStringList values(const char *name) const;
    const QStringList &positional() const { return m_positional; }

    /// Prints "quorutil CMD: message", a blank line and the usage to err; returns the usage code.
    int usageError(std::ostream &err, const std::string &message) const;
    /// Prints "quorutil CMD: message" to err; returns the failure code.
    int failure(std::ostream &err, const std::string &message) const;

    const std::string &command() const { return m_command; }
    const std::string &usage() const { return m_usage; }

private:
    const OptionSpec *find(const QString &name) const;

    std::string m_command;
    std::string m_usage;
    std::vector<OptionSpec> m_specs;
    std::vector<std::pair<std::string, QString>> m_given; // long name, value (empty for flags)
    QStringList m_positional;
};

/// An argument as a path of the local file system (the bytes the user typed, whatever the locale).
std::string localPath(const QString &arg);

/// An argument as a finite number in the "C" notation, whatever the locale; false otherwise.
bool parseFiniteNumber(const QString &arg, double &value);

/// Dispatches "COMMAND SUB ..." to the subcommand named by the first argument; "--help" or no
/// argument prints the usage (exit 0 or 2), an unknown subcommand is a usage error.
struct Subcommand
{
    const char *name;
    int (*run)(const QStringList &args, std::ostream &out, std::ostream &err);
};
int dispatchSubcommand(const char *command, const std::string &usage,
                       std::initializer_list<Subcommand> subs, const QStringList &args,
                       std::ostream &out, std::ostream &err);

} // namespace quorutil
