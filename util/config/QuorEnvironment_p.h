#pragma once

// Internal: the platform parts of the environment queries and their test seams.

#include "util/TestSeam_p.h"

#include <string>

namespace util {

namespace detail {
/// The platform part of modulename(): the executable's name as the system reports it.
std::string executableName();
/// The platform part of vectorOpLevel(): ECX of cpuid leaf 1 (0 where there is none).
unsigned int cpuidLeaf1Ecx();
} // namespace detail

namespace testseam {
/// The directory part of an executable's name: the text before the last '/', or the whole
/// name when it holds none.
UTIL_TEST_SEAM std::string modulepathOf(const std::string &name);
/// The vector instruction level that the ECX feature bits of cpuid leaf 1 announce.
UTIL_TEST_SEAM float vectorOpLevelFromEcx(unsigned int ecx);
} // namespace testseam

} // namespace util
