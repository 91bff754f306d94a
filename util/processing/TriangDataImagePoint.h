#pragma once

/// \file
/// One image measurement of a named object point, carried through triangulation.
/// \ingroup processing

#include "util/UtilExport.h"

#include "geo/ImagePoint.h"

#include <cstdint>
#include <string>

/// One image measurement of a named object point, carried through triangulation. The
/// adjustment writes its correction into correctionX and correctionY; adjusted() gives the
/// measurement with the correction added.
///
/// A plain value: copies and assignment go member by member, and the class computes nothing
/// beyond that addition.
/// \ingroup processing
class UTIL_EXPORT TriangDataImagePoint
{
public:
    /// Copies the measurement and the flags; both corrections are 0.
    /// \param point the measured image point
    /// \param pointName the name of the object point the measurement belongs to
    /// \param firstFlag the first flag
    /// \param secondFlag the second flag
    TriangDataImagePoint(const geo::ImagePoint &point, const std::string &pointName,
                         const bool &firstFlag, bool secondFlag);

    /// The image point with x and y moved by the correction; identifier, values and flag as
    /// measured.
    /// \return the adjusted image point; the stored measurement does not change
    geo::ImagePoint adjusted() const;

    std::string pointName; ///< the object point the measurement belongs to
    double x; ///< image x, as measured
    double y; ///< image y, as measured
    std::string imagePointId; ///< the image point's identifier
    std::int64_t imagePointValue1; ///< the image point's first value, carried unchanged
    std::int64_t imagePointValue2; ///< the image point's second value, carried unchanged
    bool imagePointFlag; ///< the image point's flag
    double correctionX = 0.0; ///< added to x by adjusted(); written by the adjustment
    double correctionY = 0.0; ///< added to y by adjusted(); written by the adjustment
    bool firstFlag; ///< the constructor's first flag
    bool secondFlag; ///< the constructor's second flag
};
