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

    // Only the progress dialog needs a GUI application; everything else runs headless.
    std::unique_ptr<QCoreApplication> app;
    if (quorutil::wantsGui(args))
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorutil"));

    return quorutil::run(args, std::cout, std::cerr);
}
