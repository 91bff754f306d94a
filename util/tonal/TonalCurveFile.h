#pragma once

/// \file
/// Reading tonal curves from files and bytes: a lone Corrector, or the bands of a break-point
/// file.
/// \ingroup tonal

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
/// \param fileName the file read.
/// \param[out] curve receives the curve on success.
/// \param validate whether to check the "Corrector" element against the schema first.
/// \param[out] failure receives the failure when given; may be null.
/// \return true when the curve was read; false on failure.
UTIL_EXPORT bool readTonalCurveFile(const QString &fileName, TonalCurve &curve,
                                    bool validate = false, Failure *failure = nullptr);

/// True when the file opens, is well-formed XML and holds a "Corrector" element: tells a curve
/// file from a break-point file.
/// \param fileName the file looked at.
/// \return whether it holds a "Corrector" element; false also when it cannot be read or parsed.
UTIL_EXPORT bool holdsTonalCurve(const QString &fileName);

/// The curves of a tonal input already in memory (bytes read from path, which names it in
/// failures): a document holding a "Corrector" element gives that one curve under the empty
/// name; any other document is read as a break-point file and gives its bands by name
/// (BpfConverter's rules and messages). False with the failure in *failure otherwise.
/// \param bytes the document.
/// \param path the name of the document, which failures give as their path.
/// \param validate whether to check a "Corrector" element against the schema first (break-point
///        documents are not validated).
/// \param[out] curves receives the curves, replacing what it held; on failure it is left as it
///        was, or emptied when a break-point document is refused.
/// \param[out] failure receives the failure when given; may be null.
/// \return true when the document was read, even when a document of neither kind gave no
///         curve; false on failure.
UTIL_EXPORT bool parseTonalCurves(const QByteArray &bytes, const QString &path, bool validate,
                                  QMap<QString, TonalCurve> &curves, Failure *failure = nullptr);

} // namespace util
