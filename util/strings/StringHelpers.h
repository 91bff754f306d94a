#pragma once

/// \file
/// Angles as degrees, minutes and seconds, and a tokenizer with quoting and escaping.
/// \ingroup strings

#include "util/UtilExport.h"

#include <string>
#include <vector>

namespace util {

/// Formats degrees, minutes and seconds as "% 3d:%02d:%06.4f". When degrees is 0 and negative
/// is set, a minus sign stands in front ("-  0:30:0.0000"); otherwise the degrees carry their
/// own sign. Independent of the process locale.
/// \param degrees the whole degrees, with their sign
/// \param minutes the minutes, printed with two digits
/// \param seconds the seconds, printed with four decimals
/// \param negative whether a minus sign stands in front when degrees is 0
/// \return the formatted angle
UTIL_EXPORT std::string DMSString(int degrees, int minutes, double seconds, bool negative);

/// Splits an angle (degrees, or radians when inRadians) into degrees, minutes and seconds and
/// formats it with the form above. Seconds that would print as 60 at the given precision carry
/// into the minutes and degrees. Angles beyond the int range of degrees, or not finite, are
/// clamped to that range (NaN counts as 0).
/// \param angle the angle
/// \param inRadians whether angle is in radians rather than degrees
/// \param precision the decimals of the seconds that decide the carry (the seconds are always
/// printed with four)
/// \return the formatted angle
UTIL_EXPORT std::string DMSString(double angle, bool inRadians, int precision);

/// Splits text into tokens. Characters in delimiters separate tokens and are dropped; those in
/// preservedDelimiters separate tokens and are emitted as one-character tokens; a character in
/// quotes opens a quote that the same character closes (no delimiter acts inside); a character
/// in escapes adds the next character unchanged (a trailing escape is dropped). Empty tokens
/// never arise. tokens is cleared first.
/// \param text the text to split
/// \param[out] tokens receives the tokens in order
/// \param delimiters the characters that separate tokens and are dropped
/// \param preservedDelimiters the characters that separate tokens and are tokens themselves
/// \param quotes the characters that open and close a quote
/// \param escapes the characters that make the next character plain
UTIL_EXPORT void tokenize(const std::string &text, std::vector<std::string> &tokens,
                          const std::string &delimiters, const std::string &preservedDelimiters,
                          const std::string &quotes, const std::string &escapes);

} // namespace util
