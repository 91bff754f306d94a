#include "tools/quorutil/Report.h"

#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Tool.h"

#include <QtGlobal>

#include <cstdio>
#include <ostream>

namespace quorutil {

int report(std::ostream &err, const std::string &command, const util::Failure &failure)
{
    err << "quorutil " << command << ": " << failure.text().toStdString() << "\n";
    return ExitFailure;
}

int report(std::ostream &err, const CommandLine &cl, const util::Failure &failure)
{
    return cl.failure(err, failure.text().toStdString());
}

namespace {

void toolMessages(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    static const bool all = qEnvironmentVariableIntValue("QUOR_QT_MESSAGES") != 0;
    if (!all && type != QtFatalMsg)
        return;
    const QByteArray line = qFormatLogMessage(type, context, text).toLocal8Bit();
    std::fprintf(stderr, "%s\n", line.constData());
}

} // namespace

void installQtMessageHandler()
{
    qInstallMessageHandler(toolMessages);
}

} // namespace quorutil
