#pragma once

// Internal: lets the tests read what a reporter keeps but never shows. Inline, so nothing is
// exported; the reporter names it as a friend. Not installed.

#include "util/progress/ProgressInterfaceStd.h"

#include <string>

namespace util::testseam {

struct ProgressInspector
{
    /// The name given to the last starting() that was not silenced.
    static const std::string &taskName(const ProgressInterfaceStd &reporter)
    {
        return reporter.m_taskName;
    }
    static bool isQuiet(const ProgressInterfaceStd &reporter) { return reporter.m_quiet; }
};

} // namespace util::testseam
