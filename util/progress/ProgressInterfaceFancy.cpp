#include "util/progress/ProgressInterfaceFancy.h"

#include "util/core/SubtaskProgressInterface.h"
#include "util/progress/ProgressTime_p.h"

#include <cstring>
#include <iostream>
#include <locale>
#include <sstream>

namespace util {

ProgressInterfaceFancy::ProgressInterfaceFancy()
{
    std::memset(m_eraseBuffer, '\b', ERASE_LIMIT);
    m_eraseBuffer[ERASE_LIMIT] = '\0';
}

ProgressInterfaceFancy::~ProgressInterfaceFancy() = default;

void ProgressInterfaceFancy::totalAmount(double total, const char *units)
{
    m_total = total;
    m_lastFraction = 0.0;
    m_units = units;
    m_startTime = detail::progressClock();
}

double ProgressInterfaceFancy::totalAmount()
{
    return m_total;
}

void ProgressInterfaceFancy::starting(const char *taskName)
{
    m_taskName = taskName;
}

void ProgressInterfaceFancy::eraseLine()
{
    // A line too long for the erase buffer stays; the next line simply follows it.
    if (m_lineLength > 0 && m_lineLength < ERASE_LIMIT)
        std::cout.write(m_eraseBuffer, m_lineLength);
}

void ProgressInterfaceFancy::amountDone(double amount)
{
    if (m_total == 0.0)
        return;
    const double fraction = amount / m_total;
    if (fraction - m_lastFraction < 0.001)
        return;

    const double elapsed = static_cast<double>(detail::progressClock() - m_startTime);
    const double rate = amount / elapsed;
    const double remaining = rate > 0 ? (m_total - amount) / rate : 0.0;

    std::ostringstream line;
    line.imbue(std::locale::classic());
    line.precision(3);
    line << std::showpoint;
    line << m_taskName << ": " << fraction * 100.0 << "%";
    if (m_subtasks.empty()) {
        if (remaining > 0) {
            line << " (";
            detail::writeRemainingTime(line, remaining);
            line << ", " << std::fixed << rate << " " << (m_units ? m_units : "units") << "/sec)";
        }
    } else {
        line << "  task ";
        for (std::size_t i = 0; i < m_subtasks.size(); ++i) {
            if (m_subtasks[i]->isRunning()) {
                line << i + 1 << " of " << m_subtasks.size() << ": "
                     << detail::subtaskStatus(*m_subtasks[i]);
                break;
            }
        }
    }
    line << " ";
    if (!m_message.empty())
        line << "[" << m_message << "]";

    eraseLine();
    const std::string text = line.str();
    m_lineLength = static_cast<std::uint32_t>(text.size());
    std::cout << text << std::flush;
    m_lastFraction = fraction;
}

void ProgressInterfaceFancy::finished(const char *taskName)
{
    eraseLine();
    std::cout << taskName << " done.                   " << std::endl;
    m_lineLength = 0;
}

void ProgressInterfaceFancy::percentDone(double fraction)
{
    if (fraction - m_lastFraction >= 0.001 || fraction >= 1.0) {
        std::ostringstream number;
        number.imbue(std::locale::classic());
        number.precision(3);
        number << fraction * 100.0;
        std::cout.precision(3);
        std::cout << "Percent Done: " << number.str() << "%" << std::endl;
        m_lastFraction = fraction;
    }
}

void ProgressInterfaceFancy::message(const std::string &text)
{
    m_message = text;
}

void ProgressInterfaceFancy::subtaskAdded(SubtaskProgressInterface *subtask)
{
    m_subtasks.push_back(subtask);
}

} // namespace util
