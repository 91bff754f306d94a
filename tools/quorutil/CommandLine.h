#pragma once

// The one argument parser of every quorutil command.
//
// Conventions it gives every command alike:
//  - "--help" or "-h" anywhere before "--" prints the command's usage to out and exits 0;
//  - "--opt value" and "--opt=value" are the same; a flag given a value is an error;
//  - "--" ends the options: what follows is positional, even when it starts with '-';
//  - "-" alone is positional (commands read it as standard input or output), and so is a
//    negative number ("-20", "-.5");
//  - an unknown option names itself: "quorutil CMD: unknown option --x", then the usage, exit 2;
//  - a value of the wrong type or out of range is a usage error worded by its table entry
//    ("--samples must be an integer from 1 to 16777216, not '0'"), and so is a wrong number
//    of arguments.

#include <QString>
#include <QStringList>

#include <initializer_list>
#include <iosfwd>
#include <limits>
#include <memory>
#include <string>
#include <vector>

class QTemporaryFile;

namespace quorutil {

/// What an option's value (or a positional argument) is.
enum class ValueKind {
    Flag, ///< no value
    Text, ///< any text
    Path, ///< a file (completed as one; an option's path must not be empty)
    Integer, ///< a whole number in [low, high]
    Number, ///< a finite number in "C" notation, in the range
    Choice, ///< one of choices ("text|csv|binary")
};

/// One option a command takes ("--level", optionally a short name "-o"), or one of its
/// positional arguments (a name without dashes: "FILE"). Old-style entries
/// ({"--level", nullptr, true}) still work: a value without a kind is text.
struct OptionSpec
{
    const char *name;
    const char *shortName = nullptr;
    bool takesValue = false;
    ValueKind kind = ValueKind::Flag;
    const char *valueName = nullptr; ///< "N", "OUT" in the usage
    const char *help = nullptr; ///< one paragraph; the range or choices are added to it
    double low = -std::numeric_limits<double>::infinity();
    double high = std::numeric_limits<double>::infinity();
    bool lowOpen = false; ///< the value must be greater than low
    bool highOpen = false; ///< the value must be less than high
    const char *choices = nullptr;
    bool repeatable = false; ///< an option that may be given more than once; "ARG..."
    bool required = false; ///< an option that must be given
    bool optional = false; ///< an argument that may be left out ("[FILE]")
    bool stdinInput = false; ///< an argument where "-" reads standard input
    bool infinite = false; ///< a number that may also be "inf" (no limit)

    bool hasValue() const { return takesValue || kind != ValueKind::Flag; }
    bool isPositional() const { return name[0] != '-'; }

    OptionSpec alias(const char *shortOption) const;
    OptionSpec repeat() const;
    OptionSpec needed() const;
    OptionSpec maybe() const;
    OptionSpec orStdin() const;
    OptionSpec above() const; ///< low itself is excluded
    OptionSpec below() const; ///< high itself is excluded
    OptionSpec orInfinite() const;
};

// The table's words for options...
OptionSpec flag(const char *name, const char *help);
OptionSpec text(const char *name, const char *valueName, const char *help);
OptionSpec path(const char *name, const char *valueName, const char *help);
OptionSpec integer(const char *name, const char *valueName, double low, double high,
                   const char *help);
OptionSpec number(const char *name, const char *valueName, double low, double high,
                  const char *help);
OptionSpec choice(const char *name, const char *choices, const char *help);
// ...and for positional arguments.
OptionSpec textArg(const char *name);
OptionSpec fileArg(const char *name);
OptionSpec integerArg(const char *name, double low, double high);
OptionSpec numberArg(const char *name, double low, double high);

constexpr double unbounded = std::numeric_limits<double>::infinity();

class CommandLine
{
public:
    /// command: the words after "quorutil" ("sup export"); usage: the command's usage text.
    /// Without args the positional arguments are not checked.
    CommandLine(std::string command, std::string usage, std::initializer_list<OptionSpec> options);
    CommandLine(std::string command, std::string usage, std::vector<OptionSpec> options,
                std::vector<OptionSpec> args);
    ~CommandLine();
    CommandLine(const CommandLine &) = delete;
    CommandLine &operator=(const CommandLine &) = delete;

    /// Parses args. On --help (exit 0) or a usage error (exit 2) prints what the user needs,
    /// sets *exitCode and returns false; the command then returns *exitCode. Standard input
    /// that a "-" argument stands for is read here (a failure to read it: exit 1).
    bool parse(const QStringList &args, std::ostream &out, std::ostream &err, int *exitCode);

    bool isSet(const char *name) const;
    /// The last value given for the option, or fallback when it was not given.
    QString value(const char *name, const QString &fallback = QString()) const;
    /// Every value given for the option, in order.
    QStringList values(const char *name) const;
    /// An integer or number option's value (checked while parsing), or fallback. A number
    /// may be infinite where its table entry allows it.
    long long integer(const char *name, long long fallback) const;
    double number(const char *name, double fallback) const;
    const QStringList &positional() const { return m_positional; }
    /// Positional argument i as a number (checked while parsing when its table entry says so).
    double numberAt(int i) const;
    /// The file to read for positional argument i: the argument itself, or for "-" a private
    /// copy of standard input. Messages naming that copy are shown with "-".
    QString inputPath(int i) const;

    /// Prints "quorutil CMD: message", a blank line and the usage to err; returns the usage code.
    int usageError(std::ostream &err, const std::string &message) const;
    /// Prints "quorutil CMD: message" to err; returns the failure code.
    int failure(std::ostream &err, const std::string &message) const;

    const std::string &command() const { return m_command; }
    const std::string &usage() const { return m_usage; }

private:
    const OptionSpec *find(const QString &name) const;
    std::string checkValue(const OptionSpec &spec, const QString &value) const;
    std::string checkPositional() const;
    bool readStandardInput(std::ostream &err, int *exitCode);
    std::string shown(const std::string &message) const;

    std::string m_command;
    std::string m_usage;
    std::vector<OptionSpec> m_specs;
    std::vector<OptionSpec> m_args;
    bool m_checkArgs = false;
    std::vector<std::pair<std::string, QString>> m_given; // long name, value (empty for flags)
    QStringList m_positional;
    std::unique_ptr<QTemporaryFile> m_stdin;
};

/// An argument as a path of the local file system (the bytes the user typed, whatever the locale).
std::string localPath(const QString &arg);

/// An argument as a finite number in the "C" notation, whatever the locale; false otherwise.
bool parseFiniteNumber(const QString &arg, double &value);

/// An argument as a whole decimal number ("-12", "4294967295"); false otherwise.
bool parseInteger(const QString &arg, long long &value);

/// The words an entry's range or choices give its value: "an integer from 1 to 16777216",
/// "a number greater than 0", "text, csv or binary"; empty for text and paths.
std::string valueDescription(const OptionSpec &spec);

} // namespace quorutil
