#include "util/bands/ProductBandMapper.h"

#include "util/bands/ProductsXml_p.h"

#include <QDomDocument>
#include <QIODevice>

#include <stdexcept>

namespace util {

ProductBandMapper::ProductBandMapper(QIODevice *device)
{
    QDomDocument document(QStringLiteral("ProductBandMap"));
    const QByteArray bytes = device ? device->readAll() : QByteArray();
    if (!detail::loadDom(bytes, document))
        throw std::runtime_error("Can't read config. Invalid xml.");
    createMaps(document);
}

std::vector<std::string> ProductBandMapper::productToBands(const std::string &product)
{
    const auto it = m_productToBands.find(product);
    return it == m_productToBands.end() ? std::vector<std::string>() : it->second;
}

std::string ProductBandMapper::bandsToProduct(const std::vector<std::string> &bands)
{
    std::string key;
    for (const std::string &band : bands)
        key += band;
    return bandsToProduct(key);
}

const std::vector<std::string> &ProductBandMapper::getProductList() const
{
    return m_productList;
}

void ProductBandMapper::createMaps(const QDomDocument &document)
{
    for (QDomNode node = document.documentElement().firstChild(); !node.isNull();
         node = node.nextSibling())
        createProduct(node);
}

void ProductBandMapper::createProduct(const QDomNode &node)
{
    const QDomElement bandsElement = node.firstChildElement(QStringLiteral("Bands"));
    if (bandsElement.isNull())
        return;
    const std::string product = node.toElement().attribute(QStringLiteral("name")).toStdString();
    std::vector<std::string> &bands = m_productToBands[product];
    bands.clear();
    m_productList.push_back(product);
    std::string key;
    for (QDomNode band = bandsElement.firstChild(); !band.isNull(); band = band.nextSibling()) {
        const std::string source =
            band.toElement().attribute(QStringLiteral("source")).toStdString();
        if (source.empty())
            continue;
        bands.push_back(source);
        key += source;
    }
    if (!key.empty())
        m_bandsToProduct[key] = product;
}

std::string ProductBandMapper::bandsToProduct(const std::string &key)
{
    const auto it = m_bandsToProduct.find(key);
    return it == m_bandsToProduct.end() ? std::string() : it->second;
}

int ProductBandMapper::getProductPosition(const std::string &product) const
{
    for (std::size_t i = 0; i < m_productList.size(); ++i) {
        if (m_productList[i] == product)
            return static_cast<int>(i);
    }
    return -1;
}

void ProductBandMapper::validateWithSchema(QIODevice *device)
{
    detail::validateWithProductsSchema(device);
}

bool validateProductBandMap(QIODevice *device, QString *errorString)
{
    std::string schemaPath;
    QString message;
    switch (detail::checkAgainstProductsSchema(device, &schemaPath, &message)) {
    case detail::SchemaVerdict::Valid:
        return true;
    case detail::SchemaVerdict::SchemaInvalid:
        if (errorString)
            *errorString = QStringLiteral("Schema invalid: ") + QString::fromStdString(schemaPath);
        return false;
    case detail::SchemaVerdict::DocumentInvalid:
        break;
    }
    if (errorString)
        *errorString = QStringLiteral("Xml file is invalid: ") + message;
    return false;
}

} // namespace util
