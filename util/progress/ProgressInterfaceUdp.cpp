#include "util/progress/ProgressInterfaceUdp.h"

#include "util/progress/ProgressDatagram.h"

#include <QUdpSocket>

namespace util {

ProgressInterfaceUdp::ProgressInterfaceUdp()
    : ProgressInterfaceUdp("", "", "", "", "", "", "127.0.0.1")
{
}

ProgressInterfaceUdp::ProgressInterfaceUdp(const char *p1, const char *p2, const char *p3,
                                           const char *p4, const char *p5, const char *p6,
                                           const char *p7)
    : m_p1(p1)
    , m_p2(p2)
    , m_p3(p3)
    , m_p4(p4)
    , m_p5(p5)
    , m_p6(p6)
    , m_p7(p7)
{
    // A malformed variable leaves the target null: someone meant to redirect the datagrams,
    // and broadcasting them instead could reach a network they were keeping clear of.
    targetFromEnvironment(m_target, m_targetPort);
    createSocket();
}

ProgressInterfaceUdp::~ProgressInterfaceUdp() = default;

bool ProgressInterfaceUdp::wantsBoundSocket() const
{
    return m_target == QHostAddress(QHostAddress::Broadcast);
}

void ProgressInterfaceUdp::createSocket()
{
    m_socket = std::make_unique<QUdpSocket>();
    // Monitors on the same machine listen on this port too, so share it. Every socket on the
    // port gets its own copy of a broadcast, but only one of them gets a unicast datagram, so
    // a socket that sends elsewhere stays unbound (the first send binds it to a free port).
    if (wantsBoundSocket())
        m_socket->bind(QHostAddress::AnyIPv4, DEFAULT_PORT,
                       QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
}

bool ProgressInterfaceUdp::targetFromEnvironment(QHostAddress &address, quint16 &port,
                                                 QString *errorString)
{
    const QByteArray env = qgetenv("QUOR_PROGRESS_TARGET");
    if (env.isEmpty()) {
        address = QHostAddress(QHostAddress::Broadcast);
        port = DEFAULT_PORT;
        return true;
    }
    if (parseTarget(QString::fromLocal8Bit(env), address, port))
        return true;
    address = QHostAddress();
    port = DEFAULT_PORT;
    if (errorString) {
        *errorString = QStringLiteral("QUOR_PROGRESS_TARGET is not host:port (%1); progress "
                                      "datagrams are not sent")
                           .arg(QString::fromLocal8Bit(env));
    }
    return false;
}

void ProgressInterfaceUdp::setTarget(const QHostAddress &address, quint16 port)
{
    const bool wasBound = wantsBoundSocket();
    const bool familyChanged = address.protocol() != m_target.protocol();
    m_target = address;
    m_targetPort = port;
    if (familyChanged || wasBound != wantsBoundSocket())
        createSocket();
}

bool ProgressInterfaceUdp::parseTarget(const QString &text, QHostAddress &address, quint16 &port)
{
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    QString host = text.left(colon).trimmed();
    bool ok = false;
    const uint value = text.mid(colon + 1).trimmed().toUInt(&ok);
    if (!ok || value == 0 || value > 65535)
        return false;
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    QHostAddress parsed;
    // Names other than localhost would need a DNS query; addresses are what operators use.
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        parsed = QHostAddress(QHostAddress::LocalHost);
    else if (!parsed.setAddress(host))
        return false;
    address = parsed;
    port = static_cast<quint16>(value);
    return true;
}

void ProgressInterfaceUdp::setProperties(const char *p1, const char *p2, const char *p3,
                                         const char *p4, const char *p5, const char *p6,
                                         const char *p7)
{
    m_p1 = p1;
    m_p2 = p2;
    m_p3 = p3;
    m_p4 = p4;
    m_p5 = p5;
    m_p6 = p6;
    m_p7 = p7;
}

void ProgressInterfaceUdp::send(const QByteArray &datagram)
{
    if (m_target.isNull())
        return;
    m_socket->writeDatagram(datagram, m_target, m_targetPort);
}

void ProgressInterfaceUdp::broadcastMsg()
{
    const std::string properties[7] = {m_p1, m_p2, m_p3, m_p4, m_p5, m_p6, m_p7};
    send(ProgressDatagram::status(properties, m_fraction, m_total).encode());
}

void ProgressInterfaceUdp::starting(const char *taskName)
{
    send(ProgressDatagram::startNotice(taskName).encode());
    m_fraction = 0.0;
    broadcastMsg();
    m_clock.start();
}

void ProgressInterfaceUdp::finished(const char *taskName)
{
    m_fraction = 1.0;
    broadcastMsg();
    send(ProgressDatagram::finishNotice(taskName).encode());
}

void ProgressInterfaceUdp::totalAmount(double total, const char *)
{
    m_total = total;
}

void ProgressInterfaceUdp::amountDone(double amount)
{
    percentDone(amount / m_total);
}

void ProgressInterfaceUdp::percentDone(double fraction)
{
    m_fraction = fraction;
    // Before the first starting() there is no job to report on yet.
    if (m_clock.isValid() && m_clock.elapsed() > static_cast<qint64>(m_interval)) {
        m_clock.restart();
        broadcastMsg();
    }
}

} // namespace util
