#include "tools/quorutil/Tool.h"

#include "tools/quorutil/Commands.h"

#include <algorithm>
#include <exception>
#include <ostream>

namespace quorutil {

namespace {

using CommandFn = int (*)(const QStringList &, std::ostream &, std::ostream &);

struct Command
{
    const char *name;
    const char *synopsis;
    CommandFn run;
    QStringList subcommands; // empty for commands without subcommands
};

const Command commands[] = {
    {"sup",
     "sup show FILE... [--json] [--force] | sup export FILE --level 1|2 -o OUT|- [--force] | "
     "sup check FILE... [--quiet] [--json]",
     supCommand, {"show", "export", "check"}},
    {"tfw", "tfw show FILE | tfw minify FILE FACTOR -o OUT | tfw offset FILE DX DY -o OUT",
     tfwCommand, {"show", "minify", "offset"}},
    {"lik", "lik show FILE | lik make IMAGE [-o LIK]", likCommand, {"show", "make"}},
    {"copy", "copy SRC DST [--progress none|std|fancy|udp] [--gui]", copyCommand, {}},
    {"rmtree", "rmtree DIR", rmtreeCommand, {}},
    {"monitor", "monitor [--port N] [--listen ADDR] [--once] [--timeout SECONDS]", monitorCommand,
     {}},
    {"env", "env", envCommand, {}},
    {"ini-merge", "ini-merge SOURCE DEST", iniMergeCommand, {}},
    {"xml", "xml validate SCHEMA FILE... | xml compare A B", xmlCommand, {"validate", "compare"}},
    {"name", "name [--session] [--pattern TEXT | --collection FILE --id ID] [options]",
     nameCommand, {}},
    {"supname",
     "supname parse NAME... [--json] | supname rename NAME --pattern-file XML [--id ID]",
     supnameCommand, {"parse", "rename"}},
    {"bands", "bands ccd FILE... | bands master BAND... | bands code BAND... | bands split CODE",
     bandsCommand, {"ccd", "master", "code", "split"}},
    {"products", "products [--config FILE] [--selected BAND,...] [--json] BAND...",
     productsCommand, {}},
    {"pyramid", "pyramid --tool PATH [--timeout SECONDS] IMAGE...", pyramidCommand, {}},
    {"gps", "gps date WEEK SECONDS_OF_WEEK | gps time SECONDS | gps las SECONDS", gpsCommand,
     {"date", "time", "las"}},
    {"lut", "lut CURVE [--samples N] [--band B] [--format text|csv|binary] [-o OUT] "
            "[--plot OUT.png] [--stats] | lut apply CURVE INPUT -o OUTPUT [options]",
     lutCommand, {"apply"}},
    {"bpf", "bpf show FILE [--json]", bpfCommand, {"show"}},
    {"curves", "curves [FILE] [--band B] [--screenshot OUT.png]", curvesCommand, {}},
};

} // namespace

std::string usage()
{
    std::string text = "Usage: quorutil COMMAND [ARGS...]\n\nCommands:\n";
    for (const Command &c : commands)
        text += std::string("  ") + c.synopsis + "\n";
    text += "\nRun 'quorutil COMMAND --help' for the options of one command.\n";
    return text;
}

std::vector<QStringList> commandPaths()
{
    std::vector<QStringList> paths;
    for (const Command &c : commands) {
        paths.push_back({QLatin1String(c.name)});
        for (const QString &sub : c.subcommands)
            paths.push_back({QLatin1String(c.name), sub});
    }
    return paths;
}

bool wantsGui(const QStringList &args)
{
    // The progress dialog, the curve editor, and drawing a curve into a picture (fonts and
    // painting need a GUI application object, though no screen).
    const bool plot = !args.isEmpty() && args.first() == QLatin1String("lut")
                      && std::any_of(args.begin(), args.end(), [](const QString &arg) {
                             return arg == QLatin1String("--plot")
                                    || arg.startsWith(QLatin1String("--plot="));
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
    for (const Command &c : commands) {
        if (name != QLatin1String(c.name))
            continue;
        // Commands report their own failures; this is the last line of defence so that an
        // unexpected exception still ends in one clear line and exit code 1.
        try {
            return c.run(args.mid(1), out, err);
        } catch (const std::exception &e) {
            err << "quorutil " << c.name << ": " << e.what() << "\n";
            return ExitFailure;
        }
    }
    err << "quorutil: unknown command '" << name.toStdString() << "'\n\n" << usage();
    return ExitUsage;
}

} // namespace quorutil
