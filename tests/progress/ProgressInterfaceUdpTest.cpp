#include "util/progress/ProgressInterfaceUdp.h"

#include "tests/common/TestUtil.h"

#include <QElapsedTimer>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

using quortest::ScopedEnv;
using util::ProgressInterfaceUdp;

namespace {

// Every reporter in these tests is created aimed at a receiver of the test's own on 127.0.0.1
// and a free port, so none sends a broadcast or holds port 45454.
class ProgressInterfaceUdpTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(receiver.bind(QHostAddress(QHostAddress::LocalHost), 0));
        port = receiver.localPort();
        target = std::make_unique<ScopedEnv>("QUOR_PROGRESS_TARGET",
                                             "127.0.0.1:" + QByteArray::number(port));
    }

    QList<QByteArray> received() { return receivedBy(receiver, port); }

    // Everything socket received so far: a marker sent last on the same loopback path ends the
    // wait, so "nothing was sent" needs no timeout.
    static QList<QByteArray> receivedBy(QUdpSocket &receiver, quint16 port)
    {
        QUdpSocket marker;
        marker.writeDatagram("<end>", QHostAddress::LocalHost, port);
        QList<QByteArray> datagrams;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 5000) {
            if (!receiver.hasPendingDatagrams() && !receiver.waitForReadyRead(100))
                continue;
            while (receiver.hasPendingDatagrams()) {
                QByteArray datagram(static_cast<int>(receiver.pendingDatagramSize()), '\0');
                receiver.readDatagram(datagram.data(), datagram.size());
                if (datagram == "<end>")
                    return datagrams;
                datagrams << datagram;
            }
        }
        ADD_FAILURE() << "end marker not received";
        return datagrams;
    }

    static void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

    QUdpSocket receiver;
    quint16 port = 0;
    std::unique_ptr<ScopedEnv> target;
};

} // namespace

TEST_F(ProgressInterfaceUdpTest, StartingSendsNoticeAndZeroStatus)
{
    ProgressInterfaceUdp reporter;
    reporter.starting("Rectify strip 4");
    EXPECT_EQ(
        received(),
        (QList<QByteArray> {"Starting Rectify strip 4", "#########0############127.0.0.1###"}));
}

TEST_F(ProgressInterfaceUdpTest, FinishedSendsFullStatusBeforeNotice)
{
    ProgressInterfaceUdp reporter("ORTHO", "p2", "p3", "p4", "p5", "p6", "host7");
    reporter.starting("t");
    received();
    reporter.percentDone(0.3); // within the interval: held back
    reporter.finished("t");
    EXPECT_EQ(received(),
              (QList<QByteArray> {"###ORTHO###p3###100###p2###p5###p6###host7###", "Finished t"}));
}

TEST_F(ProgressInterfaceUdpTest, LayoutFollowsTheApplicationName)
{
    struct Row
    {
        const char *name;
        const char *app;
        QByteArray expected;
    };
    const Row rows[] = {
        {"rectifier", "RECTIFIER", "###RECTIFIER###a###b###c###2000###500###d###e###f###"},
        {"lower case", "rectifier", "###rectifier###b###25###a###d###e###f###"},
        {"longer", "RECTIFIERS", "###RECTIFIERS###b###25###a###d###e###f###"},
    };
    for (const Row &row : rows) {
        ProgressInterfaceUdp reporter(row.app, "a", "b", "c", "d", "e", "f");
        reporter.setInterval(5);
        reporter.totalAmount(2000, "lines");
        reporter.starting("job");
        received();
        sleepMs(20);
        reporter.percentDone(0.25);
        EXPECT_EQ(received(), QList<QByteArray> {row.expected}) << row.name;
    }
}

TEST_F(ProgressInterfaceUdpTest, NumbersUseSixSignificantDigits)
{
    ProgressInterfaceUdp reporter("RECTIFIER", "", "", "", "", "", "");
    reporter.totalAmount(12345678, nullptr);
    reporter.percentDone(1.0 / 3.0);
    EXPECT_EQ(reporter.statusText(),
              "###RECTIFIER############1.23457e+07###4.11523e+06############");
    reporter.setProperties("APP", "", "", "", "", "", "");
    reporter.percentDone(0.455);
    EXPECT_EQ(reporter.statusText(), "###APP######45.5###############");
}

TEST_F(ProgressInterfaceUdpTest, ThrottlesStatusToTheInterval)
{
    ProgressInterfaceUdp reporter;
    reporter.setInterval(300);
    reporter.starting("job");
    received();
    reporter.totalAmount(100, "bytes");
    reporter.amountDone(10);
    reporter.amountDone(20);
    EXPECT_TRUE(received().isEmpty());

    // The held-back fraction goes out with the next status, whenever that comes.
    ASSERT_TRUE(QMetaObject::invokeMethod(&reporter, "broadcastMsg"));
    EXPECT_EQ(received(), QList<QByteArray> {"#########20############127.0.0.1###"});

    sleepMs(350);
    reporter.amountDone(30);
    reporter.amountDone(40);
    EXPECT_EQ(received(), QList<QByteArray> {"#########30############127.0.0.1###"});
}

TEST_F(ProgressInterfaceUdpTest, SendsNoStatusBeforeStarting)
{
    ProgressInterfaceUdp reporter;
    reporter.setInterval(0);
    sleepMs(2);
    reporter.percentDone(0.5);
    EXPECT_TRUE(received().isEmpty());
}

TEST_F(ProgressInterfaceUdpTest, TotalAmountQueryKeepsTheBaseAnswer)
{
    ProgressInterfaceUdp reporter;
    reporter.totalAmount(10, "bytes");
    EXPECT_EQ(reporter.totalAmount(), 0.0);
}

TEST_F(ProgressInterfaceUdpTest, BroadcastsByDefaultAndRedirectsToAMonitorOnTheSamePort)
{
    {
        ScopedEnv noTarget("QUOR_PROGRESS_TARGET");
        ProgressInterfaceUdp reporter;
        EXPECT_EQ(reporter.targetAddress(), QHostAddress(QHostAddress::Broadcast));
        EXPECT_EQ(reporter.targetPort(), 45454);
        EXPECT_EQ(reporter.interval(), 5000u);
    }
    // A monitor on this machine shares port 45454; a reporter aimed at it must not receive its
    // own datagrams in the monitor's place. (One test, so that no other test of this suite
    // holds the port meanwhile.)
    {
        QUdpSocket probe;
        if (!probe.bind(QHostAddress::AnyIPv4, ProgressInterfaceUdp::DEFAULT_PORT,
                        QUdpSocket::DontShareAddress))
            GTEST_SKIP() << "port 45454 is in use on this machine";
    }
    QUdpSocket monitor;
    ASSERT_TRUE(monitor.bind(QHostAddress::AnyIPv4, ProgressInterfaceUdp::DEFAULT_PORT,
                             QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
    const QList<QByteArray> expected = {"Starting job", "#########0############127.0.0.1###"};
    {
        ScopedEnv target("QUOR_PROGRESS_TARGET", "127.0.0.1:45454");
        ProgressInterfaceUdp reporter;
        reporter.starting("job");
        EXPECT_EQ(receivedBy(monitor, ProgressInterfaceUdp::DEFAULT_PORT), expected)
            << "environment";
    }
    ProgressInterfaceUdp reporter;
    reporter.setTarget(QHostAddress::LocalHost, ProgressInterfaceUdp::DEFAULT_PORT);
    reporter.starting("job");
    EXPECT_EQ(receivedBy(monitor, ProgressInterfaceUdp::DEFAULT_PORT), expected) << "setter";
}

TEST_F(ProgressInterfaceUdpTest, MalformedEnvironmentTurnsSendingOff)
{
    ScopedEnv target("QUOR_PROGRESS_TARGET", "monitor-host");
    quortest::CaptureFd err(2);
    ProgressInterfaceUdp reporter;
    EXPECT_TRUE(reporter.targetAddress().isNull());
    EXPECT_NE(err.text().find("QUOR_PROGRESS_TARGET"), std::string::npos);
    reporter.starting("never sent"); // nowhere to go
}

TEST(ProgressInterfaceUdp, ParsesTargets)
{
    struct Row
    {
        const char *text;
        bool ok;
        const char *address;
        quint16 port;
    };
    const Row rows[] = {
        {"127.0.0.1:5000", true, "127.0.0.1", 5000},
        {"localhost:45454", true, "127.0.0.1", 45454},
        {"[::1]:9", true, "::1", 9},
        {"10.1.2.255:45454", true, "10.1.2.255", 45454},
        {"127.0.0.1", false, "", 0},
        {":5000", false, "", 0},
        {"127.0.0.1:0", false, "", 0},
        {"127.0.0.1:70000", false, "", 0},
        {"127.0.0.1:port", false, "", 0},
        {"monitor.example:5000", false, "", 0},
    };
    for (const Row &row : rows) {
        QHostAddress address;
        quint16 port = 0;
        EXPECT_EQ(ProgressInterfaceUdp::parseTarget(row.text, address, port), row.ok) << row.text;
        if (row.ok) {
            EXPECT_EQ(address, QHostAddress(row.address)) << row.text;
            EXPECT_EQ(port, row.port) << row.text;
        }
    }
}
