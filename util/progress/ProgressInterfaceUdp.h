#pragma once

/// \file
/// The reporter that announces a batch job's progress in UDP datagrams.
/// \ingroup progress

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

/// Announces a batch job's progress as plain-text UDP datagrams for a network monitor.
///
/// It sends "Starting <task>", status datagrams ("###"-separated job texts and progress) at most
/// once per interval, and "Finished <task>". Seven job texts identify the job; the first names the
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
/// \ingroup progress
class UTIL_EXPORT ProgressInterfaceUdp : public QObject, public ProgressInterface
{
    Q_OBJECT

public:
    /// The port datagrams go to unless redirected, and the port a broadcasting reporter binds.
    static constexpr quint16 DEFAULT_PORT = 45454;

    /// A reporter whose job texts are empty but the seventh, which is "127.0.0.1".
    ProgressInterfaceUdp();
    /// A reporter with the seven job texts (none may be null; they are copied). p1 names the
    /// application; "RECTIFIER" there selects the rectifier layout.
    /// \param p1 job text 1
    /// \param p2 job text 2
    /// \param p3 job text 3
    /// \param p4 job text 4 (carried in the rectifier layout only)
    /// \param p5 job text 5
    /// \param p6 job text 6
    /// \param p7 job text 7
    ProgressInterfaceUdp(const char *p1, const char *p2, const char *p3, const char *p4,
                         const char *p5, const char *p6, const char *p7);
    /// Destroys the reporter and closes its socket; sends nothing.
    ~ProgressInterfaceUdp() override;

    /// Replaces all seven job texts (none may be null); the next status datagram carries them.
    /// \param p1 job text 1
    /// \param p2 job text 2
    /// \param p3 job text 3
    /// \param p4 job text 4 (carried in the rectifier layout only)
    /// \param p5 job text 5
    /// \param p6 job text 6
    /// \param p7 job text 7
    void setProperties(const char *p1, const char *p2, const char *p3, const char *p4,
                       const char *p5, const char *p6, const char *p7);
    /// Minimum time between status datagrams sent by percentDone(), in milliseconds.
    /// The default is 5000.
    /// \param milliseconds the interval
    void setInterval(unsigned int milliseconds) { m_interval = milliseconds; }

    /// Sends to address:port from now on; a null address sends nothing.
    /// \param address the destination, or a null address to turn sending off
    /// \param port the destination port
    void setTarget(const QHostAddress &address, quint16 port);
    /// Where datagrams go now (a null address when sending is off).
    /// \return the destination address
    QHostAddress targetAddress() const { return m_target; }
    /// The port datagrams go to now.
    /// \return the destination port
    quint16 targetPort() const { return m_targetPort; }
    /// Parses "host:port" ("[v6]:port" for IPv6); host is an IP address or "localhost".
    /// \param text the text parsed; white space around host and port is ignored
    /// \param[out] address receives the host's address; unchanged on failure
    /// \param[out] port receives the port; unchanged on failure
    /// \return false when the text has no colon or nothing before it, the port is not a number
    /// from 1 to 65535, or the host is neither an IP address nor "localhost"
    static bool parseTarget(const QString &text, QHostAddress &address, quint16 &port);
    /// The destination a reporter constructed now takes.
    ///
    /// That is QUOR_PROGRESS_TARGET when it is set, else the broadcast address and port 45454.
    /// \param[out] address receives the destination; a null address when
    /// QUOR_PROGRESS_TARGET is malformed (such a reporter sends nothing)
    /// \param[out] port receives the destination port (45454 when QUOR_PROGRESS_TARGET is
    /// malformed)
    /// \param[out] errorString receives why QUOR_PROGRESS_TARGET was refused when given; may be
    /// null
    /// \return false when QUOR_PROGRESS_TARGET is set but is not host:port
    static bool targetFromEnvironment(QHostAddress &address, quint16 &port,
                                      QString *errorString = nullptr);

    using ProgressInterface::totalAmount;
    /// Sends the start notice and a status datagram at fraction 0, then starts the interval.
    /// \param taskName the task's name, carried byte for byte
    void starting(const char *taskName) override;
    /// Sends a status datagram at fraction 1, then the finish notice.
    /// \param taskName the task's name, carried byte for byte
    void finished(const char *taskName) override;
    /// Sets the total that status datagrams in the rectifier layout carry.
    /// \param total the amount that means done
    /// \param units ignored
    void totalAmount(double total, const char *units) override;
    /// Reports amount / total as percentDone() does.
    /// \param amount the amount done so far, in the unit of the total
    void amountDone(double amount) override;
    /// Keeps the fraction and sends a status datagram when the interval has passed.
    ///
    /// The datagram goes when more than the interval has passed since the last one, and only
    /// after starting().
    /// \param fraction the part done, 0.0 to 1.0
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
