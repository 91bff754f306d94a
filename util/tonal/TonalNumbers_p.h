#pragma once

// Internal: the number conversions the tonal family shares. Curves come from files and from
// the mouse, so every narrowing saturates instead of being undefined.

#include <limits>

namespace util {
namespace detail {

/// A double as a float; beyond float's range it saturates to infinity.
inline float toFloat(double value)
{
    constexpr double largest = std::numeric_limits<float>::max();
    if (value > largest)
        return std::numeric_limits<float>::infinity();
    if (value < -largest)
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

/// The value clamped to [0, 1]; not-a-number counts as 0.
inline double clampUnit(double value)
{
    if (!(value > 0.0))
        return 0.0;
    return value >= 1.0 ? 1.0 : value;
}

} // namespace detail
} // namespace util
