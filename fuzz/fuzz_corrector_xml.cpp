// Corrector XML (tonal curve files). Any bytes read or are refused without a fault, with and
// without schema validation; a curve that reads is turned into lookup tables (or refused with
// std::runtime_error), written as a Corrector element and read back to the same curve when its
// coordinates are finite.
#include "FuzzCommon.h"

#include "util/tonal/TonalCurve.h"
#include "util/tonal/TonalCurveConverter.h"
#include "util/tonal/TonalCurveFile.h"

#include <QDomDocument>
#include <QFile>
#include <QPointF>
#include <QString>

#include <cmath>
#include <stdexcept>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Validation loads tonalcurve.xsd from the installation root: the source tree's resources.
    quorfuzz::useSourceTreeInstallation();
    quorfuzz::ensureApplication(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString path = QString::fromStdString(quorfuzz::writeScratch("curve.xml", data, size));
    (void)util::holdsTonalCurve(path);
    util::TonalCurve curve;
    util::Failure error;
    bool validatedRead = false;
    util::TonalCurve validated;
    if (size && (data[0] & 1))
        validatedRead = util::readTonalCurveFile(path, validated, true, &error);
    if (!util::readTonalCurveFile(path, curve, false, &error)) {
        QUOR_FUZZ_CHECK(!error.reason.isEmpty(), "refused without a message");
        // Validation only adds checks: what the schema accepts reads without it too.
        QUOR_FUZZ_CHECK(!validatedRead, error.text().toStdString());
        return 0;
    }
    if (validatedRead)
        QUOR_FUZZ_CHECK(validated == curve, "validated read differs");
    util::TonalCurveConverter converter;
    for (const int samples : {1, 2, 256}) {
        try {
            QUOR_FUZZ_CHECK(converter.getLUT(curve, samples).size() == std::size_t(samples),
                            std::to_string(samples));
        } catch (const std::runtime_error &) {
            // Too few nodes, or a gamma curve out of shape: refused, as documented.
        }
    }

    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("Curves"));
    document.appendChild(root);
    curve.appendTo(root, 3);
    const std::string written = document.toByteArray().toStdString();
    const QString copy = QString::fromStdString(quorfuzz::writeScratch("copy.xml", written));
    util::TonalCurve again;
    QUOR_FUZZ_CHECK(util::readTonalCurveFile(copy, again, false, &error),
                    written + error.text().toStdString());
    // Coordinates survive the DOM's double formatting when finite; one read from an overflowing
    // number ("11e308") is infinite and is written as "inf", which does not read back.
    bool finite = true;
    for (const QPointF &node : curve.getNodes())
        finite = finite && std::isfinite(node.x()) && std::isfinite(node.y());
    if (finite)
        QUOR_FUZZ_CHECK(again == curve, written);
    return 0;
}
