// Support-file names, naming patterns, band and image codes, products.

#include "Common.h"

#include "util/bands/BandCodes.h"
#include "util/bands/ProductGenerator.h"
#include "util/files/ReadFile.h"
#include "util/naming/FileSessionNameGenerator.h"
#include "util/naming/SupFilenamePattern.h"
#include "util/xml/XmlFile.h"

#include <pybind11/stl.h>

#include <QBuffer>
#include <QDateTime>
#include <QDomDocument>
#include <QFile>
#include <QMap>
#include <QSet>

#include <stdexcept>

namespace pyquor {
namespace {

QString qText(const py::handle &s)
{
    return QString::fromStdString(s.cast<std::string>());
}

QStringList qList(const py::handle &list)
{
    if (py::isinstance<py::str>(list) || py::isinstance<py::bytes>(list))
        throw py::type_error("a list of texts is needed, not one text");
    QStringList out;
    for (const py::handle &s : list)
        out << qText(s);
    return out;
}

std::vector<std::string> stdList(const py::handle &list)
{
    std::vector<std::string> out;
    for (const QString &s : qList(list))
        out.push_back(s.toStdString());
    return out;
}

template<typename F> auto valueErrors(F &&call) -> decltype(call())
{
    try {
        return call();
    } catch (const std::runtime_error &e) {
        throw py::value_error(e.what());
    }
}

py::dict parseName(const std::string &name)
{
    QMap<QString, QString> attributes;
    if (!util::SupFilenamePattern(QString::fromStdString(name)).attributes(attributes))
        throw py::value_error(name + ": not a readable support-file name");
    py::dict d;
    for (auto it = attributes.constBegin(); it != attributes.constEnd(); ++it)
        d[py::str(it.key().toStdString())] = it.value().toStdString();
    return d;
}

std::string generateName(const std::string &pattern, const py::kwargs &values)
{
    util::FileSessionNameGenerator::Options o;
    for (const auto &item : values) {
        const std::string key = item.first.cast<std::string>();
        const py::handle v = item.second;
        if (key == "line_number")
            o.lineNumber = v.cast<std::uint32_t>();
        else if (key == "line_name")
            o.lineName = v.cast<std::string>();
        else if (key == "serial_number")
            o.serialNumber = v.cast<std::uint32_t>();
        else if (key == "sensor_type")
            o.sensorType = v.cast<std::string>();
        else if (key == "band")
            o.band = v.cast<std::string>();
        else if (key == "project")
            o.project = v.cast<std::string>();
        else if (key == "flight_plan")
            o.flightPlan = v.cast<std::string>();
        else if (key == "use_example")
            o.useExample = v.cast<bool>();
        else if (key == "date_time") {
            if (!py::isinstance(v, py::module_::import("datetime").attr("datetime")))
                throw py::type_error("date_time must be a datetime.datetime");
            const int y = v.attr("year").cast<int>(), mo = v.attr("month").cast<int>(),
                      d = v.attr("day").cast<int>(), h = v.attr("hour").cast<int>(),
                      mi = v.attr("minute").cast<int>(), s = v.attr("second").cast<int>(),
                      us = v.attr("microsecond").cast<int>();
            o.dateTime = QDateTime(QDate(y, mo, d), QTime(h, mi, s, us / 1000));
        } else
            throw py::type_error("unknown name attribute: " + key);
    }
    const QString text = QString::fromStdString(pattern);
    if (text.trimmed().startsWith(QLatin1Char('<'))) {
        // Text meant as XML that does not parse would otherwise be taken as a token pattern.
        QDomDocument document;
        util::Failure failure;
        if (!util::parseXmlText(text, document, &failure))
            throw py::value_error("pattern is not XML: " + failure.text().toStdString());
    }
    return valueErrors([&] {
        const util::FileSessionNameGenerator generator(o, text);
        return generator.createNameFromPattern().toStdString();
    });
}

std::string renameAfterPattern(const std::string &name, const py::object &patternFile,
                               const py::object &id, bool ignorePrefixError)
{
    const QString file = qPath(patternFile);
    QDomDocument document;
    util::Failure failure;
    if (!id.is_none()) {
        QString text;
        if (!util::FileSessionNameGenerator::loadPattern(file, qText(id), text, &failure)
            || !util::parseXmlText(text, document, &failure))
            raiseFailure(failure);
    } else if (!util::readXmlFile(file, document, &failure)) {
        raiseFailure(failure);
    }
    util::SupFilenamePattern sup(QString::fromStdString(name));
    if (ignorePrefixError)
        sup.ignoreErrorOnPrefix();
    QString result;
    if (!sup.createNameFromPattern(document.documentElement(), result))
        throw py::value_error("cannot build a name from '" + name + "' with this pattern");
    return result.toStdString();
}

py::object products(const py::handle &bandList, const py::object &selected,
                    const py::object &config)
{
    const QStringList bands = qList(bandList);
    const QString file = qPath(config);
    QByteArray bytes;
    util::Failure failure;
    if (!util::readWholeFile(file, bytes, &failure))
        raiseFailure(failure);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return valueErrors([&]() -> py::object {
        util::ProductGenerator generator(&buffer, bands);
        buffer.seek(0);
        QString invalid;
        if (!util::validateProductBandMap(&buffer, &invalid))
            throw py::value_error(QFile::encodeName(file).toStdString() + ": "
                                  + invalid.toStdString());
        if (selected.is_none()) {
            std::vector<std::string> names;
            for (const QString &p : generator.getAvailableProducts())
                names.push_back(p.toStdString());
            return py::cast(names);
        }
        const QStringList chosen = qList(selected);
        QList<QPair<QString, bool>> given;
        for (const QString &band : bands)
            given << qMakePair(band, chosen.contains(band));
        py::dict flagged;
        for (const auto &p : generator.getAvailableProducts(given))
            flagged[py::str(p.first.toStdString())] = p.second;
        return std::move(flagged);
    });
}

} // namespace

void bindNames(py::module_ &m)
{
    m.def("parse_support_file_name", &parseName, py::arg("name"),
          R"(The attributes of a support-file name (sensor, date, time, band, angle, level,
xcoord, ycoord, as far as the name holds them). ValueError for a name that is not readable.)");
    m.def("generate_name", &generateName, py::arg("pattern"),
          R"(A file or session name from a pattern: the XML of a FilePattern element or a
token pattern ("$PROJECT$_$yyMMdd$_$BAND$"). Keyword attributes: line_number, line_name,
serial_number, sensor_type, date_time (datetime), band, project, flight_plan, use_example.)");
    m.def("rename_support_file_name", &renameAfterPattern, py::arg("name"), py::arg("pattern_file"),
          py::arg("id") = py::none(), py::arg("ignore_prefix_error") = false,
          R"(The name that the pattern builds from the attributes of a support-file name: the
root element of pattern_file, or with id the pattern of that id in a pattern collection.)");
    m.def(
        "master_band",
        [](const py::handle &bands) {
            const auto list = stdList(bands);
            return valueErrors([&] { return util::masterBand(list); });
        },
        py::arg("bands"), "Index of the band the other bands of a set are referred to.");
    m.def(
        "nir_channel", [](const py::handle &bands) { return util::getNIRChannel(stdList(bands)); },
        py::arg("bands"), "Index of the first near-infrared band, or -1.");
    m.def(
        "image_code",
        [](const py::handle &bands) {
            const auto list = stdList(bands);
            return valueErrors([&] { return util::createImageCode(list); });
        },
        py::arg("bands"), "The image code of bands (REDN00A, GRNN00A, BLUN00A give RGBN00A).");
    m.def(
        "split_image_code",
        [](const std::string &code) {
            std::vector<std::string> bands;
            valueErrors([&] { util::splitImageCode(code, bands); });
            return bands;
        },
        py::arg("code"), "The band names of an image code (RGBN00A gives REDN00A, ...).");
    m.def("_products", &products, py::arg("bands"), py::arg("selected"), py::arg("config"));
}

} // namespace pyquor
