#pragma once

/// \file
/// The console reporter with a self-overwriting status line.
/// \ingroup progress

#include "util/UtilExport.h"
#include "util/core/ProgressInterface.h"

#include <cstdint>
#include <string>
#include <vector>

namespace util {

/// Console reporter with one self-overwriting status line on standard output.
///
/// The line shows task name, percentage, and either an estimate of the remaining time and the
/// throughput or the state of the running subtask, followed by the current message in brackets. The
/// line is redrawn with backspaces every 0.1 % of progress; finished() ends it with "<name> done.".
///
/// The units text given to totalAmount() is kept as a pointer: it must outlive the task.
/// \ingroup progress
class UTIL_EXPORT ProgressInterfaceFancy : public ProgressInterface
{
public:
    /// A reporter with no task, no total and no line shown yet.
    ProgressInterfaceFancy();
    /// Copies a reporter's state: task, total, units pointer, message and registered subtasks.
    ProgressInterfaceFancy(const ProgressInterfaceFancy &) = default;
    /// Takes over a reporter's state as the copy constructor does.
    /// \return this reporter
    ProgressInterfaceFancy &operator=(const ProgressInterfaceFancy &) = default;
    /// Destroys the reporter; the registered subtasks are not owned.
    ~ProgressInterfaceFancy() override;

    /// Sets the total, keeps the units pointer and starts the clock of the time estimate.
    /// \param total the amount that means done
    /// \param units the name of the unit ("units" is shown when null); kept, not copied
    void totalAmount(double total, const char *units) override;
    /// The total last set.
    /// \return the total (0.0 before any)
    double totalAmount() override;
    /// Keeps the task name for the status line; prints nothing.
    /// \param taskName the task's name
    void starting(const char *taskName) override;
    /// Erases the status line and prints "<name> done." on a line of its own.
    /// \param taskName the name printed
    void finished(const char *taskName) override;
    /// Redraws the status line once the fraction done has grown by at least 0.1 %.
    ///
    /// The step counts from the last line printed; nothing is shown while the total is 0.
    /// \param amount the amount done so far, in the unit of the total
    void amountDone(double amount) override;
    /// Prints "Percent Done: N%" on a line of its own at steps of at least 0.1 %.
    ///
    /// N has three significant digits. The step counts from the last line printed; a fraction
    /// of 1.0 or more is always printed.
    /// \param fraction the part done, 0.0 to 1.0
    void percentDone(double fraction) override;
    /// Keeps the text for the next status lines, which show it in brackets.
    /// \param text the message
    void message(const std::string &text) override;
    /// Registers a subtask, which the status line then shows instead of the time estimate.
    ///
    /// The line shows the running subtask as "task N of M" and its state.
    /// \param subtask the subtask (not owned), which must outlive the task
    void subtaskAdded(SubtaskProgressInterface *subtask) override;

    /// Longest status line that the next update erases.
    static constexpr unsigned int ERASE_LIMIT = 255;

private:
    void eraseLine();

    std::string m_taskName;
    std::int64_t m_startTime = 0;
    double m_lastFraction = 0.0;
    std::uint32_t m_lineLength = 0;
    char m_eraseBuffer[ERASE_LIMIT + 1];
    const char *m_units = nullptr;
    std::string m_message;
    double m_total = 0.0;
    std::vector<SubtaskProgressInterface *> m_subtasks;
};

} // namespace util
