#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/MonitorHttp.h"
#include "tools/quorutil/MonitorTable.h"
#include "tools/quorutil/Output.h"
#include "tools/quorutil/Tool.h"

#include "util/progress/ProgressDatagram.h"
#include "util/progress/ProgressInterfaceUdp.h"
#include "util/strings/NumberFormat.h"

#include <QChar>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
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
// Datagrams taken in one pass before the table is drawn and the page updated again.
constexpr int PASS_DATAGRAMS = 256;

// "[ADDR:]PORT" of --http; IPv6 addresses in brackets.
bool parseHttpAddress(const QString &text, QHostAddress *address, quint16 *port)
{
    QString host = QStringLiteral("127.0.0.1"), portText = text;
    if (text.startsWith('[')) {
        const int close = text.indexOf(QLatin1String("]:"));
        if (close < 0)
            return false;
        host = text.mid(1, close - 1);
        portText = text.mid(close + 2);
    } else if (text.count(':') == 1) {
        host = text.section(':', 0, 0);
        portText = text.section(':', 1);
    }
    bool ok = false;
    const uint value = portText.toUInt(&ok);
    if (!ok || value > 65535 || !address->setAddress(host))
        return false;
    *port = static_cast<quint16>(value);
    return true;
}

std::string hostText(const QHostAddress &address)
{
    return address.protocol() == QAbstractSocket::IPv6Protocol
        ? "[" + address.toString().toStdString() + "]"
        : address.toString().toStdString();
}

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

// Time left at rate percent per second, as "45s", "12m05s" or "3h20m".
std::string durationText(double rate, double percent)
{
    if (!(rate > 0) || percent < 0)
        return "-";
    const double seconds = (100 - percent) / rate;
    if (!(seconds < 100 * 3600.0))
        return ">99h";
    const long s = std::lround(seconds);
    char buf[48];
    if (s < 60)
        std::snprintf(buf, sizeof buf, "%lds", s);
    else if (s < 3600)
        std::snprintf(buf, sizeof buf, "%ldm%02lds", s / 60, s % 60);
    else
        std::snprintf(buf, sizeof buf, "%ldh%02ldm", s / 3600, s / 60 % 60);
    return buf;
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
        if (idle >= STALE_MS || (it->finished && idle >= FINISHED_MS)) {
            if (it->key == m_lastKey)
                m_lastKey.clear();
            m_jobs.erase(it, it->key);
            ++m_changes;
        }
        it = next;
    }
    while (!m_senders.items.empty() && nowMs - m_senders.items.front().lastSeen >= STALE_MS)
        m_senders.erase(m_senders.items.begin(), m_senders.items.front().key);
}

MonitorTable::Event MonitorTable::receive(const QByteArray &bytes, const std::string &sender,
                                          qint64 nowMs, std::string *line)
{
    // Expiry counts in minutes; once a second is often enough under a flood of datagrams.
    if (nowMs - m_lastExpire >= 1000 || nowMs < m_lastExpire) {
        expire(nowMs);
        m_lastExpire = nowMs;
    }
    line->clear();
    m_lastKey.clear();
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
                m_lastKey = job->key;
                ++m_changes;
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
    // The rate runs from the job's first status; a job that starts over starts it again.
    const double percent = std::isfinite(d.percent()) ? std::clamp(d.percent(), 0.0, 100.0) : -1;
    if (inserted || percent < 0 || job.firstPercent < 0 || percent < job.percent) {
        job.firstPercent = percent;
        job.firstSeen = nowMs;
        job.rate = -1;
    } else if (nowMs - job.firstSeen >= 1000 && percent > job.firstPercent) {
        job.rate =
            (percent - job.firstPercent) * 1000.0 / static_cast<double>(nowMs - job.firstSeen);
    }
    job.percent = percent;
    job.lastSeen = nowMs;
    job.finished = false;
    m_lastKey = key;
    ++m_changes;
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

std::vector<const MonitorTable::Job *> MonitorTable::inOrder() const
{
    std::vector<const Job *> rows;
    rows.reserve(m_jobs.size());
    for (const Job &job : m_jobs.items)
        rows.push_back(&job);
    std::sort(rows.begin(), rows.end(),
              [](const Job *a, const Job *b) { return a->order < b->order; });
    return rows;
}

std::string MonitorTable::render(const std::string &where) const
{
    const std::vector<const Job *> rows = inOrder();

    // 98 columns: a terminal of 100 shows every row on one line.
    std::string out = "Listening for progress datagrams on " + where + "\n"
        + std::to_string(rows.size()) + " job(s), " + std::to_string(m_malformed)
        + " malformed datagram(s) skipped\n\n" + fit("JOB", 26) + ' ' + fit("HOST", 12) + ' '
        + fit("TASK", 14) + ' ' + fit("PROGRESS", 9) + ' ' + fit("RATE", 7) + ' ' + fit("LEFT", 7)
        + ' ' + fit("SEEN", 8) + " STATE\n";
    for (const Job *job : rows) {
        out += fit(shown(job->app + " " + job->texts), 26) + ' ' + fit(shown(job->host), 12) + ' '
            + fit(shown(job->task), 14) + ' '
            + fit(job->percent >= 0 ? number(std::round(job->percent * 10) / 10) + "%"
                                    : job->progress,
                  9)
            + ' ' + fit(job->rate > 0 ? number(std::round(job->rate * 600) / 10) + "/m" : "-", 7)
            + ' ' + fit(job->finished ? "-" : durationText(job->rate, job->percent), 7) + ' '
            + fit(clockText(job->lastSeen), 8) + ' ' + (job->finished ? "finished" : "running")
            + '\n';
    }
    return out;
}

QJsonObject MonitorTable::jobJson(const Job &job)
{
    const auto text = [](const std::string &t) { return QString::fromStdString(shown(t)); };
    QJsonObject o;
    o.insert("id", static_cast<double>(job.order));
    o.insert("app", text(job.app));
    o.insert("job", text(job.texts));
    o.insert("host", text(job.host));
    o.insert("from", QString::fromStdString(job.sender));
    o.insert("task", text(job.task));
    o.insert("progress", QString::fromStdString(job.progress));
    o.insert("percent", job.percent >= 0 ? QJsonValue(job.percent) : QJsonValue());
    o.insert("ratePerMinute", job.rate > 0 ? QJsonValue(job.rate * 60) : QJsonValue());
    o.insert("secondsLeft",
             !job.finished && job.rate > 0 ? QJsonValue((100 - job.percent) / job.rate)
                                           : QJsonValue());
    o.insert("state", job.finished ? "finished" : "running");
    o.insert("lastSeen", static_cast<double>(job.lastSeen));
    return o;
}

QJsonObject MonitorTable::lastJobJson() const
{
    const auto it = m_jobs.index.find(m_lastKey);
    return it == m_jobs.index.end() ? QJsonObject() : jobJson(*it->second);
}

QByteArray MonitorTable::snapshotJson(qint64 nowMs) const
{
    const std::vector<const Job *> rows = inOrder();
    QJsonArray jobs;
    for (const Job *job : rows)
        jobs.append(jobJson(*job));
    QJsonObject o;
    o.insert("now", static_cast<double>(nowMs));
    o.insert("malformed", static_cast<double>(m_malformed));
    o.insert("jobs", jobs);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
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
    QHostAddress httpAddress;
    quint16 httpPort = 0;
    if (cl.isSet("--http") && !parseHttpAddress(cl.value("--http"), &httpAddress, &httpPort))
        return cl.usageError(err,
                             "--http needs [ADDR:]PORT with an IP address and a port from 0 to "
                             "65535, not '"
                                 + cl.value("--http").toStdString() + "'");
    const bool json = cl.isSet("--json");
    const bool quiet = cl.isSet("--no-table");

    const std::string host = hostText(listen);
    QUdpSocket socket;
    if (!socket.bind(listen, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
        return cl.failure(err,
                          "cannot listen on " + host + ":" + std::to_string(port) + ": "
                              + socket.errorString().toStdString());
    const std::string where = host + ":" + std::to_string(socket.localPort());
    // The default buffer holds a few hundred small datagrams; a farm whose jobs end together
    // sends more than that at once.
    socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4 << 20);

    MonitorHttp http;
    std::string page;
    if (cl.isSet("--http")) {
        std::string why;
        const std::string httpHost = hostText(httpAddress);
        if (!http.start(httpAddress, httpPort, &why))
            return cl.failure(err,
                              "cannot serve the page on " + httpHost + ":"
                                  + std::to_string(httpPort) + ": " + why);
        page = "http://" + httpHost + ":" + std::to_string(http.port()) + "/";
        if (!httpAddress.isLoopback())
            err << "quorutil monitor: the page at " << page
                << " shows every job to anyone who can reach " << httpHost << std::endl;
    }

    const bool table = !json && !quiet && &out == &std::cout && isTerminal(STDOUT_FILENO);
    const bool lines = !json && !quiet && !table;
    if (json) {
        QJsonObject first {{"listening", QString::fromStdString(where)}};
        if (!page.empty())
            first.insert("page", QString::fromStdString(page));
        out << QJsonDocument(first).toJson(QJsonDocument::Compact).toStdString() << std::endl;
    } else {
        out << "Listening for progress datagrams on " << where << std::endl;
        if (!page.empty())
            out << "Serving the page at " << page << std::endl;
    }

    MonitorTable jobs;
    QElapsedTimer clock, sinceDraw, sincePublish;
    clock.start();
    bool dirty = table;
    long long datagrams = 0;
    qint64 longestPassMs = 0;
    unsigned long long published = std::numeric_limits<unsigned long long>::max(); // none yet
    const auto draw = [&] {
        // Redrawn at most a few times a second: a flood of datagrams must not become a flood
        // of screens.
        if (dirty && (!sinceDraw.isValid() || sinceDraw.elapsed() >= REDRAW_MS)) {
            std::string view = jobs.render(where);
            if (!page.empty())
                view.insert(view.find('\n') + 1, "Serving the page at " + page + "\n");
            out << "\033[H\033[2J" << view << std::flush;
            sinceDraw.start();
            dirty = false;
        }
    };
    const auto publish = [&] {
        if (page.empty() || published == jobs.changes()
            || (sincePublish.isValid() && sincePublish.elapsed() < REDRAW_MS))
            return;
        const QJsonObject health {{"ok", true},
                                  {"jobs", static_cast<double>(jobs.jobCount())},
                                  {"datagrams", static_cast<double>(datagrams)},
                                  {"malformed", static_cast<double>(jobs.malformedCount())},
                                  {"longestPassMs", static_cast<double>(longestPassMs)}};
        http.publish(jobs.snapshotJson(QDateTime::currentMSecsSinceEpoch()),
                     QJsonDocument(health).toJson(QJsonDocument::Compact));
        published = jobs.changes();
        sincePublish.start();
    };
    for (;;) {
        if (table)
            draw();
        publish();
        if (limitMs >= 0 && clock.elapsed() >= limitMs) {
            if (once)
                return cl.failure(err, "no finish notice within " + timeoutText + " s");
            return ExitOk;
        }
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(200)) {
            if (table || !page.empty()) {
                const unsigned long long before = jobs.changes();
                jobs.expire(QDateTime::currentMSecsSinceEpoch());
                dirty = dirty || jobs.changes() != before;
            }
            continue;
        }
        QElapsedTimer pass;
        pass.start();
        for (int n = 0; n < PASS_DATAGRAMS && socket.hasPendingDatagrams(); ++n) {
            const QNetworkDatagram datagram = socket.receiveDatagram();
            ++datagrams;
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
            if (event == MonitorTable::Malformed && (lines || json)) {
                err << "quorutil monitor: skipped a malformed datagram from " << sender << " ("
                    << jobs.malformedCount() << " so far)" << std::endl;
            } else if (lines) {
                out << line << std::endl;
            } else if (json && event != MonitorTable::Start) {
                QJsonObject job = jobs.lastJobJson();
                if (!job.isEmpty()) {
                    job.insert("event", event == MonitorTable::Finish ? "finish" : "status");
                    out << QJsonDocument(job).toJson(QJsonDocument::Compact).toStdString()
                        << std::endl;
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
        longestPassMs = std::max(longestPassMs, pass.elapsed());
    }
}

} // namespace quorutil
