#pragma once

// GPS time against UTC: GPS runs ahead of UTC by the leap seconds inserted since the GPS origin
// (1980-01-06). Users read UTC, so the gps command shows it beside every GPS date.

#include <QDateTime>
#include <QString>

#include <cstdint>

namespace quorutil {

/// Seconds from the GPS origin 1980-01-06 00:00:00 to the GPS week epoch 1999-08-22.
constexpr std::int64_t gpsEpochSinceOrigin = 619315200;

/// GPS minus UTC, in seconds, at the GPS instant gpsSeconds (seconds since the GPS origin).
/// Follows the leap-second table to the leap second of 2016-12-31; 0 before the origin.
int gpsMinusUtc(std::int64_t gpsSeconds);

/// The UTC date and time, "yyyy-MM-dd HH:mm:ss", of the GPS instant gpsSeconds (seconds since
/// the GPS origin, whole); a leap second itself shows as 23:59:60.
QString utcText(std::int64_t gpsSeconds);

/// The GPS date and time, "yyyy-MM-dd HH:mm:ss", of gpsSeconds since the GPS origin.
QString gpsText(std::int64_t gpsSeconds);

} // namespace quorutil
