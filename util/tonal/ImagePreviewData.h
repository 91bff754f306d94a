#pragma once

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
struct UTIL_EXPORT ImagePreviewData
{
    int width = 0;
    int height = 0;
    /// The top of the image's level scale: 255, 4095, 65535...
    int maxValue = 65535;
    QStringList bandNames;
    QStringList roles;
    QVector<QVector<quint16>> samples;
    QVector<QVector<quint32>> histograms;
};

/// False, with a reason, when the sizes do not agree (a band's samples are not width * height,
/// no band, maxValue not in 1..65535, more roles or histograms than bands, an empty histogram).
UTIL_EXPORT bool isValidPreviewData(const ImagePreviewData &image, QString *reason = nullptr);

/// Fills in what may be left out: a role for every band (from its name: RED, GRN, BLU, NIR and
/// the like) and a histogram of maxValue + 1 bins for every band that has none. Samples above
/// maxValue count in the last bin.
UTIL_EXPORT void completePreviewData(ImagePreviewData &image);

} // namespace util
