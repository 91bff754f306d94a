#pragma once

#include "util/UtilExport.h"

#include <string>

namespace util {

/// An error number with the system's reason, in English whatever the locale (the library's and
/// the tool's messages are English): "2 (No such file or directory)".
UTIL_EXPORT std::string systemErrorText(int error);

} // namespace util
