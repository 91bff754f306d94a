#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Output.h"
#include "tools/quorutil/Report.h"
#include "tools/quorutil/Tool.h"

#include "util/strings/NumberFormat.h"
#include "util/support/LikFile.h"
#include "util/support/WorldFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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

    util::WorldFile read(0, 0, 0, 0);
    if (!readWorldFile(cl, cl.positional().first(), read, err))
        return ExitFailure;
    // Both as GDAL places the grid (gdal_translate -outsize, -srcwin): the specified minify
    // keeps the rotation terms, and rows count downward.
    util::WorldFile tfw = read;
    if (!isOffset)
        tfw = util::minifiedGrid(read, values[0]);
    else if (cl.isSet("--pixels"))
        tfw = util::windowGrid(read, values[0], values[1]);
    else
        tfw.applyOffset(values[0], values[1]);
    if (!util::isFinite(tfw))
        return cl.failure(err,
                          cl.positional().first().toStdString()
                              + ": the new grid is not finite (a number overflowed); "
                                "nothing written");

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
    // GDAL's names and order: the file holds A, D, B, E, C, F; GDAL's geotransform is the
    // corner x, A, B, the corner y, D, E.
    const std::array<double, 6> gt = util::geoTransform(tfw);
    const std::array<double, 6> file = util::worldFileNumbers(tfw);
    const auto shortest = [](double v) { return util::formatShortest(v); };
    if (cl.isSet("--json")) {
        const auto array = [](std::initializer_list<double> values) {
            QJsonArray a;
            for (const double v : values)
                a.append(v); // not finite: null
            return a;
        };
        const QJsonObject object {
            {"file", cl.positional().first()},
            {"geoTransform", array({gt[0], gt[1], gt[2], gt[3], gt[4], gt[5]})},
            {"worldFile", array({file[0], file[1], file[2], file[3], file[4], file[5]})},
            {"pixelSize", array({gt[1], gt[5]})},
            {"rotation", array({gt[2], gt[4]})},
            {"upperLeftCorner", array({gt[0], gt[3]})},
            {"upperLeftPixelCentre", array({file[4], file[5]})},
        };
        out << QJsonDocument(object).toJson(QJsonDocument::Indented).toStdString();
        return ExitOk;
    }
    out << "pixel size: " << shortest(gt[1]) << " x " << shortest(gt[5]) << "\n"
        << "rotation: " << shortest(gt[2]) << " " << shortest(gt[4]) << "\n"
        << "upper-left corner: " << shortest(gt[0]) << " " << shortest(gt[3]) << "\n"
        << "centre of the upper-left pixel: " << shortest(file[4]) << " " << shortest(file[5])
        << "\n";
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
    // The name is the file's content: shown escaped, as the monitor shows network texts.
    out << "image: " << escapeForTerminal(QByteArray::fromStdString(lik.imgFilePath())) << "\n"
        << "exists: " << (lik.existsImage() ? "yes" : "no") << "\n";
    if (!lik.existsImage())
        return cl.failure(err,
                          cl.positional().first().toStdString() + ": the image " + lik.imgFilePath()
                              + " does not exist");
    return ExitOk;
}

int likMake(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    if (cl.positional().first().isEmpty())
        return cl.usageError(err, "make needs one IMAGE");
    // A link file holds the name as XML text: bytes that are not UTF-8 would come back as
    // another name, one that cannot be found.
    if (cl.positional().first().contains(QChar::ReplacementCharacter))
        return report(err, cl,
                      util::Failure::other(QString::fromStdString(
                                               escapeForTerminal(cl.positional().first().toUtf8())),
                                           QStringLiteral("the name is not UTF-8 text, which a "
                                                          "link file cannot hold")));
    const std::string image = localPath(cl.positional().first());
    const QString dest = cl.value("--output");
    util::LikFile lik(image,
                      dest.isEmpty() || dest == QLatin1String("-")
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
