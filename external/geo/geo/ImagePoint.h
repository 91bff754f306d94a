#pragma once

// Stand-in for the suite's geometry library: only the image point that triangulation carries.
// The real library has more; the util library needs exactly these members, in this order.

#include <cstdint>
#include <string>

namespace geo {

/// A measured point in image coordinates.
struct ImagePoint
{
    double x = 0.0;
    double y = 0.0;
    std::string id;
    std::int64_t value1 = 0; ///< passed through unchanged
    std::int64_t value2 = 0; ///< passed through unchanged
    bool flag = false;

    friend bool operator==(const ImagePoint &a, const ImagePoint &b)
    {
        return a.x == b.x && a.y == b.y && a.id == b.id && a.value1 == b.value1
            && a.value2 == b.value2 && a.flag == b.flag;
    }
    friend bool operator!=(const ImagePoint &a, const ImagePoint &b) { return !(a == b); }
};

} // namespace geo
