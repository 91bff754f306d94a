#pragma once

/// \file
/// The tonal curve: its nodes, its interpolation and its XML form.
/// \ingroup tonal

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
/// \code{.xml}
/// <Corrector position="N" id="TonalCurve" interpolation="Linear|Spline|Gamma" version="1.0">
///   <Node x="..." y="..." position="0"/> ...
/// </Corrector>
/// \endcode
/// \ingroup tonal
class UTIL_EXPORT TonalCurve
{
public:
    /// How the curve runs between its nodes.
    ///
    /// Fixed to int so that any value a caller stores is a valid one (read back as Gamma's name).
    enum Interpolation : int {
        Linear = 0, ///< Straight segments from node to node.
        Spline = 1, ///< A natural cubic spline through the nodes.
        Gamma = 2 ///< A power curve through the one node between the black and white points.
    };

    /// An empty curve with the given interpolation.
    /// \param interpolation how the curve will run between its nodes.
    TonalCurve(Interpolation interpolation = Linear);
    /// Reads a "Corrector" element. With validate, the element is first checked against the
    /// installation's "tonalcurve.xsd". Throws std::runtime_error:
    ///  - "Not a valid TonalCurve dom element" when validation fails ("Invalid schema file: ..."
    ///    passes through when the schema cannot be loaded);
    ///  - "Unknown interpolation" unless "interpolation" is exactly Linear, Spline or Gamma;
    ///  - "TonalCurve: Duplicate point found" when two "Node" descendants share a position.
    ///
    /// Nodes are ordered by their "position" attribute (absent or not a number reads as 0);
    /// x and y that are absent or not numbers read as 0.
    /// \param element the "Corrector" element.
    /// \param validate whether to check the element against the schema first.
    TonalCurve(const QDomElement &element, bool validate);
    /// A copy of other.
    /// \param other the curve copied.
    TonalCurve(const TonalCurve &other);
    /// Makes this curve a copy of other.
    /// \param other the curve copied.
    /// \return this curve.
    TonalCurve &operator=(const TonalCurve &other);
    /// Destroys the curve.
    ~TonalCurve();

    /// Appends (x, y) at the end: no sorting, no duplicate check.
    /// \param x the node's input level.
    /// \param y the node's output level.
    void addNode(double x, double y);
    /// Removes every node; the interpolation stays.
    void clearNodes();
    /// The nodes as (input level, output level), in curve order.
    /// \return the nodes; the reference stays valid as long as the curve does.
    const QVector<QPointF> &getNodes() const;

    /// The interpolation, as stored.
    /// \return the interpolation, whatever value was set.
    Interpolation getInterpolation() const;
    /// Stores any value unchanged.
    /// \param interpolation the interpolation to use.
    void setInterpolation(Interpolation interpolation);
    /// "Linear" for 0, "Spline" for 1, "Gamma" for any other value.
    /// \return the interpolation's name, as the XML form writes it.
    QString getInterpolationString() const;
    /// Exact, case-sensitive "Linear", "Spline" or "Gamma"; anything else throws
    /// std::runtime_error "Unknown interpolation" and leaves the curve unchanged.
    /// \param interpolation the interpolation's name.
    void setInterpolationString(const QString &interpolation);

    /// Writes the curve as the last child of parent, a "Corrector" element with the given
    /// position attribute.
    ///
    /// The nodes are written in curve order, their own "position" attributes counting from 0.
    /// \param parent the element that receives the curve.
    /// \param position the "position" attribute of the "Corrector" element.
    void appendTo(QDomElement &parent, int position) const;

    /// Same nodes in the same order (QPointF equality) and the same interpolation.
    /// \param other the curve compared with.
    /// \return true when the two curves are equal.
    bool operator==(const TonalCurve &other) const;
    /// The negation of operator==().
    /// \param other the curve compared with.
    /// \return true when the nodes, their order or the interpolation differ.
    bool operator!=(const TonalCurve &other) const;

private:
    QVector<QPointF> nodes;
    Interpolation interpolation;
};

} // namespace util
