#include "tools/quorutil/CommandLine.h"

#include "tools/quorutil/Input.h"
#include "tools/quorutil/Tool.h"

#include "util/strings/NumberFormat.h"

#include <QFile>
#include <QTemporaryFile>

#include <charconv>
#include <cmath>
#include <ostream>

namespace quorutil {

OptionSpec OptionSpec::alias(const char *shortOption) const
{
    OptionSpec spec = *this;
    spec.shortName = shortOption;
    return spec;
}

OptionSpec OptionSpec::repeat() const
{
    OptionSpec spec = *this;
    spec.repeatable = true;
    return spec;
}

OptionSpec OptionSpec::needed() const
{
    OptionSpec spec = *this;
    spec.required = true;
    return spec;
}

OptionSpec OptionSpec::maybe() const
{
    OptionSpec spec = *this;
    spec.optional = true;
    return spec;
}

OptionSpec OptionSpec::orStdin() const
{
    OptionSpec spec = *this;
    spec.stdinInput = true;
    return spec;
}

OptionSpec OptionSpec::above() const
{
    OptionSpec spec = *this;
    spec.lowOpen = true;
    return spec;
}

OptionSpec OptionSpec::below() const
{
    OptionSpec spec = *this;
    spec.highOpen = true;
    return spec;
}

OptionSpec OptionSpec::orInfinite() const
{
    OptionSpec spec = *this;
    spec.infinite = true;
    return spec;
}

namespace {

// A number as the table entry allows it: finite, or also infinite.
bool parseNumber(const OptionSpec *spec, const QString &arg, double &value)
{
    if (!spec || !spec->infinite)
        return parseFiniteNumber(arg, value);
    double parsed = 0;
    if (!util::parseDouble(arg.toStdString(), parsed) || std::isnan(parsed))
        return false;
    value = parsed;
    return true;
}

OptionSpec make(const char *name, ValueKind kind, const char *valueName, const char *help)
{
    OptionSpec spec {name};
    spec.kind = kind;
    spec.valueName = valueName;
    spec.help = help;
    return spec;
}

OptionSpec ranged(OptionSpec spec, double low, double high)
{
    spec.low = low;
    spec.high = high;
    return spec;
}

std::string shortest(double value)
{
    return util::formatShortest(value);
}

} // namespace

OptionSpec flag(const char *name, const char *help)
{
    return make(name, ValueKind::Flag, nullptr, help);
}

OptionSpec text(const char *name, const char *valueName, const char *help)
{
    return make(name, ValueKind::Text, valueName, help);
}

OptionSpec path(const char *name, const char *valueName, const char *help)
{
    return make(name, ValueKind::Path, valueName, help);
}

OptionSpec integer(const char *name, const char *valueName, double low, double high,
                   const char *help)
{
    return ranged(make(name, ValueKind::Integer, valueName, help), low, high);
}

OptionSpec number(const char *name, const char *valueName, double low, double high,
                  const char *help)
{
    return ranged(make(name, ValueKind::Number, valueName, help), low, high);
}

OptionSpec choice(const char *name, const char *choices, const char *help)
{
    OptionSpec spec = make(name, ValueKind::Choice, choices, help);
    spec.choices = choices;
    return spec;
}

OptionSpec textArg(const char *name)
{
    return make(name, ValueKind::Text, name, nullptr);
}

OptionSpec fileArg(const char *name)
{
    return make(name, ValueKind::Path, name, nullptr);
}

OptionSpec integerArg(const char *name, double low, double high)
{
    return ranged(make(name, ValueKind::Integer, name, nullptr), low, high);
}

OptionSpec numberArg(const char *name, double low, double high)
{
    return ranged(make(name, ValueKind::Number, name, nullptr), low, high);
}

std::string valueDescription(const OptionSpec &spec)
{
    if (spec.kind == ValueKind::Choice) {
        const QStringList words = QString::fromLatin1(spec.choices).split(QLatin1Char('|'));
        std::string text;
        for (int i = 0; i < words.size(); ++i) {
            if (i > 0)
                text += i + 1 == words.size() ? " or " : ", ";
            text += words.at(i).toStdString();
        }
        return text;
    }
    if (spec.kind != ValueKind::Integer && spec.kind != ValueKind::Number)
        return std::string();
    std::string text = spec.kind == ValueKind::Integer ? "an integer" : "a number";
    const bool hasLow = std::isfinite(spec.low);
    const bool hasHigh = std::isfinite(spec.high);
    if (hasLow && hasHigh && !spec.lowOpen)
        text += " from " + shortest(spec.low) + " to " + (spec.highOpen ? "below " : "")
            + shortest(spec.high);
    else if (hasLow)
        text += (spec.lowOpen ? " greater than " : " of at least ") + shortest(spec.low);
    if (hasHigh && (!hasLow || spec.lowOpen))
        text += std::string(hasLow ? " and" : "") + (spec.highOpen ? " less than " : " of at most ")
            + shortest(spec.high);
    if (spec.infinite)
        text += " or inf";
    return text;
}

CommandLine::CommandLine(std::string command, std::string usage,
                         std::initializer_list<OptionSpec> options)
    : m_command(std::move(command))
    , m_usage(std::move(usage))
    , m_specs(options)
{
}

CommandLine::CommandLine(std::string command, std::string usage, std::vector<OptionSpec> options,
                         std::vector<OptionSpec> args)
    : m_command(std::move(command))
    , m_usage(std::move(usage))
    , m_specs(std::move(options))
    , m_args(std::move(args))
    , m_checkArgs(true)
{
}

CommandLine::~CommandLine() = default;

const OptionSpec *CommandLine::find(const QString &name) const
{
    for (const OptionSpec &spec : m_specs) {
        if (name == QLatin1String(spec.name)
            || (spec.shortName && name == QLatin1String(spec.shortName)))
            return &spec;
    }
    return nullptr;
}

std::string CommandLine::checkValue(const OptionSpec &spec, const QString &value) const
{
    const auto inRange = [&spec](double v) {
        return (spec.lowOpen ? v > spec.low : v >= spec.low)
            && (spec.highOpen ? v < spec.high : v <= spec.high);
    };
    const std::string wrong = std::string(spec.name) + " must be " + valueDescription(spec)
        + ", not '" + value.toStdString() + "'";
    switch (spec.kind) {
    case ValueKind::Integer: {
        long long parsed = 0;
        return parseInteger(value, parsed) && inRange(double(parsed)) ? std::string() : wrong;
    }
    case ValueKind::Number: {
        double parsed = 0;
        return parseNumber(&spec, value, parsed) && inRange(parsed) ? std::string() : wrong;
    }
    case ValueKind::Choice:
        return QString::fromLatin1(spec.choices).split(QLatin1Char('|')).contains(value)
            ? std::string()
            : wrong;
    case ValueKind::Path:
        // An empty file name only ever opens nothing; said here, not as "Can't open: ".
        return spec.isPositional() || !value.isEmpty()
            ? std::string()
            : std::string(spec.name) + " needs a non-empty value";
    case ValueKind::Text:
    case ValueKind::Flag:
        break;
    }
    return std::string();
}

std::string CommandLine::checkPositional() const
{
    bool open = false;
    std::vector<std::string> needed;
    for (const OptionSpec &arg : m_args) {
        open = open || arg.repeatable;
        if (!arg.optional)
            needed.push_back((arg.repeatable ? "at least one " : "") + std::string(arg.name));
    }
    const int least = int(needed.size());
    const int count = m_positional.size();
    if (count < least) {
        std::string message = "needs ";
        for (std::size_t i = 0; i < needed.size(); ++i)
            message += (i == 0 ? "" : i + 1 == needed.size() ? " and " : ", ") + needed[i];
        return message;
    }
    if (!open && count > int(m_args.size()))
        return "unexpected argument '" + m_positional.at(int(m_args.size())).toStdString() + "'";
    for (int i = 0; i < count && !m_args.empty(); ++i) {
        const std::string problem = checkValue(
            m_args[std::min<std::size_t>(std::size_t(i), m_args.size() - 1)], m_positional.at(i));
        if (!problem.empty())
            return problem;
    }
    return std::string();
}

bool CommandLine::readStandardInput(std::ostream &err, int *exitCode)
{
    for (int i = 0; i < m_positional.size() && !m_args.empty(); ++i) {
        const OptionSpec &arg = m_args[std::min<std::size_t>(std::size_t(i), m_args.size() - 1)];
        if (!arg.stdinInput || m_positional.at(i) != QLatin1String("-") || m_stdin)
            continue;
        // The library's readers take paths, and some open their file twice: a private copy
        // serves them all alike, from a pipe or from a redirected file.
        QByteArray bytes;
        QString error;
        auto copy = std::make_unique<QTemporaryFile>();
        if (!quorutil::readStandardInput(bytes, &error)) {
            *exitCode = failure(err, error.toStdString());
            return false;
        }
        if (!copy->open() || copy->write(bytes) != bytes.size() || !copy->flush()) {
            *exitCode = failure(err,
                                "-: cannot keep standard input in a temporary file: "
                                    + copy->errorString().toStdString());
            return false;
        }
        copy->close();
        m_stdin = std::move(copy);
    }
    return true;
}

bool CommandLine::parse(const QStringList &args, std::ostream &out, std::ostream &err,
                        int *exitCode)
{
    m_given.clear();
    m_positional.clear();
    bool optionsEnded = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        // "-" alone and negative numbers ("-20", "-.5") are arguments, not options.
        const bool negativeNumber = arg.size() > 1 && arg.at(0) == QLatin1Char('-')
            && (arg.at(1).isDigit() || arg.at(1) == QLatin1Char('.'));
        if (optionsEnded || arg == QLatin1String("-") || negativeNumber
            || !arg.startsWith(QLatin1Char('-'))) {
            m_positional << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out << m_usage;
            *exitCode = ExitOk;
            return false;
        }
        const int eq = arg.startsWith(QLatin1String("--")) ? arg.indexOf(QLatin1Char('=')) : -1;
        const QString name = eq < 0 ? arg : arg.left(eq);
        const OptionSpec *spec = find(name);
        if (!spec) {
            *exitCode = usageError(err, "unknown option " + name.toStdString());
            return false;
        }
        QString value;
        if (spec->hasValue()) {
            if (eq >= 0) {
                value = arg.mid(eq + 1);
            } else if (i + 1 < args.size()) {
                value = args.at(++i);
            } else {
                *exitCode = usageError(err, name.toStdString() + " needs a value");
                return false;
            }
            const std::string problem = checkValue(*spec, value);
            if (!problem.empty()) {
                *exitCode = usageError(err, problem);
                return false;
            }
        } else if (eq >= 0) {
            *exitCode = usageError(err, name.toStdString() + " takes no value");
            return false;
        }
        m_given.emplace_back(spec->name, value);
    }
    for (const OptionSpec &spec : m_specs) {
        if (spec.required && !isSet(spec.name)) {
            *exitCode =
                usageError(err,
                           std::string("needs ") + (spec.shortName ? spec.shortName : spec.name)
                               + " " + spec.valueName);
            return false;
        }
    }
    if (m_checkArgs) {
        const std::string problem = checkPositional();
        if (!problem.empty()) {
            *exitCode = usageError(err, problem);
            return false;
        }
    }
    return readStandardInput(err, exitCode);
}

bool CommandLine::isSet(const char *name) const
{
    for (const auto &given : m_given) {
        if (given.first == name)
            return true;
    }
    return false;
}

QString CommandLine::value(const char *name, const QString &fallback) const
{
    const QStringList all = values(name);
    return all.isEmpty() ? fallback : all.last();
}

QStringList CommandLine::values(const char *name) const
{
    QStringList all;
    for (const auto &given : m_given) {
        if (given.first == name)
            all << given.second;
    }
    return all;
}

long long CommandLine::integer(const char *name, long long fallback) const
{
    long long parsed = 0;
    return isSet(name) && parseInteger(value(name), parsed) ? parsed : fallback;
}

double CommandLine::number(const char *name, double fallback) const
{
    double parsed = 0;
    return isSet(name) && parseNumber(find(QString::fromLatin1(name)), value(name), parsed)
        ? parsed
        : fallback;
}

double CommandLine::numberAt(int i) const
{
    double parsed = 0;
    return parseFiniteNumber(m_positional.value(i), parsed) ? parsed : 0.0;
}

QString CommandLine::inputPath(int i) const
{
    const QString arg = m_positional.value(i);
    return m_stdin && arg == QLatin1String("-") ? m_stdin->fileName() : arg;
}

std::string CommandLine::shown(const std::string &message) const
{
    if (!m_stdin)
        return message;
    const std::string copy = m_stdin->fileName().toStdString();
    std::string text = message;
    for (std::size_t at = text.find(copy); !copy.empty() && at != std::string::npos;
         at = text.find(copy, at + 1))
        text.replace(at, copy.size(), "-");
    return text;
}

int CommandLine::usageError(std::ostream &err, const std::string &message) const
{
    err << "quorutil " << m_command << ": " << shown(message) << "\n\n" << m_usage;
    return ExitUsage;
}

int CommandLine::failure(std::ostream &err, const std::string &message) const
{
    err << "quorutil " << m_command << ": " << shown(message) << "\n";
    return ExitFailure;
}

std::string localPath(const QString &arg)
{
    return QFile::encodeName(arg).toStdString();
}

bool parseFiniteNumber(const QString &arg, double &value)
{
    double parsed = 0;
    if (!util::parseDouble(arg.toStdString(), parsed) || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool parseInteger(const QString &arg, long long &value)
{
    const QByteArray bytes = arg.toLatin1();
    const char *end = bytes.constData() + bytes.size();
    long long parsed = 0;
    const auto result = std::from_chars(bytes.constData(), end, parsed, 10);
    if (bytes.isEmpty() || result.ec != std::errc() || result.ptr != end)
        return false;
    value = parsed;
    return true;
}

} // namespace quorutil
