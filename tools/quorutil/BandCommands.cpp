#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Report.h"
#include "tools/quorutil/Tool.h"

#include "util/bands/BandCodes.h"
#include "util/bands/ProductGenerator.h"
#include "util/bands/VynString.h"
#include "util/config/QuorEnvironment.h"
#include "util/files/ReadFile.h"
#include "util/xml/XmlFile.h"

#include <QBuffer>
#include <QDomDocument>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <functional>
#include <ostream>
#include <stdexcept>

namespace quorutil {

namespace {

const char *const bandsUsage =
    "Usage: quorutil bands ccd FILE...\n"
    "       quorutil bands master BAND...\n"
    "       quorutil bands code BAND...\n"
    "       quorutil bands split CODE\n"
    "\n"
    "ccd     prints the CCD name and the colour found in each file name (\"nil\" when there is\n"
    "        none); exit code 1 when a name holds no CCD name.\n"
    "master  prints the index (from 0) and the name of the master band of the set.\n"
    "code    prints the image code of the bands (REDN00A GRNN00A BLUN00A give RGBN00A).\n"
    "split   prints the band names of an image code, one a line.\n";

const char *const ccdUsage =
    "Usage: quorutil bands ccd FILE...\n"
    "Prints \"FILE: ccd=NAME colour=COLOUR\" for each file name, \"nil\" where nothing is found\n"
    "(combined lines such as RGBN00A have no single colour). Exit code 1 when a file name holds\n"
    "no CCD name.\n";
const char *const masterUsage =
    "Usage: quorutil bands master BAND...\n"
    "Prints the index (from 0) and the name of the band the others are referred to: a\n"
    "panchromatic band with a CCD number below 5, else such a green band, else the first\n"
    "panchromatic band, else the first green band, else the first band with a CCD number below\n"
    "5, else the first band. Names of fewer than four characters are refused.\n";
const char *const codeUsage =
    "Usage: quorutil bands code BAND...\n"
    "Prints the image code of bands that share direction, CCD number and line letter: their\n"
    "first letters and the first band's last four characters (REDN00A GRNN00A BLUN00A give\n"
    "RGBN00A). A single band is its own code.\n";
const char *const splitUsage =
    "Usage: quorutil bands split CODE\n"
    "Prints the band names of an image code, one a line (RGBN00A gives REDN00A, GRNN00A,\n"
    "BLUN00A). Band letters: P, N, R, G, B.\n";

const char *const productsUsage =
    "Usage: quorutil products [--config FILE] [--selected BAND,...] [--json] BAND...\n"
    "\n"
    "Prints the products of the configuration that the available bands allow, one a line, in\n"
    "the configuration's order. The configuration is checked against the installation's\n"
    "etc/schemas/products.xsd first.\n"
    "  --config FILE          the product-to-band map (default: <root>/etc/products.xml)\n"
    "  --selected BAND,...    the bands of BAND... that are selected (may be repeated); each\n"
    "                         line then ends in \"yes\" when all the product's bands are\n"
    "                         selected, else \"no\"\n"
    "  --json                 a JSON array: product names, or with --selected objects with\n"
    "                         \"name\" and \"selected\"\n";

std::vector<std::string> toStd(const QStringList &names)
{
    std::vector<std::string> out;
    for (const QString &name : names)
        out.push_back(name.toStdString());
    return out;
}

int ccd(const QStringList &args, std::ostream &out, std::ostream &err)
{
    CommandLine cl("bands ccd", ccdUsage, {});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    if (cl.positional().isEmpty())
        return cl.usageError(err, "needs at least one file name");
    int status = ExitOk;
    for (const QString &file : cl.positional()) {
        const std::string path = file.toStdString();
        const std::string name = util::VynString::getCcdNaming(path);
        out << path << ": ccd=" << name << " colour=" << util::VynString::getShortColorCode(path)
            << "\n";
        if (name == "nil")
            status = ExitFailure;
    }
    return status;
}

// The shape the band subcommands share: parse, check the number of arguments, run, and turn
// the library's refusal into one line. maxArgs < 0: no upper bound.
int runBandOperation(const char *name, const char *usage, const QStringList &args,
                     std::ostream &out, std::ostream &err, int maxArgs, const char *countMessage,
                     const std::function<void(const QStringList &)> &operation)
{
    CommandLine cl(name, usage, {});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    const int count = cl.positional().size();
    if (count == 0 || (maxArgs >= 0 && count > maxArgs))
        return cl.usageError(err, countMessage);
    try {
        operation(cl.positional());
    } catch (const std::runtime_error &e) {
        return cl.failure(err, e.what());
    }
    return ExitOk;
}

int master(const QStringList &args, std::ostream &out, std::ostream &err)
{
    return runBandOperation("bands master", masterUsage, args, out, err, -1,
                            "needs at least one band", [&](const QStringList &bands) {
                                const unsigned int index = util::masterBand(bands);
                                out << std::to_string(index) << " "
                                    << bands.at(static_cast<int>(index)).toStdString() << "\n";
                            });
}

int imageCode(const QStringList &args, std::ostream &out, std::ostream &err)
{
    return runBandOperation("bands code", codeUsage, args, out, err, -1,
                            "needs at least one band", [&](const QStringList &bands) {
                                out << util::createImageCode(toStd(bands)) << "\n";
                            });
}

int split(const QStringList &args, std::ostream &out, std::ostream &err)
{
    return runBandOperation("bands split", splitUsage, args, out, err, 1,
                            "needs exactly one image code", [&](const QStringList &codes) {
                                std::vector<std::string> bands;
                                util::splitImageCode(codes.first().toStdString(), bands);
                                for (const std::string &band : bands)
                                    out << band << "\n";
                            });
}

} // namespace

int bandsCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    return dispatchSubcommand(
        "bands", bandsUsage,
        {{"ccd", ccd}, {"master", master}, {"code", imageCode}, {"split", split}}, args, out, err);
}

int productsCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    CommandLine cl("products", productsUsage,
                   {{"--config", nullptr, true}, {"--selected", nullptr, true}, {"--json"}});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    const QStringList bands = cl.positional();
    if (bands.isEmpty())
        return cl.usageError(err, "needs at least one band");
    const bool flagged = cl.isSet("--selected");
    QSet<QString> selected;
    for (const QString &list : cl.values("--selected")) {
        for (const QString &band : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            if (!bands.contains(band))
                return cl.usageError(
                    err, "--selected names a band that is not given: " + band.toStdString());
            selected.insert(band);
        }
    }
    const QString config =
        cl.value("--config", QString::fromStdString(util::getQuorRoot() + "/etc/products.xml"));

    // One read; malformed XML is reported where it is, as every command reports a document.
    QByteArray bytes;
    util::Failure failure;
    QDomDocument parsed;
    if (!util::readWholeFile(config, bytes, &failure)
        || !util::parseXmlBytes(bytes, parsed, config, &failure))
        return report(err, cl.command(), failure);
    parsed.clear();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        util::ProductGenerator generator(&buffer, bands);
        buffer.seek(0);
        QString invalid;
        if (!util::validateProductBandMap(&buffer, &invalid))
            return report(err, cl.command(), util::Failure::other(config, invalid));

        QJsonArray json;
        if (flagged) {
            QList<QPair<QString, bool>> given;
            for (const QString &band : bands)
                given << qMakePair(band, selected.contains(band));
            for (const auto &product : generator.getAvailableProducts(given)) {
                if (cl.isSet("--json"))
                    json.append(
                        QJsonObject {{"name", product.first}, {"selected", product.second}});
                else
                    out << product.first.toStdString() << " " << (product.second ? "yes" : "no")
                        << "\n";
            }
        } else {
            for (const QString &product : generator.getAvailableProducts()) {
                if (cl.isSet("--json"))
                    json.append(product);
                else
                    out << product.toStdString() << "\n";
            }
        }
        if (cl.isSet("--json"))
            out << QJsonDocument(json).toJson(QJsonDocument::Indented).toStdString();
    } catch (const std::runtime_error &e) {
        return report(err, cl.command(), util::Failure::other(config, QString::fromUtf8(e.what())));
    }
    return ExitOk;
}

} // namespace quorutil
