#include "util/progress/ProgressInterfaceUdp.h"

#include "util/progress/ProgressDatagram.h"

#include "tests/common/TestUtil.h"

#include <QNetworkDatagram>
#include <QThread>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <memory>

using namespace quortest;
using namespace util;
using Datagrams = QList<QByteArray>;
using namespace std::string_literals;

// What the socket received so far; a marker sent last on the same path ends the wait.
static Datagrams receivedBy(QUdpSocket &receiver, quint16 port)
{
    QUdpSocket().writeDatagram("<end>", QHostAddress::LocalHost, port);
    Datagrams datagrams;
    while (receiver.hasPendingDatagrams() || receiver.waitForReadyRead(5000)) {
        const QByteArray datagram = receiver.receiveDatagram().data();
        if (datagram == "<end>")
            return datagrams;
        datagrams << datagram;
    }
    ADD_FAILURE() << "end marker not received";
    return datagrams;
}

// Reporters aim at this receiver on 127.0.0.1: none broadcasts or holds port 45454.
class ProgressInterfaceUdpTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(bound); }
    Datagrams received() { return receivedBy(receiver, receiver.localPort()); }

    QUdpSocket receiver;
    const bool bound = receiver.bind(QHostAddress(QHostAddress::LocalHost), 0);
    const ScopedEnv target {"QUOR_PROGRESS_TARGET",
                            "127.0.0.1:" + QByteArray::number(receiver.localPort())};
};

TEST_F(ProgressInterfaceUdpTest, LayoutFollowsTheApplicationName)
{
    // application, total, fraction, status text
    const std::tuple<const char *, double, double, const char *> rows[] = {
        {"RECTIFIER", 2000, 0.25, "###RECTIFIER###a###b###c###2000###500###d###e###f###"},
        {"rectifier", 2000, 0.25, "###rectifier###b###25###a###d###e###f###"},
        {"RECTIFIER", 12345678, 1.0 / 3.0,
         "###RECTIFIER###a###b###c###1.23457e+07###4.11523e+06###d###e###f###"},
        {"", 1, 0.455, "######b###45.5###a###d###e###f###"}};
    for (const auto &[app, total, fraction, expected] : rows) {
        ProgressInterfaceUdp reporter(app, "a", "b", "c", "d", "e", "f");
        reporter.totalAmount(total, "lines");
        reporter.percentDone(fraction); // before starting(): kept, not sent
        ASSERT_TRUE(QMetaObject::invokeMethod(&reporter, "broadcastMsg"));
        const Datagrams got = received();
        EXPECT_EQ(got, Datagrams {expected});
        EXPECT_EQ(reporter.totalAmount(), 0.0); // the base answer, whatever the total
        // What the reporter sends, the parser beside its encoder reads back.
        ASSERT_EQ(got.size(), 1);
        const ProgressDatagram parsed = ProgressDatagram::parse(got[0]);
        EXPECT_EQ(parsed.kind(), ProgressDatagram::Status) << expected;
        EXPECT_EQ(parsed.property(1) + parsed.property(2) + parsed.property(3), app + "ab"s);
    }
}

TEST_F(ProgressInterfaceUdpTest, SendsNoticesAndThrottlesStatus)
{
    ProgressInterfaceUdp reporter;
    reporter.setInterval(300);
    reporter.starting("Rectify strip 4");
    EXPECT_EQ(received(),
              (Datagrams {"Starting Rectify strip 4", "#########0############127.0.0.1###"}));
    reporter.totalAmount(100, "bytes");
    reporter.amountDone(10);
    reporter.amountDone(20);
    EXPECT_TRUE(received().isEmpty());
    // The held-back fraction goes out with the next status, whenever that comes.
    ASSERT_TRUE(QMetaObject::invokeMethod(&reporter, "broadcastMsg"));
    EXPECT_EQ(received(), Datagrams {"#########20############127.0.0.1###"});
    QThread::msleep(350);
    reporter.amountDone(30);
    reporter.amountDone(40);
    EXPECT_EQ(received(), Datagrams {"#########30############127.0.0.1###"});
    // Finishing sends the full status at once, then the notice.
    reporter.setProperties("ORTHO", "p2", "p3", "p4", "p5", "p6", "host7");
    reporter.finished("t");
    EXPECT_EQ(received(),
              (Datagrams {"###ORTHO###p3###100###p2###p5###p6###host7###", "Finished t"}));
}

TEST_F(ProgressInterfaceUdpTest, RedirectsToAMonitorOnPort45454)
{
    // A monitor on this machine shares port 45454; a reporter aimed at it must not receive its
    // own datagrams in the monitor's place. (One test, so that no other test of this suite
    // holds the port meanwhile.)
    const quint16 port = ProgressInterfaceUdp::DEFAULT_PORT;
    if (!QUdpSocket().bind(QHostAddress::AnyIPv4, port, QUdpSocket::DontShareAddress))
        GTEST_SKIP() << "port 45454 is in use on this machine";
    QUdpSocket monitor;
    ASSERT_TRUE(monitor.bind(QHostAddress::AnyIPv4, port,
                             QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
    const Datagrams expected = {"Starting job", "#########0############127.0.0.1###"};
    {
        ScopedEnv target("QUOR_PROGRESS_TARGET", "127.0.0.1:45454");
        ProgressInterfaceUdp reporter;
        reporter.starting("job");
        EXPECT_EQ(receivedBy(monitor, port), expected) << "environment";
    }
    ProgressInterfaceUdp reporter;
    reporter.setTarget(QHostAddress::LocalHost, port);
    reporter.starting("job");
    EXPECT_EQ(receivedBy(monitor, port), expected) << "setter";
}

TEST_F(ProgressInterfaceUdpTest, MalformedTargetTurnsSendingOffQuietly)
{
    // The reporter itself says nothing; the program asks targetFromEnvironment() and warns.
    const QStringList rows = quortest::tableLines("progress/bad_targets.txt");
    ASSERT_GT(rows.size(), 5);
    for (const QString &text : rows) {
        const QByteArray row = text.toUtf8();
        ScopedEnv bad("QUOR_PROGRESS_TARGET", row);
        CaptureFd err(2);
        {
            ProgressInterfaceUdp reporter;
            reporter.starting("job");
            reporter.finished("job");
            EXPECT_TRUE(reporter.targetAddress().isNull()) << row.constData();
        }
        EXPECT_EQ(err.text(), "") << row.constData();
        QHostAddress address(QHostAddress::LocalHost);
        quint16 port = 1;
        QString why;
        EXPECT_FALSE(ProgressInterfaceUdp::targetFromEnvironment(address, port, &why));
        EXPECT_TRUE(address.isNull()) << row.constData();
        EXPECT_EQ(why,
                  "QUOR_PROGRESS_TARGET is not host:port (" + QString::fromUtf8(row)
                      + "); progress datagrams are not sent");
        EXPECT_FALSE(ProgressInterfaceUdp::targetFromEnvironment(address, port)); // no message
    }
    EXPECT_TRUE(received().isEmpty());

    // Good values, and the default without the variable.
    const std::tuple<const char *, const char *, quint16> good[] = {
        {"127.0.0.1:45500", "127.0.0.1", 45500},
        {"localhost:7", "127.0.0.1", 7},
        {"[::1]:9", "::1", 9},
        {nullptr, "255.255.255.255", 45454}};
    for (const auto &[value, host, expectedPort] : good) {
        std::unique_ptr<ScopedEnv> env = value
            ? std::make_unique<ScopedEnv>("QUOR_PROGRESS_TARGET", value)
            : std::make_unique<ScopedEnv>("QUOR_PROGRESS_TARGET");
        QHostAddress address;
        quint16 port = 0;
        QString why = "untouched";
        EXPECT_TRUE(ProgressInterfaceUdp::targetFromEnvironment(address, port, &why)) << host;
        EXPECT_EQ(address, QHostAddress(QString::fromLatin1(host))) << host;
        EXPECT_EQ(port, expectedPort) << host;
        EXPECT_EQ(why, "untouched");
    }
}
