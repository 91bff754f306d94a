#include "tools/quorutil/Commands.h"

#include <ostream>

namespace quorutil {

int nameCommand(const QStringList &, std::ostream &, std::ostream &err)
{
    err << "quorutil: not available yet\n";
    return 1;
}

int supnameCommand(const QStringList &, std::ostream &, std::ostream &err)
{
    err << "quorutil: not available yet\n";
    return 1;
}

} // namespace quorutil
