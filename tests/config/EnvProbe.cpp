// Prints "ini <address> <file name>" or "error <message>" for each "ini" argument, from a process
// of its own; "touch:PATH" creates a file in between.
#include "util/config/QuorEnvironment.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>

#include <cstdio>
#include <stdexcept>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    for (const QString &step : app.arguments().mid(1)) {
        try {
            if (step.startsWith("touch:"))
                QFile(step.mid(6)).open(QIODevice::WriteOnly);
            else
                std::printf("ini %p %s\n", static_cast<const void *>(&util::getQuorIni()),
                            qPrintable(util::getQuorIni().fileName()));
        } catch (const std::runtime_error &e) {
            std::printf("error %s\n", e.what());
        }
    }
    return 0;
}
