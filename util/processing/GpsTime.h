#pragma once

// GPS time conversions. Times are counted in seconds from the start of GPS week 0 of the second
// GPS week epoch, 1999-08-22 00:00:00, as Boost.Units quantities of the library's own unit
// system, whose one base unit is the second.

#include "util/UtilExport.h"

#include <boost/units/base_unit.hpp>
#include <boost/units/make_system.hpp>
#include <boost/units/physical_dimensions/time.hpp>
#include <boost/units/quantity.hpp>
#include <boost/units/static_constant.hpp>
#include <boost/units/unit.hpp>

#include <cstdint>
#include <string>

class QDate;
class QTime;

namespace quorunits {

struct second_base_unit : boost::units::base_unit<second_base_unit, boost::units::time_dimension, 1>
{
    static std::string name() { return "second"; }
    static std::string symbol() { return "s"; }
};

using system = boost::units::make_system<second_base_unit>::type;
using time = boost::units::unit<boost::units::time_dimension, system>;

BOOST_UNITS_STATIC_CONSTANT(second, time);
BOOST_UNITS_STATIC_CONSTANT(seconds, time);

/// Whole seconds, as the week time is given.
using WholeSeconds = boost::units::quantity<time, std::uint32_t>;
/// Seconds with a fraction.
using Seconds = boost::units::quantity<time, double>;

} // namespace quorunits

/// The calendar date of a GPS time: 1999-08-22 advanced by the whole weeks of weekTime and the
/// whole days of secondsOfWeek. Negative or non-finite seconds of week are not meaningful; they
/// give a date but no crash.
UTIL_EXPORT void dateFromGpsTime(const quorunits::WholeSeconds &weekTime,
                                 const quorunits::Seconds &secondsOfWeek, QDate &date);

/// The time of day of a GPS time: whole seconds, modulo one day, from midnight; no time-zone or
/// leap-second correction.
UTIL_EXPORT void timeFromGpsTime(const quorunits::Seconds &time, QTime &timeOfDay);

namespace util {

/// The LAS files' adjusted standard GPS time of t seconds since 1999-08-22: seconds since the
/// GPS origin 1980-01-06 less one thousand million (t - 380684800).
UTIL_EXPORT std::int64_t absoluteGPSTimeOffsetForLas(std::int64_t t);

} // namespace util
