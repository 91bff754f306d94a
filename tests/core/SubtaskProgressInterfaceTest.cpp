#include "util/core/SubtaskProgressInterface.h"

#include <gtest/gtest.h>

TEST(SubtaskProgressInterface, TracksItsRunFromStartToFinish)
{
    util::SubtaskProgressInterface subtask(200, "lines");
    EXPECT_FALSE(subtask.isRunning());
    EXPECT_EQ(subtask.elapsed(), 0);

    subtask.setAmountDone(50);
    EXPECT_DOUBLE_EQ(subtask.fractionDone(), 0.25);
    subtask.start(); // a new run forgets the old amount
    EXPECT_TRUE(subtask.isRunning());
    EXPECT_DOUBLE_EQ(subtask.amountDone(), 0.0);
    EXPECT_DOUBLE_EQ(subtask.fractionDone(), 0.0);
    EXPECT_GE(subtask.elapsed(), 0);

    subtask.finish();
    EXPECT_FALSE(subtask.isRunning());
    EXPECT_DOUBLE_EQ(subtask.fractionDone(), 1.0);

    util::SubtaskProgressInterface unbounded; // no total: amounts count, fractions stay
    unbounded.setAmountDone(7);
    EXPECT_DOUBLE_EQ(unbounded.amountDone(), 7.0);
    EXPECT_DOUBLE_EQ(unbounded.fractionDone(), 0.0);
}
