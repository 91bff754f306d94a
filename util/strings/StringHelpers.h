#pragma once

#include "util/UtilExport.h"

#include <string>
#include <vector>

namespace util {

/// Formats degrees, minutes and seconds as "% 3d:%02d:%06.4f". When degrees is 0 and negative
/// is set, a minus sign stands in front ("-  0:30:0.0000"); otherwise the degrees carry their
/// own sign. Independent of the process locale.
UTIL_EXPORT std::string DMSString(int degrees, int minutes, double seconds, bool negative);

/// Splits an angle (degrees, or radians when inRadians) into degrees, minutes and seconds and
/// formats it with the form above. Seconds that would print as 60 at the given precision carry
/// into the minutes and degrees. Angles beyond the int range of degrees, or not finite, are
/// clamped to that range (NaN counts as 0).
UTIL_EXPORT std::string DMSString(double angle, bool inRadians, int precision);

/// Splits text into tokens. Characters in delimiters separate tokens and are dropped; those in
/// preservedDelimiters separate tokens and are emitted as one-character tokens; a character in
/// quotes opens a quote that the same character closes (no delimiter acts inside); a character
/// in escapes adds the next character unchanged (a trailing escape is dropped). Empty tokens
/// never arise. tokens is cleared first.
UTIL_EXPORT void tokenize(const std::string &text, std::vector<std::string> &tokens,
                          const std::string &delimiters, const std::string &preservedDelimiters,
                          const std::string &quotes, const std::string &escapes);

} // namespace util
