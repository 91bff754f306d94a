#include "vynfile/vynFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace vynfile {

namespace {

bool parseCount(const char *text, int &value)
{
    if (*text < '0' || *text > '9')
        return false;
    char *end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (*end != '\0' || parsed > 0x7fffffffL)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

} // namespace

int vynFile::readVYNFile(std::string path)
{
    m_lines = 0;
    m_samples = 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(path.c_str(), "rb"),
                                                          &std::fclose);
    if (!file)
        return -1;
    char header[4097];
    const std::size_t size = std::fread(header, 1, sizeof header - 1, file.get());
    header[size] = '\0';

    int lines = -1;
    int samples = -1;
    bool first = true;
    for (char *line = header; line && *line;) {
        char *next = std::strchr(line, '\n');
        if (next)
            *next++ = '\0';
        else if (size == sizeof header - 1)
            return -2; // the header does not end within what is read
        if (*line == '\0')
            break;
        if (first) {
            if (std::strcmp(line, "VYN 1") != 0)
                return -2;
            first = false;
        } else if (std::strncmp(line, "lines ", 6) == 0) {
            if (!parseCount(line + 6, lines))
                return -2;
        } else if (std::strncmp(line, "samples ", 8) == 0) {
            if (!parseCount(line + 8, samples))
                return -2;
        }
        line = next;
    }
    if (first || lines < 0 || samples < 0)
        return -2;
    m_lines = lines;
    m_samples = samples;
    return 0;
}

} // namespace vynfile
