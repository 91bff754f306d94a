#include "util/progress/ProgressInterfaceStd.h"

#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace quortest;
using util::ProgressInterfaceStd;

TEST(ProgressInterfaceStd, WritesLinesInStepsOfOnePercent)
{
    ScopedEnv slot("_CONDOR_SLOT");
    ProgressInterfaceStd reporter;
    reporter.totalAmount(0, "bytes");
    CaptureFd out(1);
    reporter.starting("Copy to a");
    reporter.amountDone(10); // a zero total ignores amounts
    reporter.totalAmount(100, "lines");
    // Steps accumulate; no exception for completion.
    for (double amount : {0.5, 1.5, 2.0, 2.6, 50.0, 62.345, 62.8})
        reporter.amountDone(amount);
    reporter.totalAmount(10, nullptr); // a new total restarts the steps
    reporter.amountDone(0.5);
    reporter.finished("other name");
    EXPECT_EQ(out.text(),
              "Starting: Copy to a\nPercent Done: 1.5%\nPercent Done: 2.6%\nPercent Done: 50%\n"
              "Percent Done: 62.3%\nPercent Done: 5%\nFinished: other name\n");
}

// A step of exactly one percent prints, wherever it falls: 0.29 - 0.28 is a little less than
// 0.01 in doubles, and must not swallow the line. Amounts and fractions alike.
TEST(ProgressInterfaceStd, EveryStepOfOnePercentPrints)
{
    ScopedEnv slot("_CONDOR_SLOT");
    for (const double total : {100.0, 1000.0, 3.0e9}) {
        ProgressInterfaceStd reporter;
        reporter.totalAmount(total, "bytes");
        CaptureFd out(1);
        for (int percent = 1; percent <= 100; ++percent)
            reporter.amountDone(total * percent / 100);
        const std::string text = out.text();
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 100) << total << "\n" << text;
    }
    ProgressInterfaceStd reporter;
    reporter.totalAmount(1, nullptr);
    CaptureFd out(1);
    for (int percent = 1; percent <= 100; ++percent)
        reporter.percentDone(percent / 100.0);
    const std::string text = out.text();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 100) << text;
    EXPECT_NE(text.find("Percent Done: 29%\n"), std::string::npos);
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
    EXPECT_DOUBLE_EQ(reporter.totalAmount(), 100.0);
}
