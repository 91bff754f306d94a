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
///
/// Task texts are UTF-8, like every 8-bit text of the library (the text given here and the
/// names the relay passes on). A task name longer than MAX_MESSAGE_SIZE characters (characters,
/// not bytes) is shown as its first MAX_MESSAGE_SIZE characters followed by "...".
class UTIL_EXPORT QtProgressDialog : public QDialog
{
    Q_OBJECT

public:
    /// Longest task name shown unshortened, in characters.
    static const unsigned int MAX_MESSAGE_SIZE = 100;

    QtProgressDialog(QWidget *parent, ProgressInterfaceQt &relay, const std::string &text);
    ~QtProgressDialog() override;

    ProgressInterfaceQt &progressInterface() { return m_relay; }

public slots:
    void starting(QString name);
    void finished(QString name);
    void percent(double f);

private:
    void showTaskText();

    std::unique_ptr<Ui::QtProgressDialog> m_ui;
    ProgressInterfaceQt &m_relay;
    std::string m_taskText;
    std::int64_t m_startTime = 0;
};

} // namespace util
