// The monitor runs as the built tool next to this binary, on 127.0.0.1 and a port of its own.

#include "tests/common/TestUtil.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <gtest/gtest.h>

static QString tool()
{
    return QCoreApplication::applicationDirPath() + "/quorutil";
}

// Starts `quorutil monitor --once` on a free loopback port; returns the port, or 0.
static quint16 startMonitor(QProcess &monitor)
{
    monitor.start(tool(),
                  {"monitor", "--listen", "127.0.0.1", "--port", "0", "--once", "--timeout", "60"});
    while (monitor.waitForStarted(10000) && !monitor.canReadLine()) {
        if (!monitor.waitForReadyRead(20000))
            return 0;
    }
    return QRegularExpression("^Listening for progress datagrams on 127\\.0\\.0\\.1:(\\d+)\n$")
        .match(QString::fromUtf8(monitor.readLine()))
        .captured(1)
        .toUShort();
}

TEST(MonitorCommands, FollowsAUdpCopyAndSkipsMalformedDatagrams)
{
    QTemporaryDir dir;
    const QString src = dir.filePath("source.bin"), dst = dir.filePath("target.bin");
    quortest::writeFile(src, QByteArray(300000, 'q'));
    QProcess monitor, copy;
    const quint16 port = startMonitor(monitor);
    ASSERT_NE(port, 0);
    QUdpSocket socket;
    for (const char *datagram : {"garbage", "######", "###APP###job###12.5###src###",
                                 "###APP###job###many###src###p5###p6###host###",
                                 "###RECTIFIER###job###12.5###src###p5###p6###host###",
                                 "###RECTIFIER###a###b###c###2000###half###d###e###f###",
                                 "###APP###job###12.5###src###p5######host###",
                                 "###RECTIFIER###a###b###c###2000###500###d###e###f###"})
        socket.writeDatagram(datagram, QHostAddress::LocalHost, port);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUOR_PROGRESS_TARGET", "127.0.0.1:" + QString::number(port));
    copy.setProcessEnvironment(env);
    copy.start(tool(), {"copy", src, dst, "--progress", "udp"});
    ASSERT_TRUE(copy.waitForFinished(60000) && monitor.waitForFinished(60000));
    EXPECT_EQ(copy.exitCode(), 0) << copy.readAllStandardError().toStdString();
    EXPECT_EQ(monitor.exitCode(), 0);

    const QString err = QString::fromUtf8(monitor.readAllStandardError());
    EXPECT_TRUE(err.contains("skipped a malformed datagram from 127.0.0.1 (6 so far)")
                && !err.contains("(7 so far)"))
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
