#include "util/tonal/TonalCurve.h"

#include "util/xml/XmlValidator.h"

#include <QDomDocument>
#include <QDomElement>
#include <QDomNodeList>

#include <map>
#include <stdexcept>

namespace util {

TonalCurve::TonalCurve(Interpolation interpolation)
    : interpolation(interpolation)
{
}

TonalCurve::TonalCurve(const QDomElement &element, bool validate)
    : interpolation(Linear)
{
    if (validate) {
        const XmlValidator validator(QStringLiteral("tonalcurve.xsd"));
        if (!validator.validate(element))
            throw std::runtime_error("Not a valid TonalCurve dom element");
    }
    setInterpolationString(element.attribute(QStringLiteral("interpolation")));

    // Only "position" orders the nodes; their document order and depth do not matter.
    std::map<int, QDomElement> byPosition;
    const QDomNodeList found = element.elementsByTagName(QStringLiteral("Node"));
    for (int i = 0; i < found.size(); ++i) {
        const QDomElement node = found.item(i).toElement();
        const int position = node.attribute(QStringLiteral("position")).toInt();
        if (!byPosition.emplace(position, node).second)
            throw std::runtime_error("TonalCurve: Duplicate point found");
    }
    nodes.reserve(int(byPosition.size()));
    for (const auto &entry : byPosition)
        nodes.append(QPointF(entry.second.attribute(QStringLiteral("x")).toDouble(),
                             entry.second.attribute(QStringLiteral("y")).toDouble()));
}

TonalCurve::TonalCurve(const TonalCurve &other) = default;
TonalCurve &TonalCurve::operator=(const TonalCurve &other) = default;
TonalCurve::~TonalCurve() = default;

void TonalCurve::addNode(double x, double y)
{
    nodes.append(QPointF(x, y));
}

void TonalCurve::clearNodes()
{
    nodes.clear();
}

const QVector<QPointF> &TonalCurve::getNodes() const
{
    return nodes;
}

TonalCurve::Interpolation TonalCurve::getInterpolation() const
{
    return interpolation;
}

void TonalCurve::setInterpolation(Interpolation value)
{
    interpolation = value;
}

QString TonalCurve::getInterpolationString() const
{
    switch (interpolation) {
    case Linear:
        return QStringLiteral("Linear");
    case Spline:
        return QStringLiteral("Spline");
    default:
        return QStringLiteral("Gamma");
    }
}

void TonalCurve::setInterpolationString(const QString &text)
{
    if (text == QLatin1String("Linear"))
        interpolation = Linear;
    else if (text == QLatin1String("Spline"))
        interpolation = Spline;
    else if (text == QLatin1String("Gamma"))
        interpolation = Gamma;
    else
        throw std::runtime_error("Unknown interpolation");
}

void TonalCurve::appendTo(QDomElement &parent, int position) const
{
    QDomDocument document = parent.ownerDocument();
    QDomElement corrector = document.createElement(QStringLiteral("Corrector"));
    corrector.setAttribute(QStringLiteral("position"), position);
    corrector.setAttribute(QStringLiteral("id"), QStringLiteral("TonalCurve"));
    corrector.setAttribute(QStringLiteral("interpolation"), getInterpolationString());
    corrector.setAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    for (int i = 0; i < nodes.size(); ++i) {
        QDomElement node = document.createElement(QStringLiteral("Node"));
        node.setAttribute(QStringLiteral("x"), nodes[i].x());
        node.setAttribute(QStringLiteral("y"), nodes[i].y());
        node.setAttribute(QStringLiteral("position"), i);
        corrector.appendChild(node);
    }
    parent.appendChild(corrector);
}

bool TonalCurve::operator==(const TonalCurve &other) const
{
    return interpolation == other.interpolation && nodes == other.nodes;
}

bool TonalCurve::operator!=(const TonalCurve &other) const
{
    return !(*this == other);
}

} // namespace util
