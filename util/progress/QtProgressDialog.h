#pragma once

/// \file
/// The modal progress dialog that follows a ProgressInterfaceQt relay.
/// \ingroup progress

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

/// Modal "Please Wait" dialog that follows a ProgressInterfaceQt relay.
///
/// It shows an overall progress bar with a remaining-time estimate, and the running subtask's
/// progress and status. The relay may be driven from a worker thread; the dialog updates on its own
/// (GUI) thread. It does not own the relay, which must outlive it.
///
/// Task texts are UTF-8, like every 8-bit text of the library (the text given here and the
/// names the relay passes on). A task name longer than MAX_MESSAGE_SIZE characters (characters,
/// not bytes) is shown as its first MAX_MESSAGE_SIZE characters followed by "...".
/// \ingroup progress
class UTIL_EXPORT QtProgressDialog : public QDialog
{
    Q_OBJECT

public:
    /// Longest task name shown unshortened, in characters.
    static const unsigned int MAX_MESSAGE_SIZE = 100;

    /// Builds the dialog, shows text as the task text and connects the relay.
    ///
    /// The relay's taskStarting(), taskFinished() and taskPercentDone() go to starting(),
    /// finished() and percent(). The dialog has no close button: the work decides when it goes.
    /// \param parent the parent widget, or null
    /// \param relay the relay followed (not owned; it must outlive the dialog)
    /// \param text the task text shown until the first task starts, UTF-8
    QtProgressDialog(QWidget *parent, ProgressInterfaceQt &relay, const std::string &text);
    /// Destroys the dialog; the relay stays.
    ~QtProgressDialog() override;

    /// The relay the dialog follows.
    /// \return the relay given at construction
    ProgressInterfaceQt &progressInterface() { return m_relay; }

public slots:
    /// A task begins: shows its name (shortened) and restarts the clock of the time estimate.
    ///
    /// The subtask bar is emptied; without registered subtasks the subtask bar and its estimate
    /// are hidden.
    /// \param name the task's name
    void starting(QString name);
    /// A task has ended: shows its name (shortened).
    /// \param name the task's name
    void finished(QString name);
    /// Shows the overall percentage with an estimate of the time left.
    ///
    /// The running subtask's progress and status are shown too.
    /// \param f the fraction done, 0.0 to 1.0
    void percent(double f);

private:
    void showTaskText();

    std::unique_ptr<Ui::QtProgressDialog> m_ui;
    ProgressInterfaceQt &m_relay;
    std::string m_taskText;
    std::int64_t m_startTime = 0;
};

} // namespace util
