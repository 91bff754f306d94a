#pragma once

/// \file
/// The break-point file reader: one tonal curve per band.
/// \ingroup tonal

#include "util/UtilExport.h"
#include "util/tonal/TonalCurve.h"

#include <QMap>
#include <QString>
#include <QStringList>

namespace util {

/// Reads a break-point file once, at construction: one tonal curve per band, given as integer
/// break points on the image's own level scale, normalised here to [0, 1].
///
/// \code{.xml}
/// <anything>
///   <break_points band="RED">
///     <type>linear</type>            (or spline; optional, default linear)
///     <max_value>255</max_value>     (required, a non-zero decimal integer)
///     <point x="0" y="0"/> ...       (integers; absent or not an integer reads as 0)
///   </break_points>
/// </anything>
/// \endcode
///
/// Tag names compare case-insensitively, attribute names exactly. A band named "composite" (any
/// case) is skipped whole. Points keep file order, unsorted.
/// \ingroup tonal
class UTIL_EXPORT BpfConverter
{
public:
    /// Reads fileName. Throws std::runtime_error, the message ending with the file name:
    ///  "Unable to read bpf file: ", "Can't read bpf file: " (not well-formed XML),
    ///  "Not a valid bpf file. No band found. File: ",
    ///  "Not a valid bpf file. No valid interpolation found. File: ",
    ///  "Not a valid bpf file. Max value can not be 0. File: ",
    ///  "Not a valid bpf file. Duplicate band found. File: ".
    /// \param fileName the break-point file.
    explicit BpfConverter(const QString &fileName);
    /// A copy of other's curves.
    /// \param other the converter copied.
    BpfConverter(const BpfConverter &other);
    /// Replaces the curves by other's.
    /// \param other the converter copied.
    /// \return this converter.
    BpfConverter &operator=(const BpfConverter &other);
    /// Destroys the converter and its curves.
    ~BpfConverter();

    /// The band names as written in the file, in ascending (case-sensitive) order.
    /// \return the band names, "composite" left out.
    QStringList getBands() const;
    /// The band's curve (exact, case-sensitive name); throws std::runtime_error
    /// "Band not found in bpf file: <band>" for a band the file does not hold.
    /// \param band the band's name.
    /// \return the curve, its levels divided by the band's max_value.
    TonalCurve getCurve(const QString &band) const;

private:
    void loadFile(const QString &fileName);

    QMap<QString, TonalCurve> curves;
};

} // namespace util
