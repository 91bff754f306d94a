#pragma once

/// \file
/// Band names and image codes: the reference band of a set, codes made and taken apart.
/// \ingroup bands

#include "util/UtilExport.h"

#include <QStringList>

#include <string>
#include <vector>

namespace util {

/// Index of the band the other bands of a set are referred to.
///
/// That is a panchromatic band (name holds "PAN") with a CCD number below 5, else a green band
/// (holds "GRN", not "PAN") with a CCD number below 5, else the first panchromatic band, else
/// the first green band, else the first band with a CCD number below 5, else 0 (also for an
/// empty list).
///
/// The CCD number is the two characters at 0-based positions 4 and 5 (fewer when the name is
/// shorter); unless they are all decimal digits they count as 0.
/// Throws std::runtime_error "Band name too short: <name>" for a name of fewer than four
/// characters, which no CCD name is.
/// \param bands the band names
/// \return the index of the reference band
UTIL_EXPORT unsigned int masterBand(const std::vector<std::string> &bands);
/// The same for a Qt string list.
/// \param bands the band names
/// \return the index of the reference band
UTIL_EXPORT unsigned int masterBand(const QStringList &bands);

/// 0 if band contains "NIR", else -1.
/// \param band the band name
/// \return 0 or -1
UTIL_EXPORT int getNIRChannel(const std::string &band);
/// Index of the first band containing "NIR", else -1 (also for an empty list).
/// \param bands the band names
/// \return the index, or -1
UTIL_EXPORT int getNIRChannel(const std::vector<std::string> &bands);

/// The image code of bands that share direction, CCD number and line letter.
///
/// The code is the first letter of every band, then the first band's name from 0-based
/// position 3 on (REDN00A, GRNN00A, BLUN00A give RGBN00A). No band gives "", one band gives its
/// name unchanged.
/// With two or more bands, throws std::runtime_error "Band name too short: <name>" for a name
/// of fewer than four characters.
/// \param bands the band names, in the order their letters go into the code
/// \return the image code
UTIL_EXPORT std::string createImageCode(const std::vector<std::string> &bands);

/// Replaces bands with the band names of an image code.
///
/// RGBN00A gives REDN00A, GRNN00A, BLUN00A; a single band name (PANF28A) gives itself.
/// Throws std::runtime_error "Unknown band letter in image code: <code>" at a letter other than
/// P, N, R, G, B; the bands before it stay in the list. Throws std::runtime_error
/// "Image code too short: <code>" for a code of fewer than four characters, leaving bands
/// untouched.
/// \param code the image code, or a single band name
/// \param[out] bands cleared, then receives the band names in the order of the code's letters
UTIL_EXPORT void splitImageCode(const std::string &code, std::vector<std::string> &bands);

/// True when name is a CCD band name as the sensor writes it.
///
/// Such a name is a colour (RED, GRN, BLU, NIR, PAN), a viewing direction (F, N, B), a
/// two-digit CCD number and a line letter (A, B), in upper case: REDN00A, PANF28A.
/// \param name the text checked
/// \return true for exactly seven characters of that form
UTIL_EXPORT bool isCcdBandName(const std::string &name);
/// True when bands can make one image code.
///
/// They can when each is a CCD band name and all are of the same direction, CCD number and line
/// letter (REDN00A GRNN00A, not REDN00A GRNF27A, which createImageCode would merge into a code
/// of neither line). Otherwise *why (when given) names the band and the reason.
/// No band is false; one CCD band name is true, and so is one image code (RGBN00A) alone.
/// \param bands the band names
/// \param[out] why receives the reason for a false when given; may be null
/// \return true when the bands can make one image code
UTIL_EXPORT bool bandsShareLine(const std::vector<std::string> &bands, std::string *why = nullptr);

} // namespace util
