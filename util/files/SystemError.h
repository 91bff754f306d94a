#pragma once

#include "util/UtilExport.h"

#include <string>

namespace util {

/// An error number with the system's reason (util::systemReason), in English whatever the
/// locale: "2 (No such file or directory)". Kept for applications that print the number; the
/// library's own failures carry it in util::Failure.
UTIL_EXPORT std::string systemErrorText(int error);

} // namespace util
