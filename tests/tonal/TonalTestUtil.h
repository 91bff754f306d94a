#pragma once

#include "tests/common/TestUtil.h"
#include "util/tonal/TonalCurve.h"

#include <QPolygonF>
#include <QStringList>

#include <initializer_list>
#include <utility>

namespace quortest {

inline util::TonalCurve makeCurve(util::TonalCurve::Interpolation interpolation,
                                  std::initializer_list<std::pair<double, double>> nodes)
{
    util::TonalCurve curve(interpolation);
    for (const auto &node : nodes)
        curve.addNode(node.first, node.second);
    return curve;
}

/// Nodes written "x,y x,y ..." (C-locale numbers).
inline util::TonalCurve parseCurve(const QString &interpolation, const QString &nodes)
{
    util::TonalCurve curve;
    curve.setInterpolationString(interpolation);
    for (const QString &node : nodes.split(' ', Qt::SkipEmptyParts))
        curve.addNode(node.section(',', 0, 0).toDouble(), node.section(',', 1, 1).toDouble());
    return curve;
}

/// Nodes in levels written "x,y x,y ..." (C-locale numbers), and back with every digit.
inline QPolygonF nodesOf(const QString &text)
{
    QPolygonF nodes;
    for (const QString &node : text.split(' ', Qt::SkipEmptyParts))
        nodes << QPointF(node.section(',', 0, 0).toDouble(), node.section(',', 1, 1).toDouble());
    return nodes;
}

inline QString textOf(const QPolygonF &nodes)
{
    QStringList parts;
    for (const QPointF &p : nodes)
        parts << QString::number(p.x(), 'g', 17) + ',' + QString::number(p.y(), 'g', 17);
    return parts.join(' ');
}

} // namespace quortest
