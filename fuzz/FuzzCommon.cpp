#include "FuzzCommon.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <ftw.h>
#include <unistd.h>

namespace quorfuzz {
namespace {

std::string g_dir;

int removeEntry(const char *path, const struct stat *, int, struct FTW *)
{
    ::remove(path);
    return 0;
}

void removeScratch()
{
    if (!g_dir.empty())
        ::nftw(g_dir.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

} // namespace

const std::string &scratchDir()
{
    if (g_dir.empty()) {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quorfuzz.XXXXXX";
        if (!::mkdtemp(pattern.data()))
            fail("mkdtemp", pattern);
        g_dir = pattern;
        std::atexit(removeScratch);
    }
    return g_dir;
}

std::string writeScratch(const std::string &name, const std::uint8_t *data, std::size_t size)
{
    const std::string path = scratchDir() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out)
        fail("write scratch file", path);
    return path;
}

std::string writeScratch(const std::string &name, const std::string &text)
{
    return writeScratch(name, reinterpret_cast<const std::uint8_t *>(text.data()), text.size());
}

void quietHandler(QtMsgType, const QMessageLogContext &, const QString &) { }

void ensureApplication(bool quiet)
{
    static int argc = 1;
    static char name[] = "quorfuzz";
    static char *argv[] = {name, nullptr};
    // Never destroyed: Qt's own globals may go before a static application object would.
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
    if (quiet)
        qInstallMessageHandler(quietHandler);
}

void useSourceTreeInstallation()
{
    ::setenv("QUOR_DEVELOP", QUOR_SOURCE_DIR "/resources", 1);
}

void fail(const char *what, const std::string &detail)
{
    // The detail may hold any bytes: NUL and control characters are shown escaped.
    std::string shown;
    for (const unsigned char c : detail) {
        if ((c < 0x20 && c != '\n') || c == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            shown += escaped;
        } else {
            shown += static_cast<char>(c);
        }
    }
    std::fprintf(stderr, "quorfuzz: check failed: %s\n%s\n", what, shown.c_str());
    std::fflush(stderr);
    std::abort();
}

} // namespace quorfuzz
