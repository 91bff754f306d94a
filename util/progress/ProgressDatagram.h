#pragma once

/// \file
/// The UDP progress datagram: its format, encoded and parsed in one place.
/// \ingroup progress

#include "util/UtilExport.h"

#include <QByteArray>

#include <memory>
#include <string>

namespace util {

/// One UDP progress datagram, as ProgressInterfaceUdp sends it and a monitor reads it. This is
/// the one place that knows the format; the reporter encodes with it, monitors parse with it.
///
/// The format is plain text with no length prefix and no terminator:
///  - start notice:  "Starting " + task name;
///  - finish notice: "Finished " + task name;
///  - status, general layout:
///    "###" p1 "###" p3 "###" percent "###" p2 "###" p5 "###" p6 "###" p7 "###";
///  - status, rectifier layout (p1 is exactly "RECTIFIER"):
///    "###" p1 "###" p2 "###" p3 "###" p4 "###" total "###" done "###" p5 "###" p6 "###" p7 "###".
/// p1..p7 are the reporter's seven job texts, carried byte for byte with no character-set
/// conversion (the programs of the suite write UTF-8). Numbers are written in the general
/// format with 6 significant digits (QByteArray::number(value, 'g', 6)): percent = fraction x 100,
/// done = fraction x total; "inf" and "nan" stand for what a zero total gives.
///
/// The format has no escape: a job text that holds "###" or ends in '#' cannot be told from the
/// separators, and such a datagram parses as malformed or with its texts split differently.
/// Anything else, including empty texts, control characters, NUL bytes and non-UTF-8 bytes,
/// survives encode() and parse() unchanged. Texts come back as raw bytes: whoever shows them on
/// a terminal must escape control characters first.
/// \ingroup progress
class UTIL_EXPORT ProgressDatagram
{
public:
    /// What a datagram is.
    enum Kind {
        Malformed, ///< not a datagram of the format; also a default-constructed one
        Start, ///< a start notice: "Starting " and the task name
        Finish, ///< a finish notice: "Finished " and the task name
        Status ///< a status with the seven job texts and the progress
    };

    /// A malformed datagram (kind() == Malformed, no texts).
    ProgressDatagram();
    /// Copies other.
    /// \param other the datagram copied
    ProgressDatagram(const ProgressDatagram &other);
    /// Makes this datagram a copy of other.
    /// \param other the datagram copied
    /// \return this datagram
    ProgressDatagram &operator=(const ProgressDatagram &other);
    /// Destroys the datagram.
    ~ProgressDatagram();

    /// A start notice.
    /// \param taskName the task's name, carried byte for byte
    /// \return the notice (kind() == Start)
    static ProgressDatagram startNotice(const std::string &taskName);
    /// A finish notice.
    /// \param taskName the task's name, carried byte for byte
    /// \return the notice (kind() == Finish)
    static ProgressDatagram finishNotice(const std::string &taskName);
    /// A status with the seven job texts, the fraction done and the total amount. The layout
    /// follows p1; the general layout carries no p4 and no total.
    /// \param properties the job texts p1 to p7 (properties[0] is p1)
    /// \param fraction the part done, 0.0 to 1.0
    /// \param total the total amount (carried in the rectifier layout only)
    /// \return the status (kind() == Status)
    static ProgressDatagram status(const std::string (&properties)[7], double fraction,
                                   double total);

    /// Takes received bytes apart.
    /// \param bytes the datagram as received
    /// \return the datagram; anything that is neither a notice nor a status of one of the two
    /// layouts with well-formed numbers comes back with kind() == Malformed and no texts
    static ProgressDatagram parse(const QByteArray &bytes);

    /// The bytes to send.
    /// \return the datagram in the format above; empty for a malformed datagram
    QByteArray encode() const;

    /// What the datagram is.
    /// \return its kind
    Kind kind() const;
    /// The task name of a start or finish notice.
    /// \return the name; empty for a status or a malformed datagram
    const std::string &taskName() const;
    /// Job text n of a status.
    /// \param n the text's number, 1 to 7
    /// \return the text; empty for any other n, for anything but a status, and for text 4 in
    /// the general layout
    const std::string &property(int n) const;
    /// Whether the datagram is a status in the rectifier layout.
    /// \return true for a status in the rectifier layout
    bool isRectifierLayout() const;
    /// Percentage done of a status.
    /// \return the percentage as carried in the general layout; in the rectifier layout
    /// done / total x 100, 0 when the total is 0; 0 for anything but a status
    double percent() const;
    /// Total amount of a status in the rectifier layout.
    /// \return the total; 0 in the general layout and for anything but a status
    double total() const;
    /// Amount done of a status in the rectifier layout.
    /// \return the amount, fraction x total; 0 in the general layout and for anything but a
    /// status
    double done() const;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace util
