#include "util/processing/GpsWeeks.h"

namespace util {

namespace {

constexpr double secondsPerWeek = 604800;
constexpr double lasOffset = 1e9;

} // namespace

double gpsSecondsFromFullWeek(std::int64_t week, double secondsOfWeek)
{
    return static_cast<double>(week) * secondsPerWeek + secondsOfWeek;
}

double gpsTimeFromLasTime(double lasTime)
{
    // Added in two steps of whole numbers so that a fraction keeps its digits as long as it can.
    return lasTime + (lasOffset - static_cast<double>(gpsWeekEpochSinceOrigin));
}

} // namespace util
