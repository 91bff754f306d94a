// The monitor's datagram parser. Any bytes parse without a fault; a datagram that parses as a
// notice or a status encodes to bytes that parse to the same kind, task name, texts and layout,
// and encoding is then a fixed point.
#include "FuzzCommon.h"

#include "util/progress/ProgressDatagram.h"

#include <QByteArray>

#include <cmath>

namespace {

bool sameNumber(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const util::ProgressDatagram first = util::ProgressDatagram::parse(bytes);
    (void)first.percent();
    (void)first.total();
    (void)first.done();
    const QByteArray encoded = first.encode();
    if (first.kind() == util::ProgressDatagram::Malformed) {
        QUOR_FUZZ_CHECK(encoded.isEmpty(), encoded.toStdString());
        return 0;
    }
    const util::ProgressDatagram second = util::ProgressDatagram::parse(encoded);
    const std::string shown = bytes.toStdString() + "\n--- encoded\n" + encoded.toStdString();
    QUOR_FUZZ_CHECK(second.kind() == first.kind(), shown);
    QUOR_FUZZ_CHECK(second.taskName() == first.taskName(), shown);
    QUOR_FUZZ_CHECK(second.isRectifierLayout() == first.isRectifierLayout(), shown);
    for (int n = 1; n <= 7; ++n)
        QUOR_FUZZ_CHECK(second.property(n) == first.property(n), shown);
    QUOR_FUZZ_CHECK(second.encode() == encoded, shown);
    if (first.kind() == util::ProgressDatagram::Status) {
        const util::ProgressDatagram third = util::ProgressDatagram::parse(second.encode());
        QUOR_FUZZ_CHECK(sameNumber(third.percent(), second.percent()), shown);
        QUOR_FUZZ_CHECK(sameNumber(third.total(), second.total()), shown);
        QUOR_FUZZ_CHECK(sameNumber(third.done(), second.done()), shown);
    }
    return 0;
}
