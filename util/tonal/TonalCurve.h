#pragma once

#include "util/UtilExport.h"

#include <QPointF>
#include <QString>
#include <QVector>

class QDomElement;

namespace util {

/// A tonal correction: nodes (input level, output level) in curve order and the way to
/// interpolate between them. Levels are normalised: 0 is black, 1 the image's maximum level.
///
/// The curve enforces no order, range or uniqueness on its nodes; whoever builds it sorts them,
/// and TonalCurveConverter assumes ascending input levels.
///
/// Stored in XML as one element:
///   <Corrector position="N" id="TonalCurve" interpolation="Linear|Spline|Gamma" version="1.0">
///     <Node x="..." y="..." position="0"/> ...
///   </Corrector>
class UTIL_EXPORT TonalCurve
{
public:
    /// Fixed to int so that any value a caller stores is a valid one (read back as Gamma's name).
    enum Interpolation : int { Linear = 0, Spline = 1, Gamma = 2 };

    /// An empty curve with the given interpolation.
    TonalCurve(Interpolation interpolation = Linear);
    /// Reads a "Corrector" element. With validate, the element is first checked against the
    /// installation's "tonalcurve.xsd". Throws std::runtime_error:
    ///  - "Not a valid TonalCurve dom element" when validation fails ("Invalid schema file: ..."
    ///    passes through when the schema cannot be loaded);
    ///  - "Unknown interpolation" unless "interpolation" is exactly Linear, Spline or Gamma;
    ///  - "TonalCurve: Duplicate point found" when two "Node" descendants share a position.
    /// Nodes are ordered by their "position" attribute (absent or not a number reads as 0);
    /// x and y that are absent or not numbers read as 0.
    TonalCurve(const QDomElement &element, bool validate);
    TonalCurve(const TonalCurve &other);
    TonalCurve &operator=(const TonalCurve &other);
    ~TonalCurve();

    /// Appends (x, y) at the end: no sorting, no duplicate check.
    void addNode(double x, double y);
    /// Removes every node; the interpolation stays.
    void clearNodes();
    const QVector<QPointF> &getNodes() const;

    Interpolation getInterpolation() const;
    /// Stores any value unchanged.
    void setInterpolation(Interpolation interpolation);
    /// "Linear" for 0, "Spline" for 1, "Gamma" for any other value.
    QString getInterpolationString() const;
    /// Exact, case-sensitive "Linear", "Spline" or "Gamma"; anything else throws
    /// std::runtime_error "Unknown interpolation" and leaves the curve unchanged.
    void setInterpolationString(const QString &interpolation);

    /// Writes the curve as the last child of parent, a "Corrector" element with the given
    /// position attribute.
    void appendTo(QDomElement &parent, int position) const;

    /// Same nodes in the same order (QPointF equality) and the same interpolation.
    bool operator==(const TonalCurve &other) const;
    bool operator!=(const TonalCurve &other) const;

private:
    QVector<QPointF> nodes;
    Interpolation interpolation;
};

} // namespace util
