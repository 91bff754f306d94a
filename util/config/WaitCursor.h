#pragma once

#include "util/UtilExport.h"

namespace util {

/// Shows the wait cursor for the lifetime of the object (GUI thread only). Objects nest: the
/// cursor returns to normal when the last one ends.
class UTIL_EXPORT WaitCursor
{
public:
    WaitCursor();
    ~WaitCursor();
    /// A copy pushes a cursor of its own, so each object pops exactly one.
    WaitCursor(const WaitCursor &);
    WaitCursor &operator=(const WaitCursor &) { return *this; }
};

} // namespace util
