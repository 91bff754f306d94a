// Helpers shared by the fuzz targets: a private scratch folder for parsers that read files,
// and a check that aborts (so that libFuzzer keeps the input) with a message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorfuzz {

// A folder private to this process, created on first use and removed at exit.
const std::string &scratchDir();
// Writes bytes to scratchDir()/name (replacing it) and returns the full path.
std::string writeScratch(const std::string &name, const std::uint8_t *data, std::size_t size);
std::string writeScratch(const std::string &name, const std::string &text);
// A QCoreApplication for parsers that need one (created once); with quiet, Qt's messages (the
// schema and XML libraries' complaints about every bad input) are dropped.
void ensureApplication(bool quiet = false);
// The source tree's resources/ as the installation root, for readers that load the shipped
// schemas.
void useSourceTreeInstallation();

[[noreturn]] void fail(const char *what, const std::string &detail = std::string());

} // namespace quorfuzz

#define QUOR_FUZZ_CHECK(cond, detail)                                                              \
    do {                                                                                           \
        if (!(cond))                                                                               \
            ::quorfuzz::fail(#cond, (detail));                                                     \
    } while (0)
