#pragma once

#include "util/UtilExport.h"

#include <QMap>
#include <QPointF>
#include <QPolygonF>
#include <QString>
#include <QStringList>
#include <QVector>

class QwtPlot;
class QwtPlotCurve;

namespace util {

class TonalCurve;

/// One band's curve in a CurveEditor.
struct UTIL_EXPORT BandCurve
{
    /// "Linear", "Spline" or "Gamma".
    QString interpolation;
    /// The nodes in ascending input level, both coordinates in levels [0, maxDn].
    QPolygonF nodes;
    /// The plot curve that draws this band; created, and owned, by the editor.
    QwtPlotCurve *plot = nullptr;
};

/// The model behind the interactive tonal-curve editor: one curve for all bands ("All") and,
/// where a band needs its own correction, a band-specific curve. A band without a curve of its
/// own follows "All". Coordinates are image levels from 0 to maxDn (65536 by default) on both
/// axes. The editor enforces the editing rules: which nodes may move where, at least
/// limitBuffer levels between an end node and its neighbour, nodes in ascending order; it
/// carries edits of "All" over to the band-specific curves and folds band curves that became
/// identical back into "All".
///
/// Band ids are free strings; most operations resolve the id they are given: an empty id, or an
/// id without a curve of its own, stands for "All". Infrared scaling names "Red", "Green",
/// "Blue" and "Infrared".
///
/// Plot curves. Each band's curve has a QwtPlotCurve, titled with the band id, that the editor
/// creates; the editor never sets its data (getCurveLookupTable gives the polyline to draw).
/// Copies of an editor share the same plot curve objects, which are reference counted: a plot
/// curve is deleted when the last editor holding it lets it go (removeCurve, clearCurves,
/// assignment or destruction). A pointer from recoverPlot stays valid while an editor holds the
/// curve. A QwtPlot deletes the items attached to it when it is destroyed: call detachAll()
/// before destroying a plot the curves are attached to (or switch its autoDelete off).
class UTIL_EXPORT CurveEditor
{
public:
    /// Smallest distance in levels kept between an end node and its neighbour, and between the
    /// end nodes and the inner nodes.
    static const float limitBuffer;

    /// maxDn 65536, no focus, and the default "All" curve: Linear through (0, 0),
    /// (maxDn/2, maxDn/2), (maxDn, maxDn).
    CurveEditor();
    CurveEditor(const CurveEditor &other);
    CurveEditor &operator=(const CurveEditor &other);
    ~CurveEditor();

    /// Sets the maximum level; stored curves are not rescaled (set it before clearCurves or
    /// before setting curves).
    void setMaxDn(int maxDn);
    int getMaxDn() const;

    /// The resolved band's nodes; valid until the store changes.
    const QPolygonF *getNodes(QString band) const;
    /// Input level of the resolved band's first / last node, truncated to int.
    int getMin(QString band) const;
    int getMax(QString band) const;
    QString getInterpolationMethod(QString band) const;

    /// Switches a band to another interpolation ("All" switches every band). A band without a
    /// correction of its own gets one first. To "Gamma" the nodes become the first, second and
    /// last node; from "Gamma" the current gamma curve sampled at 7 points. An empty band id does
    /// nothing. Lookup-table errors of a gamma curve that cannot be sampled pass through.
    void changeInterpolationMethod(const QString &method, QString band);

    /// Sets a band's curve from level-space nodes (an empty id is "All"; an id without a curve
    /// gets one). With merge, band curves that became identical fold into "All".
    void specifyCurve(QString band, const QPolygonF &nodes, const QString &interpolation,
                      bool merge);
    /// Sets a band's curve from a normalised TonalCurve: leading nodes at output 0 collapse to the
    /// black point, trailing nodes at output 1 to the white point, and both coordinates are
    /// scaled by maxDn.
    void specifyCurve(QString band, const TonalCurve &curve, bool merge);

    /// Removes a band's own curve (exact id) and lets its plot curve go.
    void removeCurve(const QString &band);
    /// Lets every plot curve go, empties the store and sets the default "All" curve again.
    void clearCurves();

    /// The band ids that have a curve of their own ("All" among them), in band id order.
    QStringList getBandIds() const;

    /// True when the band has a curve of its own that differs from "All".
    bool hasSpecificCorrection(QString band) const;

    /// Attach to (or detach from) the plot each plot curve whose data holds at least 2 points.
    void attachAll(QwtPlot *plot);
    void detachAll();
    /// The resolved band's plot curve.
    QwtPlotCurve *recoverPlot(QString band) const;
    /// Every plot curve, in band id order.
    QVector<QwtPlotCurve *> recoverAllPlots() const;

    /// The resolved band's curve as a level-space polyline of samples points: the first node,
    /// then the lookup table scaled into the box of the first and last node. Throws
    /// std::runtime_error "Unable to access curve data for <band>" for an unknown interpolation
    /// name; the lookup-table errors pass through.
    void getCurveLookupTable(QPolygonF &out, QString band, int samples) const;

    /// Mouse press on the curve: with a node focused, removes the first other inner node of the
    /// band closer than tolerance to it (merging the two) and returns the focused node. Otherwise
    /// focuses the first node closer than tolerance to point, or inserts a node at point when the
    /// curve (not "Gamma") passes closer than tolerance; returns the focused node or null. The
    /// point (-1, -1) only merges. The pointer is valid until that band's nodes change.
    QPointF *editedNode(QString band, QPointF point, float tolerance);
    /// Drags the focused node to point within the editing limits: the end nodes move only along
    /// the input axis and keep limitBuffer from their neighbours, inner nodes stay limitBuffer
    /// inside the end nodes; nodes dragged past a neighbour are then removed to keep the order.
    /// A change of "All" moves the band-specific curves along.
    void moveEditedNode(const QPointF &point);
    void removeNodeFocus();
    /// Removes the focused node when it is an inner node of a curve of more than three nodes
    /// (the end nodes stay, and a curve keeps three nodes as the editing rules do); the focus
    /// goes. A node of "All" goes from the band-specific curves that follow "All" node for node
    /// too. False when nothing was removed.
    bool removeEditedNode();
    /// The focused node's band and index (empty and -1 without focus).
    QString editedBand() const;
    int editedIndex() const;

    /// Places the middle node of a 3-node "Gamma" curve (at least limitBuffer wide) so that the
    /// curve has this exponent; other curves are left alone.
    void applyGamma(double gamma, QString band);
    /// The exponent of a 3-node "Gamma" curve; 1.0 otherwise.
    double getGamma(QString band) const;
    /// Mean input range of Red, Green and Blue over the input range of Infrared; 1.0 without an
    /// "Infrared" curve of its own.
    double getNirScaling() const;
    /// Rescales the infrared input range to reach the ratio; 1.0 removes the "Infrared" curve.
    void setNirScaling(double scaling);

private:
    void initData(const QString &band);
    QPointF *insertNode(const QPointF &point, QString band);
    float distancePointToCurve(const QPointF &point, QString band) const;
    bool isEditedNodeSet() const;
    QPointF *editedNodePtr();
    void checkAndFixCurve(const QString &band);
    void fitNewCurve(const QString &method, const QString &band);
    void filterBandId(QString &band) const;
    bool areDifferent(const QString &a, const QString &b) const;
    void checkAndMergeDuplicates();
    void applyMovementToSpecificBands(QPolygonF &before, QPolygonF &after);

    QMap<QString, BandCurve> curves;
    QString editedBandId;
    int editedNodeIndex;
    int maxDn;
};

} // namespace util
