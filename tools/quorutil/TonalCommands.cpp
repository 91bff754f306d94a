// quorutil lut and quorutil bpf: lookup tables, their pictures and statistics, and the bands of
// break-point files.

#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Tool.h"

#include "util/files/AtomicWrite.h"
#include "util/files/SystemError.h"
#include "util/tonal/BpfConverter.h"
#include "util/tonal/TonalCurve.h"
#include "util/tonal/TonalCurveConverter.h"
#include "util/tonal/TonalCurveFile.h"

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

const char *const lutUsage =
    "Usage: quorutil lut CURVE [--samples N] [--band B] [--format text|csv|binary] [-o OUT]\n"
    "       quorutil lut CURVE [--samples N] [--band B] --plot OUT.png [--width W --height H]\n"
    "       quorutil lut CURVE [--samples N] [--band B] --stats\n"
    "       quorutil lut apply CURVE INPUT -o OUTPUT [options]   (see lut apply --help)\n"
    "\n"
    "Builds the lookup table of a tonal curve. CURVE is an XML file holding a Corrector element\n"
    "or a break-point file; --band picks the band of a break-point file that holds several.\n"
    "  --samples N     entries of the table, N >= 1 (entry i at input level i/(N-1)); without\n"
    "                  it 65536 entries, one per 16-bit level (entry i at i/65536)\n"
    "  --format F      text: one output level a line (default); csv: index,input,output;\n"
    "                  binary: 32-bit little-endian floats\n"
    "  -o OUT          write the table to OUT instead of standard output\n"
    "  --validate      check a Corrector element against tonalcurve.xsd first\n"
    "  --plot OUT.png  draw the nodes and the table as a PNG picture (every band of a\n"
    "                  break-point file unless --band), --width and --height in pixels\n"
    "                  (default 800 x 600)\n"
    "  --stats         the table's range, the entries outside the nodes (extrapolated or held)\n"
    "                  and whether the table is monotonic\n";

const char *const bpfUsage = "Usage: quorutil bpf show FILE [--json]\n"
                             "\n"
                             "show  prints the bands of a break-point file with the interpolation\n"
                             "      and the normalised nodes (input level, output level) of each.\n";

constexpr int maxSamples = 1 << 24;
constexpr int maxPixels = 20000;

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

bool parseInt(const QString &text, int low, int high, int &value)
{
    bool ok = false;
    const int parsed = text.toInt(&ok, 10);
    if (!ok || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

std::string openFailure(const QString &file)
{
    QFile probe(file);
    if (probe.open(QIODevice::ReadOnly))
        return std::string();
    return "Can't open: " + file.toStdString() + ": " + util::systemErrorText(errno);
}

// Reads the curves of CURVE into series; on failure returns false after printing.
int loadSeries(const CommandLine &cl, const QString &file, std::vector<Series> &series,
               std::ostream &err)
{
    const std::string unopenable = openFailure(file);
    if (!unopenable.empty())
        return cl.failure(err, unopenable);
    if (util::holdsTonalCurve(file)) {
        if (cl.isSet("--band"))
            return cl.usageError(err, "--band applies to break-point files; " + file.toStdString()
                                          + " holds a Corrector element");
        Series one;
        QString error;
        if (!util::readTonalCurveFile(file, one.curve, cl.isSet("--validate"), &error))
            return cl.failure(err, error.toStdString());
        series.push_back(one);
        return ExitOk;
    }
    try {
        const util::BpfConverter bpf(file);
        QStringList bands = bpf.getBands();
        if (cl.isSet("--band"))
            bands = QStringList{cl.value("--band")};
        if (bands.isEmpty())
            return cl.failure(err, file.toStdString() + ": holds no band");
        for (const QString &band : bands)
            series.push_back({band, bpf.getCurve(band), {}});
    } catch (const std::exception &e) {
        return cl.failure(err, file.toStdString() + ": " + e.what());
    }
    return ExitOk;
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
            << ", " << std::to_string(above) << " above input " << number(last).toStdString() << "\n";

    // Falling stretches invert contrast; the first one is named.
    int falls = 0;
    int start = -1, end = -1;
    for (int i = 0; i + 1 < n; ++i) {
        if (!(t[std::size_t(i) + 1] < t[std::size_t(i)]))
            continue;
        if (i == 0 || !(t[std::size_t(i)] < t[std::size_t(i) - 1]))
            ++falls;
        if (start < 0)
            start = i;
        if (start >= 0 && end < 0 && (i + 2 >= n || !(t[std::size_t(i) + 2] < t[std::size_t(i) + 1])))
            end = i + 1;
    }
    if (!falls) {
        out << "  monotonic: yes\n";
        return;
    }
    out << "  monotonic: no, " << std::to_string(falls) << (falls == 1 ? " falling stretch" : " falling stretches")
        << ", the first from input " << number(inputLevel(start, requested)).toStdString()
        << " to " << number(inputLevel(end, requested)).toStdString() << " (output "
        << number(t[std::size_t(start)]).toStdString() << " to "
        << number(t[std::size_t(end)]).toStdString() << ")\n";
}

// Bands by their colour names; anything else from a palette, in band order.
QColor colourFor(const QString &band, int index)
{
    const QString b = band.toUpper();
    if (b.isEmpty())
        return QColor(0, 0, 160);
    if (b.startsWith(QLatin1String("RED")) || b == QLatin1String("R"))
        return QColor(200, 0, 0);
    if (b.startsWith(QLatin1String("GRN")) || b.startsWith(QLatin1String("GREEN"))
        || b == QLatin1String("G"))
        return QColor(0, 150, 0);
    if (b.startsWith(QLatin1String("BLU")) || b == QLatin1String("B"))
        return QColor(0, 0, 220);
    if (b.startsWith(QLatin1String("NIR")) || b == QLatin1String("N"))
        return QColor(150, 0, 150);
    if (b.startsWith(QLatin1String("PAN")) || b == QLatin1String("P"))
        return QColor(60, 60, 60);
    static const QColor palette[] = {QColor(0, 140, 140), QColor(200, 120, 0),
                                     QColor(120, 80, 40), QColor(90, 90, 200)};
    return palette[index % 4];
}

double finiteOr(double value, double fallback)
{
    return std::isfinite(value) ? value : fallback;
}

int plot(const CommandLine &cl, const QString &file, const std::vector<Series> &series,
         int requested, std::ostream &err)
{
    int width = 800, height = 600;
    if (cl.isSet("--width") && !parseInt(cl.value("--width"), 50, maxPixels, width))
        return cl.usageError(err, "--width needs a whole number from 50 to 20000");
    if (cl.isSet("--height") && !parseInt(cl.value("--height"), 50, maxPixels, height))
        return cl.usageError(err, "--height needs a whole number from 50 to 20000");
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
        const QColor colour = colourFor(s.band, int(k));
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
        nodes->setSymbol(new QwtSymbol(QwtSymbol::Ellipse, QBrush(Qt::white), QPen(colour.darker(150), 2),
                                       QSize(9, 9)));
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
    QString error;
    if (!util::writeFileAtomically(target, png.constData(), std::size_t(png.size()), &error))
        return cl.failure(err, error.toStdString());
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
    QString error;
    if (!util::writeFileAtomically(target, bytes.constData(), std::size_t(bytes.size()), &error))
        return cl.failure(err, error.toStdString());
    return ExitOk;
}

int bpfShow(const QStringList &args, std::ostream &out, std::ostream &err)
{
    CommandLine cl("bpf show", bpfUsage, {{"--json"}});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    if (cl.positional().size() != 1)
        return cl.usageError(err, "needs exactly one FILE");
    const QString file = cl.positional().first();
    const std::string unopenable = openFailure(file);
    if (!unopenable.empty())
        return cl.failure(err, unopenable);
    try {
        const util::BpfConverter bpf(file);
        const QStringList bands = bpf.getBands();
        if (cl.isSet("--json")) {
            QJsonArray list;
            for (const QString &band : bands) {
                const util::TonalCurve curve = bpf.getCurve(band);
                QJsonArray nodes;
                for (const QPointF &p : curve.getNodes())
                    nodes.append(QJsonArray{p.x(), p.y()});
                list.append(QJsonObject{{"band", band},
                                        {"interpolation", curve.getInterpolationString()},
                                        {"nodes", nodes}});
            }
            out << QJsonDocument(QJsonObject{{"file", file}, {"bands", list}})
                       .toJson(QJsonDocument::Indented)
                       .toStdString();
            return ExitOk;
        }
        out << file.toStdString() << ": " << std::to_string(bands.size()) << (bands.size() == 1 ? " band" : " bands")
            << "\n";
        for (const QString &band : bands) {
            const util::TonalCurve curve = bpf.getCurve(band);
            const auto &nodes = curve.getNodes();
            out << "band " << band.toStdString() << ": "
                << curve.getInterpolationString().toStdString() << ", " << std::to_string(nodes.size())
                << (nodes.size() == 1 ? " node" : " nodes") << "\n";
            for (const QPointF &p : nodes)
                out << "  " << number(p.x()).toStdString() << " " << number(p.y()).toStdString()
                    << "\n";
        }
    } catch (const std::exception &e) {
        return cl.failure(err, file.toStdString() + ": " + e.what());
    }
    return ExitOk;
}

} // namespace

int lutCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    if (!args.isEmpty() && args.first() == QLatin1String("apply"))
        return lutApplyCommand(args.mid(1), out, err);
    CommandLine cl("lut", lutUsage,
                   {{"--samples", nullptr, true},
                    {"--band", nullptr, true},
                    {"--format", nullptr, true},
                    {"--output", "-o", true},
                    {"--validate"},
                    {"--plot", nullptr, true},
                    {"--width", nullptr, true},
                    {"--height", nullptr, true},
                    {"--stats"}});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    if (cl.positional().size() != 1)
        return cl.usageError(err, "needs exactly one CURVE file");
    const QString format = cl.value("--format", QStringLiteral("text"));
    if (format != QLatin1String("text") && format != QLatin1String("csv")
        && format != QLatin1String("binary"))
        return cl.usageError(err, "--format is text, csv or binary");
    int requested = -1;
    if (cl.isSet("--samples") && !parseInt(cl.value("--samples"), 1, maxSamples, requested))
        return cl.usageError(err, "--samples needs a whole number from 1 to 16777216");
    if ((cl.isSet("--width") || cl.isSet("--height")) && !cl.isSet("--plot"))
        return cl.usageError(err, "--width and --height go with --plot");
    const bool table = !(cl.isSet("--plot") || cl.isSet("--stats")) || cl.isSet("--format")
        || cl.isSet("--output");

    const QString file = cl.positional().first();
    std::vector<Series> series;
    code = loadSeries(cl, file, series, err);
    if (code != ExitOk)
        return code;
    if (table && series.size() > 1)
        return cl.usageError(err, file.toStdString() + " holds bands " + [&] {
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
            return cl.failure(err, label(file, s) + ": " + e.what());
        }
    }
    if (cl.isSet("--stats"))
        for (const Series &s : series)
            printStats(out, file, s, requested);
    if (cl.isSet("--plot")) {
        code = plot(cl, file, series, requested, err);
        if (code != ExitOk)
            return code;
    }
    if (table)
        return writeTable(cl, series.front(), requested, out, err);
    return ExitOk;
}

int bpfCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    return dispatchSubcommand("bpf", bpfUsage, {{"show", bpfShow}}, args, out, err);
}

} // namespace quorutil
