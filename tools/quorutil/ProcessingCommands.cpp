#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/GpsUtc.h"
#include "tools/quorutil/MonitorTable.h"
#include "tools/quorutil/Tool.h"

#include "util/processing/GpsTime.h"
#include "util/processing/PyramidBuilder.h"
#include "util/progress/ProgressInterfaceFancy.h"
#include "util/progress/ProgressInterfaceStd.h"
#include "util/strings/NumberFormat.h"

#include <QDate>
#include <QFile>
#include <QTime>

#include <cmath>
#include <cstring>
#include <memory>
#include <ostream>

namespace quorutil {

namespace {

const char pyramidUsage[] =
    "Usage: quorutil pyramid --tool PATH [--timeout SECONDS] [--progress none|std|fancy] "
    "IMAGE...\n"
    "\n"
    "Builds the image pyramid of each IMAGE by running the pyramid builder as\n"
    "'PATH IMAGE -external', and prints each builder's report.\n"
    "  --tool PATH        the pyramid builder\n"
    "  --timeout SECONDS  give up on a builder still running after SECONDS (default 3600;\n"
    "                     0 waits for ever)\n"
    "  --progress KIND    how the progress over the images is shown (default std)\n"
    "GDAL's gdaladdo serves as builder through the gdaladdo-pyramid script installed beside\n"
    "quorutil: --tool gdaladdo-pyramid.\n";

const char gpsUsage[] =
    "Usage: quorutil gps date WEEK SECONDS_OF_WEEK\n"
    "       quorutil gps time SECONDS\n"
    "       quorutil gps las SECONDS\n"
    "\n"
    "GPS time as the sensor records it: WEEK counts whole weeks from the GPS week epoch\n"
    "1999-08-22, SECONDS count seconds from it (0 <= SECONDS_OF_WEEK < 604800).\n"
    "  date  the calendar date of a week and a time in it\n"
    "  time  the time of day of SECONDS\n"
    "  las   the adjusted standard GPS time that LAS point clouds store\n"
    "Beside each GPS date the UTC date and time are shown: GPS less the leap seconds in force.\n";

// Seconds from the week epoch that the conversions accept: from the GPS origin 1980-01-06
// to the last whole-second week time the date conversion can take (week 7101).
constexpr double earliestSeconds = -static_cast<double>(gpsEpochSinceOrigin);
constexpr double latestSeconds = 4294967295.0 + 604800.0;

// The GPS and UTC lines for a whole-second instant counted from the week epoch.
void printInstant(std::ostream &out, std::int64_t secondsFromEpoch)
{
    const std::int64_t gps = secondsFromEpoch + gpsEpochSinceOrigin;
    out << "GPS date and time: " << gpsText(gps).toStdString() << "\n"
        << "UTC date and time: " << utcText(gps).toStdString() << " (GPS - "
        << std::to_string(gpsMinusUtc(gps)) << " s)\n";
}

int gpsDate(const QStringList &args, std::ostream &out, std::ostream &err)
{
    CommandLine cl("gps date", gpsUsage, {});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    if (cl.positional().size() != 2)
        return cl.usageError(err, "date needs WEEK and SECONDS_OF_WEEK");
    bool ok = false;
    const uint week = cl.positional().at(0).toUInt(&ok);
    if (!ok || week > 4294967295u / 604800u)
        return cl.usageError(err, "WEEK must be a whole number from 0 to 7101, not '"
                                      + cl.positional().at(0).toStdString() + "'");
    double secondsOfWeek = 0;
    if (!parseFiniteNumber(cl.positional().at(1), secondsOfWeek) || secondsOfWeek < 0
        || secondsOfWeek >= 604800)
        return cl.usageError(err, "SECONDS_OF_WEEK must be a number from 0 to below 604800, not '"
                                      + cl.positional().at(1).toStdString() + "'");

    QDate date;
    dateFromGpsTime(quorunits::WholeSeconds::from_value(week * 604800u),
                    quorunits::Seconds::from_value(secondsOfWeek), date);
    QTime time;
    timeFromGpsTime(quorunits::Seconds::from_value(secondsOfWeek), time);
    out << "GPS date: " << date.toString(QStringLiteral("yyyy-MM-dd")).toStdString() << "\n";
    printInstant(out, static_cast<std::int64_t>(week) * 604800
                          + static_cast<std::int64_t>(secondsOfWeek));
    return ExitOk;
}

// Parses "gps time|las SECONDS"; false with *code set when the command ends here.
bool parseSecondsCommand(const char *name, const QStringList &args, std::ostream &out,
                         std::ostream &err, double &seconds, int *code)
{
    CommandLine cl(std::string("gps ") + name, gpsUsage, {});
    if (!cl.parse(args, out, err, code))
        return false;
    if (cl.positional().size() != 1) {
        *code = cl.usageError(err, std::string(name) + " needs SECONDS");
        return false;
    }
    const double earliest = std::string(name) == "time" ? 0.0 : earliestSeconds;
    if (!parseFiniteNumber(cl.positional().first(), seconds) || seconds < earliest
        || seconds > latestSeconds) {
        *code = cl.usageError(err, "SECONDS must be a number from "
                                       + util::formatFixed(earliest, 0) + " to "
                                       + util::formatFixed(latestSeconds, 0) + ", not '"
                                       + cl.positional().first().toStdString() + "'");
        return false;
    }
    return true;
}

int gpsTime(const QStringList &args, std::ostream &out, std::ostream &err)
{
    double seconds = 0;
    int code = ExitOk;
    if (!parseSecondsCommand("time", args, out, err, seconds, &code))
        return code;
    // timeFromGpsTime keeps the low 32 bits of the seconds (so it has always counted); the
    // range here goes beyond 2^32, so the time of day is taken from all of them, as the date
    // and time printed beside it are.
    const auto whole = static_cast<std::int64_t>(seconds);
    const QTime time = QTime(0, 0).addSecs(static_cast<int>(whole % 86400));
    out << "GPS time of day: " << time.toString(QStringLiteral("HH:mm:ss")).toStdString() << "\n";
    printInstant(out, static_cast<std::int64_t>(seconds));
    return ExitOk;
}

int gpsLas(const QStringList &args, std::ostream &out, std::ostream &err)
{
    double seconds = 0;
    int code = ExitOk;
    if (!parseSecondsCommand("las", args, out, err, seconds, &code))
        return code;
    const auto whole = static_cast<std::int64_t>(std::floor(seconds));
    out << "LAS adjusted standard GPS time: "
        << std::to_string(util::absoluteGPSTimeOffsetForLas(whole)) << "\n";
    printInstant(out, whole);
    return ExitOk;
}

// What went wrong with a builder that ran, in one line naming it: how it ended, and the last
// line it wrote to standard error.
std::string pyramidProblem(const std::string &tool, const util::PyramidResult &result,
                           const std::string &timeout)
{
    if (result.timedOut)
        return tool + " timed out after " + timeout + " s";
    std::string problem = result.crashed
        ? tool + " crashed (signal " + std::to_string(result.signal)
            + (sigabbrev_np(result.signal) ? std::string(", SIG") + sigabbrev_np(result.signal)
                                           : std::string())
            + ")"
        : tool + " exited with code " + std::to_string(result.exitCode);
    QByteArray said = QByteArray::fromStdString(result.standardError).trimmed();
    said = said.mid(said.lastIndexOf('\n') + 1).trimmed();
    if (!said.isEmpty())
        problem += ": " + escapeForTerminal(said.left(300));
    return problem;
}

} // namespace

int gpsCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    return dispatchSubcommand("gps", gpsUsage,
                              {{"date", gpsDate}, {"time", gpsTime}, {"las", gpsLas}}, args, out,
                              err);
}

int pyramidCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    CommandLine cl("pyramid", pyramidUsage,
                   {{"--tool", nullptr, true}, {"--timeout", nullptr, true},
                    {"--progress", nullptr, true}});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    if (!cl.isSet("--tool") || cl.value("--tool").isEmpty())
        return cl.usageError(err, "--tool PATH is needed");
    if (cl.positional().isEmpty())
        return cl.usageError(err, "no IMAGE given");
    double timeout = 3600;
    if (cl.isSet("--timeout")
        && (!parseFiniteNumber(cl.value("--timeout"), timeout) || timeout < 0 || timeout > 2147483))
        return cl.usageError(err, "--timeout must be a number of seconds from 0 to 2147483");
    const QString kind = cl.value("--progress", QStringLiteral("std"));
    std::unique_ptr<util::ProgressInterface> progress;
    if (kind == QLatin1String("std"))
        progress = std::make_unique<util::ProgressInterfaceStd>();
    else if (kind == QLatin1String("fancy"))
        progress = std::make_unique<util::ProgressInterfaceFancy>();
    else if (kind != QLatin1String("none"))
        return cl.usageError(err, "--progress must be none, std or fancy");

    const std::string tool = localPath(cl.value("--tool"));
    const int timeoutMs = timeout == 0 ? -1 : static_cast<int>(timeout * 1000);
    const std::string timeoutText = cl.value("--timeout", QStringLiteral("3600")).toStdString();
    const QStringList &images = cl.positional();
    if (progress) {
        progress->starting("Pyramids");
        progress->totalAmount(images.size(), "images");
    }
    int failures = 0;
    for (int i = 0; i < images.size(); ++i) {
        const std::string image = localPath(images.at(i));
        std::vector<std::string> report;
        util::PyramidResult result;
        util::Failure failure;
        const bool ok =
            util::createOrthoVistaPyramid(tool, image, report, timeoutMs, result, &failure);
        out << "== " << image << (ok ? "" : " (failed)") << "\n";
        for (const std::string &line : report)
            out << line << "\n";
        if (!result.started) {
            // The same for every image: said once, about the builder.
            err << "quorutil pyramid: " << failure.text().toStdString() << "\n";
            return ExitFailure;
        }
        if (!ok) {
            ++failures;
            err << "quorutil pyramid: " << image << ": "
                << pyramidProblem(tool, result, timeoutText) << "\n";
        }
        if (progress)
            progress->amountDone(i + 1);
    }
    if (progress)
        progress->finished("Pyramids");
    return failures ? ExitFailure : ExitOk;
}

} // namespace quorutil
