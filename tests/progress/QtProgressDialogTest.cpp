#include "util/progress/QtProgressDialog.h"

#include "util/progress/ProgressInterfaceQt.h"
#include "util/core/SubtaskProgressInterface.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QThread>

#include "tests/progress/StoppedClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace util;

// The dialog with lookups of its form's widgets by object name.
struct ClockedDialog : QtProgressDialog
{
    using QtProgressDialog::QtProgressDialog;

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

TEST(QtProgressDialog, SlotsShowTheShortenedTaskName)
{
    ProgressInterfaceQt relay;
    ClockedDialog dialog(nullptr, relay, std::string(150, 'c'));
    dialog.show();
    EXPECT_EQ(dialog.text("mSubtaskLabel"), QString(150, 'c')); // the first text stays whole
    relay.starting(std::string(150, 's').c_str());
    EXPECT_EQ(dialog.text("mSubtaskLabel"), QString(100, 's') + "...");
    // Without subtasks the subtask bar and its time label go.
    EXPECT_TRUE(dialog.bar("mSubtaskProgress").isHidden());
    EXPECT_TRUE(dialog.child("mEstimatedTimeRemaining").isHidden());

    // Names are UTF-8 and the limit counts characters, not bytes.
    const QString e = QString::fromUtf8("\xc3\xa9"), smile = QString::fromUtf8("\xf0\x9f\x98\x80");
    const struct
    {
        const char *name;
        QString task, shown;
    } rows[] = {
        {"exactly 100", QString(100, 'f'), QString(100, 'f')},
        {"60 two-byte letters stay whole", e.repeated(60), e.repeated(60)},
        {"150 two-byte letters", e.repeated(150), e.repeated(100) + "..."},
        {"a two-byte letter last", QString(99, 'a') + e + "b", QString(99, 'a') + e + "..."},
        {"a surrogate pair is one character", QString(99, 'a') + smile + "b",
         QString(99, 'a') + smile + "..."},
        {"100 surrogate pairs", smile.repeated(100), smile.repeated(100)},
    };
    for (const auto &row : rows) {
        relay.finished(row.task.toUtf8().constData());
        EXPECT_EQ(dialog.text("mSubtaskLabel"), row.shown) << row.name;
        relay.starting(row.task.toUtf8().constData());
        EXPECT_EQ(dialog.text("mSubtaskLabel"), row.shown) << row.name;
    }
}

TEST(QtProgressDialog, PercentShowsTheOverallEstimate)
{
    QUOR_REQUIRE_CLOCK_SEAM();
#ifdef QUOR_TEST_SEAMS
    ProgressInterfaceQt relay;
    ClockedDialog dialog(nullptr, relay, "task");
    dialog.show();
    // seconds since starting, fraction, label, bar
    const std::tuple<int, double, const char *, int> rows[] = {
        {0, 0.457, "Total completed: 45% ", 45}, // first second: no estimate
        {10, 0.5, "Total completed: 50%  (10 seconds remaining)", 50},
        {150, 0.5, "Total completed: 50%  (3 minutes remaining)", 50}, // 2.5 rounds to 3
        {12340, 0.5, "Total completed: 50%  (3 hours 25 minutes remaining)", 50},
        // An absurd estimate is clamped, not cast out of range.
        {10, 1e-300, "Total completed: 0%  (2555555555555555 hours 33 minutes remaining)", 0},
        {10, 1.0, "Total completed: 100% ", 100},
    };
    for (const auto &[elapsed, fraction, label, bar] : rows) {
        quortest::StoppedClock clock(5000);
        relay.starting("task");
        clock.advance(elapsed);
        dialog.percent(fraction); // the slot itself: the relay would hold back a tiny fraction
        EXPECT_EQ(dialog.text("mOverallTimeLabel"), label);
        EXPECT_EQ(dialog.bar("mProgressBar").value(), bar) << label;
    }
#endif
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
