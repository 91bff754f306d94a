#include "tools/quorutil/GpsUtc.h"

#include <QDate>
#include <QTime>

#include <iterator>

namespace quorutil {

namespace {

// The UTC days that ended with a leap second (23:59:60), from the GPS origin on.
const QDate leapDays[] = {
    {1981, 6, 30},  {1982, 6, 30},  {1983, 6, 30},  {1985, 6, 30}, {1987, 12, 31}, {1989, 12, 31},
    {1990, 12, 31}, {1992, 6, 30},  {1993, 6, 30},  {1994, 6, 30}, {1995, 12, 31}, {1997, 6, 30},
    {1998, 12, 31}, {2005, 12, 31}, {2008, 12, 31}, {2012, 6, 30}, {2015, 6, 30},  {2016, 12, 31},
};

const QDateTime &gpsOrigin()
{
    static const QDateTime origin(QDate(1980, 1, 6), QTime(0, 0), Qt::UTC);
    return origin;
}

// The GPS instant at which the n-th leap second (1-based) has passed: midnight UTC after its
// day, which GPS reaches n seconds later.
std::int64_t leapPassedAt(int n)
{
    const QDateTime midnight(leapDays[n - 1].addDays(1), QTime(0, 0), Qt::UTC);
    return gpsOrigin().secsTo(midnight) + n;
}

} // namespace

int gpsMinusUtc(std::int64_t gpsSeconds)
{
    int offset = 0;
    for (int n = 1; n <= static_cast<int>(std::size(leapDays)); ++n) {
        if (gpsSeconds >= leapPassedAt(n))
            offset = n;
    }
    return offset;
}

QString gpsText(std::int64_t gpsSeconds)
{
    return gpsOrigin().addSecs(gpsSeconds).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString utcText(std::int64_t gpsSeconds)
{
    const int offset = gpsMinusUtc(gpsSeconds);
    // The second just before a leap second has passed is the leap second itself.
    if (offset < static_cast<int>(std::size(leapDays))
        && gpsSeconds == leapPassedAt(offset + 1) - 1)
        return leapDays[offset].toString(QStringLiteral("yyyy-MM-dd"))
            + QStringLiteral(" 23:59:60");
    return gpsOrigin().addSecs(gpsSeconds - offset).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace quorutil
