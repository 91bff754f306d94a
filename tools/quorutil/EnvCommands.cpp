#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Tool.h"

#include "util/config/IniTool.h"
#include "util/config/QuorEnvironment.h"
#include "util/strings/NumberFormat.h"

#include <QFile>
#include <QSettings>

#include <ostream>
#include <stdexcept>

namespace quorutil {

namespace {

// Where a path comes from: the variable that set it, or what it defaults to.
std::string origin(const char *variable, const char *otherwise)
{
    return qEnvironmentVariableIsSet(variable)
        ? std::string(" (from ") + variable + ")"
        : std::string(" (") + otherwise + "; " + variable + " not set)";
}

} // namespace

int envCommand(const CommandLine & /*cmd*/, std::ostream &out, std::ostream & /*err*/)
{
    // Each line reports its own failure, so one missing piece does not hide the others.
    int status = ExitOk;
    out << "Installation root: " << util::getQuorRoot()
        << origin("QUOR_DEVELOP", "the executable's folder") << "\n";
    const std::string iniOrigin = origin("QUOR_INI", "in the installation root");
    try {
        const std::string file = util::getQuorIni().fileName().toStdString();
        out << "Settings file: " << file << iniOrigin << "\n";
    } catch (const std::runtime_error &e) {
        out << "Settings file: none (" << e.what() << ")" << iniOrigin << "\n";
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

int iniMergeCommand(const CommandLine &cmd, std::ostream &out, std::ostream &err)
{
    const std::string source = QFile::encodeName(cmd.positional().at(0)).toStdString();
    const std::string destination = QFile::encodeName(cmd.positional().at(1)).toStdString();
    try {
        util::IniTool::mergeIniFiles(source, destination);
    } catch (const std::runtime_error &e) {
        return cmd.failure(err, e.what());
    }
    out << "Merged " << source << " into " << destination << "\n";
    return ExitOk;
}

} // namespace quorutil
