#pragma once

// What the tonal family's readers share once a document is parsed (through util::parseXmlBytes,
// the library's guarded parser).

#include "util/files/Failure.h"
#include "util/tonal/TonalCurve.h"

#include <QDomElement>
#include <QMap>
#include <QString>

class QDomDocument;

namespace util::detail {

/// The document element when it is a "Corrector" element, else the first one inside it (null
/// when there is none).
QDomElement findCorrector(const QDomDocument &document);

/// Reads the bands of a break-point document into curves, as BpfConverter reads them. Null on
/// success, else BpfConverter's message, which ends in " File: " where the file name follows
/// (curves is then incomplete).
const char *breakPointCurves(const QDomDocument &document, QMap<QString, TonalCurve> &curves);

/// As breakPointCurves(), with BpfConverter's reason in *failure, naming path (curves is then
/// empty).
bool readBreakPoints(const QDomDocument &document, const QString &path,
                     QMap<QString, TonalCurve> &curves, Failure *failure);

} // namespace util::detail
