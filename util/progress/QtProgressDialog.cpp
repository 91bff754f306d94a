#include "util/progress/QtProgressDialog.h"

#include "util/core/SubtaskProgressInterface.h"
#include "util/progress/ProgressInterfaceQt.h"
#include "util/progress/ProgressTime_p.h"
#include "util/strings/NumberFormat.h"

#include "ui_QtProgressDialog.h"

#include <QCoreApplication>

namespace util {

namespace {

// Whole seconds that fit a 64-bit count; estimates from a tiny fraction can be astronomic.
qint64 wholeSeconds(double seconds)
{
    if (!(seconds < 9.2e18))
        return Q_INT64_C(9200000000000000000);
    return static_cast<qint64>(seconds);
}

QString estimateText(double remaining)
{
    if (!(remaining > 0))
        return QString();
    QString time;
    if (remaining > 3600.0) {
        const qint64 seconds = wholeSeconds(remaining);
        time = QCoreApplication::translate("QtProgressDialog", "%1 hours %2 minutes remaining")
                   .arg(seconds / 3600)
                   .arg((seconds % 3600) / 60);
    } else if (remaining > 120.0) {
        time = QCoreApplication::translate("QtProgressDialog", "%1 minutes remaining")
                   .arg(static_cast<int>(remaining / 60.0 + 0.5));
    } else {
        time = QCoreApplication::translate("QtProgressDialog", "%1 seconds remaining")
                   .arg(static_cast<int>(remaining));
    }
    return QStringLiteral(" (") + time + QStringLiteral(")");
}

// The first MAX_MESSAGE_SIZE characters and "...". Characters are code points: a name of
// accented letters is as long as it looks, and no surrogate pair is cut in half.
std::string shortened(const QString &name)
{
    int cut = 0;
    for (unsigned int count = 0; cut < name.size(); ++count) {
        if (count == QtProgressDialog::MAX_MESSAGE_SIZE)
            return name.left(cut).toStdString() + "...";
        cut += name.at(cut).isHighSurrogate() && cut + 1 < name.size()
                && name.at(cut + 1).isLowSurrogate()
            ? 2
            : 1;
    }
    return name.toStdString();
}

} // namespace

QtProgressDialog::QtProgressDialog(QWidget *parent, ProgressInterfaceQt &relay,
                                   const std::string &text)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::QtProgressDialog>())
    , m_relay(relay)
    , m_taskText(text)
{
    m_ui->setupUi(this);
    // Title bar without a close button: the work decides when the dialog goes.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    showTaskText();
    m_ui->mOverallTimeLabel->setText(
        QCoreApplication::translate("QtProgressDialog", "Total completed: 0% (unknown time left)"));
    m_ui->mProgressBar->setMaximum(100);

    connect(&m_relay, &ProgressInterfaceQt::taskStarting, this, &QtProgressDialog::starting);
    connect(&m_relay, &ProgressInterfaceQt::taskFinished, this, &QtProgressDialog::finished);
    connect(&m_relay, &ProgressInterfaceQt::taskPercentDone, this, &QtProgressDialog::percent);
}

QtProgressDialog::~QtProgressDialog() = default;

void QtProgressDialog::showTaskText()
{
    m_ui->mSubtaskLabel->setText(QString::fromStdString(m_taskText));
}

void QtProgressDialog::starting(QString name)
{
    if (m_relay.subtasks().empty()) {
        m_ui->mSubtaskProgress->setEnabled(false);
        m_ui->mSubtaskProgress->hide();
        m_ui->mEstimatedTimeRemaining->setEnabled(false);
        m_ui->mEstimatedTimeRemaining->hide();
    } else {
        m_ui->mSubtaskProgress->setMaximum(100);
    }
    m_taskText = shortened(name);
    showTaskText();
    m_ui->mSubtaskProgress->setValue(0);
    m_startTime = detail::progressClock();
}

void QtProgressDialog::finished(QString name)
{
    m_taskText = shortened(name);
    showTaskText();
}

void QtProgressDialog::percent(double f)
{
    const double elapsed = static_cast<double>(detail::progressClock() - m_startTime);
    const double rate = f / elapsed;
    const double remaining = rate > 0 ? (1.0 - f) / rate : 0.0;

    showTaskText();
    m_ui->mOverallTimeLabel->setText(
        QCoreApplication::translate("QtProgressDialog", "Total completed: %1% %2")
            .arg(QString::number(truncateToInt(f * 100.0)), estimateText(remaining)));
    m_ui->mProgressBar->setValue(truncateToInt(f * 100.0));

    for (const SubtaskProgressInterface *subtask : m_relay.subtasks()) {
        if (!subtask->isRunning())
            continue;
        m_ui->mSubtaskTimeLabel->setText(QString::fromStdString(detail::subtaskStatus(*subtask)));
        m_ui->mSubtaskProgress->setValue(truncateToInt(subtask->fractionDone() * 100.0));
    }
}

} // namespace util
