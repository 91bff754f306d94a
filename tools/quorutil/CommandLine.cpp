#include "tools/quorutil/CommandLine.h"

#include "tools/quorutil/Tool.h"

#include "util/strings/NumberFormat.h"

#include <QFile>

#include <cmath>

#include <ostream>

namespace quorutil {

CommandLine::CommandLine(std::string command, std::string usage,
                         std::initializer_list<OptionSpec> options)
    : m_command(std::move(command))
    , m_usage(std::move(usage))
    , m_specs(options)
{
}

const OptionSpec *CommandLine::find(const QString &name) const
{
    for (const OptionSpec &spec : m_specs) {
        if (name == QLatin1String(spec.name)
            || (spec.shortName && name == QLatin1String(spec.shortName)))
            return &spec;
    }
    return nullptr;
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
        if (spec->takesValue) {
            if (eq >= 0) {
                value = arg.mid(eq + 1);
            } else if (i + 1 < args.size()) {
                value = args.at(++i);
            } else {
                *exitCode = usageError(err, name.toStdString() + " needs a value");
                return false;
            }
        } else if (eq >= 0) {
            *exitCode = usageError(err, name.toStdString() + " takes no value");
            return false;
        }
        m_given.emplace_back(spec->name, value);
    }
    return true;
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

int CommandLine::usageError(std::ostream &err, const std::string &message) const
{
    err << "quorutil " << m_command << ": " << message << "\n\n" << m_usage;
    return ExitUsage;
}

int CommandLine::failure(std::ostream &err, const std::string &message) const
{
    err << "quorutil " << m_command << ": " << message << "\n";
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

int dispatchSubcommand(const char *command, const std::string &usage,
                       std::initializer_list<Subcommand> subs, const QStringList &args,
                       std::ostream &out, std::ostream &err)
{
    if (args.isEmpty()) {
        err << "quorutil " << command << ": missing subcommand\n\n" << usage;
        return ExitUsage;
    }
    const QString &sub = args.first();
    if (sub == QLatin1String("--help") || sub == QLatin1String("-h")) {
        out << usage;
        return ExitOk;
    }
    for (const Subcommand &s : subs) {
        if (sub == QLatin1String(s.name))
            return s.run(args.mid(1), out, err);
    }
    if (sub.startsWith(QLatin1Char('-')) && sub.size() > 1) {
        err << "quorutil " << command << ": unknown option " << sub.section(QLatin1Char('='), 0, 0).toStdString()
            << "\n\n" << usage;
        return ExitUsage;
    }
    err << "quorutil " << command << ": unknown subcommand '" << sub.toStdString() << "'\n\n"
        << usage;
    return ExitUsage;
}

} // namespace quorutil
