#pragma once

/// \file
/// The product-to-band map of the configuration, read from XML.
/// \ingroup bands

#include "util/UtilExport.h"

#include <QString>

#include <map>
#include <string>
#include <vector>

class QDomDocument;
class QDomNode;
class QIODevice;

namespace util {

class ProductGenerator;

/// The product-to-band map of the configuration: which source bands make a product, and which
/// product a band list makes.
///
/// The configuration is XML: under the root, one element per product with a "name" attribute
/// and a "Bands" child whose children name the source bands in their "source" attributes:
///
///     <ProductBandMap>
///       <Product name="RGBN00A">
///         <Bands><Band source="REDN00A"/><Band source="GRNN00A"/><Band source="BLUN00A"/></Bands>
///       </Product>
///     </ProductBandMap>
///
/// Only the element name "Bands" is looked at. A product without "Bands" is skipped; only its
/// first "Bands" is read; an empty or missing "source" adds nothing. A name defined twice is
/// listed twice and keeps the later band list. The band key of a product is its band names
/// joined without separators (REDGRNBLU); when two products share a key, the later one is
/// found. Band and product names are opaque texts.
/// \ingroup bands
class UTIL_EXPORT ProductBandMapper
{
public:
    /// Reads the whole device. Throws std::runtime_error "Can't read config. Invalid xml." when
    /// the content is not well-formed XML, or an element holds more than 256 attributes (no
    /// product map comes near; reading such a file would take minutes). The schema is not
    /// checked (see validateProductBandMap()).
    /// \param device the configuration, read from where it stands to its end; a null device
    /// reads as empty content, which throws
    explicit ProductBandMapper(QIODevice *device);

    /// The product's source bands in file order; empty for an unknown product.
    /// \param product the product's name
    /// \return the band names
    std::vector<std::string> productToBands(const std::string &product);
    /// The product whose band key equals the bands joined in the given order; "" if none.
    /// \param bands the band names
    /// \return the product's name, or ""
    std::string bandsToProduct(const std::vector<std::string> &bands);
    /// The product names in file order, one entry per product element read.
    /// \return the names, a name defined twice listed twice
    const std::vector<std::string> &getProductList() const;

private:
    friend class ProductGenerator;

    void createMaps(const QDomDocument &document);
    void createProduct(const QDomNode &node);
    std::string bandsToProduct(const std::string &key);
    int getProductPosition(const std::string &product) const;
    /// Checks the device against <root>/etc/schemas/products.xsd; throws std::runtime_error
    /// "Schema invalid: <schema path>" or "Xml file is invalid".
    void validateWithSchema(QIODevice *device);

    std::map<std::string, std::vector<std::string>> m_productToBands;
    std::map<std::string, std::string> m_bandsToProduct;
    std::vector<std::string> m_productList;
};

/// Checks a product-to-band map against the installation's schema.
///
/// The schema is `<root>/etc/schemas/products.xsd`; the device is read from where it stands. On
/// failure returns false and sets *errorString (when given) to "Schema invalid: <schema path>" or
/// to "Xml file is invalid: line L, column C: <what the validator found>". Writes nothing to the
/// console.
/// \param device the map's XML
/// \param[out] errorString receives the reason for a false when given; may be null
/// \return true when the map is valid against the schema
UTIL_EXPORT bool validateProductBandMap(QIODevice *device, QString *errorString = nullptr);

} // namespace util
