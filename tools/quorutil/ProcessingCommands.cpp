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

// The GPS and UTC lines for a whole-second instant counted from the week epoch.
void printInstant(std::ostream &out, std::int64_t secondsFromEpoch)
{
    const std::int64_t gps = secondsFromEpoch + gpsEpochSinceOrigin;
    out << "GPS date and time: " << gpsText(gps).toStdString() << "\n"
        << "UTC date and time: " << utcText(gps).toStdString() << " (GPS - "
        << std::to_string(gpsMinusUtc(gps)) << " s)\n";
}

} // namespace

int gpsDate(const CommandLine &cl, std::ostream &out, std::ostream & /*err*/)
{
    const auto week = static_cast<std::uint32_t>(cl.numberAt(0));
    const double secondsOfWeek = cl.numberAt(1);

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

int gpsTime(const CommandLine &cl, std::ostream &out, std::ostream & /*err*/)
{
    const double seconds = cl.numberAt(0);
    // timeFromGpsTime keeps the low 32 bits of the seconds (so it has always counted); the
    // range here goes beyond 2^32, so the time of day is taken from all of them, as the date
    // and time printed beside it are.
    const auto whole = static_cast<std::int64_t>(seconds);
    const QTime time = QTime(0, 0).addSecs(static_cast<int>(whole % 86400));
    out << "GPS time of day: " << time.toString(QStringLiteral("HH:mm:ss")).toStdString() << "\n";
    printInstant(out, static_cast<std::int64_t>(seconds));
    return ExitOk;
}

int gpsLas(const CommandLine &cl, std::ostream &out, std::ostream & /*err*/)
{
    const double seconds = cl.numberAt(0);
    const auto whole = static_cast<std::int64_t>(std::floor(seconds));
    out << "LAS adjusted standard GPS time: "
        << std::to_string(util::absoluteGPSTimeOffsetForLas(whole)) << "\n";
    printInstant(out, whole);
    return ExitOk;
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
