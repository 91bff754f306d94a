#pragma once

/// \file
/// Running the external pyramid builder on one image.
/// \ingroup processing

#include "util/UtilExport.h"
#include "util/files/Failure.h"

#include <string>
#include <vector>

namespace util {

/// Builds the image pyramid of one image with the external builder.
///
/// The builder runs as `program image -external`; the call waits for it to end, without a
/// time-out.
///
/// messages is cleared, then filled with report lines: the command line, then on success
/// "Processor elapsed seconds: N" (this process's processor time, whole seconds); on failure
/// "make_pyr exited with error code N" (0 when it never ran), "make_pyr encountered problems:",
/// one line for Qt's process error ("failed to start process", "make_pyr crashed",
/// "timed out", "read error", "write error" or "unknown problem"), "standard error:", what the
/// builder wrote there, "standard out:" and what it wrote there. Returns true only when the
/// builder started, ended normally and returned 0. Nothing is thrown.
///
/// The builder reads an empty standard input; of what it writes only the last
/// PyramidResult::tailBytes of each stream are kept. An image whose name starts with '-' is
/// passed as "./NAME", so that the builder cannot take it for an option.
///
/// \param program the builder: a path, or a bare name looked up on PATH
/// \param image the image whose pyramid is built
/// \param[out] messages cleared, then receives the report lines
/// \return true when the builder succeeded
UTIL_EXPORT bool createOrthoVistaPyramid(const std::string &program, const std::string &image,
                                         std::vector<std::string> &messages);

/// As above, but gives up on a builder still running after timeoutMs milliseconds.
///
/// A negative timeoutMs waits for ever. At the time-out the builder's whole process group is killed
/// and the failure lines report "timed out".
/// \param program the builder: a path, or a bare name looked up on PATH
/// \param image the image whose pyramid is built
/// \param[out] messages cleared, then receives the report lines
/// \param timeoutMs the time-out in milliseconds; negative for none
/// \return true when the builder succeeded in time
UTIL_EXPORT bool createOrthoVistaPyramid(const std::string &program, const std::string &image,
                                         std::vector<std::string> &messages, int timeoutMs);

/// How one run of a pyramid builder went.
/// \ingroup processing
struct UTIL_EXPORT PyramidResult
{
    /// The most bytes of each output stream kept: its end.
    static constexpr std::size_t tailBytes = 64 * 1024;

    std::string commandLine; ///< the program and its arguments, joined by blanks
    bool started = false; ///< the builder ran
    bool crashed = false; ///< ended by a signal it did not ask for (not the time-out's)
    int signal = 0; ///< the signal that ended it, when crashed
    bool timedOut = false; ///< still running at the time-out; its process group was killed
    int exitCode = 0; ///< when it ended normally
    std::string standardError; ///< the last tailBytes it wrote there
    std::string standardOutput; ///< the last tailBytes it wrote there
    bool standardErrorCut = false; ///< standardError lost its beginning
    bool standardOutputCut = false; ///< standardOutput lost its beginning
    double elapsedSeconds = 0; ///< wall-clock time from start to end

    /// Whether the builder started, ended normally and returned 0.
    /// \return true for a successful run
    bool succeeded() const { return started && !crashed && !timedOut && exitCode == 0; }
};

/// Runs the builder as createOrthoVistaPyramid() does and describes the run in result. Returns
/// result.succeeded(). A builder that cannot be started gives false with *failure naming the
/// program: "No such file or directory" when there is none (or none on PATH for a bare name),
/// "Permission denied" when it is not executable (or a folder), and the system's reason for
/// anything else; result.started is then false.
/// \param program the builder: a path, or a bare name looked up on PATH
/// \param image the image whose pyramid is built
/// \param timeoutMs the time-out in milliseconds; negative for none
/// \param[out] result reset, then receives the description of the run
/// \param[out] failure receives the failure when the builder cannot be started, when given;
/// may be null
/// \return true when the builder succeeded in time
UTIL_EXPORT bool buildPyramid(const std::string &program, const std::string &image, int timeoutMs,
                              PyramidResult &result, Failure *failure = nullptr);

/// createOrthoVistaPyramid() with the run described in result as buildPyramid() describes it.
///
/// It gives the same return value and report lines, for callers that need more than the
/// lines.
/// \param program the builder: a path, or a bare name looked up on PATH
/// \param image the image whose pyramid is built
/// \param[out] messages cleared, then receives the report lines
/// \param timeoutMs the time-out in milliseconds; negative for none
/// \param[out] result reset, then receives the description of the run
/// \param[out] failure receives the failure when the builder cannot be started, when given;
/// may be null
/// \return true when the builder succeeded in time
UTIL_EXPORT bool createOrthoVistaPyramid(const std::string &program, const std::string &image,
                                         std::vector<std::string> &messages, int timeoutMs,
                                         PyramidResult &result, Failure *failure = nullptr);

} // namespace util
