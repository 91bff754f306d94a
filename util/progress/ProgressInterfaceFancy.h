#pragma once

#include "util/UtilExport.h"
#include "util/core/ProgressInterface.h"

#include <cstdint>
#include <string>
#include <vector>

namespace util {

/// Console reporter with one self-overwriting status line on standard output: task name,
/// percentage, and either an estimate of the remaining time and the throughput or the state of
/// the running subtask, followed by the current message in brackets. The line is redrawn with
/// backspaces every 0.1 % of progress; finished() ends it with "<name> done.".
///
/// The units text given to totalAmount() is kept as a pointer: it must outlive the task.
class UTIL_EXPORT ProgressInterfaceFancy : public ProgressInterface
{
public:
    ProgressInterfaceFancy();
    ProgressInterfaceFancy(const ProgressInterfaceFancy &) = default;
    ProgressInterfaceFancy &operator=(const ProgressInterfaceFancy &) = default;
    ~ProgressInterfaceFancy() override;

    void totalAmount(double total, const char *units) override;
    double totalAmount() override;
    void starting(const char *taskName) override;
    void finished(const char *taskName) override;
    void amountDone(double amount) override;
    void percentDone(double fraction) override;
    void message(const std::string &text) override;
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
