#pragma once

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
class UTIL_EXPORT ProgressDatagram
{
public:
    enum Kind { Malformed, Start, Finish, Status };

    /// A malformed datagram (kind() == Malformed, no texts).
    ProgressDatagram();
    ProgressDatagram(const ProgressDatagram &other);
    ProgressDatagram &operator=(const ProgressDatagram &other);
    ~ProgressDatagram();

    static ProgressDatagram startNotice(const std::string &taskName);
    static ProgressDatagram finishNotice(const std::string &taskName);
    /// A status with the seven job texts (p[0] is p1), the fraction done (0.0 to 1.0) and the
    /// total amount. The layout follows p1; the general layout carries no p4 and no total.
    static ProgressDatagram status(const std::string (&properties)[7], double fraction,
                                   double total);

    /// Takes received bytes apart. Anything that is neither a notice nor a status of one of the
    /// two layouts with well-formed numbers comes back with kind() == Malformed.
    static ProgressDatagram parse(const QByteArray &bytes);

    /// The bytes to send; empty for a malformed datagram.
    QByteArray encode() const;

    Kind kind() const;
    /// The task name of a start or finish notice.
    const std::string &taskName() const;
    /// Job text n (1 to 7) of a status; empty otherwise. Text 4 is empty in the general layout.
    const std::string &property(int n) const;
    /// True for a status in the rectifier layout.
    bool isRectifierLayout() const;
    /// Percentage done of a status (in the rectifier layout: done / total x 100, 0 when the
    /// total is 0).
    double percent() const;
    /// Total and amount done of a status in the rectifier layout; 0 in the general layout.
    double total() const;
    double done() const;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace util
