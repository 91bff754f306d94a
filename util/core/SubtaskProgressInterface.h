#pragma once

/// \file
/// One subtask of a long operation, which reporters and the progress dialog show.
/// \ingroup core

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
/// \ingroup core
class UTIL_EXPORT SubtaskProgressInterface
{
public:
    /// A subtask not yet started, with nothing done.
    /// \param totalAmount the amount that means done, in units
    /// \param units the name of the unit, for display
    explicit SubtaskProgressInterface(double totalAmount = 0.0, const std::string &units = {});
    SubtaskProgressInterface(const SubtaskProgressInterface &) = delete;
    SubtaskProgressInterface &operator=(const SubtaskProgressInterface &) = delete;

    /// Sets the amount that means done.
    /// \param total the total, in units
    void setTotalAmount(double total) { m_total = total; }
    /// Sets the name of the unit.
    /// \param units the name, for display
    void setUnits(const std::string &units) { m_units = units; }

    /// Starts the clock, resets the amount and marks the subtask as the one being worked on.
    void start();
    /// Cumulative amount done; also updates the fraction when the total is not 0.
    /// \param amount the amount done so far, in units
    void setAmountDone(double amount);
    /// Clears the running flag and sets the fraction to 1.
    void finish();

    /// The amount that means done.
    /// \return the total, in units
    double totalAmount() const { return m_total; }
    /// The name of the unit.
    /// \return the name, for display
    const std::string &units() const { return m_units; }
    /// Milliseconds since start() (0 before start()).
    /// \return the time on a steady clock, in milliseconds; it keeps counting after finish()
    std::int64_t elapsed() const;
    /// Whether the subtask is the one being worked on.
    /// \return true from start() to finish()
    bool isRunning() const { return m_running.load(); }
    /// The amount done.
    /// \return the amount last given to setAmountDone() (0 after start())
    double amountDone() const { return m_amount.load(); }
    /// The part done.
    /// \return amount / total as of the last setAmountDone() with a total other than 0 (0.0 after
    /// start()); 1.0 after finish()
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
