#include "util/progress/ProgressDatagram.h"

#include "util/strings/NumberFormat.h"

#include <vector>

namespace util {

namespace {

const char SEPARATOR[] = "###";
const char START[] = "Starting ";
const char FINISH[] = "Finished ";
const char RECTIFIER[] = "RECTIFIER";
constexpr int NOTICE_PREFIX = 9;

QByteArray bytes(const std::string &text)
{
    return QByteArray(text.data(), static_cast<int>(text.size()));
}

std::string text(const QByteArray &bytes)
{
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QByteArray number(double value)
{
    return QByteArray::number(value, 'g', 6);
}

bool parseNumber(const QByteArray &field, double &value)
{
    return parseDouble(std::string_view(field.constData(), static_cast<std::size_t>(field.size())),
                       value);
}

const std::string &emptyText()
{
    static const std::string empty;
    return empty;
}

} // namespace

struct ProgressDatagram::Data
{
    Kind kind = Malformed;
    std::string task;
    std::string properties[7];
    bool rectifier = false;
    double percent = 0.0;
    double total = 0.0;
    double done = 0.0;
};

ProgressDatagram::ProgressDatagram()
    : d(std::make_unique<Data>())
{
}

ProgressDatagram::ProgressDatagram(const ProgressDatagram &other)
    : d(std::make_unique<Data>(*other.d))
{
}

ProgressDatagram &ProgressDatagram::operator=(const ProgressDatagram &other)
{
    *d = *other.d;
    return *this;
}

ProgressDatagram::~ProgressDatagram() = default;

ProgressDatagram ProgressDatagram::startNotice(const std::string &taskName)
{
    ProgressDatagram datagram;
    datagram.d->kind = Start;
    datagram.d->task = taskName;
    return datagram;
}

ProgressDatagram ProgressDatagram::finishNotice(const std::string &taskName)
{
    ProgressDatagram datagram;
    datagram.d->kind = Finish;
    datagram.d->task = taskName;
    return datagram;
}

ProgressDatagram ProgressDatagram::status(const std::string (&properties)[7], double fraction,
                                          double total)
{
    ProgressDatagram datagram;
    Data &data = *datagram.d;
    data.kind = Status;
    for (int i = 0; i < 7; ++i)
        data.properties[i] = properties[i];
    data.rectifier = properties[0] == RECTIFIER;
    if (data.rectifier) {
        data.total = total;
        data.done = fraction * total;
    } else {
        data.properties[3].clear();
        data.percent = fraction * 100.0;
    }
    return datagram;
}

QByteArray ProgressDatagram::encode() const
{
    switch (d->kind) {
    case Malformed:
        return QByteArray();
    case Start:
        return START + bytes(d->task);
    case Finish:
        return FINISH + bytes(d->task);
    case Status:
        break;
    }
    QByteArray out = SEPARATOR;
    const auto field = [&out](const QByteArray &value) {
        out += value;
        out += SEPARATOR;
    };
    const std::string *p = d->properties;
    if (d->rectifier) {
        field(bytes(p[0]));
        field(bytes(p[1]));
        field(bytes(p[2]));
        field(bytes(p[3]));
        field(number(d->total));
        field(number(d->done));
    } else {
        field(bytes(p[0]));
        field(bytes(p[2]));
        field(number(d->percent));
        field(bytes(p[1]));
    }
    field(bytes(p[4]));
    field(bytes(p[5]));
    field(bytes(p[6]));
    return out;
}

ProgressDatagram ProgressDatagram::parse(const QByteArray &bytes)
{
    ProgressDatagram datagram;
    Data &data = *datagram.d;
    if (bytes.startsWith(START) || bytes.startsWith(FINISH)) {
        data.kind = bytes.startsWith(START) ? Start : Finish;
        data.task = text(bytes.mid(NOTICE_PREFIX));
        return datagram;
    }
    if (bytes.size() < 6 || !bytes.startsWith(SEPARATOR) || !bytes.endsWith(SEPARATOR))
        return datagram;

    // Separators are found from the left: a text ending in '#' is the one thing that moves.
    std::vector<QByteArray> fields;
    const QByteArray inner = bytes.mid(3, bytes.size() - 6);
    for (int from = 0;;) {
        const int at = inner.indexOf(SEPARATOR, from);
        fields.push_back(inner.mid(from, at < 0 ? -1 : at - from));
        if (at < 0 || fields.size() > 9)
            break;
        from = at + 3;
    }
    const bool rectifier = !fields.empty() && fields[0] == RECTIFIER;
    std::string *p = data.properties;
    if (rectifier && fields.size() == 9) {
        if (!parseNumber(fields[4], data.total) || !parseNumber(fields[5], data.done))
            return ProgressDatagram();
        p[0] = text(fields[0]);
        p[1] = text(fields[1]);
        p[2] = text(fields[2]);
        p[3] = text(fields[3]);
        p[4] = text(fields[6]);
        p[5] = text(fields[7]);
        p[6] = text(fields[8]);
    } else if (!rectifier && fields.size() == 7) {
        if (!parseNumber(fields[2], data.percent))
            return ProgressDatagram();
        p[0] = text(fields[0]);
        p[2] = text(fields[1]);
        p[1] = text(fields[3]);
        p[4] = text(fields[4]);
        p[5] = text(fields[5]);
        p[6] = text(fields[6]);
    } else {
        return datagram;
    }
    data.rectifier = rectifier;
    data.kind = Status;
    return datagram;
}

ProgressDatagram::Kind ProgressDatagram::kind() const
{
    return d->kind;
}

const std::string &ProgressDatagram::taskName() const
{
    return d->task;
}

const std::string &ProgressDatagram::property(int n) const
{
    if (n < 1 || n > 7)
        return emptyText();
    return d->properties[n - 1];
}

bool ProgressDatagram::isRectifierLayout() const
{
    return d->rectifier;
}

double ProgressDatagram::percent() const
{
    if (!d->rectifier)
        return d->percent;
    return d->total == 0.0 ? 0.0 : d->done / d->total * 100.0;
}

double ProgressDatagram::total() const
{
    return d->total;
}

double ProgressDatagram::done() const
{
    return d->done;
}

} // namespace util
