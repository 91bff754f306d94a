// quorutil gps and quorutil pyramid, and the leap-second table behind the UTC lines.

#include "tools/quorutil/GpsUtc.h"

#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using quortest::runTool;

namespace {

std::int64_t gpsSecondsOf(const QDateTime &utc, int gpsMinusUtc)
{
    const QDateTime origin(QDate(1980, 1, 6), QTime(0, 0), Qt::UTC);
    return origin.secsTo(utc) + gpsMinusUtc;
}

TEST(GpsUtc, FollowsThePublishedLeapSeconds)
{
    int rows = 0;
    int before = 0;
    for (const QString &line : quortest::tableLines(QStringLiteral("processing/leap-seconds.txt"))) {
        const QStringList cols = line.split(QLatin1Char(' '));
        const QDateTime from(QDate::fromString(cols.at(0), Qt::ISODate), QTime(0, 0), Qt::UTC);
        const int offset = cols.at(1).toInt();
        const std::int64_t first = gpsSecondsOf(from, offset);
        EXPECT_EQ(quorutil::gpsMinusUtc(first), offset) << line.toStdString();
        EXPECT_EQ(quorutil::gpsMinusUtc(first - 2), before) << line.toStdString();
        EXPECT_EQ(quorutil::utcText(first).toStdString(),
                  from.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString());
        // The second before is the leap second itself.
        EXPECT_EQ(quorutil::utcText(first - 1).toStdString(),
                  from.addDays(-1).toString(QStringLiteral("yyyy-MM-dd")).toStdString()
                      + " 23:59:60");
        before = offset;
        ++rows;
    }
    EXPECT_EQ(rows, 18);
    EXPECT_EQ(quorutil::gpsMinusUtc(0), 0);
    EXPECT_EQ(quorutil::gpsMinusUtc(-5), 0);
}

TEST(GpsCommands, ShowGpsAndUtc)
{
    struct Row
    {
        QStringList args;
        std::string out;
    };
    const Row rows[] = {
        {{"gps", "date", "1024", "0"},
         "GPS date: 2019-04-07\nGPS date and time: 2019-04-07T00:00:00\n"
         "UTC date and time: 2019-04-06T23:59:42Z (GPS - 18 s)\n"},
        {{"gps", "time", "90061.7"},
         "GPS time of day: 01:01:01\nGPS date and time: 1999-08-23T01:01:01\n"
         "UTC date and time: 1999-08-23T01:00:48Z (GPS - 13 s)\n"},
        // Beyond 2^32 seconds the time of day goes on with the date and time beside it.
        {{"gps", "time", "4294967296"},
         "GPS time of day: 06:28:16\nGPS date and time: 2135-09-28T06:28:16\n"
         "UTC date and time: 2135-09-28T06:27:58Z (GPS - 18 s)\n"},
        {{"gps", "time", "4295053695.5"},
         "GPS time of day: 06:28:15\nGPS date and time: 2135-09-29T06:28:15\n"
         "UTC date and time: 2135-09-29T06:27:57Z (GPS - 18 s)\n"},
        {{"gps", "las", "0"},
         "LAS adjusted standard GPS time: -380684800\nGPS date and time: 1999-08-22T00:00:00\n"
         "UTC date and time: 1999-08-21T23:59:47Z (GPS - 13 s)\n"},
        {{"gps", "las", "--", "-619315200"},
         "LAS adjusted standard GPS time: -1000000000\nGPS date and time: 1980-01-06T00:00:00\n"
         "UTC date and time: 1980-01-06T00:00:00Z (GPS - 0 s)\n"},
    };
    for (const Row &row : rows) {
        const auto result = runTool(row.args);
        EXPECT_EQ(result.code, 0) << row.args.join(' ').toStdString() << ": " << result.err;
        EXPECT_EQ(result.out, row.out) << row.args.join(' ').toStdString();
    }
}

TEST(GpsCommands, RejectNonNumbersAndOutOfRangeValuesAsUsageErrors)
{
    // What the command line refuses for every command is its own rows (tool/values.txt); here
    // each argument's range and the week limit of the library's count.
    const QStringList bad[] = {
        {"gps", "date", "x", "0"},    {"gps", "date", "-1", "0"},   {"gps", "date", "7102", "0"},
        {"gps", "date", "1", "-0.5"}, {"gps", "time", "--", "-1"},  {"gps", "time", "1e300"},
        {"gps", "las", "--", "-619315201"}, {"gps", "las", "1", "2"}, {"gps", "week"},
    };
    for (const QStringList &args : bad) {
        const auto result = runTool(args);
        EXPECT_EQ(result.code, 2) << args.join(' ').toStdString();
        EXPECT_EQ(result.out, "") << args.join(' ').toStdString();
        EXPECT_EQ(result.err.rfind("quorutil gps", 0), 0u) << result.err;
    }
}

TEST(PyramidCommand, PrintsEachReportAndFailsWhenOneBuilderFails)
{
    QTemporaryDir dir;
    const QString builder = dir.filePath(QStringLiteral("make_pyr"));
    // Fails for images whose name contains "bad", succeeds otherwise.
    quortest::writeFile(builder, "#!/bin/sh\ncase \"$1\" in *bad*) echo broken >&2; exit 4;; esac\n");
    QFile::setPermissions(builder, QFile::ReadOwner | QFile::ExeOwner);

    auto result = runTool({"pyramid", "--tool", builder, "--progress=none", "a.tif", "b.tif"});
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, "== a.tif\ncommand line: " + builder.toStdString()
                              + " a.tif -external\nProcessor elapsed seconds: 0\n== b.tif\n"
                                "command line: " + builder.toStdString()
                              + " b.tif -external\nProcessor elapsed seconds: 0\n");

    result = runTool({"pyramid", "--tool", builder, "--progress=none", "bad.tif", "c.tif"});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err, "quorutil pyramid: bad.tif: " + builder.toStdString()
                              + " exited with code 4: broken\n");
    EXPECT_NE(result.out.find("== bad.tif (failed)\n"), std::string::npos);
    EXPECT_NE(result.out.find("standard error:\nbroken\n"), std::string::npos);
    EXPECT_NE(result.out.find("== c.tif\n"), std::string::npos);

    // A builder that never ends is given up after the time-out.
    quortest::writeFile(builder, "#!/bin/sh\nexec sleep 30\n");
    result = runTool({"pyramid", "--tool", builder, "--timeout", "0.2", "--progress=none", "x"});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err,
              "quorutil pyramid: x: " + builder.toStdString() + " timed out after 0.2 s\n");

    // A builder that cannot start is named once, with the reason, not once for each image.
    result = runTool({"pyramid", "--tool", dir.filePath("none"), "--progress=none", "y", "z"});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err,
              "quorutil pyramid: " + dir.filePath("none").toStdString()
                  + ": No such file or directory\n");
    // (The other reasons a builder cannot start are the library's rows.)
    QFile::setPermissions(builder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    quortest::writeFile(builder, "#!/bin/sh\nkill -SEGV $$\n");
    result = runTool({"pyramid", "--tool", builder, "--progress=none", "y"});
    EXPECT_EQ(result.err,
              "quorutil pyramid: y: " + builder.toStdString() + " crashed (signal 11, SIGSEGV)\n");

    for (const QStringList &args :
         {QStringList{"pyramid", "--tool", builder, "--timeout", "-1", "x"},
          QStringList{"pyramid", "--tool", builder, "--progress", "udp", "x"}})
        EXPECT_EQ(runTool(args).code, 2) << args.join(' ').toStdString();
}

} // namespace

namespace {

// Runs a program to its end; its exit code, -1 when it cannot start.
int runProgram(const QString &program, const QStringList &arguments, QByteArray *out = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return -1;
    if (out)
        *out = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

// The shipped wrapper makes GDAL's gdaladdo a builder: the image gains its overviews, a name
// starting with '-' included.
TEST(PyramidCommand, TheGdaladdoWrapperBuildsOverviews)
{
    if (QStandardPaths::findExecutable("gdaladdo").isEmpty()
        || QStandardPaths::findExecutable("gdal_create").isEmpty())
        GTEST_SKIP() << "GDAL's utilities are not installed";
    QTemporaryDir dir;
    const QString wrapper = quortest::resourcePath("gdaladdo-pyramid");
    for (const QString name : {"ortho.tif", "-dash.tif"}) {
        const QString image = dir.filePath(name);
        ASSERT_EQ(runProgram("gdal_create",
                             {"-q", "-of", "GTiff", "-outsize", "512", "512", "-bands", "1",
                              "-burn", "7", image}),
                  0);
        const auto result = runTool({"pyramid", "--tool", wrapper, "--progress=none", image});
        EXPECT_EQ(result.code, 0) << result.err;
        QByteArray info;
        EXPECT_EQ(runProgram("gdalinfo", {image}, &info), 0);
        EXPECT_TRUE(info.contains("Overviews: 256x256")) << info.toStdString();
    }
}
