#pragma once

/// \file
/// The converter that samples a tonal curve into a lookup table.
/// \ingroup tonal

#include "util/UtilExport.h"
#include "util/tonal/TonalCurve.h"

#include <vector>

namespace util {

/// Turns a TonalCurve into a lookup table of single-precision output levels sampled at evenly
/// spaced input levels from 0. Remembers the last curve and table: asking again for the same
/// curve and size returns the stored table without work.
///
/// Generators:
///  - Spline: a natural cubic spline through the nodes (QwtSpline), clamped to [0, 1]; with
///    fewer than 3 nodes, or input levels that do not strictly ascend, the spline is refused
///    and the table holds 0 throughout.
///  - Linear: piecewise-linear between nodes in curve order (ascending input levels), without
///    clamping: levels left of the first node extrapolate the first segment.
///  - Gamma: 3 to 5 nodes, of which exactly one lies strictly between the ends pinned at output
///    0 and 1; the table is ((x - low.x) / (high.x - low.x))^gamma clamped in its base, with gamma
///    fitted through that middle node.
///
/// Entries the generators do not reach. The spline and linear generators step the input level
/// by repeated addition and stop once it passes 1 (which rounding can make happen just before
/// the last entry); the linear generator also stops once it passes the last node. Every entry
/// after the stop holds the curve's value at its end, so a table is always complete and never
/// keeps values of an earlier curve:
///  - spline: the clamped spline value at input level 1;
///  - linear: the value at input level min(1, last node's x) on the last segment reached, which
///    is the last node's output when the nodes end at or left of 1 (the curve is held flat).
/// \ingroup tonal
class UTIL_EXPORT TonalCurveConverter
{
public:
    /// An empty Linear curve, an empty table, 65536 samples with step 2^-16.
    TonalCurveConverter();
    /// A copy of other, with its stored curve and table.
    /// \param other the converter copied.
    TonalCurveConverter(const TonalCurveConverter &other);
    /// Makes this converter a copy of other, with its stored curve and table.
    /// \param other the converter copied.
    /// \return this converter.
    TonalCurveConverter &operator=(const TonalCurveConverter &other);
    /// Destroys the converter and its table.
    ~TonalCurveConverter();

    /// The table for curve with samples entries; a negative samples asks for the default
    /// 65536 entries at input levels i/65536. With samples > 1 the entries lie at i/(samples-1),
    /// with 1 the single entry lies at 0. The reference stays valid until the next call on this
    /// converter or its destruction. Throws std::runtime_error:
    ///  - "Need 2 points at minimum for interpolation" for fewer than 2 nodes;
    ///  - "Number of samples must not be 0";
    ///  - for Gamma: "Gamma interpolation only possible between 3 points", "Too many points for
    ///    a gamma interpolation", "Too many points for a gamma interpolation - bad
    ///    configuration", "Internal error - nodes are not meeting gamma preconditions".
    ///
    /// A curve that failed is never taken as stored: asking again runs the generator again.
    /// \param curve the curve sampled.
    /// \param samples the number of entries; negative for the default.
    /// \return the table of output levels, one entry per sample.
    const std::vector<float> &getLUT(const TonalCurve &curve, int samples);

private:
    void generateSplineLUT();
    void generateLinearLUT();
    void generateGammaLUT();

    TonalCurve curve;
    std::vector<float> table;
    int samples;
    double step;
};

} // namespace util
