#include "util/tonal/BpfConverter.h"

#include "util/files/ReadFile.h"
#include "util/tonal/TonalXml_p.h"
#include "util/xml/XmlFile.h"

#include <QDomDocument>
#include <QDomElement>
#include <QFile>

#include <stdexcept>
#include <utility>
#include <vector>

namespace util {

namespace {

bool isNamed(const QDomElement &element, const char *name)
{
    return element.tagName().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

[[noreturn]] void fail(const char *message, const QString &fileName)
{
    throw std::runtime_error(message + fileName.toStdString());
}

} // namespace

BpfConverter::BpfConverter(const QString &fileName)
{
    loadFile(fileName);
}

BpfConverter::BpfConverter(const BpfConverter &other) = default;
BpfConverter &BpfConverter::operator=(const BpfConverter &other) = default;
BpfConverter::~BpfConverter() = default;

QStringList BpfConverter::getBands() const
{
    return curves.keys();
}

TonalCurve BpfConverter::getCurve(const QString &band) const
{
    const auto found = curves.constFind(band);
    if (found == curves.constEnd())
        throw std::runtime_error("Band not found in bpf file: " + band.toStdString());
    return found.value();
}

void BpfConverter::loadFile(const QString &fileName)
{
    QByteArray bytes;
    if (!readWholeFile(fileName, bytes))
        fail("Unable to read bpf file: ", fileName);
    QDomDocument document;
    if (!parseXmlBytes(bytes, document, fileName))
        fail("Can't read bpf file: ", fileName);
    if (const char *refusal = detail::breakPointCurves(document, curves))
        fail(refusal, fileName);
}

namespace detail {

const char *breakPointCurves(const QDomDocument &document, QMap<QString, TonalCurve> &curves)
{
    curves.clear();
    for (QDomElement bands = document.documentElement().firstChildElement(); !bands.isNull();
         bands = bands.nextSiblingElement()) {
        if (!isNamed(bands, "break_points"))
            continue;
        const QString band = bands.attribute(QStringLiteral("band"));
        if (band.isEmpty())
            return "Not a valid bpf file. No band found. File: ";
        if (band.compare(QLatin1String("composite"), Qt::CaseInsensitive) == 0)
            continue;

        TonalCurve curve(TonalCurve::Linear);
        int maxValue = 0;
        std::vector<std::pair<int, int>> points;
        for (QDomElement child = bands.firstChildElement(); !child.isNull();
             child = child.nextSiblingElement()) {
            if (isNamed(child, "type")) {
                const QString type = child.text();
                if (type.compare(QLatin1String("linear"), Qt::CaseInsensitive) == 0)
                    curve.setInterpolation(TonalCurve::Linear);
                else if (type.compare(QLatin1String("spline"), Qt::CaseInsensitive) == 0)
                    curve.setInterpolation(TonalCurve::Spline);
                else
                    return "Not a valid bpf file. No valid interpolation found. File: ";
            } else if (isNamed(child, "max_value")) {
                maxValue = child.text().toInt(nullptr, 10);
            } else if (isNamed(child, "point")) {
                points.emplace_back(child.attribute(QStringLiteral("x")).toInt(nullptr, 10),
                                    child.attribute(QStringLiteral("y")).toInt(nullptr, 10));
            }
        }
        if (maxValue == 0)
            return "Not a valid bpf file. Max value can not be 0. File: ";

        const double scale = 1.0 / double(maxValue);
        for (const auto &point : points)
            curve.addNode(point.first * scale, point.second * scale);
        if (curves.contains(band))
            return "Not a valid bpf file. Duplicate band found. File: ";
        curves.insert(band, curve);
    }
    return nullptr;
}

} // namespace detail

} // namespace util
