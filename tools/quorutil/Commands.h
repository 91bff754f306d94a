#pragma once

// The handlers of the tool's commands, one per entry of the command table (CommandTable.cpp).
// Each runs once its arguments are parsed and checked, and returns an ExitCode.

#include <iosfwd>

namespace quorutil {

class CommandLine;

int supShow(const CommandLine &cl, std::ostream &out, std::ostream &err);
int supExport(const CommandLine &cl, std::ostream &out, std::ostream &err);
int supCheck(const CommandLine &cl, std::ostream &out, std::ostream &err);
int tfwShow(const CommandLine &cl, std::ostream &out, std::ostream &err);
int tfwMinify(const CommandLine &cl, std::ostream &out, std::ostream &err);
int tfwOffset(const CommandLine &cl, std::ostream &out, std::ostream &err);
int likShow(const CommandLine &cl, std::ostream &out, std::ostream &err);
int likMake(const CommandLine &cl, std::ostream &out, std::ostream &err);
int copyCommand(const CommandLine &cl, std::ostream &out, std::ostream &err);
int rmtreeCommand(const CommandLine &cl, std::ostream &out, std::ostream &err);
int monitorCommand(const CommandLine &cl, std::ostream &out, std::ostream &err);
int envCommand(const CommandLine &cl, std::ostream &out, std::ostream &err);
int iniMergeCommand(const CommandLine &cl, std::ostream &out, std::ostream &err);
int xmlValidate(const CommandLine &cl, std::ostream &out, std::ostream &err);
int xmlCompare(const CommandLine &cl, std::ostream &out, std::ostream &err);
int nameCommand(const CommandLine &cl, std::ostream &out, std::ostream &err);
int supnameParse(const CommandLine &cl, std::ostream &out, std::ostream &err);
int supnameRename(const CommandLine &cl, std::ostream &out, std::ostream &err);
int bandsCcd(const CommandLine &cl, std::ostream &out, std::ostream &err);
int bandsMaster(const CommandLine &cl, std::ostream &out, std::ostream &err);
int bandsCode(const CommandLine &cl, std::ostream &out, std::ostream &err);
int bandsSplit(const CommandLine &cl, std::ostream &out, std::ostream &err);
int productsCommand(const CommandLine &cl, std::ostream &out, std::ostream &err);
int pyramidCommand(const CommandLine &cl, std::ostream &out, std::ostream &err);
int gpsDate(const CommandLine &cl, std::ostream &out, std::ostream &err);
int gpsTime(const CommandLine &cl, std::ostream &out, std::ostream &err);
int gpsLas(const CommandLine &cl, std::ostream &out, std::ostream &err);
int lutCommand(const CommandLine &cl, std::ostream &out, std::ostream &err);
int lutApply(const CommandLine &cl, std::ostream &out, std::ostream &err);
int bpfShow(const CommandLine &cl, std::ostream &out, std::ostream &err);
int curvesCommand(const CommandLine &cl, std::ostream &out, std::ostream &err);

} // namespace quorutil
