#include "tools/quorutil/Tool.h"

#include "tools/quorutil/CommandTable.h"

#include "util/UtilVersion.h"

#include <algorithm>
#include <exception>
#include <ostream>

namespace quorutil {

std::string usage()
{
    return topUsage();
}

std::vector<QStringList> commandPaths()
{
    std::vector<QStringList> paths;
    for (const CommandSpec &command : commandTable())
        paths.push_back(QString::fromLatin1(command.path).split(QLatin1Char(' ')));
    return paths;
}

bool wantsGui(const QStringList &args)
{
    // The progress dialog, the curve editor, and drawing a curve into a picture (fonts and
    // painting need a GUI application object, though no screen).
    const bool plot = !args.isEmpty() && args.first() == QLatin1String("lut")
        && std::any_of(args.begin(), args.end(), [](const QString &arg) {
               return arg == QLatin1String("--plot") || arg.startsWith(QLatin1String("--plot="));
           });
    const bool curves = !args.isEmpty() && args.first() == QLatin1String("curves");
    return plot || curves || args.contains(QStringLiteral("--gui"));
}

bool needsScreen(const QStringList &args)
{
    const bool window = !args.isEmpty() && args.first() == QLatin1String("curves")
        && !std::any_of(args.begin(), args.end(), [](const QString &arg) {
               return arg == QLatin1String("--screenshot")
                   || arg.startsWith(QLatin1String("--screenshot="));
           });
    return window || args.contains(QStringLiteral("--gui"));
}

int run(const QStringList &args, std::ostream &out, std::ostream &err)
{
    if (args.isEmpty()) {
        err << usage();
        return ExitUsage;
    }
    const QString name = args.first();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == "help") {
        out << usage();
        return ExitOk;
    }
    if (name == QLatin1String("--version") || name == QLatin1String("-V")) {
        out << "quorutil " << UTIL_VERSION_STRING << "\n";
        return ExitOk;
    }
    const CommandSpec *command = name.contains(QLatin1Char(' ')) ? nullptr : findCommand(name);
    if (!command) {
        err << "quorutil: unknown command '" << name.toStdString() << "'\n\n" << usage();
        return ExitUsage;
    }
    // A subcommand's name wins; a command that runs itself as well (lut CURVE beside a
    // "lut SUB") takes anything else as its own arguments.
    QStringList rest = args.mid(1);
    const QString sub = rest.value(0);
    const CommandSpec *leaf = sub.isEmpty() || sub.contains(QLatin1Char(' '))
        ? nullptr
        : findCommand(name + QLatin1Char(' ') + sub);
    if (leaf) {
        command = leaf;
        rest = rest.mid(1);
    } else if (!command->run) {
        const std::string groupUsage = usageText(*command);
        const std::string prefix = std::string("quorutil ") + command->path + ": ";
        if (rest.isEmpty()) {
            err << prefix << "missing subcommand\n\n" << groupUsage;
            return ExitUsage;
        }
        if (sub == QLatin1String("--help") || sub == QLatin1String("-h")) {
            out << groupUsage;
            return ExitOk;
        }
        if (sub.startsWith(QLatin1Char('-')) && sub.size() > 1) {
            err << prefix << "unknown option " << sub.section(QLatin1Char('='), 0, 0).toStdString()
                << "\n\n"
                << groupUsage;
            return ExitUsage;
        }
        err << prefix << "unknown subcommand '" << sub.toStdString() << "'\n\n" << groupUsage;
        return ExitUsage;
    }
    CommandLine cl(command->path, usageText(*command), command->options, command->args);
    int code = ExitOk;
    if (!cl.parse(rest, out, err, &code))
        return code;
    // Commands report their own failures; this is the last line of defence so that an
    // unexpected exception still ends in one clear line and exit code 1.
    try {
        return command->run(cl, out, err);
    } catch (const std::exception &e) {
        return cl.failure(err, e.what());
    }
}

} // namespace quorutil
