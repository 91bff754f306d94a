#pragma once

#include "util/UtilExport.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>

namespace Ui {
class QtProgressDialog;
}

namespace util {

class ProgressInterfaceQt;

/// Modal "Please Wait" dialog that follows a ProgressInterfaceQt relay: overall progress bar
/// with a remaining-time estimate, and the running subtask's progress and status. The relay may
/// be driven from a worker thread; the dialog updates on its own (GUI) thread. It does not own
/// the relay, which must outlive it.
class UTIL_EXPORT QtProgressDialog : public QDialog
{
    Q_OBJECT

public:
    /// Longest task text shown unshortened; longer ones are cut and end in "...".
    static const unsigned int MAX_MESSAGE_SIZE = 100;

    QtProgressDialog(QWidget *parent, ProgressInterfaceQt &relay, const std::string &text);
    ~QtProgressDialog() override;

    ProgressInterfaceQt &progressInterface() { return m_relay; }

    /// The estimate shown after the percentage: "" when remaining is not positive, else
    /// " (" + hours and minutes, rounded minutes or whole seconds + " remaining)".
    static QString estimateText(double remainingSeconds);
    /// The task text as shown: at most MAX_MESSAGE_SIZE characters, then "...".
    static std::string shortened(const std::string &name);

public slots:
    void starting(QString name);
    void finished(QString name);
    void percent(double f);

protected:
    /// Calendar time in whole seconds; the clock of the estimate.
    virtual std::int64_t currentTime() const;

private:
    void showTaskText();

    std::unique_ptr<Ui::QtProgressDialog> m_ui;
    ProgressInterfaceQt &m_relay;
    std::string m_taskText;
    std::int64_t m_startTime = 0;
};

} // namespace util
