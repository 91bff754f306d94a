#include "util/progress/ProgressInterfaceQt.h"

#include "util/strings/NumberFormat.h"

#include <cmath>

namespace util {

ProgressInterfaceQt::ProgressInterfaceQt() = default;

ProgressInterfaceQt::~ProgressInterfaceQt() = default;

void ProgressInterfaceQt::totalAmount(double total, const char *)
{
    m_total = total;
    m_lastFraction = 0.0;
    emit taskTotalAmount(total);
    emit taskTotal(truncateToInt(total));
}

double ProgressInterfaceQt::totalAmount()
{
    return m_total;
}

void ProgressInterfaceQt::starting(const char *taskName)
{
    emit taskStarting(QString::fromUtf8(taskName));
}

void ProgressInterfaceQt::finished(const char *taskName)
{
    emit taskFinished(QString::fromUtf8(taskName));
}

void ProgressInterfaceQt::amountDone(double amount)
{
    const double fraction = amount / m_total;
    if (fraction - m_lastFraction >= 0.001 || fraction >= 1.0) {
        percentDone(fraction);
        emit taskAmount(truncateToInt(amount));
    }
}

void ProgressInterfaceQt::percentDone(double fraction)
{
    if (fraction - m_lastFraction >= 0.001 || fraction >= 1.0) {
        emit taskPercentDone(fraction);
        m_lastFraction = fraction;
    }
}

void ProgressInterfaceQt::subtaskAdded(SubtaskProgressInterface *subtask)
{
    m_subtasks.push_back(subtask);
}

} // namespace util
