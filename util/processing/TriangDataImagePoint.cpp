#include "util/processing/TriangDataImagePoint.h"

TriangDataImagePoint::TriangDataImagePoint(const geo::ImagePoint &point,
                                           const std::string &pointName, const bool &firstFlag,
                                           bool secondFlag)
    : pointName(pointName)
    , x(point.x)
    , y(point.y)
    , imagePointId(point.id)
    , imagePointValue1(point.value1)
    , imagePointValue2(point.value2)
    , imagePointFlag(point.flag)
    , firstFlag(firstFlag)
    , secondFlag(secondFlag)
{
}

geo::ImagePoint TriangDataImagePoint::adjusted() const
{
    geo::ImagePoint point;
    point.x = x + correctionX;
    point.y = y + correctionY;
    point.id = imagePointId;
    point.value1 = imagePointValue1;
    point.value2 = imagePointValue2;
    point.flag = imagePointFlag;
    return point;
}
