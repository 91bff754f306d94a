// The monitor runs as a child process of the built tool, next to this test binary; every
// datagram goes to 127.0.0.1 and a port the monitor picked for itself.

#include "tools/quorutil/Commands.h"

#include "tests/common/TestUtil.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <sstream>

namespace {

QString toolPath()
{
    return QCoreApplication::applicationDirPath() + "/quorutil";
}

class MonitorProcess
{
public:
    ~MonitorProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    // Starts the monitor and waits for the line that names its port.
    bool start(const QStringList &extra)
    {
        process.start(toolPath(),
                      QStringList {"monitor", "--listen", "127.0.0.1", "--port", "0"} + extra);
        if (!process.waitForStarted(10000))
            return false;
        while (!process.canReadLine()) {
            if (!process.waitForReadyRead(20000))
                return false;
        }
        const QString first = QString::fromUtf8(process.readLine()).trimmed();
        const QRegularExpressionMatch match =
            QRegularExpression("^Listening for progress datagrams on 127\\.0\\.0\\.1:(\\d+)$")
                .match(first);
        if (!match.hasMatch())
            return false;
        port = static_cast<quint16>(match.captured(1).toUInt());
        return port != 0;
    }

    bool finish()
    {
        if (!process.waitForFinished(60000))
            return false;
        out = QString::fromUtf8(process.readAllStandardOutput());
        err = QString::fromUtf8(process.readAllStandardError());
        return true;
    }

    void send(const QByteArray &datagram)
    {
        socket.writeDatagram(datagram, QHostAddress::LocalHost, port);
    }

    QProcess process;
    QUdpSocket socket;
    quint16 port = 0;
    QString out, err;
};

} // namespace

TEST(MonitorCommands, FollowsAUdpCopyEndToEnd)
{
    QTemporaryDir dir;
    const QString src = dir.filePath("source.bin");
    const QString dst = dir.filePath("target.bin");
    quortest::writeFile(src, QByteArray(300000, 'q'));

    MonitorProcess monitor;
    ASSERT_TRUE(monitor.start({"--once", "--timeout", "60"}));

    QProcess copy;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUOR_PROGRESS_TARGET", "127.0.0.1:" + QString::number(monitor.port));
    copy.setProcessEnvironment(env);
    copy.start(toolPath(), {"copy", src, dst, "--progress", "udp"});
    ASSERT_TRUE(copy.waitForFinished(60000));
    EXPECT_EQ(copy.exitCode(), 0) << copy.readAllStandardError().toStdString();

    ASSERT_TRUE(monitor.finish());
    EXPECT_EQ(monitor.process.exitCode(), 0) << monitor.err.toStdString();
    const QString job = "quorutil | " + src + " / " + dst + " / copy | ";
    const QStringList lines = monitor.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << monitor.out.toStdString();
    const QString when = "^\\d\\d:\\d\\d:\\d\\d  127\\.0\\.0\\.1  ";
    EXPECT_TRUE(lines[0].contains(QRegularExpression(when + "start   Copy to ")));
    EXPECT_TRUE(lines[0].endsWith("Copy to " + dst));
    EXPECT_TRUE(lines[1].contains(QRegularExpression(when + "status  ")));
    EXPECT_TRUE(lines[1].contains(job + "0% | ")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].contains(job + "100% | ")) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].endsWith("finish  Copy to " + dst));
    EXPECT_EQ(quortest::readFile(dst), quortest::readFile(src));
}

TEST(MonitorCommands, SkipsMalformedDatagrams)
{
    MonitorProcess monitor;
    ASSERT_TRUE(monitor.start({"--once", "--timeout", "60"}));
    const QByteArray malformed[] = {
        "garbage",
        "######",
        "###APP###job###12.5###src###",
        "###APP###job###many###src###p5###p6###host###",
        "###RECTIFIER###job###12.5###src###p5###p6###host###",
        "###RECTIFIER###a###b###c###2000###half###d###e###f###",
    };
    for (const QByteArray &datagram : malformed)
        monitor.send(datagram);
    monitor.send("###APP###job###12.5###src###p5######host###");
    monitor.send("###RECTIFIER###a###b###c###2000###500###d###e###f###");
    monitor.send("Finished strip 7");
    ASSERT_TRUE(monitor.finish());

    EXPECT_EQ(monitor.process.exitCode(), 0);
    EXPECT_TRUE(monitor.err.contains("skipped a malformed datagram from 127.0.0.1 (6 so far)"))
        << monitor.err.toStdString();
    EXPECT_FALSE(monitor.err.contains("(7 so far)"));
    EXPECT_TRUE(monitor.out.contains("status  APP | src / job / p5 | 12.5% | host\n"))
        << monitor.out.toStdString();
    EXPECT_TRUE(monitor.out.contains("status  RECTIFIER | a / b / c / d / e | 500/2000 | f\n"));
    EXPECT_TRUE(monitor.out.contains("finish  strip 7\n"));
}

TEST(MonitorCommands, OnceFailsWhenNothingFinishes)
{
    MonitorProcess monitor;
    ASSERT_TRUE(monitor.start({"--once", "--timeout", "0.3"}));
    ASSERT_TRUE(monitor.finish());
    EXPECT_EQ(monitor.process.exitCode(), 1);
    EXPECT_TRUE(monitor.err.contains("no finish notice within 0.3 s"));
}

TEST(MonitorCommands, RejectsBadArguments)
{
    for (const QStringList &args : {QStringList {"--port", "70000"}, QStringList {"--port"},
                                    QStringList {"--listen", "nowhere"}, QStringList {"--bogus"},
                                    QStringList {"--timeout", "-1"}}) {
        std::ostringstream out, err;
        EXPECT_EQ(quorutil::monitorCommand(args, out, err), 2) << args.join(' ').toStdString();
        EXPECT_NE(err.str().find("Usage: quorutil monitor"), std::string::npos);
    }
}
