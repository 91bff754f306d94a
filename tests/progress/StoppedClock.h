#pragma once

// The estimates of the fancy reporter and the dialog run on whole calendar seconds; tests stop
// that clock and move it instead of waiting.

#ifdef QUOR_TEST_SEAMS

#include "util/progress/ProgressTime_p.h"

#include <cstdint>

namespace quortest {

class StoppedClock
{
public:
    explicit StoppedClock(std::int64_t seconds = 1000)
        : m_now(seconds)
    {
        util::testseam::setProgressClock(m_now);
    }
    ~StoppedClock() { util::testseam::resetProgressClock(); }
    StoppedClock(const StoppedClock &) = delete;
    StoppedClock &operator=(const StoppedClock &) = delete;

    void advance(std::int64_t seconds)
    {
        m_now += seconds;
        util::testseam::setProgressClock(m_now);
    }

private:
    std::int64_t m_now;
};

} // namespace quortest

#define QUOR_REQUIRE_CLOCK_SEAM() (void)0
#else
#define QUOR_REQUIRE_CLOCK_SEAM() GTEST_SKIP() << "needs QUOR_TEST_SEAMS=ON"
#endif
