// GPS time conversions and the triangulation image point.

#include "util/processing/GpsTime.h"
#include "util/processing/TriangDataImagePoint.h"

#include <QDate>
#include <QTime>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

QDate dateOf(std::uint32_t weekTime, double secondsOfWeek)
{
    QDate date;
    dateFromGpsTime(quorunits::WholeSeconds::from_value(weekTime),
                    quorunits::Seconds::from_value(secondsOfWeek), date);
    return date;
}

QTime timeOf(double seconds)
{
    QTime time;
    timeFromGpsTime(quorunits::Seconds::from_value(seconds), time);
    return time;
}

TEST(GpsTime, DatesCountWholeWeeksAndDaysFromTheEpoch)
{
    struct Row
    {
        std::uint32_t weekTime;
        double secondsOfWeek;
        QDate expected;
    };
    const Row rows[] = {
        {0, 0, {1999, 8, 22}},                 // the week epoch itself
        {604800, 86400, {1999, 8, 30}},
        {0, 86399.999, {1999, 8, 22}},         // a day is whole only at 86400
        {0, 86400, {1999, 8, 23}},
        {604799, 0, {1999, 8, 22}},            // the week time counts whole weeks only
        {1024u * 604800u, 0, {2019, 4, 7}},    // the second rollover of the 10-bit week number
        {7101u * 604800u, 604799, {2135, 10, 1}}, // the last whole-second week
    };
    for (const Row &row : rows)
        EXPECT_EQ(dateOf(row.weekTime, row.secondsOfWeek), row.expected)
            << row.weekTime << " + " << row.secondsOfWeek;
    // Hostile seconds of week give some date, never undefined behaviour.
    for (double odd : {std::nan(""), 1e300, -1e300, std::numeric_limits<double>::infinity()})
        dateOf(0, odd);
}

TEST(GpsTime, TimeOfDayDropsWholeDaysAndTheFraction)
{
    EXPECT_EQ(timeOf(90061.7), QTime(1, 1, 1));
    EXPECT_EQ(timeOf(0), QTime(0, 0));
    EXPECT_EQ(timeOf(86399.99), QTime(23, 59, 59));
    EXPECT_EQ(timeOf(604800.0 * 1024 + 3600), QTime(1, 0));
    for (double odd : {std::nan(""), 1e300, -1e300})
        EXPECT_TRUE(timeOf(odd).isValid());
}

TEST(TriangDataImagePoint, AdjustedAddsTheCorrectionAndKeepsTheRest)
{
    geo::ImagePoint measured;
    measured.x = 1024.5;
    measured.y = -3.25;
    measured.id = "P17";
    measured.value1 = -5;
    measured.value2 = 1LL << 40;
    measured.flag = true;

    TriangDataImagePoint point(measured, "GCP-17", true, false);
    EXPECT_EQ(point.adjusted(), measured);
    EXPECT_EQ(point.pointName, "GCP-17");
    EXPECT_TRUE(point.firstFlag);
    EXPECT_FALSE(point.secondFlag);

    point.correctionX = 0.5;
    point.correctionY = -0.25;
    geo::ImagePoint expected = measured;
    expected.x += 0.5;
    expected.y -= 0.25;
    EXPECT_EQ(point.adjusted(), expected);
    EXPECT_EQ(point.x, measured.x);
    EXPECT_EQ(point.y, measured.y);
}

} // namespace
