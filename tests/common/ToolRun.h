#pragma once

// In-process runs of the tool for suites that link quorutil_cli.

#include "tools/quorutil/Tool.h"

#include <QStringList>

#include <sstream>
#include <string>

namespace quortest {

/// What one run of the tool produced.
struct ToolResult
{
    int code = -1;
    std::string out;
    std::string err;
};

/// Runs quorutil with the arguments that follow the program name, in this process.
inline ToolResult runTool(const QStringList &args)
{
    std::ostringstream out, err;
    ToolResult result;
    result.code = quorutil::run(args, out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

} // namespace quortest
