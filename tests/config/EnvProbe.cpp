// Prints "ini <address> <file name>" or "error <message>" for each "ini" argument, from a fresh
// process; "touch:PATH" creates a file and "env:NAME=VALUE" sets a variable between the looks.
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
            else if (step.startsWith("env:"))
                qputenv(qPrintable(step.mid(4).section('=', 0, 0)), step.section('=', 1).toUtf8());
            else
                std::printf("ini %p %s\n", static_cast<const void *>(&util::getQuorIni()),
                            qPrintable(util::getQuorIni().fileName()));
        } catch (const std::runtime_error &e) {
            std::printf("error %s\n", e.what());
        }
    }
    return 0;
}
