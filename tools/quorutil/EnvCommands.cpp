#include "tools/quorutil/Commands.h"

#include <ostream>

namespace quorutil {

int envCommand(const QStringList &, std::ostream &, std::ostream &err)
{
    err << "quorutil: not available yet\n";
    return 1;
}

int iniMergeCommand(const QStringList &, std::ostream &, std::ostream &err)
{
    err << "quorutil: not available yet\n";
    return 1;
}

} // namespace quorutil
