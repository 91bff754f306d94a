#pragma once

/// \file
/// The reporter that relays progress as Qt signals.
/// \ingroup progress

#include "util/UtilExport.h"
#include "util/core/ProgressInterface.h"

#include <QObject>
#include <QString>

#include <vector>

namespace util {

/// Relays every progress call as a Qt signal.
///
/// So an operation may report from a worker thread while widgets listen on the GUI thread
/// (connections then queue the signals).
/// Progress signals are throttled to steps of 0.1 %; reaching 100 % always gets through.
///
/// Task names are read as UTF-8, like every 8-bit text of the library: taskStarting() and
/// taskFinished() carry QString::fromUtf8() of the name given.
/// \ingroup progress
class UTIL_EXPORT ProgressInterfaceQt : public QObject, public ProgressInterface
{
    Q_OBJECT

public:
    /// A relay with no total and no subtasks.
    ProgressInterfaceQt();
    /// Destroys the relay; the registered subtasks are not owned.
    ~ProgressInterfaceQt() override;

    /// Sets the total, restarts the throttle and emits taskTotalAmount() and taskTotal().
    /// \param total the amount that means done
    /// \param units ignored
    void totalAmount(double total, const char *units) override;
    /// The total last set.
    /// \return the total (0.0 before any)
    double totalAmount() override;
    /// Emits taskStarting().
    /// \param taskName the task's name, UTF-8
    void starting(const char *taskName) override;
    /// Emits taskFinished().
    /// \param taskName the task's name, UTF-8
    void finished(const char *taskName) override;
    /// Passes amount / total to percentDone() and emits taskAmount(), at steps of 0.1 %.
    ///
    /// A step counts from the last taskPercentDone(); a fraction of 1.0 or more always gets
    /// through.
    /// \param amount the amount done so far, in the unit of the total
    void amountDone(double amount) override;
    /// Emits taskPercentDone() when the fraction has grown by at least 0.1 % since the last one.
    ///
    /// A fraction of 1.0 or more always gets through.
    /// \param fraction the part done, 0.0 to 1.0
    void percentDone(double fraction) override;
    /// Registers a subtask for the progress dialog to show; emits nothing.
    /// \param subtask the subtask (not owned), which must outlive the relay's use of it
    void subtaskAdded(SubtaskProgressInterface *subtask) override;

    /// The registered subtasks, in the order added (not owned).
    /// \return the subtasks
    const std::vector<SubtaskProgressInterface *> &subtasks() const { return m_subtasks; }

signals:
    /// Emitted by starting().
    /// \param name the task's name
    void taskStarting(QString name);
    /// Emitted by finished().
    /// \param name the task's name
    void taskFinished(QString name);
    /// Emitted by totalAmount(total, units).
    /// \param value the total
    void taskTotalAmount(double value);
    /// Emitted by percentDone() (and so by amountDone()) at each step that gets through.
    /// \param percentage the fraction done, 0.0 to 1.0
    void taskPercentDone(double percentage);
    /// Emitted by totalAmount(total, units) after taskTotalAmount().
    /// \param total the total truncated toward zero, clamped to the range of int
    void taskTotal(int total);
    /// Emitted by amountDone() after taskPercentDone().
    /// \param amt the amount done truncated toward zero, clamped to the range of int
    void taskAmount(int amt);

private:
    double m_total = 0.0;
    double m_lastFraction = 0.0;
    std::vector<SubtaskProgressInterface *> m_subtasks;
};

} // namespace util
