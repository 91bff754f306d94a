// Tonal curves, their lookup tables and their application to rasters.

#include "Common.h"

#include "util/files/ReadFile.h"
#include "util/imagery/ApplyCurves.h"
#include "util/tonal/TonalCurve.h"
#include "util/tonal/TonalCurveConverter.h"
#include "util/tonal/TonalCurveFile.h"
#include "util/xml/XmlFile.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <QDomDocument>
#include <QFile>
#include <QMap>

#include <stdexcept>
#include <thread>

namespace pyquor {
namespace {

// A curve and, from a break-point file, the level that stands for 1.0 (0: the raster's range).
struct Curve
{
    util::TonalCurve curve;
    int maxValue = 0;
};

util::TonalCurve::Interpolation interpolation(const std::string &name)
{
    if (name == "linear")
        return util::TonalCurve::Linear;
    if (name == "spline")
        return util::TonalCurve::Spline;
    if (name == "gamma")
        return util::TonalCurve::Gamma;
    throw py::value_error("interpolation is 'linear', 'spline' or 'gamma', not '" + name + "'");
}

// max_value of each band of a break-point file, read exactly as the raster application reads
// them: the children of the document element.
QMap<QString, int> maxValues(const QByteArray &bytes)
{
    QMap<QString, int> values;
    QDomDocument document;
    if (!util::parseXmlBytes(bytes, document))
        return values;
    for (QDomElement e = document.documentElement().firstChildElement(); !e.isNull();
         e = e.nextSiblingElement()) {
        if (e.tagName().compare(QLatin1String("break_points"), Qt::CaseInsensitive) != 0)
            continue;
        for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement())
            if (c.tagName().compare(QLatin1String("max_value"), Qt::CaseInsensitive) == 0)
                values[e.attribute(QStringLiteral("band"))] = c.text().toInt(nullptr, 10);
    }
    return values;
}

// The curves of a curve file (one, under the empty name) or a break-point file (by band).
std::map<std::string, Curve> readCurves(const QString &path)
{
    QByteArray bytes;
    QMap<QString, util::TonalCurve> curves;
    util::Failure failure;
    bool ok;
    {
        py::gil_scoped_release nogil;
        ok = util::readWholeFile(path, bytes, &failure)
            && util::parseTonalCurves(bytes, path, false, curves, &failure);
    }
    if (!ok)
        raiseFailure(failure);
    const QMap<QString, int> max = maxValues(bytes);
    std::map<std::string, Curve> out;
    for (auto it = curves.constBegin(); it != curves.constEnd(); ++it)
        out[it.key().toStdString()] = Curve {it.value(), max.value(it.key())};
    return out;
}

std::map<std::string, Curve> readBreakPoints(const QString &path)
{
    std::map<std::string, Curve> curves = readCurves(path);
    if (curves.count(std::string()))
        raiseFailure(util::Failure::other(path, "holds one curve for every band, no band curves"));
    return curves;
}

Curve readCurve(const py::object &path, const py::object &band)
{
    const QString qpath = qPath(path);
    const std::map<std::string, Curve> curves = readCurves(qpath);
    if (curves.count(std::string())) {
        if (!band.is_none())
            raiseFailure(
                util::Failure::other(qpath, "holds one curve for every band, no band curves"));
        return curves.begin()->second;
    }
    if (band.is_none()) {
        if (curves.size() != 1)
            raiseFailure(util::Failure::other(
                qpath, QStringLiteral("holds %1 band curves; name one").arg(curves.size())));
        return curves.begin()->second;
    }
    const std::string name = band.cast<std::string>();
    const auto it = curves.find(name);
    if (it == curves.end())
        throw py::key_error("Band not found in bpf file: " + name);
    return it->second;
}

py::array_t<float> lookupTable(const Curve &c, const py::object &samples)
{
    int n = -1;
    if (!samples.is_none()) {
        n = samples.cast<int>();
        // Beyond 2^26 entries (256 MiB) a table is a mistake, and a bigger one can take the
        // machine's memory.
        if (n <= 0 || n > (1 << 26))
            throw py::value_error("samples must lie in 1 to 2^26");
    }
    // One converter a thread: its storage is reused, and asking again for the same curve and
    // size costs a copy (converters are not shared between threads).
    thread_local util::TonalCurveConverter converter;
    const std::vector<float> *table = nullptr;
    try {
        py::gil_scoped_release nogil;
        table = &converter.getLUT(c.curve, n);
    } catch (const std::runtime_error &e) {
        throw py::value_error(e.what());
    }
    py::array_t<float> out(py::ssize_t(table->size()));
    std::copy(table->begin(), table->end(), out.mutable_data());
    return out;
}

QStringList textList(const py::handle &list)
{
    if (py::isinstance<py::str>(list) || py::isinstance<py::bytes>(list))
        throw py::type_error("a list of texts is needed, not one text");
    QStringList out;
    for (const py::handle &item : list)
        out << QString::fromStdString(item.cast<std::string>());
    return out;
}

void applyCurve(const py::object &curve, const py::object &input, const py::object &output,
                const py::object &bands, int threads, const py::object &progress,
                const std::string &driver, const py::object &creationOptions)
{
    util::RasterCurves curves;
    if (py::isinstance<Curve>(curve)) {
        const Curve &c = curve.cast<const Curve &>();
        curves.setCurve(c.curve, c.maxValue);
    } else if (py::isinstance<py::dict>(curve)) {
        if (py::len(curve) == 0)
            throw py::value_error("no band curve given");
        for (const auto &item : curve.cast<py::dict>()) {
            const Curve &c = item.second.cast<const Curve &>();
            curves.setBandCurve(QString::fromStdString(item.first.cast<std::string>()), c.curve,
                                c.maxValue);
        }
    } else {
        util::Failure failure;
        if (!curves.load(qPath(curve), &failure))
            raiseFailure(failure);
    }
    if (threads < 0 || threads > 1024)
        throw py::value_error("threads must lie in 0 to 1024");
    util::ApplyCurvesOptions options;
    options.setThreads(threads == 0 ? int(std::max(1u, std::thread::hardware_concurrency()))
                                    : threads);
    if (!bands.is_none())
        options.setBandCodes(textList(bands));
    options.setDriver(QString::fromStdString(driver));
    if (!creationOptions.is_none())
        options.setCreationOptions(textList(creationOptions));
    const QString in = qPath(input), out = qPath(output);

    Reporter reporter(progress);
    util::Failure failure;
    bool ok = false;
    try {
        py::gil_scoped_release nogil;
        ok = util::applyTonalCurves(in, out, curves, options, &reporter, &failure);
    } catch (const Interrupted &) {
    }
    reporter.rethrow();
    if (!ok)
        raiseFailure(failure);
}

} // namespace

void bindTonal(py::module_ &m)
{
    py::class_<Curve> c(m, "TonalCurve", R"(A tonal correction: nodes (input, output) on the
normalised scale 0..1 and the interpolation between them ("linear", "spline" or "gamma").)");
    c.def(py::init([](const std::vector<std::pair<double, double>> &nodes,
                      const std::string &interp, int maxValue) {
              Curve curve;
              curve.curve.setInterpolation(interpolation(interp));
              for (const auto &n : nodes)
                  curve.curve.addNode(n.first, n.second);
              curve.maxValue = maxValue;
              return curve;
          }),
          py::arg("nodes") = std::vector<std::pair<double, double>>(),
          py::arg("interpolation") = "linear", py::arg("max_value") = 0,
          "A curve through nodes in the order given (ascending input levels).");
    c.def_static("read", &readCurve, py::arg("path"), py::arg("band") = py::none(),
                 R"(Reads a curve file (a Corrector element) or one band of a break-point file
(band may be left out when the file holds one band). OSError when the file cannot be read,
ValueError when it is malformed, KeyError for a band the file does not hold.)");
    c.def("lookup_table", &lookupTable, py::arg("samples") = 65536,
          R"(The lookup table as a float32 numpy array of samples entries, entry i at input
level i/(samples-1); samples=None gives the library's default table of 65536 entries at
i/65536. The same values as the C++ TonalCurveConverter, bit for bit.)");
    c.def_property_readonly(
        "nodes",
        [](const Curve &c) {
            std::vector<std::pair<double, double>> nodes;
            for (const QPointF &p : c.curve.getNodes())
                nodes.emplace_back(p.x(), p.y());
            return nodes;
        },
        "The nodes as (input, output) pairs.");
    c.def_property_readonly(
        "interpolation",
        [](const Curve &c) { return c.curve.getInterpolationString().toLower().toStdString(); },
        "'linear', 'spline' or 'gamma'.");
    c.def_readwrite("max_value", &Curve::maxValue,
                    "The raster level that stands for 1.0 (0: the raster's own range).");
    c.def("__eq__", [](const Curve &a, const py::object &b) {
        return py::isinstance<Curve>(b) && a.curve == b.cast<const Curve &>().curve
            && a.maxValue == b.cast<const Curve &>().maxValue;
    });
    c.def("__repr__", [](const Curve &c) {
        return "<TonalCurve " + c.curve.getInterpolationString().toLower().toStdString() + ", "
            + std::to_string(c.curve.getNodes().size()) + " nodes>";
    });

    m.def(
        "read_break_points", [](const py::object &path) { return readBreakPoints(qPath(path)); },
        py::arg("path"),
        "Every band's curve of a break-point file, as a dict of band code to TonalCurve.");
    m.def("apply_curve", &applyCurve, py::arg("curve"), py::arg("input"), py::arg("output"),
          py::arg("bands") = py::none(), py::arg("threads") = 0, py::arg("progress") = py::none(),
          py::arg("driver") = "GTiff", py::arg("creation_options") = py::none(),
          R"(Writes output: the raster input with every band mapped through its tonal curve.

curve is a TonalCurve (every band), a dict of band code to TonalCurve, or the path of a
curve or break-point file. bands names the band code of each raster band in order (else
bands are matched by colour interpretation). threads: readers (0: one per processor).
driver and creation_options (NAME=VALUE texts) choose how GDAL writes output; without
options it keeps the input's tiling and compression.
progress is called with the fraction done. Releases the GIL; Ctrl+C or an exception in
progress stops it and output keeps its old content.)");
}

} // namespace pyquor
