#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Output.h"
#include "tools/quorutil/MonitorTable.h"
#include "tools/quorutil/Tool.h"

#include "util/progress/ProgressDatagram.h"
#include "util/progress/ProgressInterfaceUdp.h"
#include "util/strings/NumberFormat.h"

#include <QChar>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <limits>
#include <ostream>
#include <vector>

#include <unistd.h>

namespace quorutil {

namespace {

constexpr qint64 REDRAW_MS = 250;

// The first bytes of text, not cutting a UTF-8 sequence.
std::string keep(const std::string &text)
{
    if (text.size() <= MonitorTable::MAX_TEXT)
        return text;
    std::size_t cut = MonitorTable::MAX_TEXT;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut);
}

std::string shown(const std::string &text)
{
    return escapeForTerminal(QByteArray(text.data(), static_cast<int>(text.size())));
}

std::string joinTexts(std::initializer_list<const std::string *> texts)
{
    std::string joined;
    for (const std::string *text : texts) {
        if (text->empty())
            continue;
        if (!joined.empty())
            joined += " / ";
        joined += *text;
    }
    return joined.empty() ? "-" : joined;
}

std::string number(double value)
{
    return QByteArray::number(value, 'g', 6).toStdString();
}

// Width of escaped text in code points (escapes are ASCII; the rest is valid UTF-8).
std::size_t width(const std::string &text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string fit(const std::string &text, std::size_t columns)
{
    const std::size_t w = width(text);
    if (w <= columns)
        return text + std::string(columns - w, ' ');
    std::size_t cut = 0;
    for (std::size_t seen = 0; cut < text.size(); ++cut) {
        if ((static_cast<unsigned char>(text[cut]) & 0xC0) != 0x80 && seen++ == columns - 1)
            break;
    }
    return text.substr(0, cut) + "~";
}

std::string clockText(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss")).toStdString();
}

bool invisible(char32_t cp)
{
    if (cp < 0xA0) // C1 controls; C0 never gets here
        return true;
    switch (QChar::category(static_cast<uint>(cp))) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

} // namespace

std::string escapeForTerminal(const QByteArray &bytes)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(static_cast<std::size_t>(bytes.size()));
    const auto byte = [&out](unsigned char b) {
        out += "\\x";
        out += hex[b >> 4];
        out += hex[b & 15];
    };
    const int size = bytes.size();
    for (int i = 0; i < size;) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            if (c == '\\')
                out += "\\\\";
            else if (c == '\n')
                out += "\\n";
            else if (c == '\r')
                out += "\\r";
            else if (c == '\t')
                out += "\\t";
            else if (c < 0x20 || c == 0x7f)
                byte(c);
            else
                out += static_cast<char>(c);
            ++i;
            continue;
        }
        int length = 0;
        char32_t cp = 0, least = 0;
        if ((c & 0xE0) == 0xC0) {
            length = 2;
            cp = c & 0x1F;
            least = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            cp = c & 0x0F;
            least = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            cp = c & 0x07;
            least = 0x10000;
        }
        bool valid = length > 0 && i + length <= size;
        for (int k = 1; valid && k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            valid = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        valid = valid && cp >= least && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (!valid) {
            byte(c);
            ++i;
            continue;
        }
        if (invisible(cp)) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "\\u{%04x}", static_cast<unsigned>(cp));
            out += buf;
        } else {
            out.append(bytes.constData() + i, static_cast<std::size_t>(length));
        }
        i += length;
    }
    return out;
}

template<typename T> T *MonitorTable::Recent<T>::find(const std::string &key)
{
    const auto it = index.find(key);
    return it == index.end() ? nullptr : &*it->second;
}

template<typename T>
T &MonitorTable::Recent<T>::touch(const std::string &key, std::size_t cap, bool *inserted)
{
    const auto it = index.find(key);
    if (it != index.end()) {
        items.splice(items.end(), items, it->second);
        *inserted = false;
        return items.back();
    }
    while (!items.empty() && items.size() >= cap)
        erase(items.begin(), items.front().key);
    items.emplace_back();
    index.emplace(key, std::prev(items.end()));
    *inserted = true;
    return items.back();
}

template<typename T>
void MonitorTable::Recent<T>::erase(typename std::list<T>::iterator it, const std::string &key)
{
    index.erase(std::string(key)); // key may live in *it
    items.erase(it);
}

void MonitorTable::expire(qint64 nowMs)
{
    for (auto it = m_jobs.items.begin(); it != m_jobs.items.end();) {
        const qint64 idle = nowMs - it->lastSeen;
        const auto next = std::next(it);
        if (idle >= STALE_MS || (it->finished && idle >= FINISHED_MS))
            m_jobs.erase(it, it->key);
        it = next;
    }
    while (!m_senders.items.empty() && nowMs - m_senders.items.front().lastSeen >= STALE_MS)
        m_senders.erase(m_senders.items.begin(), m_senders.items.front().key);
}

MonitorTable::Event MonitorTable::receive(const QByteArray &bytes, const std::string &sender,
                                          qint64 nowMs, std::string *line)
{
    expire(nowMs);
    line->clear();
    const util::ProgressDatagram d = util::ProgressDatagram::parse(bytes);
    const std::string stamp = clockText(nowMs) + "  " + sender + "  ";
    bool inserted = false;

    switch (d.kind()) {
    case util::ProgressDatagram::Malformed:
        ++m_malformed;
        return Malformed;
    case util::ProgressDatagram::Start: {
        Sender &s = m_senders.touch(sender, MAX_SENDERS, &inserted);
        s.key = sender;
        s.pendingTask = keep(d.taskName());
        s.lastSeen = nowMs;
        *line = stamp + "start   " + shown(d.taskName());
        return Start;
    }
    case util::ProgressDatagram::Finish: {
        // The reporter sends its 100 % status right before the finish notice, so the sender's
        // latest job is the one that finished.
        if (Sender *s = m_senders.find(sender)) {
            if (Job *job = m_jobs.find(s->lastJob)) {
                job->finished = true;
                job->task = keep(d.taskName());
                job->lastSeen = nowMs;
                m_jobs.touch(job->key, MAX_JOBS, &inserted);
            }
        }
        *line = stamp + "finish  " + shown(d.taskName());
        return Finish;
    }
    case util::ProgressDatagram::Status:
        break;
    }

    const std::string app = keep(d.property(1));
    const std::string texts = d.isRectifierLayout()
        ? joinTexts(
            {&d.property(2), &d.property(3), &d.property(4), &d.property(5), &d.property(6)})
        : joinTexts({&d.property(2), &d.property(3), &d.property(5), &d.property(6)});
    const std::string progress = d.isRectifierLayout() ? number(d.done()) + "/" + number(d.total())
                                                       : number(d.percent()) + "%";
    const std::string host = keep(d.property(7));
    const std::string key = sender + '\n' + app + '\n' + keep(texts) + '\n' + host;

    Job &job = m_jobs.touch(key, MAX_JOBS, &inserted);
    if (inserted) {
        job.key = key;
        job.order = m_nextOrder++;
        job.sender = sender;
        job.app = app;
        job.texts = keep(texts);
        job.host = host;
    }
    job.progress = progress;
    job.lastSeen = nowMs;
    job.finished = false;
    Sender &s = m_senders.touch(sender, MAX_SENDERS, &inserted);
    s.key = sender;
    s.lastSeen = nowMs;
    s.lastJob = key;
    if (!s.pendingTask.empty()) {
        job.task = std::move(s.pendingTask);
        s.pendingTask.clear();
    }
    *line = stamp + "status  " + shown(d.property(1)) + " | " + shown(texts) + " | " + progress
        + " | " + shown(d.property(7));
    return Status;
}

std::string MonitorTable::render(const std::string &where) const
{
    std::vector<const Job *> rows;
    rows.reserve(m_jobs.size());
    for (const Job &job : m_jobs.items)
        rows.push_back(&job);
    std::sort(rows.begin(), rows.end(),
              [](const Job *a, const Job *b) { return a->order < b->order; });

    std::string out = "quorutil monitor on " + where + ": " + std::to_string(rows.size())
        + " job(s), " + std::to_string(m_malformed) + " malformed datagram(s) skipped\n\n"
        + fit("APPLICATION", 12) + ' ' + fit("JOB", 40) + ' ' + fit("TASK", 24) + ' '
        + fit("PROGRESS", 16) + ' ' + fit("HOST", 16) + ' ' + fit("LAST SEEN", 9) + " STATE\n";
    for (const Job *job : rows) {
        out += fit(shown(job->app), 12) + ' ' + fit(shown(job->texts), 40) + ' '
            + fit(shown(job->task), 24) + ' ' + fit(job->progress, 16) + ' '
            + fit(shown(job->host), 16) + ' ' + fit(clockText(job->lastSeen), 9) + ' '
            + (job->finished ? "finished" : "running") + '\n';
    }
    return out;
}

int monitorCommand(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    const auto port =
        static_cast<quint16>(cl.integer("--port", util::ProgressInterfaceUdp::DEFAULT_PORT));
    QHostAddress listen(QHostAddress::AnyIPv4);
    if (cl.isSet("--listen") && !listen.setAddress(cl.value("--listen")))
        return cl.usageError(
            err, "--listen needs an IP address, not '" + cl.value("--listen").toStdString() + "'");
    const bool once = cl.isSet("--once");
    const std::string timeoutText = cl.value("--timeout").toStdString();
    // Milliseconds to run; a timeout too long to count in milliseconds is no limit at all.
    qint64 limitMs = -1;
    if (cl.isSet("--timeout")) {
        const double ms = cl.number("--timeout", 0) * 1000.0;
        limitMs = ms < 9.0e18 ? static_cast<qint64>(ms) : std::numeric_limits<qint64>::max();
    }

    const std::string host = listen.protocol() == QAbstractSocket::IPv6Protocol
        ? "[" + listen.toString().toStdString() + "]"
        : listen.toString().toStdString();
    QUdpSocket socket;
    if (!socket.bind(listen, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
        return cl.failure(err,
                          "cannot listen on " + host + ":" + std::to_string(port) + ": "
                              + socket.errorString().toStdString());
    const std::string where = host + ":" + std::to_string(socket.localPort());
    const bool table = &out == &std::cout && isTerminal(STDOUT_FILENO);
    out << "Listening for progress datagrams on " << where << std::endl;

    MonitorTable jobs;
    QElapsedTimer clock, sinceDraw;
    clock.start();
    bool dirty = table;
    const auto draw = [&] {
        // Redrawn at most a few times a second: a flood of datagrams must not become a flood
        // of screens.
        if (dirty && (!sinceDraw.isValid() || sinceDraw.elapsed() >= REDRAW_MS)) {
            out << "\033[H\033[2J" << jobs.render(where) << std::flush;
            sinceDraw.start();
            dirty = false;
        }
    };
    for (;;) {
        if (table)
            draw();
        if (limitMs >= 0 && clock.elapsed() >= limitMs) {
            if (once)
                return cl.failure(err, "no finish notice within " + timeoutText + " s");
            return ExitOk;
        }
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(200)) {
            if (table)
                jobs.expire(QDateTime::currentMSecsSinceEpoch());
            continue;
        }
        while (socket.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = socket.receiveDatagram();
            QHostAddress address = datagram.senderAddress();
            bool isV4 = false;
            const quint32 v4 = address.toIPv4Address(&isV4);
            if (isV4)
                address = QHostAddress(v4);
            const std::string sender = address.toString().toStdString();
            std::string line;
            const MonitorTable::Event event =
                jobs.receive(datagram.data(), sender, QDateTime::currentMSecsSinceEpoch(), &line);
            dirty = true;
            if (!table) {
                if (event == MonitorTable::Malformed) {
                    err << "quorutil monitor: skipped a malformed datagram from " << sender << " ("
                        << jobs.malformedCount() << " so far)" << std::endl;
                } else {
                    out << line << std::endl;
                }
            }
            if (event == MonitorTable::Finish && once) {
                if (table) {
                    sinceDraw.invalidate();
                    draw();
                }
                return ExitOk;
            }
        }
    }
}

} // namespace quorutil
