#include "util/core/SubtaskProgressInterface.h"

#include <chrono>

namespace util {

namespace {

std::int64_t nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

SubtaskProgressInterface::SubtaskProgressInterface(double totalAmount, const std::string &units)
    : m_total(totalAmount)
    , m_units(units)
{
}

void SubtaskProgressInterface::start()
{
    m_amount = 0.0;
    m_fraction = 0.0;
    m_startMs = nowMs();
    m_running = true;
}

void SubtaskProgressInterface::setAmountDone(double amount)
{
    m_amount = amount;
    if (m_total != 0.0)
        m_fraction = amount / m_total;
}

void SubtaskProgressInterface::finish()
{
    m_running = false;
    m_fraction = 1.0;
}

std::int64_t SubtaskProgressInterface::elapsed() const
{
    const std::int64_t start = m_startMs.load();
    return start < 0 ? 0 : nowMs() - start;
}

} // namespace util
