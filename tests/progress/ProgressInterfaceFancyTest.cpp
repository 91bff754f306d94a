#include "util/progress/ProgressInterfaceFancy.h"

#include "util/progress/SubtaskProgressInterface.h"

#include "tests/common/TestUtil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <locale>
#include <sstream>
#include <thread>

using quortest::CaptureFd;
using testing::MatchesRegex;
using util::ProgressInterfaceFancy;
using util::SubtaskProgressInterface;

namespace {

// The estimates run on whole calendar seconds; tests set the clock instead of waiting.
class ClockedFancy : public ProgressInterfaceFancy
{
public:
    std::int64_t now = 1000;

protected:
    std::int64_t currentTime() const override { return now; }
};

std::string remaining(double seconds)
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text.precision(3);
    text << std::showpoint;
    ProgressInterfaceFancy::writeRemainingTime(text, seconds);
    return text.str();
}

std::string backspaces(std::size_t n)
{
    return std::string(n, '\b');
}

} // namespace

TEST(ProgressInterfaceFancy, FirstSecondShowsPercentageOnly)
{
    ClockedFancy reporter;
    reporter.starting("Copy");
    reporter.totalAmount(100, "bytes");
    CaptureFd out(1);
    reporter.amountDone(12);
    EXPECT_EQ(out.text(), "Copy: 12.0% ");
}

TEST(ProgressInterfaceFancy, EstimateShowsTimeAndRate)
{
    struct Row
    {
        const char *name;
        double total;
        double amount;
        std::int64_t elapsed;
        const char *units;
        const char *expected;
    };
    const Row rows[] = {
        {"seconds", 1000, 100, 10, "bytes", "T: 10.0% (90 seconds remaining, 10.000 bytes/sec) "},
        {"null units", 1000, 100, 10, nullptr,
         "T: 10.0% (90 seconds remaining, 10.000 units/sec) "},
        {"120 s in seconds", 121, 1, 1, "bytes",
         "T: 0.826% (120 seconds remaining, 1.000 bytes/sec) "},
        {"121 s in minutes", 122, 1, 1, "bytes",
         "T: 0.820% (2.02 minutes remaining, 1.000 bytes/sec) "},
        {"hours", 7300, 100, 100, "tiles", "T: 1.37% (2.00 hours remaining, 1.000 tiles/sec) "},
        {"done", 50, 50, 5, "bytes", "T: 100.% "},
    };
    for (const Row &row : rows) {
        ClockedFancy reporter;
        reporter.starting("T");
        reporter.totalAmount(row.total, row.units);
        reporter.now += row.elapsed;
        CaptureFd out(1);
        reporter.amountDone(row.amount);
        EXPECT_EQ(out.text(), row.expected) << row.name;
    }
}

TEST(ProgressInterfaceFancy, TimeRuleBoundaries)
{
    EXPECT_EQ(remaining(59.9), "59 seconds remaining");
    EXPECT_EQ(remaining(120), "120 seconds remaining");
    EXPECT_EQ(remaining(121), "2.02 minutes remaining");
    EXPECT_EQ(remaining(3600), "60.0 minutes remaining");
    EXPECT_EQ(remaining(5400), "1.50 hours remaining");
}

TEST(ProgressInterfaceFancy, RedrawsTheLineInPlaceAndEndsItOnFinish)
{
    ClockedFancy reporter;
    reporter.starting("Job");
    reporter.totalAmount(1000, "bytes");
    CaptureFd out(1);
    reporter.amountDone(100); // "Job: 10.0% " is 11 characters
    reporter.amountDone(100.5); // below the 0.1 % step: nothing
    reporter.amountDone(250);
    reporter.finished("Job");
    EXPECT_EQ(out.text(),
              "Job: 10.0% " + backspaces(11) + "Job: 25.0% " + backspaces(11)
                  + "Job done.                   \n");
}

TEST(ProgressInterfaceFancy, LinesOf255CharactersAreNotErased)
{
    for (std::size_t nameLength : {243u, 244u}) {
        // name + ": 10.0% " gives 251 and 252 characters; with the message, 254 and 255.
        ClockedFancy reporter;
        const std::string name(nameLength, 'n');
        reporter.starting(name.c_str());
        reporter.totalAmount(1000, "bytes");
        reporter.message("m");
        CaptureFd out(1);
        reporter.amountDone(100);
        const std::string first = out.text();
        CaptureFd next(1);
        reporter.amountDone(200);
        const std::string second = next.text();
        if (first.size() < 255)
            EXPECT_EQ(second.substr(0, first.size()), backspaces(first.size())) << first.size();
        else
            EXPECT_EQ(second, name + ": 20.0% [m]") << first.size();
    }
}

TEST(ProgressInterfaceFancy, MessageStaysInBracketsUntilReplaced)
{
    ClockedFancy reporter;
    reporter.starting("M");
    reporter.totalAmount(1000, "bytes");
    reporter.message("tile 4");
    CaptureFd out(1);
    reporter.amountDone(100);
    reporter.message("");
    reporter.amountDone(200);
    EXPECT_EQ(out.text(), "M: 10.0% [tile 4]" + backspaces(17) + "M: 20.0% ");
}

TEST(ProgressInterfaceFancy, PercentDoneWritesWholeLines)
{
    ClockedFancy reporter;
    reporter.totalAmount(1, nullptr);
    CaptureFd out(1);
    reporter.percentDone(0.5);
    reporter.percentDone(0.5005); // below the step
    reporter.percentDone(1.0);
    reporter.percentDone(1.0); // completion always gets through
    EXPECT_EQ(out.text(), "Percent Done: 50%\nPercent Done: 100%\nPercent Done: 100%\n");
}

TEST(ProgressInterfaceFancy, SubtasksReplaceTheEstimate)
{
    SubtaskProgressInterface first(10, "bytes"), second(10, "bytes"), third(10, "bytes");
    ClockedFancy reporter;
    reporter.starting("S");
    reporter.totalAmount(1000, "bytes");
    reporter.subtaskAdded(&first);
    reporter.subtaskAdded(&second);
    reporter.subtaskAdded(&third);
    reporter.now += 10; // an estimate would be available: subtasks replace it

    CaptureFd idle(1);
    reporter.amountDone(100);
    EXPECT_EQ(idle.text(), "S: 10.0%  task  ");

    second.start();
    third.start();
    ClockedFancy fresh = reporter; // copies share the subtask pointers
    fresh.totalAmount(1000, "bytes");
    CaptureFd running(1);
    fresh.amountDone(200);
    EXPECT_EQ(running.text(), backspaces(16) + "S: 20.0%  task 2 of 3: <no estimate yet> ");
}

TEST(ProgressInterfaceFancy, SubtaskStatusScalesTheRate)
{
    struct Row
    {
        const char *name;
        double amount;
        const char *units;
        const char *pattern;
    };
    // Elapsed time is real (tens of milliseconds to a few seconds), so amounts are chosen to
    // land in one prefix range whatever the exact time.
    const Row rows[] = {
        {"giga", 1e13, "bytes", "^[0-9.e+]+ gigabytes/sec \\(.* remaining\\)$"},
        {"mega", 5e6, "bytes", "^[0-9.e+]+ megabytes/sec \\(.* remaining\\)$"},
        {"kilo", 5e3, "lines", "^[0-9.e+]+ kilolines/sec \\(.* remaining\\)$"},
        {"plain", 0.5, "tiles", "^[0-9.e+]+ tiles/sec \\(.* remaining\\)$"},
        {"no units", 0.5, "", "^[0-9.]+s elapsed \\(.* remaining\\)$"},
    };
    for (const Row &row : rows) {
        SubtaskProgressInterface subtask(row.amount * 1000, row.units);
        subtask.start();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        subtask.setAmountDone(row.amount);
        EXPECT_THAT(ProgressInterfaceFancy::subtaskStatus(subtask), MatchesRegex(row.pattern))
            << row.name;
    }

    SubtaskProgressInterface idle(10, "bytes");
    idle.start();
    EXPECT_EQ(ProgressInterfaceFancy::subtaskStatus(idle), "<no estimate yet>");
}
