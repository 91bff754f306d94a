#pragma once

/// \file
/// Reading CCD names (band names) out of file names.
/// \ingroup bands

#include "util/UtilExport.h"

#include <string>

namespace util {

/// Reads the CCD name (band name) out of a file name.
///
/// A CCD name is a colour (RED, BLU, GRN, PAN, NIR, or RGB, NRGB for combined lines), a viewing
/// direction (F, N, B), a two-digit CCD number and a line letter (A, B): REDN00A, NRGBN16A.
/// Both helpers look only at the base name (last path component up to its first dot; '/', '\'
/// and ':' separate components), match case-sensitively and return "nil" when nothing matches.
/// \ingroup bands
class UTIL_EXPORT VynString
{
public:
    /// The first CCD name in the base name of path, combined lines included, or "nil".
    /// \param path the file's path or name
    /// \return the CCD name, or "nil"
    static std::string getCcdNaming(const std::string &path);
    /// The colour of the first single-band CCD name in the base name of path, or "nil".
    ///
    /// The colour is RED, BLU, GRN, PAN or NIR; combined-line names (RGBN00A) do not count.
    /// \param path the file's path or name
    /// \return the colour, or "nil"
    static std::string getShortColorCode(const std::string &path);
};

} // namespace util
