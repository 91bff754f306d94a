#include "util/progress/QtProgressDialog.h"

#include "util/progress/ProgressInterfaceQt.h"
#include "util/progress/SubtaskProgressInterface.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using util::ProgressInterfaceQt;
using util::QtProgressDialog;
using util::SubtaskProgressInterface;

namespace {

class ClockedDialog : public QtProgressDialog
{
public:
    using QtProgressDialog::QtProgressDialog;
    std::int64_t now = 5000;

protected:
    std::int64_t currentTime() const override { return now; }
};

template<typename T> T *child(QWidget &dialog, const char *name)
{
    T *widget = dialog.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

QString labelText(QWidget &dialog, const char *name)
{
    QLabel *label = child<QLabel>(dialog, name);
    return label ? label->text() : QString();
}

} // namespace

TEST(QtProgressDialog, FormHasItsWidgetsTextsAndFrame)
{
    ProgressInterfaceQt relay;
    QtProgressDialog dialog(nullptr, relay, "Rectifying");
    EXPECT_EQ(dialog.objectName(), "QtProgressDialog");
    EXPECT_EQ(dialog.windowTitle(), "Please Wait");
    EXPECT_EQ(dialog.windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(dialog.size(), QSize(706, 254));
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(&dialog.progressInterface(), &relay);

    EXPECT_EQ(child<QGroupBox>(dialog, "mOverallGroup")->title(), "Overall Progress");
    EXPECT_EQ(child<QGroupBox>(dialog, "mSubtaskGroup")->title(), "Current Subtask");
    QProgressBar *bar = child<QProgressBar>(dialog, "mProgressBar");
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_FALSE(bar->isTextVisible());
    EXPECT_EQ(labelText(dialog, "mOverallTimeLabel"), "Total completed: 0% (unknown time left)");
    EXPECT_EQ(labelText(dialog, "mSubtaskLabel"), "Rectifying");
    EXPECT_EQ(labelText(dialog, "mEstimatedTimeRemaining"), "Time Remaining:");
    EXPECT_EQ(labelText(dialog, "mSubtaskTimeLabel"), "");
    EXPECT_TRUE(child<QLabel>(dialog, "mEstimatedTimeRemaining")->alignment() & Qt::AlignTop);
    for (const char *name : {"widget", "widget_2", "widget_3"})
        child<QWidget>(dialog, name);
    child<QProgressBar>(dialog, "mSubtaskProgress");
}

TEST(QtProgressDialog, WithoutSubtasksHidesTheSubtaskBar)
{
    ProgressInterfaceQt relay;
    QtProgressDialog dialog(nullptr, relay, "t");
    dialog.show();
    relay.starting("Copy to x");
    EXPECT_TRUE(child<QProgressBar>(dialog, "mSubtaskProgress")->isHidden());
    EXPECT_FALSE(child<QProgressBar>(dialog, "mSubtaskProgress")->isEnabled());
    EXPECT_TRUE(child<QLabel>(dialog, "mEstimatedTimeRemaining")->isHidden());
    EXPECT_EQ(labelText(dialog, "mSubtaskLabel"), "Copy to x");
}

TEST(QtProgressDialog, ShortensLongTaskNames)
{
    ProgressInterfaceQt relay;
    QtProgressDialog dialog(nullptr, relay, std::string(150, 'c'));
    EXPECT_EQ(labelText(dialog, "mSubtaskLabel").size(), 150); // the initial text is kept whole
    relay.starting(std::string(150, 's').c_str());
    EXPECT_EQ(labelText(dialog, "mSubtaskLabel"), QString(100, 's') + "...");
    relay.finished(std::string(100, 'f').c_str());
    EXPECT_EQ(labelText(dialog, "mSubtaskLabel"), QString(100, 'f'));
    // A multi-byte character is not cut in half.
    EXPECT_EQ(QtProgressDialog::shortened(std::string(99, 'a') + "\xc3\xa4" + "b"),
              std::string(99, 'a') + "...");
}

TEST(QtProgressDialog, OverallLabelShowsPercentAndEstimate)
{
    ProgressInterfaceQt relay;
    ClockedDialog dialog(nullptr, relay, "t");
    relay.starting("job");
    relay.percentDone(0.457);
    EXPECT_EQ(labelText(dialog, "mOverallTimeLabel"), "Total completed: 45% ");
    EXPECT_EQ(child<QProgressBar>(dialog, "mProgressBar")->value(), 45);

    dialog.now += 10;
    relay.percentDone(0.5);
    EXPECT_EQ(labelText(dialog, "mOverallTimeLabel"),
              "Total completed: 50%  (10 seconds remaining)");
}

TEST(QtProgressDialog, EstimateTextFollowsTheTimeRule)
{
    struct Row
    {
        double seconds;
        const char *expected;
    };
    const Row rows[] = {
        {0, ""},
        {-3, ""},
        {59.9, " (59 seconds remaining)"},
        {120, " (120 seconds remaining)"},
        {150, " (3 minutes remaining)"},
        {3600, " (60 minutes remaining)"},
        {3 * 3600 + 25 * 60 + 40, " (3 hours 25 minutes remaining)"},
        {1e300, " (2555555555555555 hours 33 minutes remaining)"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(QtProgressDialog::estimateText(row.seconds), row.expected) << row.seconds;
}

TEST(QtProgressDialog, ShowsTheLastRunningSubtask)
{
    SubtaskProgressInterface idle(100, "bytes"), first(100, ""), second(100, "bytes");
    ProgressInterfaceQt relay;
    relay.subtaskAdded(&idle);
    relay.subtaskAdded(&first);
    relay.subtaskAdded(&second);
    QtProgressDialog dialog(nullptr, relay, "t");
    dialog.show();
    relay.starting("job");
    EXPECT_FALSE(child<QProgressBar>(dialog, "mSubtaskProgress")->isHidden());
    EXPECT_EQ(child<QProgressBar>(dialog, "mSubtaskProgress")->maximum(), 100);

    first.start();
    first.setAmountDone(70);
    second.start();
    second.setAmountDone(0);
    second.setAmountDone(25);
    relay.percentDone(0.4);
    EXPECT_EQ(child<QProgressBar>(dialog, "mSubtaskProgress")->value(), 25);
    EXPECT_FALSE(labelText(dialog, "mSubtaskTimeLabel").isEmpty());
}

TEST(QtProgressDialog, FollowsAWorkerThroughQueuedSignals)
{
    SubtaskProgressInterface subtask(1000, "tiles");
    ProgressInterfaceQt relay;
    relay.subtaskAdded(&subtask);
    QtProgressDialog dialog(nullptr, relay, "waiting");
    dialog.show();

    std::atomic<int> offThreadSlots {0};
    std::atomic<int> percentSlots {0};
    QObject::connect(&relay, &ProgressInterfaceQt::taskPercentDone, &dialog, [&](double) {
        if (QThread::currentThread() != dialog.thread())
            ++offThreadSlots;
        ++percentSlots;
    });

    std::atomic<bool> done {false};
    std::thread worker([&] {
        relay.starting("Tiling");
        relay.totalAmount(1000, "tiles");
        subtask.start();
        for (int i = 1; i <= 1000; ++i) {
            subtask.setAmountDone(i);
            relay.amountDone(i);
        }
        subtask.finish();
        relay.finished("Tiling done");
        done = true;
    });

    // The dialog changes only when the GUI thread runs its event loop.
    QElapsedTimer timer;
    timer.start();
    while (!done || labelText(dialog, "mSubtaskLabel") != "Tiling done") {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        if (timer.elapsed() > 20000)
            break;
    }
    worker.join();
    QApplication::processEvents();

    EXPECT_GT(percentSlots, 100);
    EXPECT_EQ(offThreadSlots, 0);
    EXPECT_EQ(child<QProgressBar>(dialog, "mProgressBar")->value(), 100);
    EXPECT_EQ(labelText(dialog, "mOverallTimeLabel"), "Total completed: 100% ");
    EXPECT_EQ(labelText(dialog, "mSubtaskLabel"), "Tiling done");
}
