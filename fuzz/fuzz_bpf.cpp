// Break-point files. Any bytes read or throw std::runtime_error without a fault; every band
// listed gives its curve, and each curve gives a lookup table or the documented refusal.
#include "FuzzCommon.h"

#include "util/tonal/BpfConverter.h"
#include "util/tonal/TonalCurve.h"
#include "util/tonal/TonalCurveConverter.h"

#include <QString>
#include <QStringList>

#include <stdexcept>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quorfuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString path = QString::fromStdString(quorfuzz::writeScratch("curves.bpf", data, size));
    try {
        const util::BpfConverter converter(path);
        util::TonalCurveConverter tables;
        for (const QString &band : converter.getBands()) {
            const util::TonalCurve curve = converter.getCurve(band);
            try {
                QUOR_FUZZ_CHECK(tables.getLUT(curve, 64).size() == 64u, band.toStdString());
            } catch (const std::runtime_error &) {
                // A band with fewer than two points: refused, as documented.
            }
        }
    } catch (const std::runtime_error &) {
    }
    return 0;
}
