#pragma once

#include "util/UtilExport.h"

class QDomNode;
class QString;

namespace util {

/// Common interface of the classes that build a name from an XML naming pattern.
class UTIL_EXPORT NameGenerator
{
public:
    virtual ~NameGenerator();

    /// Builds a name from the pattern node into name; returns whether it succeeded.
    virtual bool createNameFromPattern(QDomNode const &pattern, QString &name) const = 0;

protected:
    NameGenerator() = default;
    NameGenerator(const NameGenerator &) = default;
    NameGenerator &operator=(const NameGenerator &) = default;
};

} // namespace util
