// Runs a script of settings-file steps in a fresh process and prints one line per step:
//   ini          getQuorIni(): "ini <address> <file name>" or "error <message>"
//   module       modulename(): "module <name>"
//   fav:NAME     getFavoritesFile(NAME): "fav <path>" or "error <message>"
//   touch:PATH   creates an empty file: "touched"
//   env:NAME=V   sets an environment variable: "set"
#include "util/config/QuorEnvironment.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>

#include <cstdio>
#include <stdexcept>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList steps = app.arguments().mid(1);
    for (const QString &step : steps) {
        try {
            if (step == QLatin1String("ini")) {
                const QSettings &settings = util::getQuorIni();
                std::printf("ini %p %s\n", static_cast<const void *>(&settings),
                            qPrintable(settings.fileName()));
            } else if (step == QLatin1String("module")) {
                std::printf("module %s\n", util::modulename().c_str());
            } else if (step.startsWith(QLatin1String("fav:"))) {
                std::printf("fav %s\n", qPrintable(util::getFavoritesFile(step.mid(4))));
            } else if (step.startsWith(QLatin1String("touch:"))) {
                QFile file(step.mid(6));
                file.open(QIODevice::WriteOnly);
                std::printf("touched\n");
            } else if (step.startsWith(QLatin1String("env:"))) {
                const QString assignment = step.mid(4);
                const int eq = assignment.indexOf(QLatin1Char('='));
                qputenv(qPrintable(assignment.left(eq)), assignment.mid(eq + 1).toUtf8());
                std::printf("set\n");
            }
        } catch (const std::runtime_error &e) {
            std::printf("error %s\n", e.what());
        }
    }
    return 0;
}
