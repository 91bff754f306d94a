#pragma once

#include "util/UtilExport.h"
#include "util/files/Failure.h"

#include <QMap>
#include <QString>

class QByteArray;

namespace util {

class TonalCurve;

/// Reads the tonal curve of an XML file whose document element is a "Corrector" element or
/// holds one (the first in document order), as TonalCurve(element, validate) reads it.
/// Returns false with the failure in *failure when the file cannot be read (a system error, or
/// one the bounded reader gives), is not well-formed XML (with line and column), holds no
/// "Corrector" element, or the curve is refused (the reader's message); curve is then left
/// unchanged.
UTIL_EXPORT bool readTonalCurveFile(const QString &fileName, TonalCurve &curve,
                                    bool validate = false, Failure *failure = nullptr);

/// True when the file opens, is well-formed XML and holds a "Corrector" element: tells a curve
/// file from a break-point file.
UTIL_EXPORT bool holdsTonalCurve(const QString &fileName);

/// The curves of a tonal input already in memory (bytes read from path, which names it in
/// failures): a document holding a "Corrector" element gives that one curve under the empty
/// name; any other document is read as a break-point file and gives its bands by name
/// (BpfConverter's rules and messages). False with the failure in *failure otherwise.
UTIL_EXPORT bool parseTonalCurves(const QByteArray &bytes, const QString &path, bool validate,
                                  QMap<QString, TonalCurve> &curves, Failure *failure = nullptr);

} // namespace util
