#pragma once

// One entry point per tool command. Each receives the arguments after its own name and
// returns an ExitCode; usage errors print the command's usage to err and return ExitUsage.

#include <QStringList>

#include <iosfwd>

namespace quorutil {

int supCommand(const QStringList &args, std::ostream &out, std::ostream &err);
int copyCommand(const QStringList &args, std::ostream &out, std::ostream &err);
int rmtreeCommand(const QStringList &args, std::ostream &out, std::ostream &err);
int monitorCommand(const QStringList &args, std::ostream &out, std::ostream &err);
int envCommand(const QStringList &args, std::ostream &out, std::ostream &err);
int iniMergeCommand(const QStringList &args, std::ostream &out, std::ostream &err);
int xmlCommand(const QStringList &args, std::ostream &out, std::ostream &err);
int nameCommand(const QStringList &args, std::ostream &out, std::ostream &err);
int pyramidCommand(const QStringList &args, std::ostream &out, std::ostream &err);
int tfwCommand(const QStringList &args, std::ostream &out, std::ostream &err);
int likCommand(const QStringList &args, std::ostream &out, std::ostream &err);
int gpsCommand(const QStringList &args, std::ostream &out, std::ostream &err);
int supnameCommand(const QStringList &args, std::ostream &out, std::ostream &err);
int bandsCommand(const QStringList &args, std::ostream &out, std::ostream &err);
int productsCommand(const QStringList &args, std::ostream &out, std::ostream &err);
int lutCommand(const QStringList &args, std::ostream &out, std::ostream &err);
int lutApplyCommand(const QStringList &args, std::ostream &out, std::ostream &err);
int bpfCommand(const QStringList &args, std::ostream &out, std::ostream &err);
int curvesCommand(const QStringList &args, std::ostream &out, std::ostream &err);

} // namespace quorutil
