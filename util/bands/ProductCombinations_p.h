#pragma once

// Internal: the candidate band lists of ProductGenerator, in the one order every caller sees.

#include "util/TestSeam_p.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <string>
#include <utility>
#include <vector>

namespace util {
namespace detail {

/// Stands for the empty entry of a combination (it adds nothing to the band key).
constexpr int EmptyEntry = -1;

inline bool beginsWith(const QString &text, const char *start)
{
    return text.startsWith(QLatin1String(start));
}
inline bool beginsWith(const std::string &text, const char *start)
{
    return text.compare(0, std::char_traits<char>::length(start), start) == 0;
}

/// Index of the first entry equal to bands[i] (duplicates stand for their first copy).
template<typename List> int firstEqual(const List &bands, int i)
{
    for (int k = 0; k < i; ++k) {
        if (bands[k] == bands[i])
            return k;
    }
    return i;
}

/// Every red-green pair of bands as indices (first copies), reds outside, greens inside.
template<typename List> std::vector<std::pair<int, int>> redGreenPairs(const List &bands)
{
    std::vector<int> reds, greens;
    for (int i = 0; i < static_cast<int>(bands.size()); ++i) {
        if (beginsWith(bands[i], "RED"))
            reds.push_back(firstEqual(bands, i));
        else if (beginsWith(bands[i], "GRN"))
            greens.push_back(firstEqual(bands, i));
    }
    std::vector<std::pair<int, int>> pairs;
    for (const int r : reds) {
        for (const int g : greens)
            pairs.emplace_back(r, g);
    }
    return pairs;
}

/// Calls visit(entries, count) for every candidate, entries being indices into bands or
/// EmptyEntry. For each pair (r, g): rest is bands without r and g, plus the empty entry; for
/// each x of rest: x r g, then x r g y for every other y of rest. Then every band alone.
template<typename List, typename Visit>
void forEachCombination(const List &bands, const std::vector<std::pair<int, int>> &pairs,
                        Visit &&visit)
{
    const int count = static_cast<int>(bands.size());
    std::vector<int> rest;
    rest.reserve(count + 1);
    for (const auto &[r, g] : pairs) {
        rest.clear();
        for (int i = 0; i < count; ++i) {
            if (i != r && i != g)
                rest.push_back(i);
        }
        rest.push_back(EmptyEntry);
        const int restCount = static_cast<int>(rest.size());
        for (int j = 0; j < restCount; ++j) {
            int entries[4] = {rest[j], r, g, EmptyEntry};
            visit(static_cast<const int *>(entries), 3);
            for (int k = 0; k < restCount; ++k) {
                if (k == j)
                    continue;
                entries[3] = rest[k];
                visit(static_cast<const int *>(entries), 4);
            }
        }
    }
    for (int b = 0; b < count; ++b) {
        const int entries[1] = {b};
        visit(entries, 1);
    }
}

/// The combinations as band-name lists (the empty entry as "").
QVector<QStringList> combinationLists(const QStringList &bands,
                                      const std::vector<std::pair<int, int>> &pairs);

} // namespace detail

namespace testseam {
/// Every candidate ProductGenerator looks up for bands, in order.
UTIL_TEST_SEAM QVector<QStringList> productCombinations(const QStringList &bands);
} // namespace testseam

} // namespace util
