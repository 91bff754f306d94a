#pragma once

// Internal: how the curve editor maps image samples through a curve, shared by the preview and
// the histogram drawn behind the curves.

#include "util/TestSeam_p.h"

#include <QString>
#include <QVector>

namespace util {

class CurveEditor;

namespace detail {

/// The band's curve (resolved as the editor resolves it) as a table of maxValue + 1 display
/// levels 0..255: sample v sits at input level v * maxDn / maxValue; outside the curve's end
/// nodes the output of the nearer end node holds. The curve is sampled once, at up to 1024
/// points, and the table filled by linear interpolation between them.
UTIL_TEST_SEAM QVector<unsigned char> displayTable(const CurveEditor &editor, const QString &band,
                                                   int maxValue);

} // namespace detail
} // namespace util
