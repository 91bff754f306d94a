#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/GpsUtc.h"
#include "tools/quorutil/MonitorTable.h"
#include "tools/quorutil/Tool.h"

#include "util/processing/GpsTime.h"
#include "util/processing/GpsWeeks.h"
#include "util/processing/PyramidBuilder.h"
#include "util/progress/ProgressInterfaceFancy.h"
#include "util/progress/ProgressInterfaceStd.h"
#include "util/strings/NumberFormat.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTime>

#include <cmath>
#include <cstring>
#include <memory>
#include <ostream>

namespace quorutil {

namespace {

// Seconds from the week epoch the las conversions take: from the GPS origin 1980-01-06 to the
// last whole-second week time the date conversion can take.
constexpr double earliestGpsSeconds = -static_cast<double>(util::gpsWeekEpochSinceOrigin);
constexpr double latestGpsSeconds = 4294967295.0 + 604800.0;

// One instant of the date and las commands: ISO 8601 in the GPS time scale and in UTC, as
// text lines or one JSON object (with members of the command's own).
int printGpsInstant(const CommandLine &cl, std::ostream &out, std::ostream &err,
                    double gpsSecondsSinceOrigin, QJsonObject object)
{
    const auto whole = static_cast<std::int64_t>(std::floor(gpsSecondsSinceOrigin));
    const QString gps = gpsText(whole).replace(' ', 'T');
    const QString utc = utcText(whole).replace(' ', 'T') + 'Z';
    const int leap = gpsMinusUtc(whole);
    if (cl.isSet("--json")) {
        object.insert("gps", gps);
        object.insert("utc", utc);
        object.insert("gpsMinusUtc", leap);
        out << QJsonDocument(object).toJson(QJsonDocument::Indented).toStdString();
    } else {
        out << "GPS date and time: " << gps.toStdString() << "\n"
            << "UTC date and time: " << utc.toStdString() << " (GPS - " << std::to_string(leap)
            << " s)\n";
    }
    // A week counted from the wrong epoch lands 19.6 years late.
    const QDateTime when = QDateTime(QDate(1980, 1, 6), QTime(0, 0), Qt::UTC).addSecs(whole - leap);
    if (when > QDateTime::currentDateTimeUtc())
        err << "quorutil " << cl.command() << ": warning: " << utc.toStdString()
            << " is in the future"
            << (cl.command() == "gps date" && !cl.isSet("--full-week")
                    ? "; a receiver, RINEX or a trajectory counts weeks from 1980-01-06 "
                      "(--full-week)"
                    : "")
            << "\n";
    return ExitOk;
}

} // namespace

int gpsDate(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    const auto week = static_cast<std::int64_t>(cl.numberAt(0));
    const double secondsOfWeek = cl.numberAt(1);
    const bool fullWeek = cl.isSet("--full-week");
    if (!fullWeek && week > 7101)
        return cl.usageError(err,
                             "WEEK counted from 1999-08-22 goes up to 7101, not "
                                 + std::to_string(week) + " (--full-week counts from 1980-01-06)");
    QJsonObject object {{"week", qint64(week)},
                        {"secondsOfWeek", secondsOfWeek},
                        {"weeksFrom", fullWeek ? "1980-01-06" : "1999-08-22"}};
    if (fullWeek)
        return printGpsInstant(cl, out, err, util::gpsSecondsFromFullWeek(week, secondsOfWeek),
                               object);
    QDate date;
    dateFromGpsTime(quorunits::WholeSeconds::from_value(std::uint32_t(week) * 604800u),
                    quorunits::Seconds::from_value(secondsOfWeek), date);
    if (!cl.isSet("--json"))
        out << "GPS date: " << date.toString(QStringLiteral("yyyy-MM-dd")).toStdString() << "\n";
    return printGpsInstant(
        cl, out, err,
        double(util::gpsWeekEpochSinceOrigin) + double(week) * 604800.0 + secondsOfWeek, object);
}

int gpsTime(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    const double seconds = cl.numberAt(0);
    // timeFromGpsTime keeps the low 32 bits of the seconds (so it has always counted); the
    // range here goes beyond 2^32, so the time of day is taken from all of them, as the date
    // and time printed beside it are.
    const auto whole = static_cast<std::int64_t>(seconds);
    const QTime time = QTime(0, 0).addSecs(static_cast<int>(whole % 86400));
    const QString timeOfDay = time.toString(QStringLiteral("HH:mm:ss"));
    if (!cl.isSet("--json"))
        out << "GPS time of day: " << timeOfDay.toStdString() << "\n";
    return printGpsInstant(cl, out, err, double(whole) + double(util::gpsWeekEpochSinceOrigin),
                           QJsonObject {{"seconds", qint64(whole)}, {"timeOfDay", timeOfDay}});
}

int gpsLas(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    const double seconds = cl.numberAt(0);
    constexpr double lasShift = 1e9 - double(util::gpsWeekEpochSinceOrigin);
    if (cl.isSet("--to-gps")) {
        // SECONDS is a LAS time: what instant is it?
        const double t = util::gpsTimeFromLasTime(seconds);
        if (t > latestGpsSeconds)
            return cl.usageError(
                err, "a LAS time goes up to " + util::formatFixed(latestGpsSeconds - lasShift, 0));
        if (!cl.isSet("--json"))
            out << "GPS time (seconds from 1999-08-22): " << util::formatShortest(t) << "\n";
        return printGpsInstant(cl, out, err, t + double(util::gpsWeekEpochSinceOrigin),
                               QJsonObject {{"las", seconds}, {"seconds", t}});
    }
    if (seconds < earliestGpsSeconds)
        return cl.usageError(err,
                             "SECONDS counts from 1999-08-22 and starts at "
                                 + util::formatFixed(earliestGpsSeconds, 0)
                                 + " (--to-gps reads a LAS time)");
    const auto whole = static_cast<std::int64_t>(std::floor(seconds));
    const std::int64_t las = util::absoluteGPSTimeOffsetForLas(whole);
    if (!cl.isSet("--json"))
        out << "LAS adjusted standard GPS time: " << std::to_string(las) << "\n";
    return printGpsInstant(cl, out, err, double(whole) + double(util::gpsWeekEpochSinceOrigin),
                           QJsonObject {{"seconds", qint64(whole)}, {"las", qint64(las)}});
}

namespace {

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

int pyramidCommand(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    const double timeout = cl.number("--timeout", 3600);
    const QString kind = cl.value("--progress", QStringLiteral("std"));
    std::unique_ptr<util::ProgressInterface> progress;
    if (kind == QLatin1String("std"))
        progress = std::make_unique<util::ProgressInterfaceStd>();
    else if (kind == QLatin1String("fancy"))
        progress = std::make_unique<util::ProgressInterfaceFancy>();

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
