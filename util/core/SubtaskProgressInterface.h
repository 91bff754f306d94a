#pragma once

#include "util/UtilExport.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace util {

/// One subtask of a long operation. The code that runs the subtask creates it, registers it
/// with ProgressInterface::subtaskAdded() before it runs, and updates it with start(),
/// setAmountDone() and finish(); reporters and the progress dialog only read it.
///
/// The progress dialog reads a subtask from the GUI thread while a worker updates it, so the
/// changing items are atomics; total and units are meant to be set before the subtask runs.
class UTIL_EXPORT SubtaskProgressInterface
{
public:
    explicit SubtaskProgressInterface(double totalAmount = 0.0, const std::string &units = {});
    SubtaskProgressInterface(const SubtaskProgressInterface &) = delete;
    SubtaskProgressInterface &operator=(const SubtaskProgressInterface &) = delete;

    void setTotalAmount(double total) { m_total = total; }
    void setUnits(const std::string &units) { m_units = units; }

    /// Starts the clock, resets the amount and marks the subtask as the one being worked on.
    void start();
    /// Cumulative amount done; also updates the fraction when the total is not 0.
    void setAmountDone(double amount);
    /// Clears the running flag and sets the fraction to 1.
    void finish();

    double totalAmount() const { return m_total; }
    const std::string &units() const { return m_units; }
    /// Milliseconds since start() (0 before start()).
    std::int64_t elapsed() const;
    bool isRunning() const { return m_running.load(); }
    double amountDone() const { return m_amount.load(); }
    double fractionDone() const { return m_fraction.load(); }

private:
    double m_total;
    std::string m_units;
    std::atomic<std::int64_t> m_startMs {-1};
    std::atomic<bool> m_running {false};
    std::atomic<double> m_amount {0.0};
    std::atomic<double> m_fraction {0.0};
};

} // namespace util
