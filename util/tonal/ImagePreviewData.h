#pragma once

/// \file
/// The image the curve editor shows, as plain data, with its check and its completion.
/// \ingroup tonal

#include "util/UtilExport.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace util {

/// An image as the curve editor shows it: a few bands of unsigned 16-bit samples, reduced to a
/// preview size by whoever read it (the editor does not read rasters itself). A plain value.
///
/// Band i has the name bandNames[i] ("RED", "Band 4"), the editor band roles[i] it is corrected
/// and shown as ("Red", "Green", "Blue", "Infrared", or empty for a band "All" corrects and that
/// is shown grey when it is the only one), width * height samples, row by row, in samples[i], and
/// optionally a histogram in histograms[i]: any number of bins spread evenly over 0..maxValue.
/// Roles left out are derived from the names; histograms left out are counted from the samples.
/// \ingroup tonal
struct UTIL_EXPORT ImagePreviewData
{
    int width = 0; ///< The width in pixels.
    int height = 0; ///< The height in pixels.
    /// The top of the image's level scale: 255, 4095, 65535...
    int maxValue = 65535;
    QStringList bandNames; ///< Per band, its name; may be shorter than samples.
    QStringList roles; ///< Per band, the editor band it is shown as; may be shorter than samples.
    QVector<QVector<quint16>> samples; ///< Per band, width * height samples, row by row.
    QVector<QVector<quint32>> histograms; ///< Per band, its histogram; may be shorter than samples.
};

/// False, with a reason, when the sizes do not agree (no pixels, a band's samples are not
/// width * height, no band, maxValue not in 1..65535, more band names, roles or histograms than
/// bands, an empty histogram).
/// \param image the image checked.
/// \param[out] reason receives why the image is refused, when given; may be null.
/// \return true when the image can be shown; false when it is refused.
UTIL_EXPORT bool isValidPreviewData(const ImagePreviewData &image, QString *reason = nullptr);

/// Fills in what may be left out: a name for every band ("Band 1", "Band 2"...), a role for
/// every band (from its name: RED, GRN, BLU, NIR and the like) and a histogram of maxValue + 1
/// bins for every band that has none. Samples above maxValue count in the last bin.
/// \param[in,out] image the image completed.
UTIL_EXPORT void completePreviewData(ImagePreviewData &image);

} // namespace util
