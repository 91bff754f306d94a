// quorutil curves: the tonal-curve editor window.

#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Report.h"
#include "tools/quorutil/Tool.h"

#include "util/files/AtomicWrite.h"
#include "util/tonal/CurveEditorWidget.h"
#include "util/tonal/CurveEditorWindow.h"

#include <QApplication>
#include <QBuffer>
#include <QPixmap>

#include <ostream>

namespace quorutil {

namespace {

const char *const curvesUsage =
    "Usage: quorutil curves [FILE] [--band B]\n"
    "       quorutil curves [FILE] [--band B] --screenshot OUT.png [--width W --height H]\n"
    "\n"
    "Opens the tonal-curve editor on FILE: curves saved by the editor, an XML file holding a\n"
    "Corrector element (it becomes the curve for all bands), or a break-point file (its bands\n"
    "become Red, Green, Blue and Infrared). Without FILE the editor starts with the identity.\n"
    "In the window: File > Open, Import break points, Save; Edit > Undo, Redo.\n"
    "  --band B           the band to edit first: All, Red, Green, Blue or Infrared\n"
    "  --screenshot OUT   draw the window into a PNG picture instead of opening it, --width\n"
    "                     and --height in pixels (default 900 x 640)\n"
    "The window needs a display (DISPLAY or WAYLAND_DISPLAY; QT_QPA_PLATFORM=offscreen does for\n"
    "--screenshot).\n";

const QStringList bands = {"All", "Red", "Green", "Blue", "Infrared"};

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
    if (!cl.positional().isEmpty()) {
        util::Failure failure;
        if (!window.openFile(cl.positional().first(), &failure))
            return report(err, cl.command(), failure);
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
        return report(err, cl.command(), failure);
    return ExitOk;
}

} // namespace quorutil
