#include "util/strings/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

namespace util {

namespace {

std::string nonFinite(double value)
{
    if (std::isnan(value))
        return std::signbit(value) ? "-nan" : "nan";
    return value < 0 ? "-inf" : "inf";
}

std::string toChars(double value, std::chars_format format, int decimals)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    // 1e308 in fixed notation with up to 20 decimals fits comfortably.
    char buf[400];
    const auto result = std::to_chars(buf, buf + sizeof buf, value, format, decimals);
    if (result.ec != std::errc())
        return nonFinite(std::nan(""));
    return std::string(buf, result.ptr);
}

} // namespace

std::string formatFixed(double value, int decimals)
{
    return toChars(value, std::chars_format::fixed, decimals < 0 ? 0 : decimals);
}

std::string formatScientific(double value, int decimals)
{
    return toChars(value, std::chars_format::scientific, decimals < 0 ? 0 : decimals);
}

bool parseDouble(std::string_view word, double &value)
{
    const char *first = word.data();
    const char *last = first + word.size();
    // from_chars takes no '+', but stream extraction and the C library do; only one sign.
    if (first != last && *first == '+' && (last - first == 1 || first[1] != '-'))
        ++first;
    double parsed = 0;
    const auto result = std::from_chars(first, last, parsed);
    if (result.ec != std::errc() || result.ptr != last)
        return false;
    value = parsed;
    return true;
}

bool parseInt(std::string_view word, int &value)
{
    const char *first = word.data();
    const char *last = first + word.size();
    // from_chars takes no '+', but stream extraction and the C library do; only one sign.
    if (first != last && *first == '+' && (last - first == 1 || first[1] != '-'))
        ++first;
    int parsed = 0;
    const auto result = std::from_chars(first, last, parsed);
    if (result.ec != std::errc() || result.ptr != last)
        return false;
    value = parsed;
    return true;
}

int truncateToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

std::string formatShortest(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    char buf[400];
    auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    const char *e = std::find(buf, result.ptr, 'e');
    int exponent = 0;
    std::from_chars(e + 1 + (e[1] == '+'), result.ptr, exponent);
    if (value != 0 && (exponent < -5 || exponent >= 17))
        return std::string(buf, result.ptr);
    result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    return std::string(buf, result.ptr);
}

} // namespace util
