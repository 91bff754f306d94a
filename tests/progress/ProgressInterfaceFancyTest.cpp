#include "util/progress/ProgressInterfaceFancy.h"

#include "util/core/SubtaskProgressInterface.h"

#include "tests/common/TestUtil.h"
#include "tests/progress/StoppedClock.h"

#include <QThread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using quortest::CaptureFd;
using namespace util;

#ifdef QUOR_TEST_SEAMS
using quortest::StoppedClock;

static void start(ProgressInterfaceFancy &reporter, const char *task, double total = 1000,
                  const char *units = "bytes")
{
    reporter.starting(task);
    reporter.totalAmount(total, units);
}
#endif

TEST(ProgressInterfaceFancy, StatusLineShowsPercentTimeAndRate)
{
    QUOR_REQUIRE_CLOCK_SEAM();
#ifdef QUOR_TEST_SEAMS
    // total, amount, seconds elapsed, units, status line
    const std::tuple<double, double, int, const char *, const char *> rows[] = {
        {100, 12, 0, "bytes", "T: 12.0% "}, // first second: no estimate
        {1000, 100, 10, "bytes", "T: 10.0% (90 seconds remaining, 10.000 bytes/sec) "},
        {1000, 100, 10, nullptr, "T: 10.0% (90 seconds remaining, 10.000 units/sec) "},
        {121, 1, 1, "bytes", "T: 0.826% (120 seconds remaining, 1.000 bytes/sec) "},
        {122, 1, 1, "bytes", "T: 0.820% (2.02 minutes remaining, 1.000 bytes/sec) "},
        {3610, 10, 10, "bytes", "T: 0.277% (60.0 minutes remaining, 1.000 bytes/sec) "},
        {7300, 100, 100, "tiles", "T: 1.37% (2.00 hours remaining, 1.000 tiles/sec) "},
        {50, 50, 5, "bytes", "T: 100.% "},
    };
    for (const auto &[total, amount, elapsed, units, expected] : rows) {
        StoppedClock clock;
        ProgressInterfaceFancy reporter;
        start(reporter, "T", total, units);
        clock.advance(elapsed);
        CaptureFd out(1);
        reporter.amountDone(amount);
        EXPECT_EQ(out.text(), expected);
    }
#endif
}

TEST(ProgressInterfaceFancy, RedrawsTheLineInPlace)
{
    QUOR_REQUIRE_CLOCK_SEAM();
#ifdef QUOR_TEST_SEAMS
    StoppedClock clock; // no estimate: the clock stands still
    ProgressInterfaceFancy reporter;
    start(reporter, "Job");
    CaptureFd out(1);
    reporter.amountDone(100); // "Job: 10.0% " is 11 characters
    reporter.amountDone(100.5); // below the 0.1 % step: nothing
    reporter.message("tile 4");
    reporter.amountDone(250);
    reporter.message("");
    reporter.amountDone(300);
    reporter.finished("Job");
    // percentDone writes whole lines of its own; completion always gets through.
    for (double f : {0.5, 0.5005, 1.0, 1.0})
        reporter.percentDone(f);
    const auto bs = [](std::size_t n) { return std::string(n, '\b'); };
    EXPECT_EQ(out.text(),
              "Job: 10.0% " + bs(11) + "Job: 25.0% [tile 4]" + bs(19) + "Job: 30.0% " + bs(11)
                  + "Job done.                   \n"
                  + "Percent Done: 50%\nPercent Done: 100%\nPercent Done: 100%\n");

    for (std::size_t nameLength : {243u, 244u}) {
        // name + ": 10.0% [m]" gives 254 and 255 characters: only the shorter line is erased.
        const std::string name(nameLength, 'n');
        ProgressInterfaceFancy longer;
        start(longer, name.c_str());
        longer.message("m");
        CaptureFd lines(1);
        longer.amountDone(100);
        longer.amountDone(200);
        const std::string erase = nameLength == 243 ? bs(254) : std::string();
        EXPECT_EQ(lines.text(), name + ": 10.0% [m]" + erase + name + ": 20.0% [m]");
    }
#endif
}

TEST(ProgressInterfaceFancy, SubtasksReplaceTheEstimate)
{
    SubtaskProgressInterface first(10, "bytes"), second(10, "bytes"), third(10, "bytes");
    QUOR_REQUIRE_CLOCK_SEAM();
#ifdef QUOR_TEST_SEAMS
    StoppedClock clock;
    ProgressInterfaceFancy reporter;
    start(reporter, "S");
    for (SubtaskProgressInterface *subtask : {&first, &second, &third})
        reporter.subtaskAdded(subtask);
    clock.advance(10); // an estimate would be available: subtasks replace it
    CaptureFd idle(1);
    reporter.amountDone(100);
    EXPECT_EQ(idle.text(), "S: 10.0%  task  ");

    second.start();
    third.start();
    CaptureFd running(1);
    reporter.amountDone(200);
    EXPECT_EQ(running.text(), std::string(16, '\b') + "S: 20.0%  task 2 of 3: <no estimate yet> ");
#endif
}

TEST(ProgressInterfaceFancy, SubtaskStatusScalesTheRate)
{
    // Elapsed time is real; each amount lands in one prefix range whatever the exact time.
    const std::tuple<double, const char *, const char *> rows[] = {
        {1e13, "bytes", " gigabytes/sec"},
        {5e6, "bytes", " megabytes/sec"},
        {5e3, "lines", " kilolines/sec"},
        {0.5, "tiles", " tiles/sec"},
        {0.5, "", "s elapsed"}};
    for (const auto &[amount, units, rate] : rows) {
        SubtaskProgressInterface subtask(amount * 1000, units);
        ProgressInterfaceFancy reporter;
        reporter.starting("R");
        reporter.totalAmount(100, "bytes");
        reporter.subtaskAdded(&subtask);
        subtask.start();
        QThread::msleep(20);
        subtask.setAmountDone(amount);
        CaptureFd out(1);
        reporter.amountDone(50);
        EXPECT_THAT(out.text(),
                    testing::MatchesRegex(std::string("^R: 50.0%  task 1 of 1: [0-9.e+]+") + rate
                                          + " \\(.* remaining\\) $"));
    }
}
