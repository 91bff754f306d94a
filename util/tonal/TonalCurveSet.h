#pragma once

/// \file
/// Every curve of a curve file, whatever wrote it: a single Corrector, the curve editor's file
/// (one Corrector per band) or a break-point file, with the bands in the order the file gives
/// them, and band names compared across the two vocabularies (RED and Red).
/// \ingroup tonal

#include "util/UtilExport.h"
#include "util/files/Failure.h"
#include "util/tonal/TonalCurve.h"

#include <QString>
#include <QVector>

#include <cstddef>
#include <utility>
#include <vector>

namespace util {

/// One curve of a file and the band it is for ("" for a lone Corrector).
/// \ingroup tonal
struct NamedTonalCurve
{
    QString band; ///< The band's name as the file writes it ("" for a lone Corrector).
    TonalCurve curve; ///< The band's curve.
};

/// Reads every curve of fileName into *curves (replaced), in file order.
///
/// The file may be:
/// - the curve editor's file (root "TonalCurves"): one curve per "Band" element, named by its
///   "name" attribute ("All", "Red", ...);
/// - a file holding a "Corrector" element elsewhere: its first one, band "";
/// - a break-point file: its bands as BpfConverter reads them, in file order (BpfConverter's
///   own list is sorted), "composite" left out.
///
/// False, with curves unchanged and the failure in *failure (when given), when the file cannot
/// be read, is not XML, a curve is refused, or it holds no curve at all (then it is neither
/// kind of file).
/// \param fileName the file read.
/// \param[out] curves receives the curves on success.
/// \param[out] failure receives the failure when given; may be null.
/// \return true when the file gave at least one curve; false on failure.
UTIL_EXPORT bool readTonalCurves(const QString &fileName, QVector<NamedTonalCurve> &curves,
                                 Failure *failure = nullptr);

/// The colour a band name stands for, in the break-point files' words: RED, GRN, BLU, NIR, PAN
/// or ALL, from either vocabulary and any case ("Red", "RED", "r", "Green", "GRN", "Infrared",
/// "NIR", "All", "composite"). A name of neither vocabulary comes back in upper case.
/// \param band a band name; white space around it is ignored.
/// \return RED, GRN, BLU, NIR, PAN or ALL, else the name trimmed and in upper case.
UTIL_EXPORT QString tonalBandColour(const QString &band);

/// The index in curves of the band named band, else of the first compared equal by
/// tonalBandColour; -1 when there is none.
/// \param curves the curves searched.
/// \param band the band wanted.
/// \return the index of the band's curve in curves, or -1.
UTIL_EXPORT int findTonalBand(const QVector<NamedTonalCurve> &curves, const QString &band);

/// The stretches over which a lookup table falls, as (first, last) entry indexes: each runs
/// from the last entry at the height the table had reached to the lowest entry before it
/// rises again. A fall counts only when it goes deeper than tolerance below that height, and
/// a stretch ends only when the table climbs more than tolerance above its lowest entry, so
/// float noise on a flat stretch neither makes a fall of its own nor splits one fall in two.
/// Not-a-number entries are passed over. A negative tolerance takes 1e-6 times the largest
/// magnitude in the table (at least 1e-6).
/// \param table the lookup table searched.
/// \param tolerance the noise allowed, in the table's units; negative for the default.
/// \return the falling stretches in table order; empty when the table never falls.
UTIL_EXPORT std::vector<std::pair<std::size_t, std::size_t>>
fallingStretches(const std::vector<float> &table, double tolerance = -1);

} // namespace util
