#pragma once

/// \file
/// The common interface of the name generators.
/// \ingroup naming

#include "util/UtilExport.h"

class QDomNode;
class QString;

namespace util {

/// Common interface of the classes that build a name from an XML naming pattern.
/// \ingroup naming
class UTIL_EXPORT NameGenerator
{
public:
    /// Destroys the generator.
    virtual ~NameGenerator();

    /// Builds a name from the pattern node into name; returns whether it succeeded.
    /// \param pattern the naming pattern's element
    /// \param[out] name receives the name (each generator says how)
    /// \return true when a name was made
    virtual bool createNameFromPattern(QDomNode const &pattern, QString &name) const = 0;

protected:
    /// For the derived classes only.
    NameGenerator() = default;
    /// For the derived classes' copies (the interface holds no state).
    NameGenerator(const NameGenerator &) = default;
    /// For the derived classes' assignments (the interface holds no state).
    /// \return this generator
    NameGenerator &operator=(const NameGenerator &) = default;
};

} // namespace util
