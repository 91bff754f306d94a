#include "util/progress/QtProgressDialog.h"

#include "util/progress/ProgressInterfaceQt.h"
#include "util/progress/SubtaskProgressInterface.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace util;

struct ClockedDialog : QtProgressDialog
{
    using QtProgressDialog::QtProgressDialog;
    std::int64_t now = 5000;
    std::int64_t currentTime() const override { return now; }

    template<typename T = QLabel> T &child(const char *name)
    {
        if (T *widget = findChild<T *>(QString::fromLatin1(name)))
            return *widget;
        throw std::runtime_error(std::string("no widget ") + name);
    }
    QString text(const char *name) { return child(name).text(); }
    QProgressBar &bar(const char *name) { return child<QProgressBar>(name); }
};

TEST(QtProgressDialog, FormHasItsWidgetsTextsAndFrame)
{
    ProgressInterfaceQt relay;
    ClockedDialog dialog(nullptr, relay, "Rectifying");
    EXPECT_EQ(dialog.objectName(), "QtProgressDialog");
    EXPECT_EQ(dialog.windowTitle(), "Please Wait");
    EXPECT_EQ(dialog.windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(dialog.size(), QSize(706, 254));
    EXPECT_EQ(dialog.windowFlags()
                  & (Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint),
              Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    EXPECT_EQ(dialog.child<QGroupBox>("mOverallGroup").title(), "Overall Progress");
    EXPECT_EQ(dialog.child<QGroupBox>("mSubtaskGroup").title(), "Current Subtask");
    EXPECT_EQ(dialog.bar("mProgressBar").maximum(), 100);
    EXPECT_FALSE(dialog.bar("mProgressBar").isTextVisible());
    EXPECT_EQ(dialog.text("mOverallTimeLabel"), "Total completed: 0% (unknown time left)");
    EXPECT_EQ(dialog.text("mSubtaskLabel"), "Rectifying");
    EXPECT_EQ(dialog.text("mEstimatedTimeRemaining"), "Time Remaining:");
    EXPECT_EQ(dialog.text("mSubtaskTimeLabel"), "");
    EXPECT_TRUE(dialog.child("mEstimatedTimeRemaining").alignment() & Qt::AlignTop);
}

TEST(QtProgressDialog, SlotsShowTheTaskAndTheOverallEstimate)
{
    ProgressInterfaceQt relay;
    ClockedDialog dialog(nullptr, relay, std::string(150, 'c'));
    dialog.show();
    relay.starting(std::string(150, 's').c_str());
    EXPECT_EQ(dialog.text("mSubtaskLabel"), QString(100, 's') + "...");
    // Without subtasks the subtask bar and its time label go.
    EXPECT_TRUE(dialog.bar("mSubtaskProgress").isHidden());
    EXPECT_TRUE(dialog.child("mEstimatedTimeRemaining").isHidden());

    relay.percentDone(0.457);
    EXPECT_EQ(dialog.text("mOverallTimeLabel"), "Total completed: 45% ");
    EXPECT_EQ(dialog.bar("mProgressBar").value(), 45);
    dialog.now += 10;
    relay.percentDone(0.5);
    EXPECT_EQ(dialog.text("mOverallTimeLabel"), "Total completed: 50%  (10 seconds remaining)");
    relay.finished(std::string(100, 'f').c_str());
    EXPECT_EQ(dialog.text("mSubtaskLabel"), QString(100, 'f'));
    // A multi-byte character is not cut in half.
    EXPECT_EQ(QtProgressDialog::shortened(std::string(99, 'a') + "\xc3\xa4" + "b"),
              std::string(99, 'a') + "...");
    // Minutes are rounded, hours truncated; a huge estimate does not overflow.
    EXPECT_EQ(QtProgressDialog::estimateText(150), " (3 minutes remaining)");
    EXPECT_EQ(QtProgressDialog::estimateText(12340), " (3 hours 25 minutes remaining)");
    EXPECT_EQ(QtProgressDialog::estimateText(1e300),
              " (2555555555555555 hours 33 minutes remaining)");
}

TEST(QtProgressDialog, FollowsAWorkerThroughQueuedSignals)
{
    util::SubtaskProgressInterface subtask(1000, "tiles");
    ProgressInterfaceQt relay;
    relay.subtaskAdded(&subtask);
    ClockedDialog dialog(nullptr, relay, "waiting");
    dialog.show();
    std::atomic<int> offThreadSlots {0}, percentSlots {0};
    QObject::connect(&relay, &ProgressInterfaceQt::taskPercentDone, &dialog, [&](double) {
        offThreadSlots += QThread::currentThread() != dialog.thread();
        ++percentSlots;
    });
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
    });
    worker.join();
    // Queued: nothing shows until the GUI thread runs its event loop.
    EXPECT_EQ(dialog.text("mSubtaskLabel"), "waiting");
    QApplication::processEvents();
    EXPECT_EQ(dialog.text("mSubtaskLabel"), "Tiling done");

    EXPECT_GT(percentSlots, 100);
    EXPECT_EQ(offThreadSlots, 0);
    EXPECT_EQ(dialog.bar("mProgressBar").value(), 100);
    EXPECT_EQ(dialog.text("mOverallTimeLabel"), "Total completed: 100% ");
    // With a subtask, its bar stays.
    EXPECT_FALSE(dialog.bar("mSubtaskProgress").isHidden());
    EXPECT_EQ(dialog.bar("mSubtaskProgress").maximum(), 100);
}
