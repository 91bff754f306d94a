#pragma once

/// \file
/// GPS time conversions: calendar date, time of day and the LAS files' GPS time.
///
/// Times are counted in seconds from the start of GPS week 0 of the second GPS week epoch,
/// 1999-08-22 00:00:00, as Boost.Units quantities of the library's own unit system, whose one
/// base unit is the second.
/// \ingroup processing

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

/// The library's own Boost.Units system, in which GPS times are quantities of seconds.
namespace quorunits {

/// The one base unit of the system: the second, of the time dimension.
/// \ingroup processing
struct second_base_unit : boost::units::base_unit<second_base_unit, boost::units::time_dimension, 1>
{
    /// The unit's name, as Boost.Units prints it in full.
    /// \return "second"
    static std::string name() { return "second"; }
    /// The unit's symbol, as Boost.Units prints it.
    /// \return "s"
    static std::string symbol() { return "s"; }
};

/// The unit system made of second_base_unit alone.
using system = boost::units::make_system<second_base_unit>::type;
/// The unit of time of the system: the second.
using time = boost::units::unit<boost::units::time_dimension, system>;

/// The second, to make quantities: `3 * quorunits::second`.
BOOST_UNITS_STATIC_CONSTANT(second, time);
/// The same unit under its plural name: `90061.7 * quorunits::seconds`.
BOOST_UNITS_STATIC_CONSTANT(seconds, time);

/// Whole seconds, as the week time is given.
using WholeSeconds = boost::units::quantity<time, std::uint32_t>;
/// Seconds with a fraction.
using Seconds = boost::units::quantity<time, double>;

} // namespace quorunits

/// The calendar date of a GPS time.
///
/// That is 1999-08-22 advanced by the whole weeks of weekTime and the whole days of
/// secondsOfWeek. Negative or non-finite seconds of week are not meaningful; they give a date
/// but no crash.
/// \param weekTime the GPS time's whole seconds, of which only the whole weeks count
/// \param secondsOfWeek the seconds into the week, of which only the whole days count
/// \param[out] date receives the date
UTIL_EXPORT void dateFromGpsTime(const quorunits::WholeSeconds &weekTime,
                                 const quorunits::Seconds &secondsOfWeek, QDate &date);

/// The time of day of a GPS time: whole seconds, modulo one day, from midnight; no time-zone or
/// leap-second correction.
/// \param time the GPS time in seconds; the fraction is dropped
/// \param[out] timeOfDay receives the time of day
UTIL_EXPORT void timeFromGpsTime(const quorunits::Seconds &time, QTime &timeOfDay);

namespace util {

/// The LAS files' adjusted standard GPS time of t seconds since 1999-08-22.
///
/// That is the seconds since the GPS origin 1980-01-06 less one thousand million
/// (t - 380684800).
/// \param t seconds since 1999-08-22
/// \return the adjusted standard GPS time
UTIL_EXPORT std::int64_t absoluteGPSTimeOffsetForLas(std::int64_t t);

} // namespace util
