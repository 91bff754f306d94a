// Applies a tonal curve file to a raster: prints the lookup table of each curve the file holds
// at a few input levels, then writes the raster mapped through the curves.
//
//     stretch CURVES.xml INPUT.tif OUTPUT.tif
#include "util/files/Failure.h"
#include "util/imagery/ApplyCurves.h"
#include "util/tonal/TonalCurveConverter.h"
#include "util/tonal/TonalCurveSet.h"

#include <QThread>

#include <iostream>
#include <stdexcept>

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::cerr << "usage: stretch CURVES.xml INPUT.tif OUTPUT.tif\n";
        return 2;
    }
    const QString curveFile = QString::fromLocal8Bit(argv[1]);

    //! [tables]
    QVector<util::NamedTonalCurve> curves;
    util::Failure failure;
    if (!util::readTonalCurves(curveFile, curves, &failure)) {
        std::cerr << "stretch: " << failure.text().toStdString() << '\n';
        return 1;
    }
    util::TonalCurveConverter converter;
    for (const auto &named : curves) {
        try {
            const std::vector<float> &table = converter.getLUT(named.curve, 5);
            std::cout << (named.band.isEmpty() ? "all bands" : named.band.toStdString()) << ':';
            for (float level : table)
                std::cout << ' ' << level;
            std::cout << '\n';
        } catch (const std::runtime_error &e) { // the converter throws for a curve it refuses
            std::cerr << "stretch: " << argv[1] << ": " << e.what() << '\n';
            return 1;
        }
    }
    //! [tables]

    //! [apply]
    // RasterCurves reads the file again for itself: it keeps each break-point band's level
    // range (max_value), which a NamedTonalCurve does not carry.
    util::RasterCurves rasterCurves;
    util::ApplyCurvesOptions options;
    options.setThreads(QThread::idealThreadCount());
    if (!rasterCurves.load(curveFile, &failure)
        || !util::applyTonalCurves(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                                   rasterCurves, options, nullptr, &failure)) {
        std::cerr << "stretch: " << failure.text().toStdString() << '\n';
        return 1;
    }
    //! [apply]
    return 0;
}
