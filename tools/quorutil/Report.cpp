#include "tools/quorutil/Report.h"

#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Tool.h"

#include "util/files/Failure.h"

#include <QtGlobal>

#include <cerrno>
#include <cstdio>
#include <ostream>

#include <ostream>
#include <unistd.h>

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

StandardOutputBuffer::StandardOutputBuffer()
{
    setp(m_buffer, m_buffer + sizeof m_buffer);
}

StandardOutputBuffer::~StandardOutputBuffer()
{
    drain();
}

bool StandardOutputBuffer::drain()
{
    const char *from = pbase();
    while (from < pptr() && m_error == 0) {
        const ssize_t n = ::write(STDOUT_FILENO, from, std::size_t(pptr() - from));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            m_error = n < 0 ? errno : EIO;
        else
            from += n;
    }
    setp(m_buffer, m_buffer + sizeof m_buffer);
    return m_error == 0;
}

StandardOutputBuffer::int_type StandardOutputBuffer::overflow(int_type c)
{
    if (!drain())
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof()))
        sputc(traits_type::to_char_type(c));
    return traits_type::not_eof(c);
}

int StandardOutputBuffer::sync()
{
    return drain() ? 0 : -1;
}

int closeStandardOutput(const QStringList &args, int exitCode, StandardOutputBuffer &buffer,
                        std::ostream &err)
{
    buffer.pubsync();
    int error = buffer.error();
    // Closing reports what the kernel kept until then (a file system that writes on close); a
    // standard output that was never open is no failure.
    if (::close(STDOUT_FILENO) != 0 && error == 0 && errno != EBADF)
        error = errno;
    if (error == 0)
        return exitCode;
    // The command's name: the words of the arguments that name a command or subcommand.
    QStringList command;
    for (const QStringList &path : commandPaths())
        if (path.size() > command.size() && args.mid(0, path.size()) == path)
            command = path;
    err << "quorutil" << (command.isEmpty() ? "" : " " + command.join(' ').toStdString()) << ": "
        << util::Failure::system(error, QStringLiteral("standard output")).text().toStdString()
        << std::endl;
    return ExitFailure;
}

void installQtMessageHandler()
{
    qInstallMessageHandler(toolMessages);
}

} // namespace quorutil
