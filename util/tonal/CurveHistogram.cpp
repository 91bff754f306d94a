#include "util/tonal/CurveHistogram_p.h"

#include "util/tonal/ImagePreviewData.h"
#include "util/tonal/TonalBands_p.h"

#include <qwt_scale_map.h>

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace util::detail {

HistogramItem::HistogramItem()
{
    setZ(1); // behind the grid and the curves
    setItemAttribute(QwtPlotItem::Legend, false);
    setItemAttribute(QwtPlotItem::AutoScale, false);
    setRenderHint(QwtPlotItem::RenderAntialiased);
}

void HistogramItem::setImage(const ImagePreviewData &image)
{
    names = image.bandNames;
    roles = image.roles;
    maxValue = std::max(1, image.maxValue);
    counts.clear();
    for (const QVector<quint32> &histogram : image.histograms) {
        const int bins = histogram.size();
        const int shown = std::min(bins, displayBins);
        QVector<double> reduced(shown, 0.0);
        for (int b = 0; b < bins; ++b)
            reduced[int(qint64(b) * shown / bins)] += histogram[b];
        counts << reduced;
    }
    itemChanged();
}

void HistogramItem::clear()
{
    names.clear();
    roles.clear();
    counts.clear();
    itemChanged();
}

bool HistogramItem::isEmpty() const
{
    return counts.isEmpty();
}

void HistogramItem::setLogarithmic(bool value)
{
    logarithmic = value;
    itemChanged();
}

bool HistogramItem::isLogarithmic() const
{
    return logarithmic;
}

void HistogramItem::setBand(const QString &value)
{
    band = value;
    itemChanged();
}

void HistogramItem::setMaxDn(int value)
{
    maxDn = std::max(1, value);
    itemChanged();
}

QVector<QPolygonF> HistogramItem::shapes(QVector<int> *bands) const
{
    QVector<int> shown;
    for (int b = 0; b < counts.size(); ++b) {
        if (roles.value(b) == band)
            shown << b;
    }
    if (shown.isEmpty()) {
        for (int b = 0; b < counts.size(); ++b)
            shown << b;
    }
    // One height for every band drawn, so that they compare. The end bins often hold the
    // clipped pixels of a whole scene: they would flatten the rest, so they do not set it.
    double peak = 0;
    for (const int b : shown) {
        const QVector<double> &c = counts[b];
        for (int i = c.size() > 2 ? 1 : 0; i < (c.size() > 2 ? c.size() - 1 : c.size()); ++i)
            peak = std::max(peak, c[i]);
    }
    const auto height = [this, peak](double count) {
        if (!(peak > 0))
            return 0.0;
        const double ratio = logarithmic ? std::log1p(count) / std::log1p(peak) : count / peak;
        return std::min(ratio, 1.0) * 0.9 * maxDn;
    };

    QVector<QPolygonF> out;
    for (const int b : shown) {
        const QVector<double> &c = counts[b];
        const double span = double(maxValue + 1) / c.size(); // values a display bin covers
        const double toLevels = double(maxDn) / maxValue;
        QPolygonF shape;
        shape << QPointF(0, 0);
        for (int i = 0; i < c.size(); ++i) {
            const double y = height(c[i]);
            shape << QPointF(i * span * toLevels, y)
                  << QPointF(std::min(double(maxValue), (i + 1) * span) * toLevels, y);
        }
        shape << QPointF(maxDn, 0);
        out << shape;
    }
    if (bands)
        *bands = shown;
    return out;
}

int HistogramItem::rtti() const
{
    return QwtPlotItem::Rtti_PlotUserItem + 17;
}

void HistogramItem::draw(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                         const QRectF &) const
{
    QVector<int> bands;
    const QVector<QPolygonF> outlines = shapes(&bands);
    for (int k = 0; k < outlines.size(); ++k) {
        QPolygonF pixels;
        pixels.reserve(outlines[k].size());
        for (const QPointF &p : outlines[k])
            pixels << QPointF(xMap.transform(p.x()), yMap.transform(p.y()));
        const QString role = roles.value(bands[k]);
        QColor colour = bandColour(role.isEmpty() ? names.value(bands[k]) : role, bands[k]);
        colour.setAlpha(outlines.size() > 1 ? 55 : 80);
        painter->setPen(Qt::NoPen);
        painter->setBrush(colour);
        painter->drawPolygon(pixels);
    }
}

} // namespace util::detail
