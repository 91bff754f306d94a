#include "util/processing/GpsTime.h"

#include "util/strings/NumberFormat.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <cmath>
#include <limits>

namespace {

constexpr std::uint32_t secondsPerWeek = 604800;

// Truncates toward zero into 64 bits, clamping what does not fit (NaN gives 0).
std::int64_t truncateToInt64(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double top = 9223372036854775807.0; // rounds up to 2^63
    if (value >= top)
        return std::numeric_limits<std::int64_t>::max();
    if (value <= -top)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

} // namespace

void dateFromGpsTime(const quorunits::WholeSeconds &weekTime,
                     const quorunits::Seconds &secondsOfWeek, QDate &date)
{
    const std::uint32_t weeks = weekTime.value() / secondsPerWeek;
    // Multiplying by minus the reciprocal and negating the truncation is how the days have
    // always been counted; for non-negative input it is the plain division.
    // (Negated in 64 bits: the clamped truncation may be INT_MIN.)
    const qint64 days =
        -static_cast<qint64>(util::truncateToInt(secondsOfWeek.value() * -1.1574074074074073e-05));
    date = QDate(1999, 8, 22).addDays(7 * static_cast<qint64>(weeks) + days);
}

void timeFromGpsTime(const quorunits::Seconds &time, QTime &timeOfDay)
{
    const auto low = static_cast<std::uint32_t>(truncateToInt64(time.value()));
    timeOfDay = QTime(0, 0, 0, 0).addSecs(static_cast<int>(low % 86400));
}

namespace util {

std::int64_t absoluteGPSTimeOffsetForLas(std::int64_t t)
{
    const QDateTime gpsOrigin(QDate(1980, 1, 6), QTime(0, 0), Qt::UTC);
    const QDateTime epoch(QDate(1999, 8, 22), QTime(0, 0), Qt::UTC);
    return t + gpsOrigin.secsTo(epoch) - 1000000000;
}

} // namespace util
