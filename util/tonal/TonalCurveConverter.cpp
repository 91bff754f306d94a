#include "util/tonal/TonalCurveConverter.h"

#include "util/tonal/TonalNumbers_p.h"

#include <qwt_spline.h>

#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace util {

namespace {

constexpr int defaultSamples = 65536;
constexpr double defaultStep = 1.0 / 65536.0;

} // namespace

TonalCurveConverter::TonalCurveConverter()
    : curve(TonalCurve::Linear)
    , samples(defaultSamples)
    , step(defaultStep)
{
}

TonalCurveConverter::TonalCurveConverter(const TonalCurveConverter &other) = default;
TonalCurveConverter &TonalCurveConverter::operator=(const TonalCurveConverter &other) = default;
TonalCurveConverter::~TonalCurveConverter() = default;

const std::vector<float> &TonalCurveConverter::getLUT(const TonalCurve &request, int requested)
{
    if (request.getNodes().size() < 2)
        throw std::runtime_error("Need 2 points at minimum for interpolation");
    if (requested == 0)
        throw std::runtime_error("Number of samples must not be 0");
    if (requested == samples && curve == request)
        return table;

    curve = request;
    if (requested < 0) {
        samples = defaultSamples;
        step = defaultStep;
    } else {
        samples = requested;
        step = 1.0 / (double(samples) - 1.0);
    }
    if (table.size() != std::size_t(samples))
        table.resize(std::size_t(samples));

    try {
        switch (curve.getInterpolation()) {
        case TonalCurve::Spline:
            generateSplineLUT();
            break;
        case TonalCurve::Linear:
            generateLinearLUT();
            break;
        default:
            generateGammaLUT();
            break;
        }
    } catch (...) {
        // An empty stored curve matches no request (those throw before the comparison).
        curve = TonalCurve();
        throw;
    }
    return table;
}

void TonalCurveConverter::generateSplineLUT()
{
    QwtSpline spline;
    spline.setPoints(QPolygonF(curve.getNodes()));

    int i = 0;
    for (double x = 0.0; i < samples && !(x > 1.0); ++i, x += step)
        table[std::size_t(i)] = float(detail::clampUnit(spline.value(x)));
    if (i < samples)
        std::fill(table.begin() + i, table.end(), float(detail::clampUnit(spline.value(1.0))));
}

void TonalCurveConverter::generateLinearLUT()
{
    const QVector<QPointF> &nodes = curve.getNodes();
    const int last = nodes.size() - 1;
    const auto valueAt = [&nodes](int s, double x) {
        const QPointF &a = nodes[s];
        const QPointF &b = nodes[s + 1];
        return detail::toFloat(a.y() + (x - a.x()) / (b.x() - a.x()) * (b.y() - a.y()));
    };

    int i = 0;
    int s = 0;
    for (double x = 0.0; i < samples; ++i, x += step) {
        if (x > 1.0)
            break;
        while (s < last && x > nodes[s + 1].x())
            ++s;
        if (s == last)
            break;
        table[std::size_t(i)] = valueAt(s, x);
    }
    if (i == samples)
        return;

    // The curve's end: input level 1, or the last node when the nodes end left of it.
    const double end = std::min(1.0, nodes[last].x());
    s = std::min(s, last - 1);
    while (s < last - 1 && end > nodes[s + 1].x())
        ++s;
    const float fill = end == nodes[last].x() ? detail::toFloat(nodes[last].y()) : valueAt(s, end);
    std::fill(table.begin() + i, table.end(), fill);
}

void TonalCurveConverter::generateGammaLUT()
{
    const QVector<QPointF> &nodes = curve.getNodes();
    const int count = nodes.size();
    if (count < 3)
        throw std::runtime_error("Gamma interpolation only possible between 3 points");
    if (count > 5)
        throw std::runtime_error("Too many points for a gamma interpolation");

    // Leading nodes at output 0 and trailing nodes at output 1 are skipped.
    int low = -1;
    for (int k = 1; k < count; ++k) {
        if (std::fabs(nodes[k].y()) >= 1e-7) {
            low = k - 1;
            break;
        }
    }
    int high = -1;
    for (int k = count - 2; k >= 0; --k) {
        if (std::fabs(nodes[k].y() - 1.0) >= 1e-7) {
            high = k + 1;
            break;
        }
    }
    if (low < 0 || high < 0 || high != low + 2)
        throw std::runtime_error("Too many points for a gamma interpolation - bad configuration");

    const QPointF &lo = nodes[low];
    const QPointF &mid = nodes[low + 1];
    const QPointF &hi = nodes[high];
    if (!(lo.x() <= mid.x() && mid.x() <= hi.x() && lo.y() <= mid.y() && mid.y() <= hi.y()))
        throw std::runtime_error("Internal error - nodes are not meeting gamma preconditions");

    // The fit is taken in single precision.
    const float ry = detail::toFloat((mid.y() - lo.y()) / (hi.y() - lo.y()));
    const float rx = detail::toFloat((mid.x() - lo.x()) / (hi.x() - lo.x()));
    const float gamma = std::log(ry) / std::log(rx);
    const double width = double(detail::toFloat(hi.x() - lo.x()));
    const double exponent = double(gamma);

    for (int i = 0; i < samples; ++i) {
        const double x = double(i) * step;
        const double t = detail::clampUnit((x - lo.x()) / width);
        table[std::size_t(i)] = detail::toFloat(std::pow(t, exponent));
    }
}

} // namespace util
