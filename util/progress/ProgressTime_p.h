#pragma once

// Internal: the clock and the time texts that the console reporters and the progress dialog
// share. Not installed.

#include "util/TestSeam_p.h"

#include <cstdint>
#include <iosfwd>
#include <string>

namespace util {

class SubtaskProgressInterface;

namespace detail {

/// Calendar time in whole seconds: the clock of the fancy reporter's and the dialog's
/// estimates.
std::int64_t progressClock();

/// Writes a remaining time in seconds in the stream's current number format: hours above
/// 3600 s, minutes above 120 s, whole seconds otherwise ("12 seconds remaining").
void writeRemainingTime(std::ostream &out, double seconds);

/// A subtask's status: its rate (with giga/mega/kilo prefix) or elapsed seconds, and the
/// remaining time in parentheses; "<no estimate yet>" before its rate is known.
std::string subtaskStatus(const SubtaskProgressInterface &subtask);

} // namespace detail

namespace testseam {

/// Stops progressClock() at the given calendar second, so that estimates can be checked
/// without waiting; resetProgressClock() lets it run again.
UTIL_TEST_SEAM void setProgressClock(std::int64_t seconds);
UTIL_TEST_SEAM void resetProgressClock();

} // namespace testseam

} // namespace util
