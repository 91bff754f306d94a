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
#include <set>
#include <stdexcept>

namespace quorutil {

namespace {

std::vector<std::string> toStd(const QStringList &names)
{
    std::vector<std::string> out;
    for (const QString &name : names)
        out.push_back(name.toStdString());
    return out;
}

// The band subcommands turn the library's refusal into one line.
int runBandOperation(const CommandLine &cl, std::ostream &err,
                     const std::function<void(const QStringList &)> &operation)
{
    try {
        operation(cl.positional());
    } catch (const std::runtime_error &e) {
        return cl.failure(err, e.what());
    }
    return ExitOk;
}

} // namespace

int bandsCcd(const CommandLine &cl, std::ostream &out, std::ostream & /*err*/)
{
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

int bandsMaster(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    return runBandOperation(cl, err, [&](const QStringList &bands) {
        const unsigned int index = util::masterBand(bands);
        out << std::to_string(index) << " " << bands.at(static_cast<int>(index)).toStdString()
            << "\n";
    });
}

int bandsCode(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    // The library joins whatever it is given: a nadir and a forward band would make a code of
    // neither line, lower-case names a code of no band at all.
    std::string why;
    if (!util::bandsShareLine(toStd(cl.positional()), &why))
        return cl.failure(err, why);
    return runBandOperation(cl, err, [&](const QStringList &bands) {
        out << util::createImageCode(toStd(bands)) << "\n";
    });
}

int bandsSplit(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    return runBandOperation(cl, err, [&](const QStringList &codes) {
        std::vector<std::string> bands;
        util::splitImageCode(codes.first().toStdString(), bands);
        for (const std::string &band : bands)
            out << band << "\n";
    });
}

int productsCommand(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    const QStringList bands = cl.positional();
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
        return report(err, cl, failure);
    parsed.clear();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        util::ProductGenerator generator(&buffer, bands);
        buffer.seek(0);
        QString invalid;
        if (!util::validateProductBandMap(&buffer, &invalid))
            return report(err, cl, util::Failure::other(config, invalid));
        // A band no product is made from is a typing error, not a band without products.
        std::set<std::string> known;
        for (const std::string &product : generator.getProductList()) {
            for (const std::string &band : generator.productToBands(product))
                known.insert(band);
        }
        QStringList unknown;
        for (const QString &band : bands) {
            if (!known.count(band.toStdString()))
                unknown << (band.isEmpty() ? QStringLiteral("''") : band);
        }
        if (!unknown.isEmpty())
            return report(
                err, cl,
                util::Failure::other(config,
                                     "no product is made from " + unknown.join(", ")
                                         + (unknown.size() == 1 ? " (not a band of the map)"
                                                                : " (not bands of the map)")));

        QJsonArray json;
        int listed = 0;
        if (flagged) {
            QList<QPair<QString, bool>> given;
            for (const QString &band : bands)
                given << qMakePair(band, selected.contains(band));
            for (const auto &product : generator.getAvailableProducts(given)) {
                ++listed;
                if (cl.isSet("--json"))
                    json.append(
                        QJsonObject {{"name", product.first}, {"selected", product.second}});
                else
                    out << product.first.toStdString() << " " << (product.second ? "yes" : "no")
                        << "\n";
            }
        } else {
            for (const QString &product : generator.getAvailableProducts()) {
                ++listed;
                if (cl.isSet("--json"))
                    json.append(product);
                else
                    out << product.toStdString() << "\n";
            }
        }
        if (cl.isSet("--json"))
            out << QJsonDocument(json).toJson(QJsonDocument::Indented).toStdString();
        if (!listed)
            err << "quorutil products: " << config.toStdString()
                << ": no product can be made from these bands\n";
    } catch (const std::runtime_error &e) {
        return report(err, cl, util::Failure::other(config, QString::fromUtf8(e.what())));
    }
    return ExitOk;
}

} // namespace quorutil
