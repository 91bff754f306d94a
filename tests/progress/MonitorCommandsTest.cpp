// The monitor runs as the built tool next to this binary, on 127.0.0.1 and a port of its own,
// or in-process; its job table is driven directly.

#include "tools/quorutil/MonitorTable.h"

#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <gtest/gtest.h>

static QString tool()
{
    return QCoreApplication::applicationDirPath() + "/quorutil";
}

using quortest::runTool;
using quorutil::MonitorTable;

// Starts `quorutil monitor --once` on a free loopback port; returns its first line.
static QByteArray startMonitor(QProcess &monitor, const QString &timeout = "60",
                               const QStringList &more = {})
{
    monitor.start(tool(),
                  QStringList {"monitor", "--listen", "127.0.0.1", "--port", "0", "--once",
                               "--timeout", timeout}
                      + more);
    while (monitor.waitForStarted(10000) && !monitor.canReadLine()) {
        if (!monitor.waitForReadyRead(20000))
            return {};
    }
    return monitor.readLine();
}

// The port the plain view's first line names, or 0.
static quint16 portOf(const QByteArray &line)
{
    return QRegularExpression("^Listening for progress datagrams on 127\\.0\\.0\\.1:(\\d+)\n$")
        .match(QString::fromUtf8(line))
        .captured(1)
        .toUShort();
}

// Copies src to dst with progress datagrams to target, and waits for the copy and the monitor.
static void copyWatched(QProcess &monitor, const QString &target, const QString &src,
                        const QString &dst)
{
    QProcess copy;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUOR_PROGRESS_TARGET", target);
    copy.setProcessEnvironment(env);
    copy.start(tool(), {"copy", src, dst, "--progress", "udp"});
    ASSERT_TRUE(copy.waitForFinished(60000) && monitor.waitForFinished(60000));
    EXPECT_EQ(copy.exitCode(), 0) << copy.readAllStandardError().toStdString();
    EXPECT_EQ(monitor.exitCode(), 0);
}

// Which datagrams are malformed is ProgressDatagram's table; the monitor counts and skips them.
TEST(MonitorCommands, FollowsAUdpCopyAndSkipsMalformedDatagrams)
{
    QTemporaryDir dir;
    const QString src = dir.filePath("source.bin"), dst = dir.filePath("target.bin");
    quortest::writeFile(src, QByteArray(300000, 'q'));
    QProcess monitor;
    const quint16 port = portOf(startMonitor(monitor));
    ASSERT_NE(port, 0);
    QUdpSocket socket;
    for (const char *datagram : {"garbage", "###APP###job###12.5###src###p5######host###",
                                 "###RECTIFIER###a###b###c###2000###half###d###e###f###",
                                 "###RECTIFIER###a###b###c###2000###500###d###e###f###"})
        socket.writeDatagram(datagram, QHostAddress::LocalHost, port);
    copyWatched(monitor, "127.0.0.1:" + QString::number(port), src, dst);

    const QString err = QString::fromUtf8(monitor.readAllStandardError());
    EXPECT_TRUE(err.contains("skipped a malformed datagram from 127.0.0.1 (2 so far)")
                && !err.contains("(3 so far)"))
        << err.toStdString();
    const QString out = QString::fromUtf8(monitor.readAllStandardOutput());
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6) << out.toStdString();
    const QString when = "^\\d\\d:\\d\\d:\\d\\d  127\\.0\\.0\\.1  ";
    const QString job =
        QRegularExpression::escape("quorutil | " + src + " / " + dst + " / copy | ");
    EXPECT_TRUE(lines[0].endsWith("status  APP | src / job / p5 | 12.5% | host"));
    EXPECT_TRUE(lines[1].endsWith("status  RECTIFIER | a / b / c / d / e | 500/2000 | f"));
    EXPECT_TRUE(lines[2].contains(
        QRegularExpression(when + "start   Copy to " + QRegularExpression::escape(dst) + "$")));
    EXPECT_TRUE(lines[3].contains(QRegularExpression(when + "status  .*" + job + "0% \\| ")));
    EXPECT_TRUE(lines[4].contains(QRegularExpression(job + "100% \\| "))) << out.toStdString();
    EXPECT_TRUE(lines[5].endsWith("finish  Copy to " + dst));
}

TEST(MonitorCommands, HostileTextsAreShownEscapedAndAHugeTimeoutIsNoLimit)
{
    // A sender on the subnet must not reach the terminal: no escape sequence, no forged line.
    // The timeout is far beyond what milliseconds can count; it must not end the watch.
    for (const char *timeout : {"1e300", "inf"}) {
        QProcess monitor;
        const quint16 port = portOf(startMonitor(monitor, timeout));
        ASSERT_NE(port, 0) << timeout;
        QUdpSocket socket;
        for (const QByteArray &datagram :
             {QByteArray("Starting \x1b[2J\x1b[H\n12:00:00  10.0.0.9  finish  forged"),
              QByteArray("###APP\x1b]0;title\x07###job\r###1###\xc2\x9b"
                         "31m###p5###\xe2\x80\xae"
                         "evil###h\\x1b###"),
              QByteArray("Finished done\n")})
            socket.writeDatagram(datagram, QHostAddress::LocalHost, port);
        ASSERT_TRUE(monitor.waitForFinished(60000)) << timeout;
        EXPECT_EQ(monitor.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(monitor.exitCode(), 0) << monitor.readAllStandardError().toStdString();
        const QByteArray out = monitor.readAllStandardOutput();
        const QList<QByteArray> lines = out.split('\n');
        ASSERT_EQ(lines.size(), 4) << out.toStdString(); // three lines and the last line end
        EXPECT_FALSE(out.contains('\x1b') || out.contains('\r') || out.contains('\x07'));
        EXPECT_TRUE(
            lines[0].endsWith("start   \\x1b[2J\\x1b[H\\n12:00:00  10.0.0.9  finish  forged"))
            << lines[0].toStdString();
        EXPECT_TRUE(lines[1].endsWith("status  APP\\x1b]0;title\\x07 | \\u{009b}31m / job\\r / p5 "
                                      "/ \\u{202e}evil | 1% | h\\\\x1b"))
            << lines[1].toStdString();
        EXPECT_TRUE(lines[2].endsWith("finish  done\\n")) << lines[2].toStdString();
    }
}

TEST(MonitorCommands, TimeoutEndsTheWatch)
{
    const auto plain =
        runTool({"monitor", "--listen", "127.0.0.1", "--port", "0", "--timeout", "0.2"});
    EXPECT_EQ(plain.code, 0) << plain.err;
    EXPECT_TRUE(QRegularExpression("^Listening for progress datagrams on 127\\.0\\.0\\.1:\\d+\n$")
                    .match(QString::fromStdString(plain.out))
                    .hasMatch())
        << plain.out;
    EXPECT_EQ(plain.err, "");

    const auto once =
        runTool({"monitor", "--listen=127.0.0.1", "--port=0", "--once", "--timeout=0"});
    EXPECT_EQ(once.code, 1);
    EXPECT_EQ(once.err, "quorutil monitor: no finish notice within 0 s\n");

    // An IPv6 address is bracketed before its port.
    const auto v6 = runTool({"monitor", "--listen", "::1", "--port", "0", "--timeout", "0"});
    if (v6.code == 1)
        GTEST_SKIP() << "no IPv6 loopback here: " << v6.err;
    EXPECT_EQ(v6.out.rfind("Listening for progress datagrams on [::1]:", 0), 0u) << v6.out;
}

// Its bad arguments are rows of tool/values.txt. Nothing sends from a documentation address, so
// binding to it fails on any test machine; the page's port is taken here.
TEST(MonitorCommands, AnAddressOrPortItCannotTakeFailsInOneLine)
{
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost));
    const QString page = "127.0.0.1:" + QString::number(taken.serverPort());
    const std::pair<QStringList, std::string> rows[] = {
        {{"--listen", "192.0.2.1"}, "cannot listen on 192.0.2.1:45454: "},
        {{"--listen", "127.0.0.1", "--port", "0", "--http", page},
         "cannot serve the page on " + page.toStdString() + ": "},
    };
    for (const auto &[args, message] : rows) {
        const auto result = runTool(QStringList {"monitor", "--timeout", "0"} + args);
        EXPECT_EQ(result.code, 1);
        EXPECT_EQ(result.err.rfind("quorutil monitor: " + message, 0), 0u) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
}

TEST(MonitorTable, EscapesWhatATerminalWouldObey)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        const char *shown;
    } rows[] = {
        {"plain", "job 4: a/b", "job 4: a/b"},
        {"escape sequence", "\x1b[31mred", "\\x1b[31mred"},
        {"line breaks and tab", "a\nb\rc\td", "a\\nb\\rc\\td"},
        {"NUL and DEL", QByteArray("a\0b\x7f", 4), "a\\x00b\\x7f"},
        {"backslash doubled, so escapes cannot be forged", "\\x1b", "\\\\x1b"},
        {"UTF-8 letters pass", "\xc3\xa9t\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x98\x80",
         "\xc3\xa9t\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x98\x80"},
        {"C1 control (CSI)",
         "\xc2\x9b"
         "2J",
         "\\u{009b}2J"},
        {"bidirectional override",
         "\xe2\x80\xae"
         "abc",
         "\\u{202e}abc"},
        {"zero-width space and line separator", "\xe2\x80\x8b\xe2\x80\xa8", "\\u{200b}\\u{2028}"},
        {"lone C1 byte",
         "\x9b"
         "2J",
         "\\x9b2J"},
        {"truncated sequence", "\xe6\x97", "\\xe6\\x97"},
        {"overlong slash", "\xc0\xaf", "\\xc0\\xaf"},
        {"UTF-16 surrogate", "\xed\xa0\x80", "\\xed\\xa0\\x80"},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(quorutil::escapeForTerminal(row.bytes), row.shown) << row.name;
}

namespace {

QByteArray status(const QByteArray &app, const QByteArray &job, double percent = 10)
{
    return "###" + app + "###" + job + "###" + QByteArray::number(percent)
        + "###src###p5###p6###host###";
}

} // namespace

TEST(MonitorTable, KeepsABoundedNumberOfJobsAndSenders)
{
    // A flood of forged jobs from forged senders, each with long texts.
    MonitorTable table;
    const QByteArray longText(4000, 'x');
    std::string line;
    const qint64 t0 = 1700000000000;
    for (int i = 0; i < 2000; ++i) {
        const std::string sender =
            "10.0." + std::to_string(i / 256 % 256) + "." + std::to_string(i % 256);
        table.receive("Starting " + longText, sender, t0 + i, &line);
        table.receive(status("APP" + QByteArray::number(i), longText), sender, t0 + i, &line);
        ASSERT_LE(table.jobCount(), MonitorTable::MAX_JOBS);
        ASSERT_LE(table.senderCount(), MonitorTable::MAX_SENDERS);
    }
    EXPECT_EQ(table.jobCount(), MonitorTable::MAX_JOBS);
    const std::string view = table.render("127.0.0.1:1");
    // The most recent jobs stay, the oldest went; every row fits its columns.
    EXPECT_NE(view.find("APP1999 "), std::string::npos);
    EXPECT_EQ(view.find("APP0 "), std::string::npos);
    EXPECT_LT(view.size(), (MonitorTable::MAX_JOBS + 3) * 200);

    // A status refreshes its job instead of adding one.
    MonitorTable one;
    for (int percent = 0; percent <= 100; ++percent)
        one.receive(status("APP", "job", percent), "10.0.0.1", t0 + percent, &line);
    EXPECT_EQ(one.jobCount(), 1u);
    EXPECT_NE(one.render("x").find(" 100% "), std::string::npos);
}

TEST(MonitorTable, FinishedAndSilentJobsLeave)
{
    MonitorTable table;
    std::string line;
    const qint64 t0 = 1700000000000;
    EXPECT_EQ(table.receive("Starting Copy", "10.0.0.1", t0, &line), MonitorTable::Start);
    EXPECT_EQ(table.receive(status("A", "one"), "10.0.0.1", t0, &line), MonitorTable::Status);
    EXPECT_EQ(table.receive(status("B", "two"), "10.0.0.2", t0, &line), MonitorTable::Status);
    EXPECT_EQ(table.receive("Finished Copy", "10.0.0.1", t0 + 1000, &line), MonitorTable::Finish);
    EXPECT_EQ(table.receive("garbage", "10.0.0.3", t0 + 1000, &line), MonitorTable::Malformed);
    EXPECT_EQ(line, "");
    EXPECT_EQ(table.malformedCount(), 1);
    const std::string view = table.render("x");
    EXPECT_NE(view.find("Copy"), std::string::npos) << view;
    EXPECT_NE(view.find("finished"), std::string::npos) << view;

    table.expire(t0 + 1000 + MonitorTable::FINISHED_MS - 1);
    EXPECT_EQ(table.jobCount(), 2u);
    table.expire(t0 + 1000 + MonitorTable::FINISHED_MS);
    EXPECT_EQ(table.jobCount(), 1u); // the finished job went
    EXPECT_NE(table.render("x").find("two"), std::string::npos);
    table.expire(t0 + MonitorTable::STALE_MS - 1);
    EXPECT_EQ(table.jobCount(), 1u);
    // A job that is silent for long has gone away without a finish notice.
    table.receive("garbage", "10.0.0.3", t0 + MonitorTable::STALE_MS, &line);
    EXPECT_EQ(table.jobCount(), 0u);
    EXPECT_EQ(table.senderCount(), 0u);
}

TEST(MonitorCommands, JsonGivesOneObjectPerJobChange)
{
    QTemporaryDir dir;
    const QString src = dir.filePath("source.bin"), dst = dir.filePath("target.bin");
    quortest::writeFile(src, QByteArray(1000, 'q'));
    QProcess monitor;
    const QJsonObject first =
        QJsonDocument::fromJson(startMonitor(monitor, "60", {"--json"})).object();
    const QString udp = first.value("listening").toString();
    ASSERT_TRUE(udp.startsWith("127.0.0.1:")) << udp.toStdString();
    QUdpSocket().writeDatagram("garbage", QHostAddress::LocalHost, udp.section(':', 1).toUShort());
    copyWatched(monitor, udp, src, dst);

    // start notice (no line: it changes no job), 0 %, 100 %, finish notice
    const QList<QByteArray> lines = monitor.readAllStandardOutput().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3);
    const char *events[] = {"status", "status", "finish"};
    const double percents[] = {0, 100, 100};
    for (int i = 0; i < 3; ++i) {
        QJsonParseError error;
        const QJsonObject job = QJsonDocument::fromJson(lines[i], &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << lines[i].toStdString();
        EXPECT_EQ(job.value("event").toString(), events[i]);
        EXPECT_EQ(job.value("percent").toDouble(-1), percents[i]);
        EXPECT_EQ(job.value("app").toString(), "quorutil");
        EXPECT_EQ(job.value("task").toString(), "Copy to " + dst);
        EXPECT_EQ(job.value("state").toString(), i == 2 ? "finished" : "running");
    }
    EXPECT_TRUE(monitor.readAllStandardError().contains("skipped a malformed datagram"));
}

TEST(MonitorTable, TableFitsAHundredColumnsAndStartsLikeThePlainView)
{
    MonitorTable table;
    std::string line;
    const qint64 t0 = 1700000000000;
    const QByteArray wide = "\xe6\x97\xa5\xe6\x9c\xac" + QByteArray(300, 'w') + "\x1b[2J";
    table.receive("Starting " + wide, "10.0.0.1", t0, &line);
    table.receive("###" + wide + "###" + wide + "###12.5###" + wide + "###" + wide + "###" + wide
                      + "###" + wide + "###",
                  "10.0.0.1", t0, &line);
    table.receive(status("A", "job", 99.5), "10.0.0.2", t0, &line);
    const std::string view = table.render("127.0.0.1:45454");
    EXPECT_EQ(view.rfind("Listening for progress datagrams on 127.0.0.1:45454\n", 0), 0u);
    const QStringList rows = QString::fromStdString(view).split('\n');
    ASSERT_EQ(rows.size(), 7) << view; // two lines, a blank one, heading, two jobs, last end
    for (const QString &row : rows)
        EXPECT_LE(row.size(), 100) << row.toStdString();
    EXPECT_TRUE(rows[5].contains(" 99.5% ")) << rows[5].toStdString();
}

TEST(MonitorTable, RateAndTimeLeftFollowTheJob)
{
    MonitorTable table;
    std::string line;
    const qint64 t0 = 1700000000000;
    const auto job = [&] { return table.lastJobJson(); };
    // time since start (ms), percent, rate (% per minute; -1 for none), seconds left, state
    const struct
    {
        qint64 at;
        double percent;
        double perMinute, left;
    } rows[] = {
        {0, 10, -1, -1}, // one point gives no rate
        {500, 11, -1, -1}, // nor half a second
        {10000, 30, 120, 35}, {20000, 50, 120, 25},
        {21000, 5, -1, -1}, // started over: measured afresh
        {31000, 15, 60, 85},
    };
    for (const auto &row : rows) {
        table.receive(status("A", "one", row.percent), "10.0.0.1", t0 + row.at, &line);
        const QJsonObject o = job();
        EXPECT_EQ(o.value("percent").toDouble(), row.percent) << row.at;
        EXPECT_NEAR(o.value("ratePerMinute").toDouble(-1), row.perMinute, 1e-9) << row.at;
        EXPECT_NEAR(o.value("secondsLeft").toDouble(-1), row.left, 1e-9) << row.at;
    }
    table.receive("Finished Copy", "10.0.0.1", t0 + 32000, &line);
    EXPECT_EQ(job().value("state").toString(), "finished");
    EXPECT_TRUE(job().value("secondsLeft").isNull());

    // The page's snapshot: texts escaped as on the terminal, jobs in order of appearance.
    table.receive(status("B<b>\x1b", "two"), "10.0.0.2", t0 + 33000, &line);
    const QJsonObject snap = QJsonDocument::fromJson(table.snapshotJson(t0 + 34000)).object();
    EXPECT_EQ(snap.value("now").toDouble(), static_cast<double>(t0 + 34000));
    const QJsonArray jobs = snap.value("jobs").toArray();
    ASSERT_EQ(jobs.size(), 2);
    EXPECT_EQ(jobs[0].toObject().value("app").toString(), "A");
    EXPECT_EQ(jobs[1].toObject().value("app").toString(), "B<b>\\x1b");
    EXPECT_EQ(jobs[1].toObject().value("from").toString(), "10.0.0.2");
}
