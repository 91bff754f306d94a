#include "util/tonal/TonalCurveSet.h"

#include "util/files/ReadFile.h"
#include "util/tonal/TonalBands_p.h"
#include "util/tonal/TonalXml_p.h"
#include "util/xml/XmlFile.h"

#include <QDomDocument>
#include <QDomElement>

#include <cmath>
#include <exception>

namespace util {

bool readTonalCurves(const QString &fileName, QVector<NamedTonalCurve> &curves, Failure *failure)
{
    const auto refuse = [&](const QString &reason) {
        return fail(failure, Failure::other(fileName, reason));
    };
    QByteArray bytes;
    QDomDocument document;
    if (!readWholeFile(fileName, bytes, failure)
        || !parseXmlBytes(bytes, document, fileName, failure))
        return false;

    QVector<NamedTonalCurve> found;
    const QDomElement root = document.documentElement();
    const QString corrector = QStringLiteral("Corrector");
    try {
        if (root.tagName() == QLatin1String("TonalCurves")) {
            for (QDomElement band = root.firstChildElement(QStringLiteral("Band")); !band.isNull();
                 band = band.nextSiblingElement(QStringLiteral("Band"))) {
                const QDomElement element = band.firstChildElement(corrector);
                const QString name = band.attribute(QStringLiteral("name"));
                if (element.isNull() || name.isEmpty())
                    return refuse(QStringLiteral("a Band element needs a name and a Corrector"));
                found.append({name, TonalCurve(element, false)});
            }
        } else if (const QDomElement element = detail::findCorrector(document); !element.isNull()) {
            found.append({QString(), TonalCurve(element, false)});
        } else {
            // The break-point reader gives its curves by name; the file gives their order.
            QMap<QString, TonalCurve> byName;
            if (!detail::readBreakPoints(document, fileName, byName, failure))
                return false;
            for (QDomElement band = root.firstChildElement(); !band.isNull();
                 band = band.nextSiblingElement()) {
                const QString name = band.attribute(QStringLiteral("band"));
                bool seen = false;
                for (const NamedTonalCurve &c : found)
                    seen = seen || c.band == name;
                if (band.tagName().compare(QLatin1String("break_points"), Qt::CaseInsensitive) == 0
                    && byName.contains(name) && !seen)
                    found.append({name, byName.value(name)});
            }
        }
    } catch (const std::exception &e) {
        return refuse(QString::fromStdString(e.what()));
    }
    if (found.isEmpty())
        return refuse(QStringLiteral("holds no curve (neither a Corrector element nor a "
                                     "break_points band)"));
    curves = found;
    return true;
}

QString tonalBandColour(const QString &band)
{
    // The editor's own mapping first, so that lut and the editor agree on every name they share.
    static const char *const editorWords[][2] = {
        {"All", "ALL"}, {"Red", "RED"}, {"Green", "GRN"}, {"Blue", "BLU"}, {"Infrared", "NIR"}};
    const QString editor = detail::editorBandOf(band.trimmed());
    for (const auto &word : editorWords) {
        if (editor == QLatin1String(word[0]))
            return QLatin1String(word[1]);
    }
    const QString name = band.trimmed().toUpper();
    static const char *const others[][2] = {{"R", "RED"},
                                            {"G", "GRN"},
                                            {"B", "BLU"},
                                            {"N", "NIR"},
                                            {"NEAR_INFRARED", "NIR"},
                                            {"PAN", "PAN"},
                                            {"P", "PAN"},
                                            {"PANCHROMATIC", "PAN"},
                                            {"COMPOSITE", "ALL"}};
    for (const auto &word : others) {
        if (name == QLatin1String(word[0]))
            return QLatin1String(word[1]);
    }
    return name;
}

int findTonalBand(const QVector<NamedTonalCurve> &curves, const QString &band)
{
    // A band named exactly so wins: a file may hold "RED" and "red" as two bands.
    for (int i = 0; i < curves.size(); ++i) {
        if (curves[i].band == band)
            return i;
    }
    const QString wanted = tonalBandColour(band);
    for (int i = 0; i < curves.size(); ++i) {
        if (tonalBandColour(curves[i].band) == wanted)
            return i;
    }
    return -1;
}

std::vector<std::pair<std::size_t, std::size_t>> fallingStretches(const std::vector<float> &table,
                                                                  double tolerance)
{
    if (tolerance < 0) {
        double largest = 1.0;
        for (const float v : table) {
            if (std::isfinite(v))
                largest = std::max(largest, std::fabs(double(v)));
        }
        tolerance = 1e-6 * largest;
    }
    std::vector<std::pair<std::size_t, std::size_t>> stretches;
    bool falling = false;
    bool started = false;
    double peak = 0, low = 0;
    std::size_t peakAt = 0, lowAt = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const double v = table[i];
        if (std::isnan(v))
            continue;
        if (!started) {
            started = true;
            peak = v;
            peakAt = i;
            continue;
        }
        if (!falling) {
            if (v >= peak) {
                peak = v;
                peakAt = i;
            } else if (v < peak - tolerance) {
                falling = true;
                low = v;
                lowAt = i;
            }
        } else if (v < low) {
            low = v;
            lowAt = i;
        } else if (v > low + tolerance) {
            stretches.emplace_back(peakAt, lowAt);
            falling = false;
            peak = v;
            peakAt = i;
        }
    }
    if (falling)
        stretches.emplace_back(peakAt, lowAt);
    return stretches;
}

} // namespace util
