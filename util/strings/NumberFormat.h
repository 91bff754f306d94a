#pragma once

/// \file
/// Locale-independent number text, identical to the C library's output under the "C" locale.
///
/// Applications call setlocale(LC_ALL, "") at start-up, so printf-style formatting would pick
/// up a decimal comma; file formats must not.
/// \ingroup strings

#include "util/UtilExport.h"

#include <string>
#include <string_view>

namespace util {

/// Like printf("%.*f", decimals, value).
/// \param value the number
/// \param decimals the digits after the point; a negative count is taken as 0
/// \return the text; "inf", "-inf", "nan" or "-nan" for a value that is not finite
UTIL_EXPORT std::string formatFixed(double value, int decimals);
/// Like printf("%.*e", decimals, value): signed exponent of at least two digits.
/// \param value the number
/// \param decimals the digits after the point; a negative count is taken as 0
/// \return the text; "inf", "-inf", "nan" or "-nan" for a value that is not finite
UTIL_EXPORT std::string formatScientific(double value, int decimals);

/// The shortest text that reads back as exactly value: plain digits for magnitudes from 1e-5
/// up to 1e17 ("500000", "0.0625"), scientific beyond ("1e+300"), "inf", "-inf", "nan". What
/// people read (500000, not 5e+05), and no digit lost.
/// \param value the number
/// \return the text
UTIL_EXPORT std::string formatShortest(double value);

/// Parses a whole word as a decimal floating-point number (fixed or scientific, optional sign).
/// "inf" and "nan" count as numbers, so non-finite values written by formatFixed read back.
/// \param word the text to parse, without surrounding blanks
/// \param[out] value receives the number; unchanged on failure
/// \return false, leaving value unchanged, when the word is not entirely a number
UTIL_EXPORT bool parseDouble(std::string_view word, double &value);
/// Parses a whole word as a decimal integer (optional sign) that fits an int.
/// \param word the text to parse, without surrounding blanks
/// \param[out] value receives the number; unchanged on failure
/// \return false, leaving value unchanged, when the word is not entirely such an integer
UTIL_EXPORT bool parseInt(std::string_view word, int &value);

/// Truncates toward zero into an int, clamping what does not fit (NaN gives 0), so that an
/// infinite fraction or an absurd angle never becomes undefined behaviour.
/// \param value the number
/// \return the int
UTIL_EXPORT int truncateToInt(double value);

} // namespace util
