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

const char tfwUsage[] =
    "Usage: quorutil tfw show FILE\n"
    "       quorutil tfw minify FILE FACTOR -o OUT [PRECISION OPTIONS]\n"
    "       quorutil tfw offset FILE DX DY [--pixels] -o OUT [PRECISION OPTIONS]\n"
    "\n"
    "World files (.tfw) place an image on the ground: cell sizes, rotation terms and the map\n"
    "position of the centre of the upper-left pixel.\n"
    "  show    the six numbers\n"
    "  minify  the world file of the image resampled so one pixel covers FACTOR x FACTOR\n"
    "  offset  the grid moved by DX, DY map units (with --pixels: DX, DY pixels)\n"
    "  -o OUT  where the new world file goes ('-' for standard output)\n"
    "  --coord-precision N  digits after the point of coordinates and rotations (default 10)\n"
    "  --cell-precision N   digits after the point of the cell sizes (default 10)\n";

const char likUsage[] =
    "Usage: quorutil lik show FILE\n"
    "       quorutil lik make IMAGE [-o LIK]\n"
    "\n"
    "Image link files (.lik) stand in place of an image and name where it really is.\n"
    "  show  the image a link file points to, and whether it exists\n"
    "  make  writes a link file for IMAGE (default: beside IMAGE, named IMAGE's name up to\n"
    "        its last dot plus .lik) and prints its path\n";

// Reads a world file or reports why not; returns false on failure.
bool readWorldFile(const CommandLine &cl, const QString &path, util::WorldFile &tfw,
                   std::ostream &err)
{
    util::Failure failure;
    if (tfw.read(localPath(path), &failure))
        return true;
    report(err, cl.command(), failure);
    return false;
}

int tfwShow(const QStringList &args, std::ostream &out, std::ostream &err)
{
    CommandLine cl("tfw show", tfwUsage, {});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    if (cl.positional().size() != 1)
        return cl.usageError(err, "show needs one FILE");
    util::WorldFile tfw(0, 0, 0, 0);
    if (!readWorldFile(cl, cl.positional().first(), tfw, err))
        return ExitFailure;
    out << "cell size x: " << util::formatShortest(tfw.cellSizeX()) << "\n"
        << "cell size y: " << util::formatShortest(tfw.cellSizeY()) << "\n"
        << "rotation x: " << util::formatShortest(tfw.rotX()) << "\n"
        << "rotation y: " << util::formatShortest(tfw.rotY()) << "\n"
        << "top-left x: " << util::formatShortest(tfw.topLeftX()) << "\n"
        << "top-left y: " << util::formatShortest(tfw.topLeftY()) << "\n";
    return ExitOk;
}

// minify and offset: read, change, write to -o.
int tfwChange(const char *name, int numbers, const QStringList &args, std::ostream &out,
              std::ostream &err)
{
    CommandLine cl(std::string("tfw ") + name, tfwUsage,
                   {{"--output", "-o", true},
                    {"--coord-precision", nullptr, true},
                    {"--cell-precision", nullptr, true},
                    {"--pixels", nullptr, false}});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    const bool isOffset = std::string(name) == "offset";
    if (cl.positional().size() != 1 + numbers)
        return cl.usageError(err, isOffset ? "offset needs FILE DX DY" : "minify needs FILE FACTOR");
    if (!isOffset && cl.isSet("--pixels"))
        return cl.usageError(err, "--pixels applies to offset only");
    if (!cl.isSet("--output"))
        return cl.usageError(err, "-o OUT is needed");
    double values[2] = {0, 0};
    for (int i = 0; i < numbers; ++i) {
        if (!parseFiniteNumber(cl.positional().at(1 + i), values[i]))
            return cl.usageError(err, "not a number: '" + cl.positional().at(1 + i).toStdString()
                                          + "'");
    }
    if (!isOffset && !(values[0] > 0))
        return cl.usageError(err, "FACTOR must be greater than 0");
    unsigned int precision[2] = {10, 10}; // coordinates, cell sizes
    const char *precisionOptions[2] = {"--coord-precision", "--cell-precision"};
    for (int i = 0; i < 2; ++i) {
        if (!cl.isSet(precisionOptions[i]))
            continue;
        bool ok = false;
        precision[i] = cl.value(precisionOptions[i]).toUInt(&ok);
        if (!ok || precision[i] > 17)
            return cl.usageError(err, std::string(precisionOptions[i]) + " must be 0 to 17");
    }

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
        return report(err, cl.command(), failure);
    return ExitOk;
}

int tfwMinify(const QStringList &args, std::ostream &out, std::ostream &err)
{
    return tfwChange("minify", 1, args, out, err);
}

int tfwOffset(const QStringList &args, std::ostream &out, std::ostream &err)
{
    return tfwChange("offset", 2, args, out, err);
}

int likShow(const QStringList &args, std::ostream &out, std::ostream &err)
{
    CommandLine cl("lik show", likUsage, {});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    if (cl.positional().size() != 1)
        return cl.usageError(err, "show needs one FILE");
    util::LikFile lik(std::string(), localPath(cl.positional().first()));
    util::Failure failure;
    if (!lik.read(&failure))
        return report(err, cl.command(), failure);
    out << "image: " << lik.imgFilePath() << "\n"
        << "exists: " << (lik.existsImage() ? "yes" : "no") << "\n";
    return ExitOk;
}

int likMake(const QStringList &args, std::ostream &out, std::ostream &err)
{
    CommandLine cl("lik make", likUsage, {{"--output", "-o", true}});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    if (cl.positional().size() != 1 || cl.positional().first().isEmpty())
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
        return report(err, cl.command(), failure);
    if (dest != QLatin1String("-"))
        out << lik.likFilePath() << "\n";
    return ExitOk;
}

} // namespace

int tfwCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    return dispatchSubcommand("tfw", tfwUsage,
                              {{"show", tfwShow}, {"minify", tfwMinify}, {"offset", tfwOffset}},
                              args, out, err);
}

int likCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    return dispatchSubcommand("lik", likUsage, {{"show", likShow}, {"make", likMake}}, args, out,
                              err);
}

} // namespace quorutil
