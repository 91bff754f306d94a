// quorutil curves: the tonal-curve editor window.

#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Tool.h"

#include "util/files/AtomicWrite.h"
#include "util/tonal/CurveEditorWidget.h"
#include "util/tonal/CurveEditorWindow.h"

#include <QApplication>
#include <QBuffer>
#include <QPixmap>

#include <ostream>

namespace quorutil {

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
    if (!cl.positional().isEmpty()) {
        QString error;
        if (!window.openFile(cl.positional().first(), &error))
            return cl.failure(err, error.toStdString());
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
