#include "util/progress/ProgressInterfaceQt.h"

#include "util/progress/SubtaskProgressInterface.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

using util::ProgressInterfaceQt;

TEST(ProgressInterfaceQt, TotalEmitsValueAndTruncatedInt)
{
    ProgressInterfaceQt relay;
    QSignalSpy value(&relay, &ProgressInterfaceQt::taskTotalAmount);
    QSignalSpy whole(&relay, &ProgressInterfaceQt::taskTotal);
    relay.totalAmount(1234.9, "bytes");
    ASSERT_EQ(value.count(), 1);
    EXPECT_DOUBLE_EQ(value.at(0).at(0).toDouble(), 1234.9);
    ASSERT_EQ(whole.count(), 1);
    EXPECT_EQ(whole.at(0).at(0).toInt(), 1234);
    EXPECT_DOUBLE_EQ(relay.totalAmount(), 1234.9);
}

TEST(ProgressInterfaceQt, StartAndFinishCarryTheName)
{
    ProgressInterfaceQt relay;
    QSignalSpy started(&relay, &ProgressInterfaceQt::taskStarting);
    QSignalSpy finished(&relay, &ProgressInterfaceQt::taskFinished);
    relay.starting("Copy to x");
    relay.finished("Copy to y");
    ASSERT_EQ(started.count(), 1);
    EXPECT_EQ(started.at(0).at(0).toString(), "Copy to x");
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toString(), "Copy to y");
}

TEST(ProgressInterfaceQt, AmountsAreThrottledToTenthsOfAPercent)
{
    ProgressInterfaceQt relay;
    QSignalSpy percent(&relay, &ProgressInterfaceQt::taskPercentDone);
    QSignalSpy amount(&relay, &ProgressInterfaceQt::taskAmount);
    relay.totalAmount(10000, "bytes");
    struct Row
    {
        double amount;
        bool emits;
    };
    const Row rows[] = {
        {5, false},   {10, true},      {15, false},   {19.9, false}, {20.5, true},
        {9999, true}, {9999.5, false}, {10000, true}, {10000, true}}; // completion always gets
                                                                      // through, even repeated
    for (const Row &row : rows) {
        percent.clear();
        amount.clear();
        relay.amountDone(row.amount);
        EXPECT_EQ(percent.count(), row.emits ? 1 : 0) << "amount " << row.amount;
        EXPECT_EQ(amount.count(), row.emits ? 1 : 0) << "amount " << row.amount;
        if (row.emits && !percent.isEmpty()) {
            EXPECT_DOUBLE_EQ(percent.at(0).at(0).toDouble(), row.amount / 10000);
            EXPECT_EQ(amount.at(0).at(0).toInt(), static_cast<int>(row.amount));
        }
    }
}

TEST(ProgressInterfaceQt, NewTotalRestartsTheSteps)
{
    ProgressInterfaceQt relay;
    relay.totalAmount(100, nullptr);
    relay.percentDone(0.8);
    relay.totalAmount(100, nullptr);
    QSignalSpy percent(&relay, &ProgressInterfaceQt::taskPercentDone);
    relay.amountDone(10);
    EXPECT_EQ(percent.count(), 1);
}

TEST(ProgressInterfaceQt, ZeroTotalPassesTheFractionOn)
{
    ProgressInterfaceQt relay;
    QSignalSpy percent(&relay, &ProgressInterfaceQt::taskPercentDone);
    QSignalSpy amount(&relay, &ProgressInterfaceQt::taskAmount);
    relay.totalAmount(0, nullptr);
    relay.amountDone(5);
    ASSERT_EQ(percent.count(), 1);
    EXPECT_TRUE(std::isinf(percent.at(0).at(0).toDouble()));
    EXPECT_EQ(amount.at(0).at(0).toInt(), 5);
}

TEST(ProgressInterfaceQt, KeepsSubtasksInOrder)
{
    util::SubtaskProgressInterface a, b;
    ProgressInterfaceQt relay;
    relay.subtaskAdded(&a);
    relay.subtaskAdded(&b);
    ASSERT_EQ(relay.subtasks().size(), 2u);
    EXPECT_EQ(relay.subtasks()[0], &a);
    EXPECT_EQ(relay.subtasks()[1], &b);
}
