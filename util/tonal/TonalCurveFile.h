#pragma once

#include "util/UtilExport.h"

#include <QString>

namespace util {

class TonalCurve;

/// Reads the tonal curve of an XML file whose document element is a "Corrector" element or
/// holds one (the first in document order), as TonalCurve(element, validate) reads it.
/// Returns false with one line naming the file in *errorString when the file cannot be opened
/// (with the system's error number and reason), is not well-formed XML, holds no "Corrector"
/// element, or the curve is refused (the reader's message); curve is then left unchanged.
UTIL_EXPORT bool readTonalCurveFile(const QString &fileName, TonalCurve &curve,
                                    bool validate = false, QString *errorString = nullptr);

/// True when the file opens, is well-formed XML and holds a "Corrector" element: tells a curve
/// file from a break-point file.
UTIL_EXPORT bool holdsTonalCurve(const QString &fileName);

} // namespace util
