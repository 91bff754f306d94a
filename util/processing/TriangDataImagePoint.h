#pragma once

#include "util/UtilExport.h"

#include "geo/ImagePoint.h"

#include <cstdint>
#include <string>

/// One image measurement of a named object point, carried through triangulation. The
/// adjustment writes its correction into correctionX and correctionY; adjusted() gives the
/// measurement with the correction added.
class UTIL_EXPORT TriangDataImagePoint
{
public:
    TriangDataImagePoint(const geo::ImagePoint &point, const std::string &pointName,
                         const bool &firstFlag, bool secondFlag);

    /// The image point with x and y moved by the correction; identifier, values and flag as
    /// measured.
    geo::ImagePoint adjusted() const;

    std::string pointName;
    double x;
    double y;
    std::string imagePointId;
    std::int64_t imagePointValue1;
    std::int64_t imagePointValue2;
    bool imagePointFlag;
    double correctionX = 0.0;
    double correctionY = 0.0;
    bool firstFlag;
    bool secondFlag;
};
