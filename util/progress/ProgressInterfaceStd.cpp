#include "util/progress/ProgressInterfaceStd.h"

#include <cstdlib>
#include <iostream>
#include <locale>
#include <sstream>

namespace util {

namespace {

// Percent text in the general format with three significant digits (50, 1.5, 12.3), written
// with the classic locale so a decimal-comma process locale cannot leak in.
std::string percentText(double fraction)
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text.precision(3);
    text << fraction * 100.0;
    return text.str();
}

} // namespace

ProgressInterfaceStd::ProgressInterfaceStd()
    : m_quiet(std::getenv("_CONDOR_SLOT") != nullptr)
{
}

ProgressInterfaceStd::~ProgressInterfaceStd() = default;

void ProgressInterfaceStd::totalAmount(double total, const char *)
{
    m_total = total;
    m_lastFraction = 0.0;
}

double ProgressInterfaceStd::totalAmount()
{
    return m_total;
}

void ProgressInterfaceStd::starting(const char *taskName)
{
    if (m_quiet)
        return;
    std::cout << "Starting: " << taskName << std::endl;
    m_taskName = taskName;
}

void ProgressInterfaceStd::finished(const char *taskName)
{
    if (m_quiet)
        return;
    std::cout << "Finished: " << taskName << std::endl;
}

void ProgressInterfaceStd::amountDone(double amount)
{
    if (m_total == 0.0)
        return;
    percentDone(amount / m_total);
}

void ProgressInterfaceStd::percentDone(double fraction)
{
    if (m_quiet)
        return;
    // A step of one percent as the caller counts it (29 of 100 after 28) may come out a little
    // below 0.01 in doubles; it is still a step.
    if (fraction - m_lastFraction >= 0.01 - 1e-9) {
        std::cout.precision(3);
        std::cout << "Percent Done: " << percentText(fraction) << "%" << std::endl;
        m_lastFraction = fraction;
    }
}

} // namespace util
