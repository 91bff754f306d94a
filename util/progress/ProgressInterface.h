#pragma once

// The progress contract moved beneath the file family, which reports through it; this header
// keeps programs that include it from here building.
#include "util/core/ProgressInterface.h"
