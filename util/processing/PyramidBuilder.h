#pragma once

#include "util/UtilExport.h"

#include <string>
#include <vector>

namespace util {

/// Builds the image pyramid of one image by running the external builder as
/// `program image -external`, and waits for it to end, without a time-out.
///
/// messages is cleared, then filled with report lines: the command line, then on success
/// "Processor elapsed seconds: N" (this process's processor time, whole seconds); on failure
/// "make_pyr exited with error code N" (0 when it never ran), "make_pyr encountered problems:",
/// one line for Qt's process error ("failed to start process", "make_pyr crashed",
/// "timed out", "read error", "write error" or "unknown problem"), "standard error:", what the
/// builder wrote there, "standard out:" and what it wrote there. Returns true only when the
/// builder started, ended normally and returned 0. Nothing is thrown.
UTIL_EXPORT bool createOrthoVistaPyramid(const std::string &program, const std::string &image,
                                         std::vector<std::string> &messages);

/// As above, but gives up on a builder still running after timeoutMs milliseconds (negative:
/// wait for ever): the builder is killed and the failure lines report "timed out".
UTIL_EXPORT bool createOrthoVistaPyramid(const std::string &program, const std::string &image,
                                         std::vector<std::string> &messages, int timeoutMs);

} // namespace util
