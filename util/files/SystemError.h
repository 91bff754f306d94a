#pragma once

/// \file
/// An error number with its reason, as one text.
/// \ingroup files

#include "util/UtilExport.h"

#include <string>

namespace util {

/// An error number with the system's reason (util::systemReason), in English whatever the
/// locale: "2 (No such file or directory)". Kept for applications that print the number; the
/// library's own failures carry it in util::Failure.
/// \param error an errno value
/// \return the number, a space and the reason in parentheses
UTIL_EXPORT std::string systemErrorText(int error);

} // namespace util
