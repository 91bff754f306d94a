// quorutil curves: the tonal-curve editor window.

#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Tool.h"

#include "util/files/AtomicWrite.h"
#include "util/files/Failure.h"
#include "util/tonal/CurveEditorWidget.h"
#include "util/tonal/CurveEditorWindow.h"
#include "util/tonal/ImagePreviewData.h"

#include <QApplication>
#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPixmap>

#include <algorithm>
#include <cerrno>
#include <ostream>

namespace quorutil {

namespace {

const char *const curvesUsage =
    "Usage: quorutil curves [FILE] [--band B] [--image RASTER]\n"
    "       quorutil curves [FILE] [--band B] [--image RASTER] --screenshot OUT.png\n"
    "                       [--width W --height H]\n"
    "\n"
    "Opens the tonal-curve editor on FILE: curves saved by the editor, an XML file holding a\n"
    "Corrector element (it becomes the curve for all bands), or a break-point file (its bands\n"
    "become Red, Green, Blue and Infrared). Without FILE the editor starts with the identity.\n"
    "In the window: File > Open, Import break points, Save; Edit > Undo, Redo.\n"
    "  --band B           the band to edit first: All, Red, Green, Blue or Infrared\n"
    "  --image RASTER     shows the image's histograms behind the curves and a preview of it\n"
    "                     with the curves applied (PNG, or what Qt's image plugins read; a\n"
    "                     fourth channel is near infrared; File > Open image in the window)\n"
    "  --screenshot OUT   draw the window into a PNG picture instead of opening it, --width\n"
    "                     and --height in pixels (default 900 x 640)\n"
    "The window needs a display (DISPLAY or WAYLAND_DISPLAY; QT_QPA_PLATFORM=offscreen does for\n"
    "--screenshot).\n";

const QStringList bands = {"All", "Red", "Green", "Blue", "Infrared"};

// The longest side of a preview: enough for a screen, and what the preview redraws while a node
// is dragged.
const int previewSide = 1024;

// A raster read through Qt's image plugins, averaged down to the preview size. Grey is one band;
// colour is Red, Green and Blue, and an alpha channel a fourth band, near infrared (which is how
// a four-band image fits a PNG). 16-bit pictures keep 16 bits.
bool readImageThroughQt(const QString &path, util::ImagePreviewData &image, util::Failure *failure)
{
    if (!QFileInfo::exists(path))
        return util::fail(failure, util::Failure::system(ENOENT, path));
    QImageReader reader(path);
    QImage picture = reader.read();
    if (picture.isNull())
        return util::fail(failure,
                          util::Failure::other(path,
                                               QStringLiteral("not an image Qt can read: ")
                                                   + reader.errorString()));
    const bool deep = picture.depth() >= 48 || picture.format() == QImage::Format_Grayscale16;
    const bool grey = picture.format() == QImage::Format_Grayscale8
        || picture.format() == QImage::Format_Grayscale16;
    const bool alpha = picture.hasAlphaChannel();
    // Straight, not premultiplied, alpha: the fourth band is data, not coverage.
    picture = picture.convertToFormat(QImage::Format_RGBA64);

    const int factor =
        std::max(1, (std::max(picture.width(), picture.height()) + previewSide - 1) / previewSide);
    image.width = std::max(1, picture.width() / factor);
    image.height = std::max(1, picture.height() / factor);
    image.maxValue = deep ? 65535 : 255;
    image.bandNames = grey ? QStringList {"Pan"}
        : alpha            ? QStringList {"Red", "Green", "Blue", "NIR"}
                           : QStringList {"Red", "Green", "Blue"};
    const int bandCount = image.bandNames.size();
    image.samples =
        QVector<QVector<quint16>>(bandCount, QVector<quint16>(image.width * image.height));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            quint64 sum[4] = {0, 0, 0, 0};
            for (int dy = 0; dy < factor; ++dy) {
                const auto *row = reinterpret_cast<const QRgba64 *>(
                    picture.constScanLine(std::min(picture.height() - 1, y * factor + dy)));
                for (int dx = 0; dx < factor; ++dx) {
                    const QRgba64 p = row[std::min(picture.width() - 1, x * factor + dx)];
                    sum[0] += p.red();
                    sum[1] += p.green();
                    sum[2] += p.blue();
                    sum[3] += p.alpha();
                }
            }
            const quint64 n = quint64(factor) * quint64(factor);
            for (int b = 0; b < bandCount; ++b) {
                const quint64 mean = (sum[b] + n / 2) / n; // 16 bits, 8-bit values repeated
                image.samples[b][y * image.width + x] = quint16(deep ? mean : mean >> 8);
            }
        }
    }
    return true;
}

bool parseSize(const QString &text, int &value)
{
    bool ok = false;
    const int parsed = text.toInt(&ok, 10);
    if (!ok || parsed < 200 || parsed > 10000)
        return false;
    value = parsed;
    return true;
}

} // namespace

int curvesCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    CommandLine cl("curves", curvesUsage,
                   {{"--band", nullptr, true},
                    {"--image", nullptr, true},
                    {"--screenshot", nullptr, true},
                    {"--width", nullptr, true},
                    {"--height", nullptr, true}});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    if (cl.positional().size() > 1)
        return cl.usageError(err, "takes at most one FILE");
    if (cl.isSet("--band") && !bands.contains(cl.value("--band")))
        return cl.usageError(err, "--band is All, Red, Green, Blue or Infrared");
    if ((cl.isSet("--width") || cl.isSet("--height")) && !cl.isSet("--screenshot"))
        return cl.usageError(err, "--width and --height go with --screenshot");
    int width = 900;
    int height = 640;
    if (cl.isSet("--width") && !parseSize(cl.value("--width"), width))
        return cl.usageError(err, "--width needs a whole number from 200 to 10000");
    if (cl.isSet("--height") && !parseSize(cl.value("--height"), height))
        return cl.usageError(err, "--height needs a whole number from 200 to 10000");

    // The tool's main() makes the GUI application (and refuses a window without a display);
    // a caller without one gets a line, not Qt's abort.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return cl.failure(err, "needs a GUI application object");

    util::CurveEditorWindow window;
    window.setImageLoader(readImageThroughQt);
    if (!cl.positional().isEmpty()) {
        QString error;
        if (!window.openFile(cl.positional().first(), &error))
            return cl.failure(err, error.toStdString());
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
    QString error;
    if (!util::writeFileAtomically(target, png.constData(), std::size_t(png.size()), &error))
        return cl.failure(err, error.toStdString());
    return ExitOk;
}

} // namespace quorutil
