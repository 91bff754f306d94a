// The product map. Any bytes are read or refused with std::runtime_error, and checked against
// the schema, without a fault; for a map that reads, every product named once maps to its bands
// and those bands map back to a product (named once) whose bands are the same.
#include "FuzzCommon.h"

#include "util/bands/ProductBandMapper.h"

#include <QBuffer>
#include <QByteArray>
#include <QString>

#include <algorithm>
#include <stdexcept>

namespace {

std::string joined(const std::vector<std::string> &bands)
{
    std::string key;
    for (const std::string &band : bands)
        key += band;
    return key;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quorfuzz::useSourceTreeInstallation();
    quorfuzz::ensureApplication(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<int>(size));
    if (size && (data[0] & 1)) {
        QBuffer device(&bytes);
        device.open(QIODevice::ReadOnly);
        QString error;
        (void)util::validateProductBandMap(&device, &error);
    }
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    try {
        util::ProductBandMapper map(&device);
        // A name defined twice keeps its later band list: the round trip holds for the others.
        const std::vector<std::string> &products = map.getProductList();
        const auto once = [&](const std::string &name) {
            return std::count(products.begin(), products.end(), name) == 1;
        };
        for (const std::string &product : products) {
            const std::vector<std::string> bands = map.productToBands(product);
            if (bands.empty() || !once(product))
                continue;
            const std::string back = map.bandsToProduct(bands);
            if (!once(back))
                continue;
            QUOR_FUZZ_CHECK(joined(map.productToBands(back)) == joined(bands),
                            product + " -> " + joined(bands) + " -> " + back);
        }
    } catch (const std::runtime_error &) {
    }
    return 0;
}
