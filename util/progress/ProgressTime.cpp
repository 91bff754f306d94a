#include "util/progress/ProgressTime_p.h"

#include "util/core/SubtaskProgressInterface.h"

#include <atomic>
#include <ctime>
#include <limits>
#include <locale>
#include <ostream>
#include <sstream>

namespace util {

namespace {

constexpr std::int64_t REAL_CLOCK = std::numeric_limits<std::int64_t>::min();
std::atomic<std::int64_t> stoppedClock {REAL_CLOCK};

} // namespace

namespace detail {

std::int64_t progressClock()
{
    const std::int64_t stopped = stoppedClock.load();
    if (stopped != REAL_CLOCK)
        return stopped;
    return static_cast<std::int64_t>(std::time(nullptr));
}

void writeRemainingTime(std::ostream &out, double seconds)
{
    if (seconds > 3600.0)
        out << seconds / 3600.0 << " hours remaining";
    else if (seconds > 120.0)
        out << seconds / 60.0 << " minutes remaining";
    else if (seconds > 0.0)
        out << static_cast<long long>(seconds) << " seconds remaining";
    else // not positive or NaN: nothing to truncate
        out << 0 << " seconds remaining";
}

std::string subtaskStatus(const SubtaskProgressInterface &subtask)
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    const double elapsed = static_cast<double>(subtask.elapsed()) * 0.001;
    const double done = subtask.amountDone();
    const double rate = done / elapsed;
    const double remaining = rate > 0 ? (subtask.totalAmount() - done) / rate : 0.0;
    if (!(rate > 0))
        return "<no estimate yet>";

    if (!subtask.units().empty()) {
        if (rate > 1e9)
            text << rate * 1e-9 << " giga";
        else if (rate > 1e6)
            text << rate * 1e-6 << " mega";
        else if (rate > 1000)
            text << rate * 0.001 << " kilo";
        else
            text << rate << " ";
        text << subtask.units() << "/sec";
    } else {
        text << static_cast<double>(subtask.elapsed()) * 0.001 << "s elapsed";
    }
    if (remaining > 0) {
        text << " (";
        writeRemainingTime(text, remaining);
        text << ")";
    }
    return text.str();
}

} // namespace detail

namespace testseam {

void setProgressClock(std::int64_t seconds)
{
    stoppedClock = seconds == REAL_CLOCK ? REAL_CLOCK + 1 : seconds;
}

void resetProgressClock()
{
    stoppedClock = REAL_CLOCK;
}

} // namespace testseam

} // namespace util
