#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Tool.h"

#include "util/progress/ProgressInterfaceUdp.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <algorithm>
#include <iostream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include <unistd.h>

namespace quorutil {

namespace {

const char monitorUsage[] =
    "Usage: quorutil monitor [--port N] [--listen ADDR] [--once] [--timeout SECONDS]\n"
    "\n"
    "Follows the progress datagrams of running jobs (port 45454 on every IPv4 address by\n"
    "default) and keeps a table of jobs: redrawn in place on a terminal, one line per\n"
    "datagram otherwise. Malformed datagrams are counted and skipped.\n"
    "  --once             exit after the first finish notice\n"
    "  --timeout SECONDS  stop after that long (with --once: exit code 1 if nothing finished)\n"
    "  --port 0           listen on a free port (printed on the first line)\n";

struct Job
{
    std::string sender;
    std::string app;
    std::string texts;
    std::string progress;
    std::string host;
    std::string task;
    QDateTime lastSeen;
    bool finished = false;
};

// One received datagram, taken apart.
struct Datagram
{
    enum Kind { Start, Finish, Status, Malformed } kind = Malformed;
    std::string task; // start and finish notices
    std::string app, texts, progress, host; // status
};

std::string joinTexts(const std::vector<QByteArray> &texts)
{
    std::string joined;
    for (const QByteArray &text : texts) {
        if (text.isEmpty())
            continue;
        if (!joined.empty())
            joined += " / ";
        joined += text.toStdString();
    }
    return joined.empty() ? "-" : joined;
}

bool isNumber(const QByteArray &text)
{
    bool ok = false;
    text.toDouble(&ok);
    return ok;
}

Datagram parse(const QByteArray &bytes)
{
    Datagram d;
    if (bytes.startsWith("Starting ") || bytes.startsWith("Finished ")) {
        d.kind = bytes.startsWith("S") ? Datagram::Start : Datagram::Finish;
        d.task = bytes.mid(9).toStdString();
        return d;
    }
    if (bytes.size() < 6 || !bytes.startsWith("###") || !bytes.endsWith("###"))
        return d;
    std::vector<QByteArray> fields;
    const QByteArray inner = bytes.mid(3, bytes.size() - 6);
    int from = 0;
    for (;;) {
        const int at = inner.indexOf("###", from);
        fields.push_back(inner.mid(from, at < 0 ? -1 : at - from));
        if (at < 0)
            break;
        from = at + 3;
    }
    if (fields.size() == 9 && fields[0] == "RECTIFIER") {
        if (!isNumber(fields[4]) || !isNumber(fields[5]))
            return d;
        d.app = fields[0].toStdString();
        d.texts = joinTexts({fields[1], fields[2], fields[3], fields[6], fields[7]});
        d.progress = fields[5].toStdString() + "/" + fields[4].toStdString();
        d.host = fields[8].toStdString();
    } else if (fields.size() == 7 && fields[0] != "RECTIFIER") {
        if (!isNumber(fields[2]))
            return d;
        d.app = fields[0].toStdString();
        d.texts = joinTexts({fields[3], fields[1], fields[4], fields[5]});
        d.progress = fields[2].toStdString() + "%";
        d.host = fields[6].toStdString();
    } else {
        return d;
    }
    d.kind = Datagram::Status;
    return d;
}

std::string fit(const std::string &text, std::size_t width)
{
    if (text.size() <= width)
        return text + std::string(width - text.size(), ' ');
    return text.substr(0, width - 1) + "~";
}

class Monitor
{
public:
    Monitor(std::ostream &out, std::ostream &err, bool table, std::string where)
        : m_out(out)
        , m_err(err)
        , m_table(table)
        , m_where(std::move(where))
    {
    }

    // Returns true for a finish notice.
    bool receive(const QNetworkDatagram &datagram)
    {
        const QDateTime now = QDateTime::currentDateTime();
        const std::string stamp = now.toString(QStringLiteral("HH:mm:ss")).toStdString();
        QHostAddress address = datagram.senderAddress();
        bool isV4 = false;
        const quint32 v4 = address.toIPv4Address(&isV4);
        if (isV4)
            address = QHostAddress(v4);
        const std::string sender = address.toString().toStdString();
        const Datagram d = parse(datagram.data());

        switch (d.kind) {
        case Datagram::Malformed:
            ++m_malformed;
            if (!m_table)
                m_err << "quorutil monitor: skipped a malformed datagram from " << sender << " ("
                      << m_malformed << " so far)" << std::endl;
            break;
        case Datagram::Start:
            m_pendingTask[sender] = d.task;
            if (!m_table)
                m_out << stamp << "  " << sender << "  start   " << d.task << std::endl;
            break;
        case Datagram::Status: {
            const std::string key = sender + '\n' + d.app + '\n' + d.texts + '\n' + d.host;
            Job &job = m_jobs[key];
            if (job.sender.empty())
                m_order.push_back(key);
            job.sender = sender;
            job.app = d.app;
            job.texts = d.texts;
            job.progress = d.progress;
            job.host = d.host;
            job.lastSeen = now;
            job.finished = false;
            const auto pending = m_pendingTask.find(sender);
            if (pending != m_pendingTask.end()) {
                job.task = pending->second;
                m_pendingTask.erase(pending);
            }
            m_lastJob[sender] = key;
            if (!m_table)
                m_out << stamp << "  " << sender << "  status  " << d.app << " | " << d.texts
                      << " | " << d.progress << " | " << d.host << std::endl;
            break;
        }
        case Datagram::Finish: {
            // The reporter sends its 100 % status right before the finish notice, so the
            // sender's latest job is the one that finished.
            const auto last = m_lastJob.find(sender);
            if (last != m_lastJob.end()) {
                Job &job = m_jobs[last->second];
                job.finished = true;
                job.task = d.task;
                job.lastSeen = now;
            }
            if (!m_table)
                m_out << stamp << "  " << sender << "  finish  " << d.task << std::endl;
            break;
        }
        }
        if (m_table)
            draw();
        return d.kind == Datagram::Finish;
    }

    void draw()
    {
        m_out << "\033[H\033[2J"
              << "quorutil monitor on " << m_where << ": " << m_jobs.size() << " job(s), "
              << m_malformed << " malformed datagram(s) skipped\n\n"
              << fit("APPLICATION", 12) << ' ' << fit("JOB", 40) << ' ' << fit("TASK", 24) << ' '
              << fit("PROGRESS", 16) << ' ' << fit("HOST", 16) << ' ' << fit("LAST SEEN", 9)
              << " STATE\n";
        for (const std::string &key : m_order) {
            const Job &job = m_jobs[key];
            m_out << fit(job.app, 12) << ' ' << fit(job.texts, 40) << ' ' << fit(job.task, 24)
                  << ' ' << fit(job.progress, 16) << ' ' << fit(job.host, 16) << ' '
                  << fit(job.lastSeen.toString(QStringLiteral("HH:mm:ss")).toStdString(), 9) << ' '
                  << (job.finished ? "finished" : "running") << '\n';
        }
        m_out << std::flush;
    }

    int malformed() const { return m_malformed; }

private:
    std::ostream &m_out;
    std::ostream &m_err;
    bool m_table;
    std::string m_where;
    std::map<std::string, Job> m_jobs;
    std::vector<std::string> m_order;
    std::map<std::string, std::string> m_pendingTask;
    std::map<std::string, std::string> m_lastJob;
    int m_malformed = 0;
};

} // namespace

int monitorCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    quint16 port = util::ProgressInterfaceUdp::DEFAULT_PORT;
    QHostAddress listen(QHostAddress::AnyIPv4);
    bool once = false;
    double timeout = -1;
    QString timeoutText;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        bool ok = true;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out << monitorUsage;
            return ExitOk;
        } else if (arg == QLatin1String("--once")) {
            once = true;
        } else if (arg == QLatin1String("--port") && hasValue) {
            const uint value = args.at(++i).toUInt(&ok);
            ok = ok && value <= 65535;
            port = static_cast<quint16>(value);
        } else if (arg == QLatin1String("--listen") && hasValue) {
            ok = listen.setAddress(args.at(++i));
        } else if (arg == QLatin1String("--timeout") && hasValue) {
            timeoutText = args.at(++i);
            timeout = timeoutText.toDouble(&ok);
            ok = ok && timeout >= 0;
        } else {
            ok = false;
        }
        if (!ok) {
            err << monitorUsage;
            return ExitUsage;
        }
    }

    QUdpSocket socket;
    if (!socket.bind(listen, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        err << "quorutil monitor: cannot listen on " << listen.toString().toStdString() << ":"
            << port << ": " << socket.errorString().toStdString() << "\n";
        return ExitFailure;
    }
    const std::string where =
        listen.toString().toStdString() + ":" + std::to_string(socket.localPort());
    const bool table = &out == &std::cout && ::isatty(STDOUT_FILENO);
    if (!table)
        out << "Listening for progress datagrams on " << where << std::endl;

    Monitor monitor(out, err, table, where);
    if (table)
        monitor.draw();
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (timeout >= 0 && clock.elapsed() >= static_cast<qint64>(timeout * 1000)) {
            if (once) {
                err << "quorutil monitor: no finish notice within " << timeoutText.toStdString()
                    << " s\n";
                return ExitFailure;
            }
            return ExitOk;
        }
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(200))
            continue;
        while (socket.hasPendingDatagrams()) {
            if (monitor.receive(socket.receiveDatagram()) && once)
                return ExitOk;
        }
    }
}

} // namespace quorutil
