#pragma once

/// \file
/// The wait cursor for the lifetime of an object.
/// \ingroup config

#include "util/UtilExport.h"

namespace util {

/// Shows the wait cursor for the lifetime of the object (GUI thread only). Objects nest: the
/// cursor returns to normal when the last one ends.
/// \ingroup config
class UTIL_EXPORT WaitCursor
{
public:
    /// Pushes the wait cursor as the application's override cursor.
    WaitCursor();
    /// Pops the override cursor this object pushed.
    ~WaitCursor();
    /// A copy pushes a cursor of its own, so each object pops exactly one.
    WaitCursor(const WaitCursor &);
    /// Assignment changes nothing: each object keeps the one cursor it pushed.
    /// \return this object
    WaitCursor &operator=(const WaitCursor &) { return *this; }
};

} // namespace util
