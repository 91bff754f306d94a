#pragma once

/// \file
/// The former place of util/core/SubtaskProgressInterface.h, which it includes.
///
/// The progress contract moved beneath the file family, which reports through it; this header
/// keeps programs that include it from here building.
/// \ingroup progress

#include "util/core/SubtaskProgressInterface.h"
