#pragma once

/// \file
/// Comparing two XML files whatever the order of attributes and sibling nodes.
/// \ingroup xml

#include "util/UtilExport.h"

#include <QString>

namespace util {

/// True if the root elements of the two XML files compare equal.
///
/// Node kinds, names, values and attributes match exactly; attribute order and the order of
/// sibling nodes do not matter.
/// Each child of the first file's node is paired with the first still unpaired child of the
/// other that matches it shallowly (no backtracking), and the pairs must match deeply.
/// Files that cannot be read or parsed count as documents without a root: two of them compare
/// equal, one of them against a readable file does not. Never throws for bad files.
/// \param fileA the first file
/// \param fileB the second file
/// \return true when the documents compare equal as described
UTIL_EXPORT bool compareXMLfiles(const QString &fileA, const QString &fileB);

} // namespace util
