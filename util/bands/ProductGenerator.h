#pragma once

/// \file
/// Which products of the configuration a list of available bands allows.
/// \ingroup bands

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
/// \ingroup bands
class UTIL_EXPORT ProductGenerator : public ProductBandMapper
{
public:
    /// Reads the configuration and keeps the available bands, in the caller's order.
    ///
    /// The configuration is read as ProductBandMapper reads it, with the same exceptions.
    /// \param device the configuration, as for ProductBandMapper
    /// \param bands the available band names
    ProductGenerator(QIODevice *device, const QStringList &bands);

    /// The products the bands allow, each once, in the configuration's order.
    /// \return the product names
    QStringList getAvailableProducts();
    /// Replaces the band list by the given names and returns the products they allow.
    ///
    /// Each product is flagged true when all its bands are among the names given as selected.
    /// When several candidates make one product, the flag of the last candidate (singles come
    /// last) counts.
    /// \param bands the band names, each with whether it is selected
    /// \return the products the bands allow, each once in the configuration's order, with its
    /// flag
    QList<QPair<QString, bool>> getAvailableProducts(QList<QPair<QString, bool>> bands);

private:
    QVector<QStringList> getRedGreenPairs();
    QStringList removePair(const QStringList &pair);
    QVector<QStringList> createCombinations(const QVector<QStringList> &pairs);

    QStringList m_bands;
};

} // namespace util
