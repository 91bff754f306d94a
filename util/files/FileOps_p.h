#pragma once

// Internal: test seams of the file operations.

#include "util/TestSeam_p.h"

#include <cstdint>

namespace util {
namespace testseam {

/// Makes the next copyFile() fail with errno `error` once `afterBytes` bytes have been copied,
/// as a full or failing medium would. error 0 clears it.
UTIL_TEST_SEAM void injectCopyFault(int error, std::uint64_t afterBytes);

} // namespace testseam
} // namespace util
