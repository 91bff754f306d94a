#pragma once

/// \file
/// GPS weeks as receivers count them, and LAS times.
///
/// The library's own GPS times count from the second GPS week epoch, 1999-08-22 (see
/// GpsTime.h); a receiver, a RINEX file or a trajectory gives full weeks from the GPS origin,
/// 1980-01-06, and LAS files give adjusted standard GPS time.
/// \ingroup processing

#include "util/UtilExport.h"

#include <cstdint>

namespace util {

/// Seconds from the GPS origin 1980-01-06 00:00:00 to the GPS week epoch 1999-08-22.
constexpr std::int64_t gpsWeekEpochSinceOrigin = 619315200;

/// Seconds since the GPS origin of full GPS week week (counted from 1980-01-06, not rolled
/// over at 1024) and secondsOfWeek.
/// \param week the full GPS week
/// \param secondsOfWeek the seconds into the week
/// \return week x 604800 + secondsOfWeek
UTIL_EXPORT double gpsSecondsFromFullWeek(std::int64_t week, double secondsOfWeek);

/// Seconds since the GPS week epoch 1999-08-22 of a LAS adjusted standard GPS time.
///
/// A LAS time counts the seconds since the GPS origin less one thousand million. This is the
/// inverse of absoluteGPSTimeOffsetForLas, for fractional times too.
/// \param lasTime the LAS adjusted standard GPS time
/// \return lasTime + 380684800
UTIL_EXPORT double gpsTimeFromLasTime(double lasTime);

} // namespace util
