#pragma once

#include "util/UtilExport.h"
#include "util/core/ProgressInterface.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <memory>
#include <string>

class QUdpSocket;

namespace util {

/// Announces a batch job's progress as plain-text UDP datagrams for a network monitor:
/// "Starting <task>", status datagrams ("###"-separated job texts and progress) at most once per
/// interval, and "Finished <task>". Seven job texts identify the job; the first names the
/// application, and "RECTIFIER" there selects the rectifier layout.
///
/// The datagram format is ProgressDatagram's (util/progress/ProgressDatagram.h); monitors parse
/// with the same class.
///
/// Datagrams go to the broadcast address, port 45454, unless redirected with setTarget() or the
/// environment variable QUOR_PROGRESS_TARGET=host:port (read at construction; host is an IP
/// address or "localhost"). A malformed QUOR_PROGRESS_TARGET turns sending off rather than fall
/// back to broadcast; the constructor says nothing about it, so a program that wants to warn
/// the user asks targetFromEnvironment() for the reason. Failed sends are ignored.
///
/// While the destination is the broadcast address the socket is bound to port 45454 (shared, so
/// a monitor on the same machine can still listen there); a redirected reporter sends from a
/// port of the system's choosing, since a bound socket would take a local monitor's unicast
/// datagrams for itself.
///
/// percentDone() before the first starting() sends nothing: there is no job to report on yet.
/// The fraction is kept all the same and goes out with the next status datagram.
class UTIL_EXPORT ProgressInterfaceUdp : public QObject, public ProgressInterface
{
    Q_OBJECT

public:
    static constexpr quint16 DEFAULT_PORT = 45454;

    ProgressInterfaceUdp();
    ProgressInterfaceUdp(const char *p1, const char *p2, const char *p3, const char *p4,
                         const char *p5, const char *p6, const char *p7);
    ~ProgressInterfaceUdp() override;

    /// Replaces all seven job texts (none may be null); the next status datagram carries them.
    void setProperties(const char *p1, const char *p2, const char *p3, const char *p4,
                       const char *p5, const char *p6, const char *p7);
    /// Minimum time between status datagrams sent by percentDone(), in milliseconds.
    void setInterval(unsigned int milliseconds) { m_interval = milliseconds; }

    /// Sends to address:port from now on; a null address sends nothing.
    void setTarget(const QHostAddress &address, quint16 port);
    /// Where datagrams go now (a null address when sending is off).
    QHostAddress targetAddress() const { return m_target; }
    quint16 targetPort() const { return m_targetPort; }
    /// Parses "host:port" ("[v6]:port" for IPv6); host is an IP address or "localhost".
    static bool parseTarget(const QString &text, QHostAddress &address, quint16 &port);
    /// The destination a reporter constructed now takes: QUOR_PROGRESS_TARGET when it is set,
    /// else the broadcast address and port 45454. Returns false when QUOR_PROGRESS_TARGET is
    /// set but is not host:port; address is then null (such a reporter sends nothing) and
    /// *errorString, when given, says why.
    static bool targetFromEnvironment(QHostAddress &address, quint16 &port,
                                      QString *errorString = nullptr);

    using ProgressInterface::totalAmount;
    void starting(const char *taskName) override;
    void finished(const char *taskName) override;
    void totalAmount(double total, const char *units) override;
    void amountDone(double amount) override;
    void percentDone(double fraction) override;

private slots:
    void broadcastMsg();

private:
    void send(const QByteArray &datagram);
    bool wantsBoundSocket() const;
    void createSocket();

    std::unique_ptr<QUdpSocket> m_socket;
    double m_total = 262144.0;
    std::string m_p1, m_p2, m_p3, m_p4, m_p5, m_p6, m_p7;
    double m_fraction = 0.0;
    unsigned int m_interval = 5000;
    QElapsedTimer m_clock;
    QHostAddress m_target;
    quint16 m_targetPort = DEFAULT_PORT;
};

} // namespace util
