// quorutil lut and quorutil bpf: lookup tables, their pictures and statistics, and the bands of
// break-point files.

#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Report.h"
#include "tools/quorutil/Tool.h"

#include "util/files/AtomicWrite.h"
#include "util/files/ReadFile.h"
#include "util/tonal/BpfConverter.h"
#include "util/tonal/TonalBands_p.h"
#include "util/tonal/TonalCurve.h"
#include "util/tonal/TonalCurveConverter.h"
#include "util/tonal/TonalCurveFile.h"
#include "util/tonal/TonalCurveSet.h"

#include <qwt_legend.h>
#include <qwt_plot.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_plot_renderer.h>
#include <qwt_symbol.h>
#include <qwt_text.h>

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <exception>
#include <ostream>
#include <vector>

namespace quorutil {

namespace {

// One curve to convert: a Corrector file's, or one band of a break-point file.
struct Series
{
    QString band; // empty for a Corrector file
    util::TonalCurve curve;
    std::vector<float> table;
};

QString number(double value)
{
    return QString::number(value, 'g', 9);
}

// A table entry: the fewest digits that read back as the same float.
QString number(float value)
{
    for (int digits = 6; digits < 9; ++digits) {
        const QString text = QString::number(double(value), 'g', digits);
        if (text.toFloat() == value)
            return text;
    }
    return QString::number(double(value), 'g', 9);
}

// The input level of entry i, as the converter samples it.
double inputLevel(int i, int requested)
{
    if (requested < 0)
        return i / 65536.0;
    return requested == 1 ? 0.0 : i / (double(requested) - 1.0);
}

// Reads the curves of CURVE into series: the input is read once (a FIFO or a pipe gives its
// bytes only once) and parsed from memory. On failure returns the exit code after reporting.
int loadSeries(const CommandLine &cl, const QString &file, std::vector<Series> &series,
               std::ostream &err)
{
    util::Failure failure;
    if (cl.isSet("--validate") && util::holdsTonalCurve(file)) {
        util::TonalCurve checked;
        if (!util::readTonalCurveFile(file, checked, true, &failure))
            return report(err, cl, failure);
    }
    // Every curve: a lone Corrector, each band of the curve editor's file, each band of a
    // break-point file, in file order.
    QVector<util::NamedTonalCurve> curves;
    if (!util::readTonalCurves(file, curves, &failure))
        return report(err, cl, failure);
    QStringList names;
    for (const util::NamedTonalCurve &c : curves)
        names << c.band;
    if (!cl.isSet("--band")) {
        for (const util::NamedTonalCurve &c : curves)
            series.push_back({c.band, c.curve, {}});
        return ExitOk;
    }
    const QString band = cl.value("--band");
    if (curves.size() == 1 && curves.front().band.isEmpty())
        return cl.usageError(err,
                             "--band applies to files with bands; " + file.toStdString()
                                 + " holds one Corrector element");
    const int at = util::findTonalBand(curves, band);
    if (at >= 0) {
        series.push_back({curves[at].band, curves[at].curve, {}});
        return ExitOk;
    }
    // In the curve editor's files a colour band without a curve of its own follows "All".
    const int all = util::findTonalBand(curves, QStringLiteral("All"));
    const QString colour = util::tonalBandColour(band);
    if (all >= 0 && QStringList {"RED", "GRN", "BLU", "NIR"}.contains(colour)) {
        err << "quorutil " << cl.command() << ": " << file.toStdString() << ": "
            << band.toStdString() << " has no curve of its own: the curve of "
            << curves[all].band.toStdString() << " applies\n";
        series.push_back({band, curves[all].curve, {}});
        return ExitOk;
    }
    return cl.failure(err,
                      file.toStdString() + ": no band " + band.toStdString() + " (it holds "
                          + names.join(", ").toStdString() + ")");
}

std::string label(const QString &file, const Series &s)
{
    return s.band.isEmpty() ? file.toStdString()
                            : file.toStdString() + " band " + s.band.toStdString();
}

QByteArray tableBytes(const std::vector<float> &table, int requested, const QString &format)
{
    QByteArray bytes;
    if (format == QLatin1String("binary")) {
        bytes.reserve(int(table.size() * 4));
        for (const float value : table) {
            std::uint32_t bits;
            std::memcpy(&bits, &value, sizeof bits);
            for (int shift = 0; shift < 32; shift += 8)
                bytes.append(char((bits >> shift) & 0xff));
        }
        return bytes;
    }
    const bool csv = format == QLatin1String("csv");
    if (csv)
        bytes += "index,input,output\n";
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (csv)
            bytes += QByteArray::number(qulonglong(i)) + ','
                + number(inputLevel(int(i), requested)).toLatin1() + ',';
        bytes += number(table[i]).toLatin1() + '\n';
    }
    return bytes;
}

void printStats(std::ostream &out, const QString &file, const Series &s, int requested)
{
    const std::vector<float> &t = s.table;
    const QVector<QPointF> &nodes = s.curve.getNodes();
    const int n = int(t.size());
    float low = 0, high = 0;
    int nan = 0;
    bool any = false;
    for (const float v : t) {
        if (std::isnan(v)) {
            ++nan;
            continue;
        }
        if (!any || v < low)
            low = v;
        if (!any || v > high)
            high = v;
        any = true;
    }
    double first = nodes.first().x(), last = nodes.first().x();
    for (const QPointF &p : nodes) {
        first = std::min(first, p.x());
        last = std::max(last, p.x());
    }
    int below = 0, above = 0;
    for (int i = 0; i < n; ++i) {
        const double x = inputLevel(i, requested);
        below += x < first;
        above += x > last;
    }

    out << label(file, s) << ": " << s.curve.getInterpolationString().toStdString() << ", "
        << std::to_string(nodes.size()) << " nodes, " << std::to_string(n) << " entries\n";
    if (any)
        out << "  range: " << number(low).toStdString() << " .. " << number(high).toStdString()
            << "\n";
    if (nan)
        out << "  not a number: " << std::to_string(nan) << " entries\n";
    out << "  outside the nodes: ";
    if (!below && !above)
        out << "none\n";
    else
        out << std::to_string(below) << " entries below input " << number(first).toStdString()
            << ", " << std::to_string(above) << " above input " << number(last).toStdString()
            << "\n";

    // Falling stretches invert contrast; the first one is named. Float noise on a flat stretch
    // is no fall of its own.
    const auto stretches = util::fallingStretches(t);
    const int falls = int(stretches.size());
    if (!falls) {
        out << "  monotonic: yes\n";
        return;
    }
    const std::size_t start = stretches.front().first, end = stretches.front().second;
    out << "  monotonic: no, " << std::to_string(falls)
        << (falls == 1 ? " falling stretch" : " falling stretches") << ", the first from input "
        << number(inputLevel(int(start), requested)).toStdString() << " to "
        << number(inputLevel(int(end), requested)).toStdString() << " (output "
        << number(t[start]).toStdString() << " to " << number(t[end]).toStdString() << ")\n";
}

double finiteOr(double value, double fallback)
{
    return std::isfinite(value) ? value : fallback;
}

int plot(const CommandLine &cl, const QString &file, const std::vector<Series> &series,
         int requested, std::ostream &err)
{
    const int width = int(cl.integer("--width", 800));
    const int height = int(cl.integer("--height", 600));
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return cl.failure(err, "drawing needs a GUI application object");

    double xLow = 0, xHigh = 1, yLow = 0, yHigh = 1;
    QwtPlot plot;
    plot.setCanvasBackground(Qt::white);
    plot.setTitle(QwtText(series.size() == 1 && !series[0].band.isEmpty()
                              ? file.section('/', -1) + " " + series[0].band
                              : file.section('/', -1)));
    plot.setAxisTitle(QwtPlot::xBottom, QStringLiteral("input level"));
    plot.setAxisTitle(QwtPlot::yLeft, QStringLiteral("output level"));
    auto *grid = new QwtPlotGrid;
    grid->setPen(QColor(220, 220, 220), 0.0, Qt::DotLine);
    grid->attach(&plot);

    for (std::size_t k = 0; k < series.size(); ++k) {
        const Series &s = series[k];
        const QColor colour = util::detail::bandColour(s.band, int(k));
        QVector<QPointF> samples;
        samples.reserve(int(s.table.size()));
        for (std::size_t i = 0; i < s.table.size(); ++i) {
            const double y = double(s.table[i]);
            if (!std::isfinite(y))
                continue;
            samples.append(QPointF(inputLevel(int(i), requested), y));
            yLow = std::min(yLow, y);
            yHigh = std::max(yHigh, y);
        }
        auto *curve = new QwtPlotCurve(s.band.isEmpty() ? QStringLiteral("table") : s.band);
        curve->setPen(colour, 2.0);
        curve->setSamples(samples);
        curve->setZ(20);
        curve->attach(&plot);

        QVector<QPointF> points;
        for (const QPointF &p : s.curve.getNodes()) {
            if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
                continue;
            points.append(p);
            xLow = std::min(xLow, p.x());
            xHigh = std::max(xHigh, p.x());
            yLow = std::min(yLow, p.y());
            yHigh = std::max(yHigh, p.y());
        }
        auto *nodes = new QwtPlotCurve(QStringLiteral("nodes"));
        nodes->setStyle(QwtPlotCurve::NoCurve);
        nodes->setSymbol(new QwtSymbol(QwtSymbol::Ellipse, QBrush(Qt::white),
                                       QPen(colour.darker(150), 2), QSize(9, 9)));
        nodes->setSamples(points);
        nodes->setItemAttribute(QwtPlotItem::Legend, false);
        nodes->setZ(10);
        nodes->attach(&plot);
    }
    // Wild curves must not ask the scale engine for an impossible range.
    const double limit = 1e12;
    plot.setAxisScale(QwtPlot::xBottom, finiteOr(std::max(xLow, -limit), 0),
                      finiteOr(std::min(xHigh, limit), 1));
    plot.setAxisScale(QwtPlot::yLeft, finiteOr(std::max(yLow, -limit), 0),
                      finiteOr(std::min(yHigh, limit), 1));
    if (series.size() > 1)
        plot.insertLegend(new QwtLegend, QwtPlot::RightLegend);
    plot.resize(width, height);
    plot.replot();

    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QwtPlotRenderer renderer;
        renderer.setDiscardFlag(QwtPlotRenderer::DiscardBackground, false);
        renderer.render(&plot, &painter, QRectF(0, 0, width, height));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return cl.failure(err, "cannot encode the picture as PNG");
    const QString target = cl.value("--plot");
    util::Failure failure;
    if (!util::writeFileAtomically(target, png.constData(), std::size_t(png.size()), &failure))
        return report(err, cl, failure);
    return ExitOk;
}

int writeTable(const CommandLine &cl, const Series &s, int requested, std::ostream &out,
               std::ostream &err)
{
    const QString format = cl.value("--format", QStringLiteral("text"));
    const QByteArray bytes = tableBytes(s.table, requested, format);
    const QString target = cl.value("--output", QStringLiteral("-"));
    if (target == QLatin1String("-")) {
        out.write(bytes.constData(), bytes.size());
        return ExitOk;
    }
    util::Failure failure;
    if (!util::writeFileAtomically(target, bytes.constData(), std::size_t(bytes.size()), &failure))
        return report(err, cl, failure);
    return ExitOk;
}

} // namespace

int bpfShow(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    const QString file = cl.positional().first();
    const QString path = cl.inputPath(0);
    QVector<util::NamedTonalCurve> bands;
    util::Failure failure;
    if (!util::readTonalCurves(path, bands, &failure))
        return report(err, cl, failure);
    if (util::holdsTonalCurve(path))
        return report(
            err, cl,
            util::Failure::other(file,
                                 QStringLiteral("not a break-point file: it holds Corrector "
                                                "curves ('quorutil lut' reads them)")));
    if (cl.isSet("--json")) {
        QJsonArray list;
        for (const util::NamedTonalCurve &band : bands) {
            QJsonArray nodes;
            for (const QPointF &p : band.curve.getNodes())
                nodes.append(QJsonArray {p.x(), p.y()});
            list.append(QJsonObject {{"band", band.band},
                                     {"interpolation", band.curve.getInterpolationString()},
                                     {"nodes", nodes}});
        }
        out << QJsonDocument(QJsonObject {{"file", file}, {"bands", list}})
                   .toJson(QJsonDocument::Indented)
                   .toStdString();
        return ExitOk;
    }
    out << file.toStdString() << ": " << std::to_string(bands.size())
        << (bands.size() == 1 ? " band" : " bands") << "\n";
    for (const util::NamedTonalCurve &band : bands) {
        const auto &nodes = band.curve.getNodes();
        out << "band " << band.band.toStdString() << ": "
            << band.curve.getInterpolationString().toStdString() << ", "
            << std::to_string(nodes.size()) << (nodes.size() == 1 ? " node" : " nodes") << "\n";
        for (const QPointF &p : nodes)
            out << "  " << number(p.x()).toStdString() << " " << number(p.y()).toStdString()
                << "\n";
    }
    return ExitOk;
}

int lutCommand(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    const int requested = int(cl.integer("--samples", -1));
    if ((cl.isSet("--width") || cl.isSet("--height")) && !cl.isSet("--plot"))
        return cl.usageError(err, "--width and --height go with --plot");
    const bool table = !(cl.isSet("--plot") || cl.isSet("--stats") || cl.isSet("--check"))
        || cl.isSet("--format") || cl.isSet("--output");

    const QString file = cl.positional().first();
    std::vector<Series> series;
    int code = loadSeries(cl, cl.inputPath(0), series, err);
    if (code != ExitOk)
        return code;
    if (table && series.size() > 1)
        return cl.usageError(
            err, file.toStdString() + " holds bands " + [&] {
                QStringList names;
                for (const Series &s : series)
                    names << s.band;
                return names.join(", ").toStdString();
            }() + ": pick one with --band");

    for (Series &s : series) {
        try {
            util::TonalCurveConverter converter;
            s.table = converter.getLUT(s.curve, requested);
        } catch (const std::exception &e) {
            return report(err, cl.command(),
                          util::Failure::other(QString::fromStdString(label(file, s)),
                                               QString::fromUtf8(e.what())));
        }
    }
    if (cl.isSet("--stats"))
        for (const Series &s : series)
            printStats(out, file, s, requested);
    // --check: a table that falls anywhere inverts contrast there; a script tests the code.
    int falling = 0;
    std::string firstFalling;
    for (const Series &s : series) {
        if (cl.isSet("--check") && !util::fallingStretches(s.table).empty()) {
            if (!falling++)
                firstFalling = label(file, s);
        }
    }
    if (cl.isSet("--plot")) {
        code = plot(cl, file, series, requested, err);
        if (code != ExitOk)
            return code;
    }
    if (table) {
        code = writeTable(cl, series.front(), requested, out, err);
        if (code != ExitOk)
            return code;
    }
    if (falling)
        return cl.failure(
            err,
            firstFalling + ": the table falls"
                + (falling > 1 ? " (and " + std::to_string(falling - 1) + " more of its curves)"
                               : std::string()));
    return ExitOk;
}

} // namespace quorutil
