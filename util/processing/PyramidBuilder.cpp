#include "util/processing/PyramidBuilder.h"

#include <QProcess>
#include <QStringList>

#include <ctime>

namespace util {

namespace {

const char *problemText(QProcess::ProcessError error)
{
    switch (error) {
    case QProcess::FailedToStart:
        return "failed to start process";
    case QProcess::Crashed:
        return "make_pyr crashed";
    case QProcess::Timedout:
        return "timed out";
    case QProcess::ReadError:
        return "read error";
    case QProcess::WriteError:
        return "write error";
    default:
        return "unknown problem";
    }
}

// The builder's output is shown as one text, up to its first NUL byte.
std::string textUpToNul(const QByteArray &bytes)
{
    const int nul = bytes.indexOf('\0');
    return (nul < 0 ? bytes : bytes.left(nul)).toStdString();
}

} // namespace

bool createOrthoVistaPyramid(const std::string &program, const std::string &image,
                             std::vector<std::string> &messages)
{
    return createOrthoVistaPyramid(program, image, messages, -1);
}

bool createOrthoVistaPyramid(const std::string &program, const std::string &image,
                             std::vector<std::string> &messages, int timeoutMs)
{
    const std::clock_t start = std::clock();
    messages.clear();
    const QStringList arguments = {QString::fromStdString(image), QStringLiteral("-external")};
    messages.push_back("command line: " + program + " "
                       + arguments.join(QLatin1Char(' ')).toStdString());

    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(QString::fromStdString(program), arguments, QIODevice::ReadWrite);

    QProcess::ProcessError problem = QProcess::UnknownError;
    int exitCode = 0;
    if (!process.waitForStarted(-1)) {
        problem = process.error();
    } else if (!process.waitForFinished(timeoutMs)) {
        // Timed out: keep Qt's error for the report, then leave nothing running.
        problem = process.error();
        process.kill();
        process.waitForFinished(-1);
    } else if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) {
        const auto ticks = static_cast<long long>(std::clock() - start);
        const long long milliseconds = ticks / (CLOCKS_PER_SEC / 1000);
        messages.push_back("Processor elapsed seconds: " + std::to_string(milliseconds / 1000));
        return true;
    } else {
        problem = process.error();
        if (process.exitStatus() == QProcess::NormalExit)
            exitCode = process.exitCode();
    }

    messages.push_back("make_pyr exited with error code " + std::to_string(exitCode));
    messages.push_back("make_pyr encountered problems:");
    messages.push_back(problemText(problem));
    messages.push_back("standard error:");
    messages.push_back(textUpToNul(process.readAllStandardError()));
    messages.push_back("standard out:");
    messages.push_back(textUpToNul(process.readAllStandardOutput()));
    return false;
}

} // namespace util
