#pragma once

/// \file
/// The plain console reporter, one line per event.
/// \ingroup progress

#include "util/UtilExport.h"
#include "util/core/ProgressInterface.h"

#include <string>

namespace util {

/// Plain console reporter, one line per event on standard output.
///
/// The lines begin "Starting: ", "Finished: " or "Percent Done: " (in steps of at least 1 %).
/// Silent when the process runs as a batch-scheduler
/// job (_CONDOR_SLOT defined at construction).
/// \ingroup progress
class UTIL_EXPORT ProgressInterfaceStd : public ProgressInterface
{
public:
    /// A reporter with no total; silent for its whole life when _CONDOR_SLOT is defined now.
    ProgressInterfaceStd();
    /// Copies a reporter's state, silence included.
    ProgressInterfaceStd(const ProgressInterfaceStd &) = default;
    /// Takes over a reporter's state, silence included.
    /// \return this reporter
    ProgressInterfaceStd &operator=(const ProgressInterfaceStd &) = default;
    /// Destroys the reporter.
    ~ProgressInterfaceStd() override;

    using ProgressInterface::totalAmount;
    /// Sets the total and restarts the percentage steps; prints nothing.
    /// \param total the amount that means done
    /// \param units ignored
    void totalAmount(double total, const char *units) override;
    /// The total last set.
    /// \return the total (0.0 before any)
    double totalAmount() override;
    /// Prints "Starting: " and the task name.
    /// \param taskName the task's name
    void starting(const char *taskName) override;
    /// Prints "Finished: " and the task name.
    /// \param taskName the task's name
    void finished(const char *taskName) override;
    /// Reports amount / total as percentDone() does; nothing while the total is 0.
    /// \param amount the amount done so far, in the unit of the total
    void amountDone(double amount) override;
    /// Prints "Percent Done: N%" once the fraction has grown by at least 1 %.
    ///
    /// N has three significant digits; the step counts from the last line printed.
    /// \param fraction the part done, 0.0 to 1.0
    void percentDone(double fraction) override;

private:
    std::string m_taskName;
    double m_lastFraction = 0.0;
    double m_total = 0.0;
    bool m_quiet;
};

} // namespace util
