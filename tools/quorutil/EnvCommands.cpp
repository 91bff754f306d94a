#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Tool.h"

#include "util/config/IniTool.h"
#include "util/config/QuorEnvironment.h"
#include "util/strings/NumberFormat.h"

#include <QSettings>

#include <ostream>
#include <stdexcept>

namespace quorutil {

namespace {

const char *const envUsage = "Usage: quorutil env\n"
                             "Shows the installation root, the settings file, the help file, the "
                             "naming configuration files\nand the processor's vector instruction "
                             "level.\n";
const char *const iniMergeUsage =
    "Usage: quorutil ini-merge SOURCE DEST\n"
    "Adds the sections and keys of SOURCE that DEST lacks to DEST; everything DEST holds stays.\n";

bool asksForHelp(const QStringList &args)
{
    return args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"));
}

} // namespace

int envCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    if (asksForHelp(args)) {
        out << envUsage;
        return ExitOk;
    }
    if (!args.isEmpty()) {
        err << envUsage;
        return ExitUsage;
    }

    // Each line reports its own failure, so one missing piece does not hide the others.
    int status = ExitOk;
    out << "Installation root: " << util::getQuorRoot() << "\n";
    try {
        const std::string file = util::getQuorIni().fileName().toStdString();
        out << "Settings file: " << file << "\n";
    } catch (const std::runtime_error &e) {
        out << "Settings file: none (" << e.what() << ")\n";
        status = ExitFailure;
    }
    try {
        const std::string file = util::getHelpFile();
        out << "Help file: " << file << "\n";
    } catch (const std::runtime_error &e) {
        out << "Help file: none (" << e.what() << ")\n";
    }
    for (const char *name : {"ZeduvidoFileNaming", "ZeduvidoSessionNaming"}) {
        std::string file;
        try {
            file = util::getFavoritesFile(QString::fromLatin1(name)).toStdString();
        } catch (const std::runtime_error &e) {
            file = std::string("none (") + e.what() + ")";
        }
        out << "Naming configuration " << name << ": " << file << "\n";
    }
    out << "Vector instruction level: " << util::formatFixed(util::vectorOpLevel(), 1) << "\n";
    return status;
}

int iniMergeCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    if (asksForHelp(args)) {
        out << iniMergeUsage;
        return ExitOk;
    }
    if (args.size() != 2) {
        err << iniMergeUsage;
        return ExitUsage;
    }
    try {
        util::IniTool::mergeIniFiles(args[0].toStdString(), args[1].toStdString());
    } catch (const std::runtime_error &e) {
        err << "quorutil ini-merge: " << e.what() << "\n";
        return ExitFailure;
    }
    out << "Merged " << args[0].toStdString() << " into " << args[1].toStdString() << "\n";
    return ExitOk;
}

} // namespace quorutil
