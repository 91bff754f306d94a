#pragma once

/// \file
/// The model behind the tonal-curve editor: a curve for all bands, band-specific curves, and
/// the rules by which they are edited.
/// \ingroup tonal

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
/// \ingroup tonal
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
/// \ingroup tonal
class UTIL_EXPORT CurveEditor
{
public:
    /// Smallest distance in levels kept between an end node and its neighbour, and between the
    /// end nodes and the inner nodes.
    static const float limitBuffer;

    /// maxDn 65536, no focus, and the default "All" curve: Linear through (0, 0),
    /// (maxDn/2, maxDn/2), (maxDn, maxDn).
    CurveEditor();
    /// A copy of other's curves, focus and maxDn, sharing other's plot curves.
    /// \param other the editor copied.
    CurveEditor(const CurveEditor &other);
    /// Makes this editor a copy of other, sharing its plot curves; the plot curves this editor
    /// held are let go.
    /// \param other the editor copied.
    /// \return this editor.
    CurveEditor &operator=(const CurveEditor &other);
    /// Lets every plot curve go (each is deleted when no other editor holds it).
    ~CurveEditor();

    /// Sets the maximum level; stored curves are not rescaled (set it before clearCurves or
    /// before setting curves).
    /// \param maxDn the level at the top of both axes.
    void setMaxDn(int maxDn);
    /// The maximum level.
    /// \return the level at the top of both axes (65536 unless set).
    int getMaxDn() const;

    /// The resolved band's nodes; valid until the store changes.
    /// \param band the band id.
    /// \return the nodes in levels; never null (empty when there is no curve to resolve to).
    const QPolygonF *getNodes(QString band) const;
    /// Input level of the resolved band's first node, truncated to int.
    /// \param band the band id.
    /// \return the level, or 0 when the curve has no node.
    int getMin(QString band) const;
    /// Input level of the resolved band's last node, truncated to int.
    /// \param band the band id.
    /// \return the level, or 0 when the curve has no node.
    int getMax(QString band) const;
    /// The resolved band's interpolation.
    /// \param band the band id.
    /// \return "Linear", "Spline" or "Gamma", as the curve was given it.
    QString getInterpolationMethod(QString band) const;

    /// Switches a band to another interpolation ("All" switches every band). A band without a
    /// correction of its own gets one first. To "Gamma" the nodes become the first, second and
    /// last node; from "Gamma" the current gamma curve sampled at 7 points. An empty band id does
    /// nothing. Lookup-table errors of a gamma curve that cannot be sampled pass through.
    /// \param method "Linear", "Spline" or "Gamma".
    /// \param band the band id (not resolved: "All", or a band that gets a curve of its own).
    void changeInterpolationMethod(const QString &method, QString band);

    /// Sets a band's curve from level-space nodes (an empty id is "All"; an id without a curve
    /// gets one). With merge, band curves that became identical fold into "All".
    /// \param band the band id.
    /// \param nodes the nodes in levels, in ascending input level.
    /// \param interpolation "Linear", "Spline" or "Gamma".
    /// \param merge whether to fold identical band curves into "All" (not done when band is
    ///        "All").
    void specifyCurve(QString band, const QPolygonF &nodes, const QString &interpolation,
                      bool merge);
    /// Sets a band's curve from a normalised TonalCurve: leading nodes at output 0 collapse to the
    /// black point, trailing nodes at output 1 to the white point, and both coordinates are
    /// scaled by maxDn.
    /// \param band the band id, as for the other form.
    /// \param curve the curve, levels in [0, 1].
    /// \param merge as for the other form.
    void specifyCurve(QString band, const TonalCurve &curve, bool merge);

    /// Removes a band's own curve (exact id) and lets its plot curve go.
    ///
    /// The plot curve is detached from its plot first, and a focused node of that band loses
    /// the focus. An id without a curve of its own is left alone.
    /// \param band the band id.
    void removeCurve(const QString &band);
    /// Lets every plot curve go, empties the store and sets the default "All" curve again.
    void clearCurves();

    /// The band ids that have a curve of their own ("All" among them), in band id order.
    /// \return the band ids.
    QStringList getBandIds() const;

    /// True when the band has a curve of its own that differs from "All".
    /// \param band the band id (exact, not resolved).
    /// \return whether the band has its own correction.
    bool hasSpecificCorrection(QString band) const;

    /// Attaches to the plot each plot curve whose data holds at least 2 points.
    /// \param plot the plot; null detaches those plot curves instead.
    void attachAll(QwtPlot *plot);
    /// Detaches from its plot each plot curve whose data holds at least 2 points, as
    /// attachAll(nullptr).
    void detachAll();
    /// The resolved band's plot curve.
    /// \param band the band id.
    /// \return the plot curve, owned by the editors that hold it.
    QwtPlotCurve *recoverPlot(QString band) const;
    /// Every plot curve, in band id order.
    /// \return the plot curves, owned by the editors that hold them.
    QVector<QwtPlotCurve *> recoverAllPlots() const;

    /// The resolved band's curve as a level-space polyline of samples points: the first node,
    /// then the lookup table scaled into the box of the first and last node. Throws
    /// std::runtime_error "Unable to access curve data for <band>" for an unknown interpolation
    /// name; the lookup-table errors pass through.
    /// \param[out] out receives the polyline, replacing what it held.
    /// \param band the band id.
    /// \param samples the number of points, as TonalCurveConverter::getLUT takes it.
    void getCurveLookupTable(QPolygonF &out, QString band, int samples) const;

    /// Mouse press on the curve: with a node focused, removes the first other inner node of the
    /// band closer than tolerance to it (merging the two) and returns the focused node. Otherwise
    /// focuses the first node closer than tolerance to point, or inserts a node at point when the
    /// curve (not "Gamma") passes closer than tolerance; returns the focused node or null. The
    /// point (-1, -1) only merges. The pointer is valid until that band's nodes change.
    ///
    /// Without a focus, a band id without a curve of its own (an empty id is "All") is first
    /// given a copy of "All" to pick on; when no node is then focused or inserted, a band curve
    /// that does not differ from "All" is removed again.
    /// \param band the band id.
    /// \param point the pressed point in levels.
    /// \param tolerance the distance in levels within which a node or the curve is hit.
    /// \return the focused node, or null when no node is focused.
    QPointF *editedNode(QString band, QPointF point, float tolerance);
    /// Drags the focused node to point within the editing limits: the end nodes move only along
    /// the input axis and keep limitBuffer from their neighbours, inner nodes stay limitBuffer
    /// inside the end nodes; nodes dragged past a neighbour are then removed to keep the order.
    /// A change of "All" moves the band-specific curves along. Does nothing without a focus.
    /// \param point where the node is dragged to, in levels.
    void moveEditedNode(const QPointF &point);
    /// Lets the focused node go: no node is focused afterwards.
    void removeNodeFocus();
    /// Removes the focused node when it is an inner node of a curve of more than three nodes
    /// (the end nodes stay, and a curve keeps three nodes as the editing rules do); the focus
    /// goes. A node of "All" goes from the band-specific curves that follow "All" node for node
    /// too. False when nothing was removed.
    /// \return true when the node was removed.
    bool removeEditedNode();
    /// The focused node's band.
    /// \return the band id, empty without focus.
    QString editedBand() const;
    /// The focused node's index among its band's nodes.
    /// \return the index, -1 without focus.
    int editedIndex() const;

    /// Places the middle node of a 3-node "Gamma" curve (at least limitBuffer wide) so that the
    /// curve has this exponent; other curves are left alone.
    /// \param gamma the exponent.
    /// \param band the band id (resolved).
    void applyGamma(double gamma, QString band);
    /// The exponent of a 3-node "Gamma" curve; 1.0 otherwise.
    /// \param band the band id (resolved).
    /// \return the exponent, or 1.0.
    double getGamma(QString band) const;
    /// Mean input range of Red, Green and Blue over the input range of Infrared; 1.0 without an
    /// "Infrared" curve of its own.
    /// \return the ratio.
    double getNirScaling() const;
    /// Rescales the infrared input range to reach the ratio; 1.0 removes the "Infrared" curve.
    /// \param scaling the ratio getNirScaling() is to give.
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
