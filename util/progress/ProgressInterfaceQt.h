#pragma once

#include "util/UtilExport.h"
#include "util/core/ProgressInterface.h"

#include <QObject>
#include <QString>

#include <vector>

namespace util {

/// Relays every progress call as a Qt signal, so that an operation may report from a worker
/// thread while widgets listen on the GUI thread (connections then queue the signals).
/// Progress signals are throttled to steps of 0.1 %; reaching 100 % always gets through.
///
/// Task names are read as UTF-8, like every 8-bit text of the library: taskStarting() and
/// taskFinished() carry QString::fromUtf8() of the name given.
class UTIL_EXPORT ProgressInterfaceQt : public QObject, public ProgressInterface
{
    Q_OBJECT

public:
    ProgressInterfaceQt();
    ~ProgressInterfaceQt() override;

    void totalAmount(double total, const char *units) override;
    double totalAmount() override;
    void starting(const char *taskName) override;
    void finished(const char *taskName) override;
    void amountDone(double amount) override;
    void percentDone(double fraction) override;
    void subtaskAdded(SubtaskProgressInterface *subtask) override;

    /// The registered subtasks, in the order added (not owned).
    const std::vector<SubtaskProgressInterface *> &subtasks() const { return m_subtasks; }

signals:
    void taskStarting(QString name);
    void taskFinished(QString name);
    void taskTotalAmount(double value);
    /// The fraction done, 0.0 to 1.0.
    void taskPercentDone(double percentage);
    void taskTotal(int total);
    void taskAmount(int amt);

private:
    double m_total = 0.0;
    double m_lastFraction = 0.0;
    std::vector<SubtaskProgressInterface *> m_subtasks;
};

} // namespace util
