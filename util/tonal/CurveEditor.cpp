#include "util/tonal/CurveEditor.h"

#include "util/strings/NumberFormat.h"
#include "util/tonal/CurveEditor_p.h"
#include "util/tonal/TonalCurve.h"
#include "util/tonal/TonalCurveConverter.h"
#include "util/tonal/TonalNumbers_p.h"

#include <qwt_plot.h>
#include <qwt_plot_curve.h>

#include <QRectF>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

namespace util {

namespace {

const QString allBands = QStringLiteral("All");
const QString linearName = QStringLiteral("Linear");
const QString splineName = QStringLiteral("Spline");
const QString gammaName = QStringLiteral("Gamma");

bool samePoint(const QPointF &a, const QPointF &b)
{
    return std::fabs(a.x() - b.x()) <= 1e-12 && std::fabs(a.y() - b.y()) <= 1e-12;
}

double distance(const QPointF &a, const QPointF &b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

double width(const QPolygonF &nodes)
{
    return nodes.isEmpty() ? 0.0 : nodes.last().x() - nodes.first().x();
}

const BandCurve &emptyRecord()
{
    static const BandCurve empty;
    return empty;
}

} // namespace

const float CurveEditor::limitBuffer = 10.0f;

CurveEditor::CurveEditor()
    : editedNodeIndex(-1)
    , maxDn(65536)
{
    initData(allBands);
}

CurveEditor::CurveEditor(const CurveEditor &other)
    : curves(other.curves)
    , editedBandId(other.editedBandId)
    , editedNodeIndex(other.editedNodeIndex)
    , maxDn(other.maxDn)
{
    for (const BandCurve &record : curves)
        detail::holdPlotCurve(record.plot);
}

CurveEditor &CurveEditor::operator=(const CurveEditor &other)
{
    if (this == &other)
        return *this;
    // Hold the new curves before letting the old ones go: both may share plot curves.
    for (const BandCurve &record : other.curves)
        detail::holdPlotCurve(record.plot);
    for (const BandCurve &record : curves)
        detail::releasePlotCurve(record.plot);
    curves = other.curves;
    editedBandId = other.editedBandId;
    editedNodeIndex = other.editedNodeIndex;
    maxDn = other.maxDn;
    return *this;
}

CurveEditor::~CurveEditor()
{
    for (const BandCurve &record : curves)
        detail::releasePlotCurve(record.plot);
}

void CurveEditor::setMaxDn(int value)
{
    maxDn = value;
}

int CurveEditor::getMaxDn() const
{
    return maxDn;
}

void CurveEditor::filterBandId(QString &band) const
{
    if (band.isEmpty() || !curves.contains(band))
        band = allBands;
}

const QPolygonF *CurveEditor::getNodes(QString band) const
{
    filterBandId(band);
    const auto it = curves.constFind(band);
    return it == curves.constEnd() ? &emptyRecord().nodes : &it->nodes;
}

int CurveEditor::getMin(QString band) const
{
    const QPolygonF *nodes = getNodes(band);
    return nodes->isEmpty() ? 0 : truncateToInt(nodes->first().x());
}

int CurveEditor::getMax(QString band) const
{
    const QPolygonF *nodes = getNodes(band);
    return nodes->isEmpty() ? 0 : truncateToInt(nodes->last().x());
}

QString CurveEditor::getInterpolationMethod(QString band) const
{
    filterBandId(band);
    return curves.value(band).interpolation;
}

void CurveEditor::initData(const QString &band)
{
    BandCurve record;
    const auto all = curves.constFind(allBands);
    if (all != curves.constEnd()) {
        record.interpolation = all->interpolation;
        record.nodes = all->nodes;
    } else {
        record.interpolation = linearName;
        record.nodes << QPointF(0, 0) << QPointF(maxDn / 2, maxDn / 2) << QPointF(maxDn, maxDn);
    }
    record.plot = detail::createPlotCurve(band);
    const auto old = curves.constFind(band);
    if (old != curves.constEnd())
        detail::releasePlotCurve(old->plot);
    curves.insert(band, record);
}

void CurveEditor::changeInterpolationMethod(const QString &method, QString band)
{
    if (band.isEmpty())
        return;
    const auto change = [this, &method](const QString &id) {
        if (!hasSpecificCorrection(id)) {
            const BandCurve all = curves.value(allBands);
            specifyCurve(id, all.nodes, all.interpolation, false);
        }
        fitNewCurve(method, id);
        curves[id].interpolation = method;
    };
    if (band == allBands) {
        const QStringList ids = curves.keys();
        for (const QString &id : ids) {
            if (id != allBands)
                change(id);
        }
    }
    change(band);
}

void CurveEditor::fitNewCurve(const QString &method, const QString &band)
{
    BandCurve &record = curves[band];
    if (method == gammaName) {
        // A gamma curve has one free node between the black and the white point.
        if (record.nodes.size() > 3) {
            const QPolygonF nodes = record.nodes;
            record.nodes = QPolygonF() << nodes.first() << nodes[1] << nodes.last();
        }
    } else if (record.interpolation == gammaName) {
        QPolygonF sampled;
        getCurveLookupTable(sampled, band, 7);
        curves[band].nodes = sampled;
    }
}

void CurveEditor::specifyCurve(QString band, const QPolygonF &nodes, const QString &interpolation,
                               bool merge)
{
    // The arguments may refer into the store.
    const QPolygonF newNodes = nodes;
    const QString newInterpolation = interpolation;
    if (band.isEmpty())
        band = allBands;
    auto it = curves.find(band);
    if (it == curves.end()) {
        BandCurve record;
        record.plot = detail::createPlotCurve(band);
        it = curves.insert(band, record);
    }
    it->nodes = newNodes;
    it->interpolation = newInterpolation;
    if (band != allBands && merge)
        checkAndMergeDuplicates();
}

void CurveEditor::specifyCurve(QString band, const TonalCurve &curve, bool merge)
{
    const QVector<QPointF> &nodes = curve.getNodes();
    const int n = nodes.size();
    QPolygonF levels;
    if (n > 0) {
        // Leading nodes at output 0 collapse to the black point, trailing nodes at output 1 to
        // the white point.
        int k = 1;
        while (k < n && nodes[k].y() <= 1e-6)
            ++k;
        int start = k - 1;
        k = n - 2;
        while (k >= 0 && nodes[k].y() >= 0.999999)
            --k;
        int end = k + 1;
        if (start > end) {
            // A falling two-node curve is both runs at once: keep it whole.
            start = 0;
            end = n - 1;
        }
        for (int i = start; i <= end; ++i)
            levels << QPointF(nodes[i].x() * maxDn, nodes[i].y() * maxDn);
    }
    specifyCurve(band, levels, curve.getInterpolationString(), merge);
}

void CurveEditor::removeCurve(const QString &band)
{
    const auto it = curves.find(band);
    if (it == curves.end())
        return;
    if (editedBandId == band)
        removeNodeFocus();
    if (it->plot)
        it->plot->detach();
    QwtPlotCurve *plot = it->plot;
    curves.erase(it);
    detail::releasePlotCurve(plot);
}

void CurveEditor::clearCurves()
{
    for (const BandCurve &record : curves)
        detail::releasePlotCurve(record.plot);
    curves.clear();
    initData(allBands);
}

bool CurveEditor::areDifferent(const QString &a, const QString &b) const
{
    if (a == b)
        return false;
    const auto ia = curves.constFind(a);
    const auto ib = curves.constFind(b);
    const BandCurve &ra = ia == curves.constEnd() ? emptyRecord() : *ia;
    const BandCurve &rb = ib == curves.constEnd() ? emptyRecord() : *ib;
    if (ra.interpolation != rb.interpolation || ra.nodes.size() != rb.nodes.size())
        return true;
    for (int i = 0; i < ra.nodes.size(); ++i) {
        if (ra.nodes[i].x() != rb.nodes[i].x() || ra.nodes[i].y() != rb.nodes[i].y())
            return true;
    }
    return false;
}

QStringList CurveEditor::getBandIds() const
{
    return curves.keys();
}

bool CurveEditor::hasSpecificCorrection(QString band) const
{
    if (!curves.contains(band))
        return false;
    return areDifferent(band, allBands);
}

void CurveEditor::attachAll(QwtPlot *plot)
{
    for (const BandCurve &record : curves) {
        if (record.plot && record.plot->dataSize() >= 2)
            record.plot->attach(plot);
    }
}

void CurveEditor::detachAll()
{
    attachAll(nullptr);
}

QwtPlotCurve *CurveEditor::recoverPlot(QString band) const
{
    filterBandId(band);
    return curves.value(band).plot;
}

QVector<QwtPlotCurve *> CurveEditor::recoverAllPlots() const
{
    QVector<QwtPlotCurve *> plots;
    for (const BandCurve &record : curves) {
        if (record.plot)
            plots << record.plot;
    }
    return plots;
}

void CurveEditor::getCurveLookupTable(QPolygonF &out, QString band, int samples) const
{
    filterBandId(band);
    const BandCurve record = curves.value(band);
    TonalCurve::Interpolation interpolation;
    if (record.interpolation == linearName)
        interpolation = TonalCurve::Linear;
    else if (record.interpolation == gammaName)
        interpolation = TonalCurve::Gamma;
    else if (record.interpolation == splineName)
        interpolation = TonalCurve::Spline;
    else
        throw std::runtime_error(
            QStringLiteral("Unable to access curve data for %0").replace("%0", band).toStdString());

    // The curve is drawn in the box of its end nodes, normalised to [0, 1] for the converter.
    TonalCurve curve(interpolation);
    QPointF first;
    float w = 0, h = 0;
    if (!record.nodes.isEmpty()) {
        first = record.nodes.first();
        const QPointF &last = record.nodes.last();
        w = detail::toFloat(last.x() - first.x());
        h = detail::toFloat(last.y() - first.y());
        const double x0 = detail::toFloat(first.x());
        const double y0 = detail::toFloat(first.y());
        for (const QPointF &node : record.nodes)
            curve.addNode(detail::clampUnit((node.x() - x0) / w),
                          detail::clampUnit((node.y() - y0) / h));
    }
    TonalCurveConverter converter;
    const std::vector<float> &table = converter.getLUT(curve, samples);

    const int n = int(table.size());
    out.clear();
    out.reserve(n);
    out << first;
    for (int i = 1; i < n; ++i) {
        const float ratio = float(i) / float(n - 1);
        out << QPointF(first.x() + double(ratio * w),
                       first.y() + double(table[std::size_t(i)] * h));
    }
}

float CurveEditor::distancePointToCurve(const QPointF &point, QString band) const
{
    QPolygonF line;
    try {
        getCurveLookupTable(line, band, 300);
    } catch (const std::exception &) {
        // A curve that cannot be drawn cannot be hit.
        return float(maxDn);
    }
    if (line.isEmpty())
        return float(maxDn);
    double best = maxDn;
    for (int i = 0; i + 1 < line.size(); ++i) {
        const QPointF a = line[i];
        const QPointF b = line[i + 1];
        const QPointF ab = b - a;
        const double length = std::hypot(ab.x(), ab.y());
        if (!(length > 0))
            continue;
        if (QPointF::dotProduct(point - a, ab) < 0 || QPointF::dotProduct(point - b, a - b) < 0)
            continue;
        const double d =
            std::fabs((point.x() - a.x()) * ab.y() - (point.y() - a.y()) * ab.x()) / length;
        best = std::min(best, d);
    }
    return detail::toFloat(best);
}

bool CurveEditor::isEditedNodeSet() const
{
    const auto it = curves.constFind(editedBandId);
    return it != curves.constEnd() && editedNodeIndex >= 0 && editedNodeIndex < it->nodes.size();
}

QPointF *CurveEditor::editedNodePtr()
{
    if (!isEditedNodeSet())
        return nullptr;
    return &curves[editedBandId].nodes[editedNodeIndex];
}

QString CurveEditor::editedBand() const
{
    return editedBandId;
}

int CurveEditor::editedIndex() const
{
    return editedNodeIndex;
}

void CurveEditor::removeNodeFocus()
{
    editedBandId.clear();
    editedNodeIndex = -1;
}

bool CurveEditor::removeEditedNode()
{
    if (!isEditedNodeSet())
        return false;
    const QString band = editedBandId;
    const int index = editedNodeIndex;
    QPolygonF &nodes = curves[band].nodes;
    const int count = nodes.size();
    removeNodeFocus();
    if (index <= 0 || index >= count - 1 || count <= 3)
        return false;
    nodes.remove(index);
    if (band == allBands) {
        for (auto other = curves.begin(); other != curves.end(); ++other) {
            if (other.key() != allBands && other->nodes.size() == count)
                other->nodes.remove(index);
        }
    }
    return true;
}

QPointF *CurveEditor::editedNode(QString band, QPointF point, float tolerance)
{
    if (isEditedNodeSet()) {
        const QPointF focused = *editedNodePtr();
        const auto it = curves.find(band);
        if (it != curves.end() && it->nodes.size() > 3) {
            bool passed = false;
            for (int i = 1; i < it->nodes.size() - 1; ++i) {
                const QPointF node = it->nodes[i];
                if (samePoint(node, focused)) {
                    passed = true;
                    continue;
                }
                if (!(distance(node, focused) < tolerance))
                    continue;
                const int countBefore = it->nodes.size();
                it->nodes.remove(i);
                if (band == allBands) {
                    for (auto other = curves.begin(); other != curves.end(); ++other) {
                        if (other.key() != allBands && other->nodes.size() == countBefore)
                            other->nodes.remove(i);
                    }
                }
                editedBandId = band;
                editedNodeIndex = passed ? i - 1 : i;
                break;
            }
        }
        return editedNodePtr();
    }

    if (samePoint(point, QPointF(-1, -1)))
        return nullptr;
    if (band.isEmpty())
        band = allBands;
    if (!curves.contains(band)) {
        const BandCurve all = curves.value(allBands);
        specifyCurve(band, all.nodes, all.interpolation, false);
    }

    const QPolygonF &nodes = curves[band].nodes;
    for (int i = 0; i < nodes.size(); ++i) {
        if (distance(nodes[i], point) < tolerance) {
            editedBandId = band;
            editedNodeIndex = i;
            return editedNodePtr();
        }
    }
    if (curves[band].interpolation != gammaName && distancePointToCurve(point, band) < tolerance) {
        if (QPointF *inserted = insertNode(point, band))
            return inserted;
    }
    // The band was given a copy of "All" only to be picked on.
    if (band != allBands && !hasSpecificCorrection(band))
        removeCurve(band);
    return nullptr;
}

QPointF *CurveEditor::insertNode(const QPointF &point, QString band)
{
    filterBandId(band);
    const auto it = curves.find(band);
    if (it == curves.end() || it->nodes.size() < 2)
        return nullptr;
    QPolygonF &nodes = it->nodes;
    if (!QRectF(nodes.first(), nodes.last()).contains(point))
        return nullptr;
    int segment = -1;
    for (int i = 0; i + 1 < nodes.size(); ++i) {
        if (nodes[i].x() < point.x() && point.x() < nodes[i + 1].x()) {
            segment = i;
            break;
        }
    }
    if (segment < 0)
        return nullptr;
    nodes.insert(segment + 1, point);

    if (band == allBands) {
        // Bands that match "All" node for node get a node at the same place on their own
        // segment, at the same fractions of it.
        const QPointF a = nodes[segment];
        const QPointF c = nodes[segment + 2];
        const double fx = (point.x() - a.x()) / (c.x() - a.x());
        // A flat segment of "All" gives no vertical fraction: keep the horizontal one.
        const double fy = c.y() != a.y() ? (point.y() - a.y()) / (c.y() - a.y()) : fx;
        for (auto other = curves.begin(); other != curves.end(); ++other) {
            if (other.key() == allBands || other->nodes.size() != nodes.size() - 1)
                continue;
            QPolygonF &b = other->nodes;
            const QPointF b0 = b[segment];
            const QPointF b1 = b[segment + 1];
            b.insert(segment + 1,
                     QPointF(b0.x() + (b1.x() - b0.x()) * fx, b0.y() + (b1.y() - b0.y()) * fy));
        }
    }
    editedBandId = band;
    editedNodeIndex = segment + 1;
    return editedNodePtr();
}

void CurveEditor::moveEditedNode(const QPointF &point)
{
    if (!isEditedNodeSet())
        return;
    const QString band = editedBandId;
    QPolygonF &nodes = curves[band].nodes;
    const QPolygonF before = nodes;
    const QPointF first = nodes.first();
    const QPointF last = nodes.last();
    const int count = nodes.size();
    QPointF &node = nodes[editedNodeIndex];

    if (samePoint(node, first)) {
        // The black point moves along the input axis only.
        const float upper =
            (count == 3 ? detail::toFloat(nodes[1].x()) : detail::toFloat(last.x())) - limitBuffer;
        float x = std::min(detail::toFloat(point.x()), upper);
        if (!(x > 0.0f))
            x = 0.0f;
        node.setX(double(x));
    } else if (samePoint(node, last)) {
        // So does the white point.
        const float lower =
            (count == 3 ? detail::toFloat(nodes[1].x()) : detail::toFloat(first.x())) + limitBuffer;
        float x = std::max(detail::toFloat(point.x()), lower);
        x = std::min(x, detail::toFloat(maxDn));
        node.setX(double(x));
    } else {
        const double limit = limitBuffer;
        node.setX(std::max(std::min(point.x(), last.x() - limit), first.x() + limit));
        node.setY(std::max(std::min(point.y(), last.y() - limit), first.y() + limit));
    }

    if (band == allBands && before != nodes) {
        QPolygonF after = nodes;
        QPolygonF old = before;
        applyMovementToSpecificBands(old, after);
    }
    checkAndFixCurve(band);
}

void CurveEditor::checkAndFixCurve(const QString &band)
{
    const auto it = curves.find(band);
    if (it == curves.end())
        return;
    QPolygonF &nodes = it->nodes;
    int i = 0;
    while (i + 1 < nodes.size()) {
        if (nodes.size() <= 3 || nodes[i].x() < nodes[i + 1].x()) {
            ++i;
            continue;
        }
        // The black point stays; its neighbour goes instead.
        const int removed = i == 0 ? 1 : i;
        nodes.remove(removed);
        if (band == allBands) {
            for (auto other = curves.begin(); other != curves.end(); ++other) {
                if (other.key() != allBands && other->nodes.size() == nodes.size() + 1)
                    other->nodes.remove(removed);
            }
        }
        if (editedBandId == band && removed < editedNodeIndex)
            --editedNodeIndex;
        // The same pair is looked at again: it now holds the node after the removed one.
    }
}

void CurveEditor::applyGamma(double gamma, QString band)
{
    filterBandId(band);
    const auto it = curves.find(band);
    if (it == curves.end() || it->interpolation != gammaName || it->nodes.size() != 3)
        return;
    QPolygonF &nodes = it->nodes;
    const QPointF first = nodes.first();
    const double w = nodes.last().x() - first.x();
    if (!(w >= limitBuffer))
        return;
    QPointF &middle = nodes[1];
    middle.setX(first.x() + 0.5 * w);
    const double base = (middle.x() - first.x()) / w;
    const float v = detail::toFloat(std::pow(base, gamma) * double(detail::toFloat(maxDn)));
    float y = v > limitBuffer ? v : limitBuffer;
    if (y > detail::toFloat(maxDn) - limitBuffer)
        y = detail::toFloat(maxDn) - limitBuffer;
    middle.setY(double(y));
}

double CurveEditor::getGamma(QString band) const
{
    filterBandId(band);
    const BandCurve &record = curves.contains(band) ? *curves.constFind(band) : emptyRecord();
    if (record.interpolation != gammaName || record.nodes.size() != 3)
        return 1.0;
    const QPointF first = record.nodes[0];
    const QPointF middle = record.nodes[1];
    const QPointF last = record.nodes[2];
    if (!QRectF(first, last).contains(middle) || !(last.x() > first.x()) || !(last.y() > first.y()))
        return 1.0;
    const float w = detail::toFloat(last.x() - first.x());
    const float h = detail::toFloat(last.y() - first.y());
    const float rx = detail::toFloat((middle.x() - first.x()) / w);
    const float ry = detail::toFloat((middle.y() - first.y()) / h);
    return double(std::log(ry) / std::log(rx));
}

double CurveEditor::getNirScaling() const
{
    if (!curves.contains(QStringLiteral("Infrared")))
        return 1.0;
    const double red = width(*getNodes(QStringLiteral("Red")));
    const double green = width(*getNodes(QStringLiteral("Green")));
    const double blue = width(*getNodes(QStringLiteral("Blue")));
    const double infrared = width(*getNodes(QStringLiteral("Infrared")));
    return ((green + red) + blue) * (1.0 / 3.0) / infrared;
}

void CurveEditor::setNirScaling(double scaling)
{
    const QString infrared = QStringLiteral("Infrared");
    if (scaling == 1.0) {
        removeCurve(infrared);
        return;
    }
    const double factor = scaling / getNirScaling();
    QPolygonF nodes = *getNodes(infrared);
    for (QPointF &node : nodes)
        node.setX(node.x() / factor);
    specifyCurve(infrared, nodes, getInterpolationMethod(infrared), false);
}

void CurveEditor::checkAndMergeDuplicates()
{
    const QStringList ids = curves.keys();
    QSet<QString> same;
    for (const QString &a : ids) {
        if (a == allBands)
            continue;
        for (const QString &b : ids) {
            if (b == a)
                continue;
            if (b == allBands) {
                if (!areDifferent(a, allBands))
                    same << a;
            } else if (!areDifferent(a, b)) {
                same << a << b;
            }
        }
    }
    if (same.isEmpty())
        return;
    // "All" takes the curve that several bands share; bands that match "All" leave it as it is.
    // Taking the first such band in id order (rather than in hash order) keeps the result the
    // same from one run to the next.
    QString source;
    for (const QString &id : ids) {
        if (same.contains(id) && areDifferent(id, allBands)) {
            source = id;
            break;
        }
    }
    if (source.isEmpty())
        source = *std::min_element(same.begin(), same.end());
    const BandCurve shared = curves.value(source);
    specifyCurve(allBands, shared.nodes, shared.interpolation, false);
    for (const QString &id : ids) {
        if (same.contains(id))
            removeCurve(id);
    }
}

void CurveEditor::applyMovementToSpecificBands(QPolygonF &before, QPolygonF &after)
{
    if (before.size() != after.size() || before.isEmpty())
        throw std::runtime_error("Unable to apply movement to mono bands");

    const QString name = curves.value(allBands).interpolation;
    const TonalCurve::Interpolation interpolation = name == linearName ? TonalCurve::Linear
        : name == gammaName                                            ? TonalCurve::Gamma
                                                                       : TonalCurve::Spline;
    const double scale = 1.0 / maxDn;
    TonalCurve curveBefore(interpolation);
    TonalCurve curveAfter(interpolation);
    for (int i = 0; i < before.size(); ++i) {
        curveBefore.addNode(detail::toFloat(before[i].x() * scale),
                            detail::toFloat(before[i].y() * scale));
        curveAfter.addNode(detail::toFloat(after[i].x() * scale),
                           detail::toFloat(after[i].y() * scale));
    }
    TonalCurveConverter converter;
    const std::vector<float> t0 = converter.getLUT(curveBefore, 64);
    const std::vector<float> t1 = converter.getLUT(curveAfter, 64);
    const int step = maxDn / 64;
    const double perStep = 1.0 / step;
    const float levels = detail::toFloat(maxDn);

    const QPointF &firstAfter = after.first();
    const QPointF &lastAfter = after.last();
    const double limit = limitBuffer;
    const double dFirst = firstAfter.x() - before.first().x();
    const double dLast = lastAfter.x() - before.last().x();

    for (auto it = curves.begin(); it != curves.end(); ++it) {
        if (it.key() == allBands)
            continue;
        QPolygonF &k = it->nodes;
        const int count = k.size();
        for (int i = 0; i < count; ++i) {
            QPointF &node = k[i];
            if (i == count - 1) {
                // Node 1 has already moved in this pass; a two-node band keeps its distance to
                // the black point.
                float x = detail::toFloat(node.x() + dLast);
                x = std::min(x, levels);
                if (count > 1) {
                    const QPointF &s = count > 2 ? k[1] : k[0];
                    x = std::max(x, detail::toFloat(s.x()) + limitBuffer);
                }
                node.setX(double(x));
            } else if (i == 0) {
                double x = node.x() + dFirst;
                x = std::min(x, k[1].x() - limit);
                x = std::max(x, 0.0);
                node.setX(x);
            } else if (count == before.size()) {
                node += after[i] - before[i];
                node.setX(
                    std::max(std::min(node.x(), lastAfter.x() - limit), firstAfter.x() + limit));
                node.setY(
                    std::max(std::min(node.y(), lastAfter.y() - limit), firstAfter.y() + limit));
            } else {
                // Follow the change of the "All" output at this node's own input level.
                const double position = node.x() * perStep;
                const int j = position > 0 ? std::min(63, truncateToInt(position)) : 0;
                const float change = levels * t1[std::size_t(j)] - levels * t0[std::size_t(j)];
                double y = node.y() + double(change);
                y = std::max(std::min(y, lastAfter.y() - limit), firstAfter.y() + limit);
                node.setY(y);
            }
        }
    }
}

} // namespace util
