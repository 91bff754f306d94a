// GPS weeks as receivers count them, and LAS times back to the library's own seconds.

#include "util/processing/GpsWeeks.h"
#include "util/processing/GpsTime.h"

#include "tests/common/TestUtil.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <gtest/gtest.h>

#include <cmath>

// Receiver weeks and LAS times: tests/data/processing/gps_weeks.txt.
TEST(GpsWeeks, FullWeeksCountFromTheGpsOrigin)
{
    const QDateTime origin(QDate(1980, 1, 6), QTime(0, 0), Qt::UTC);
    for (const quortest::TableRow &row : quortest::tableRows("processing/gps_weeks.txt", "week")) {
        const double seconds = util::gpsSecondsFromFullWeek(
            QString::fromStdString(row[0]).toLongLong(), QString::fromStdString(row[1]).toDouble());
        EXPECT_EQ(origin.addMSecs(qint64(std::llround(seconds * 1000)))
                      .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"))
                      .toStdString(),
                  row[2])
            << row.line;
    }
    // Week 1024 of the receiver is week 0 of the library's own count.
    QDate date;
    dateFromGpsTime(quorunits::WholeSeconds::from_value(0), quorunits::Seconds::from_value(0),
                    date);
    EXPECT_EQ(origin.addSecs(qint64(util::gpsSecondsFromFullWeek(1024, 0))).date(), date);
    EXPECT_EQ(util::gpsWeekEpochSinceOrigin, origin.secsTo(QDateTime(date, QTime(0, 0), Qt::UTC)));
}

TEST(GpsWeeks, LasTimesGoBackToTheLibrarysSeconds)
{
    for (const quortest::TableRow &row : quortest::tableRows("processing/gps_weeks.txt", "las")) {
        const double las = QString::fromStdString(row[0]).toDouble();
        EXPECT_EQ(util::gpsTimeFromLasTime(las), QString::fromStdString(row[1]).toDouble())
            << row.line;
        // The inverse of the specified conversion, for whole seconds.
        const auto t = static_cast<std::int64_t>(QString::fromStdString(row[1]).toDouble());
        if (double(t) == QString::fromStdString(row[1]).toDouble()) {
            EXPECT_EQ(util::absoluteGPSTimeOffsetForLas(t), static_cast<std::int64_t>(las))
                << row.line;
        }
    }
}
