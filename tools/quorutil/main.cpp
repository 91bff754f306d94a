#include "tools/quorutil/Report.h"
#include "tools/quorutil/Tool.h"

#include <QApplication>
#include <QCoreApplication>

#include <iostream>
#include <memory>

int main(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    // Only the progress dialog and drawing need a GUI application; everything else runs
    // headless. Without a display Qt would abort while creating it: a window then cannot be
    // shown, which is said plainly, while a picture is drawn on the offscreen platform.
    std::unique_ptr<QCoreApplication> app;
    const bool gui = quorutil::wantsGui(args) && !args.contains(QStringLiteral("--help"))
        && !args.contains(QStringLiteral("-h"));
    const bool display = qEnvironmentVariableIsSet("DISPLAY")
        || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
        || qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    if (gui && !display && quorutil::needsScreen(args)) {
        std::cerr << "quorutil " << (args.isEmpty() ? std::string() : args.first().toStdString())
                  << ": no display to open the window on (DISPLAY, WAYLAND_DISPLAY and "
                     "QT_QPA_PLATFORM are unset)\n";
        return 1;
    }
    if (gui && !display)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own remarks (a runtime folder, a plugin's size hints) are no news for a user.
    quorutil::installQtMessageHandler();
    if (gui)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorutil"));

    // Standard output keeps the reason of a failed write for the one line at the end.
    quorutil::StandardOutputBuffer output;
    std::streambuf *const original = std::cout.rdbuf(&output);
    const int code = quorutil::run(args, std::cout, std::cerr);
    const int exitCode = quorutil::closeStandardOutput(args, code, output, std::cerr);
    std::cout.rdbuf(original);
    return exitCode;
}
