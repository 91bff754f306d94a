#include "util/bands/ProductGenerator.h"

#include "util/bands/ProductCombinations_p.h"

#include <QSet>

#include <map>

namespace util {

namespace detail {

QVector<QStringList> combinationLists(const QStringList &bands,
                                      const std::vector<std::pair<int, int>> &pairs)
{
    QVector<QStringList> combinations;
    forEachCombination(bands, pairs, [&](const int *entries, int count) {
        QStringList combination;
        for (int i = 0; i < count; ++i)
            combination << (entries[i] == EmptyEntry ? QString() : bands.at(entries[i]));
        combinations << combination;
    });
    return combinations;
}

} // namespace detail

namespace testseam {
QVector<QStringList> productCombinations(const QStringList &bands)
{
    return detail::combinationLists(bands, detail::redGreenPairs(bands));
}
} // namespace testseam

namespace {

// Looks every candidate of bands up by its band key and records, under the product's position
// in the configuration, what record(product, entries, count) makes of it; a later candidate
// replaces an earlier record. Keys are built in one buffer from names converted once: the
// lookups are the whole cost.
template<typename Record, typename Lookup, typename Position, typename Make>
std::map<int, Record> collect(const QStringList &bands, Lookup lookup, Position position, Make make)
{
    std::vector<std::string> names;
    names.reserve(bands.size());
    for (const QString &band : bands)
        names.push_back(band.toStdString());
    std::map<int, Record> records;
    std::map<std::string, int> positions; // product name to position, asked once per product
    std::string key;
    detail::forEachCombination(names, detail::redGreenPairs(names),
                               [&](const int *entries, int count) {
                                   key.clear();
                                   for (int i = 0; i < count; ++i) {
                                       if (entries[i] != detail::EmptyEntry)
                                           key += names[entries[i]];
                                   }
                                   const std::string product = lookup(key);
                                   if (product.empty())
                                       return;
                                   auto found = positions.find(product);
                                   if (found == positions.end())
                                       found = positions.emplace(product, position(product)).first;
                                   if (found->second >= 0)
                                       records[found->second] = make(product, entries, count);
                               });
    return records;
}

} // namespace

ProductGenerator::ProductGenerator(QIODevice *device, const QStringList &bands)
    : ProductBandMapper(device)
    , m_bands(bands)
{
}

QStringList ProductGenerator::getAvailableProducts()
{
    const auto records = collect<QString>(
        m_bands, [this](const std::string &key) { return bandsToProduct(key); },
        [this](const std::string &product) { return getProductPosition(product); },
        [](const std::string &product, const int *, int) {
            return QString::fromStdString(product);
        });
    QStringList products;
    for (const auto &record : records)
        products << record.second;
    return products;
}

QList<QPair<QString, bool>>
ProductGenerator::getAvailableProducts(QList<QPair<QString, bool>> bands)
{
    m_bands.clear();
    QSet<QString> selectedNames;
    for (const auto &band : bands) {
        m_bands << band.first;
        if (band.second)
            selectedNames.insert(band.first);
    }
    // Selection goes by name, so every copy of a selected name counts as selected.
    std::vector<bool> selected;
    for (const QString &band : m_bands)
        selected.push_back(selectedNames.contains(band));

    const auto records = collect<QPair<QString, bool>>(
        m_bands, [this](const std::string &key) { return bandsToProduct(key); },
        [this](const std::string &product) { return getProductPosition(product); },
        [&selected](const std::string &product, const int *entries, int count) {
            bool all = true;
            for (int i = 0; i < count; ++i) {
                if (entries[i] != detail::EmptyEntry && !selected[entries[i]])
                    all = false;
            }
            return qMakePair(QString::fromStdString(product), all);
        });
    QList<QPair<QString, bool>> products;
    for (const auto &record : records)
        products << record.second;
    return products;
}

QVector<QStringList> ProductGenerator::getRedGreenPairs()
{
    QStringList reds, greens;
    for (const QString &band : m_bands) {
        if (band.startsWith(QLatin1String("RED")))
            reds << band;
        else if (band.startsWith(QLatin1String("GRN")))
            greens << band;
    }
    QVector<QStringList> pairs;
    for (const QString &red : reds) {
        for (const QString &green : greens)
            pairs << QStringList {red, green};
    }
    return pairs;
}

QStringList ProductGenerator::removePair(const QStringList &pair)
{
    QStringList rest = m_bands;
    for (const QString &band : pair)
        rest.removeOne(band);
    return rest;
}

QVector<QStringList> ProductGenerator::createCombinations(const QVector<QStringList> &pairs)
{
    // Pairs name bands of the list; each stands for its first copy, as removePair() removes it.
    std::vector<std::pair<int, int>> indices;
    for (const QStringList &pair : pairs) {
        if (pair.size() == 2 && m_bands.contains(pair[0]) && m_bands.contains(pair[1]))
            indices.emplace_back(m_bands.indexOf(pair[0]), m_bands.indexOf(pair[1]));
    }
    return detail::combinationLists(m_bands, indices);
}

} // namespace util
