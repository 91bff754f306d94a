#include "util/tonal/BpfConverter.h"

#include "util/files/ReadFile.h"
#include "util/tonal/TonalXml_p.h"

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
    if (!detail::loadTonalDom(bytes, document))
        fail("Can't read bpf file: ", fileName);

    for (QDomElement bands = document.documentElement().firstChildElement(); !bands.isNull();
         bands = bands.nextSiblingElement()) {
        if (!isNamed(bands, "break_points"))
            continue;
        const QString band = bands.attribute(QStringLiteral("band"));
        if (band.isEmpty())
            fail("Not a valid bpf file. No band found. File: ", fileName);
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
                    fail("Not a valid bpf file. No valid interpolation found. File: ", fileName);
            } else if (isNamed(child, "max_value")) {
                maxValue = child.text().toInt(nullptr, 10);
            } else if (isNamed(child, "point")) {
                points.emplace_back(child.attribute(QStringLiteral("x")).toInt(nullptr, 10),
                                    child.attribute(QStringLiteral("y")).toInt(nullptr, 10));
            }
        }
        if (maxValue == 0)
            fail("Not a valid bpf file. Max value can not be 0. File: ", fileName);

        const double scale = 1.0 / double(maxValue);
        for (const auto &point : points)
            curve.addNode(point.first * scale, point.second * scale);
        if (curves.contains(band))
            fail("Not a valid bpf file. Duplicate band found. File: ", fileName);
        curves.insert(band, curve);
    }
}

} // namespace util
