#pragma once

#include "util/UtilExport.h"
#include "util/bands/ProductBandMapper.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

namespace util {

/// Which products of the configuration a list of available bands allows.
///
/// Candidates are built around every red-green pair of the bands (names beginning with RED and
/// with GRN): the red band immediately followed by the green one, optionally preceded by one
/// other band and optionally followed by one more; every single band is a candidate too. A
/// candidate whose bands, joined without separators, equal a product's band key makes that
/// product available. So a true-colour product must list red, green, blue in that order, a
/// colour-infrared one near infrared, red, green.
class UTIL_EXPORT ProductGenerator : public ProductBandMapper
{
public:
    /// Reads the configuration as ProductBandMapper does (and throws what it throws) and keeps
    /// the available bands, in the caller's order.
    ProductGenerator(QIODevice *device, const QStringList &bands);

    /// The products the bands allow, each once, in the configuration's order.
    QStringList getAvailableProducts();
    /// Replaces the band list by the given names and returns the products they allow, each
    /// flagged true when all its bands are among the names given as selected. When several
    /// candidates make one product, the flag of the last candidate (singles come last) counts.
    QList<QPair<QString, bool>> getAvailableProducts(QList<QPair<QString, bool>> bands);

private:
    QVector<QStringList> getRedGreenPairs();
    QStringList removePair(const QStringList &pair);
    QVector<QStringList> createCombinations(const QVector<QStringList> &pairs);

    QStringList m_bands;
};

} // namespace util
