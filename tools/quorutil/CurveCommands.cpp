// quorutil curves: the tonal-curve editor window.

#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Report.h"
#include "tools/quorutil/Tool.h"

#include "util/files/AtomicWrite.h"
#include "util/files/Failure.h"
#include "util/imagery/RasterPreview.h"
#include "util/tonal/CurveEditorWidget.h"
#include "util/tonal/CurveEditorWindow.h"
#include "util/tonal/ImagePreviewData.h"

#include <QApplication>
#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>

#include <algorithm>
#include <cerrno>
#include <ostream>

namespace quorutil {

namespace {

const QStringList bands = {"All", "Red", "Green", "Blue", "Infrared"};

// The longest side of a preview: enough for a screen, and what the preview redraws while a node
// is dragged.
const int previewSide = 1024;

// A raster read through GDAL at preview size (overviews or decimated reading), handed to the
// editor in its own terms; the editor derives band roles from the names and keeps the full
// raster's histograms.
bool readRaster(const QString &path, util::ImagePreviewData &image, util::Failure *failure)
{
    util::RasterPreview preview;
    if (!util::readRasterPreview(path, previewSide, preview, failure))
        return false;
    image.width = preview.width;
    image.height = preview.height;
    image.maxValue = preview.maxValue;
    image.bandNames.clear();
    image.samples.clear();
    image.histograms.clear();
    for (int b = 0; b < preview.bandCount; ++b) {
        const QString colour = preview.colourInterpretations.value(b);
        // A band described only by its colour is named by it, so the editor finds its role.
        image.bandNames << (colour == QLatin1String("Undefined") || colour.isEmpty()
                                ? preview.bandNames.value(b)
                                : colour);
        image.samples << QVector<quint16>(preview.samples[b].begin(), preview.samples[b].end());
        QVector<quint32> counts;
        counts.reserve(int(preview.histograms[b].size()));
        for (std::uint64_t n : preview.histograms[b])
            counts << quint32(std::min<std::uint64_t>(n, 0xffffffffu));
        image.histograms << counts;
    }
    return true;
}

} // namespace

int curvesCommand(const CommandLine &cl, std::ostream & /*out*/, std::ostream &err)
{
    if ((cl.isSet("--width") || cl.isSet("--height")) && !cl.isSet("--screenshot"))
        return cl.usageError(err, "--width and --height go with --screenshot");
    const int width = int(cl.integer("--width", 900));
    const int height = int(cl.integer("--height", 640));

    // The tool's main() makes the GUI application (and refuses a window without a display);
    // a caller without one gets a line, not Qt's abort.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return cl.failure(err, "needs a GUI application object");

    util::CurveEditorWindow window;
    window.setImageLoader(readRaster);
    if (!cl.positional().isEmpty()) {
        util::Failure failure;
        if (!window.openFile(cl.positional().first(), &failure))
            return report(err, cl, failure);
    }
    if (cl.isSet("--image")) {
        util::Failure failure;
        if (!window.openImage(cl.value("--image"), &failure))
            return cl.failure(err, failure.text().toStdString());
    }
    if (cl.isSet("--band"))
        window.editorWidget()->setBand(cl.value("--band"));

    if (!cl.isSet("--screenshot")) {
        window.show();
        return QApplication::exec() == 0 ? ExitOk : ExitFailure;
    }
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.resize(width, height);
    window.show();
    QCoreApplication::processEvents();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    window.grab().save(&buffer, "PNG");
    const QString target = cl.value("--screenshot");
    util::Failure failure;
    if (!util::writeFileAtomically(target, png.constData(), std::size_t(png.size()), &failure))
        return report(err, cl, failure);
    return ExitOk;
}

} // namespace quorutil
