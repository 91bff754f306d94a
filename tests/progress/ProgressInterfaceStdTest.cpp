#include "util/progress/ProgressInterfaceStd.h"

#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <vector>

using quortest::CaptureFd;
using quortest::ScopedEnv;
using util::ProgressInterfaceStd;

TEST(ProgressInterfaceStd, WritesStartAndFinishLines)
{
    ScopedEnv slot("_CONDOR_SLOT");
    ProgressInterfaceStd reporter;
    CaptureFd out(1);
    reporter.starting("Copy to a");
    reporter.finished("other name");
    EXPECT_EQ(out.text(), "Starting: Copy to a\nFinished: other name\n");
    EXPECT_EQ(reporter.taskName(), "Copy to a");
}

TEST(ProgressInterfaceStd, AccumulatesStepsUntilOnePercent)
{
    ScopedEnv slot("_CONDOR_SLOT");
    ProgressInterfaceStd reporter;
    reporter.totalAmount(100, "lines");
    struct Row
    {
        double amount;
        const char *expected;
    };
    const std::vector<Row> rows = {{0.5, ""},
                                   {1.5, "Percent Done: 1.5%\n"},
                                   {2, ""},
                                   {2.6, "Percent Done: 2.6%\n"},
                                   {50, "Percent Done: 50%\n"},
                                   {62.345, "Percent Done: 62.3%\n"},
                                   // No exception for completion: 0.5 % short of the last line.
                                   {62.8, ""}};
    for (const Row &row : rows) {
        CaptureFd out(1);
        reporter.amountDone(row.amount);
        EXPECT_EQ(out.text(), row.expected) << "amount " << row.amount;
    }
}

TEST(ProgressInterfaceStd, ZeroTotalIgnoresAmounts)
{
    ScopedEnv slot("_CONDOR_SLOT");
    ProgressInterfaceStd reporter;
    reporter.totalAmount(0, "bytes");
    CaptureFd out(1);
    reporter.amountDone(10);
    EXPECT_EQ(out.text(), "");
}

TEST(ProgressInterfaceStd, NewTotalRestartsTheSteps)
{
    ScopedEnv slot("_CONDOR_SLOT");
    ProgressInterfaceStd reporter;
    reporter.totalAmount(10, nullptr);
    {
        CaptureFd earlier(1);
        reporter.percentDone(0.9);
    }
    reporter.totalAmount(10, nullptr);
    EXPECT_DOUBLE_EQ(reporter.totalAmount(), 10.0);
    CaptureFd out(1);
    reporter.amountDone(0.5);
    EXPECT_EQ(out.text(), "Percent Done: 5%\n");
}

TEST(ProgressInterfaceStd, AmountsGoThroughTheVirtualPercentDone)
{
    struct Recorder : ProgressInterfaceStd
    {
        std::vector<double> fractions;
        void percentDone(double f) override { fractions.push_back(f); }
    };
    ScopedEnv slot("_CONDOR_SLOT");
    Recorder reporter;
    reporter.totalAmount(8, nullptr);
    reporter.amountDone(2);
    EXPECT_EQ(reporter.fractions, std::vector<double> {0.25});
}

TEST(ProgressInterfaceStd, BatchJobIsSilent)
{
    ScopedEnv slot("_CONDOR_SLOT", "3");
    ProgressInterfaceStd reporter;
    CaptureFd out(1);
    reporter.starting("job");
    reporter.totalAmount(100, "bytes");
    reporter.amountDone(50);
    reporter.percentDone(0.9);
    reporter.finished("job");
    EXPECT_EQ(out.text(), "");
    EXPECT_TRUE(reporter.isQuiet());
    EXPECT_EQ(reporter.taskName(), "");
    EXPECT_DOUBLE_EQ(reporter.totalAmount(), 100.0);
}
