#pragma once

// Test seams: hooks that let the tests reach a failure or a value no real machine gives on
// demand. They are declared in internal headers with UTIL_TEST_SEAM, which exports them only
// from builds configured with QUOR_TEST_SEAMS=ON (the test builds); an installed library built
// the ordinary way keeps them hidden, so no application can call one.

#include "util/UtilExport.h"

#ifdef QUOR_TEST_SEAMS
#define UTIL_TEST_SEAM UTIL_EXPORT
#else
#define UTIL_TEST_SEAM
#endif
