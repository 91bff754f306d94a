#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Output.h"
#include "tools/quorutil/Report.h"
#include "tools/quorutil/Tool.h"

#include "util/strings/NumberFormat.h"
#include "util/support/LikFile.h"
#include "util/support/WorldFile.h"

#include <QFile>

#include <cmath>
#include <ostream>
#include <stdexcept>

namespace quorutil {

namespace {

// Reads a world file or reports why not; returns false on failure.
bool readWorldFile(const CommandLine &cl, const QString &path, util::WorldFile &tfw,
                   std::ostream &err)
{
    util::Failure failure;
    if (tfw.read(localPath(path), &failure))
        return true;
    report(err, cl, failure);
    return false;
}

// minify and offset: read, change, write to -o.
int tfwChange(const CommandLine &cl, bool isOffset, std::ostream &out, std::ostream &err)
{
    const double values[2] = {cl.numberAt(1), cl.numberAt(2)};
    const unsigned int precision[2] = {unsigned(cl.integer("--coord-precision", 10)),
                                       unsigned(cl.integer("--cell-precision", 10))};

    util::WorldFile tfw(0, 0, 0, 0);
    if (!readWorldFile(cl, cl.positional().first(), tfw, err))
        return ExitFailure;
    if (!isOffset)
        tfw.minify(values[0]);
    else if (cl.isSet("--pixels"))
        tfw.applyOffset(values[0] * tfw.cellSizeX(), values[1] * tfw.cellSizeY());
    else
        tfw.applyOffset(values[0], values[1]);

    util::Failure failure;
    if (!writeToOutput(
            cl.value("--output"), out,
            [&](const std::string &path, util::Failure *why) {
                return tfw.saveAs(path, precision[0], precision[1], why);
            },
            &failure))
        return report(err, cl, failure);
    return ExitOk;
}

} // namespace

int tfwShow(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    util::WorldFile tfw(0, 0, 0, 0);
    if (!readWorldFile(cl, cl.inputPath(0), tfw, err))
        return ExitFailure;
    out << "cell size x: " << util::formatShortest(tfw.cellSizeX()) << "\n"
        << "cell size y: " << util::formatShortest(tfw.cellSizeY()) << "\n"
        << "rotation x: " << util::formatShortest(tfw.rotX()) << "\n"
        << "rotation y: " << util::formatShortest(tfw.rotY()) << "\n"
        << "top-left x: " << util::formatShortest(tfw.topLeftX()) << "\n"
        << "top-left y: " << util::formatShortest(tfw.topLeftY()) << "\n";
    return ExitOk;
}

int tfwMinify(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    return tfwChange(cl, false, out, err);
}

int tfwOffset(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    return tfwChange(cl, true, out, err);
}

int likShow(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    util::LikFile lik(std::string(), localPath(cl.positional().first()));
    util::Failure failure;
    if (!lik.read(&failure))
        return report(err, cl, failure);
    out << "image: " << lik.imgFilePath() << "\n"
        << "exists: " << (lik.existsImage() ? "yes" : "no") << "\n";
    return ExitOk;
}

int likMake(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    if (cl.positional().first().isEmpty())
        return cl.usageError(err, "make needs one IMAGE");
    const std::string image = localPath(cl.positional().first());
    const QString dest = cl.value("--output");
    util::LikFile lik(image, dest.isEmpty() || dest == QLatin1String("-")
                                 ? util::LikFile::computeLikFilePathFromGivenPath(image)
                                 : localPath(dest));
    util::Failure failure;
    const bool ok = writeToOutput(
        dest.isEmpty() ? QString::fromStdString(lik.likFilePath()) : dest, out,
        [&](const std::string &path, util::Failure *why) {
            return util::LikFile(image, path).write(why);
        },
        &failure);
    if (!ok)
        return report(err, cl, failure);
    if (dest != QLatin1String("-"))
        out << lik.likFilePath() << "\n";
    return ExitOk;
}

} // namespace quorutil
