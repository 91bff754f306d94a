// INI merge. The input is a source file, a line "=====" and a destination file (without the
// line, both files are the input). Whatever the bytes, the merge either throws and leaves the
// destination exactly as it was, or keeps every line of the destination, in order (a last line
// without a terminator may gain one).
#include "FuzzCommon.h"

#include "util/config/IniTool.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace {

std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Lines without their terminators (LF or CR LF).
std::vector<std::string> linesOf(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool terminated = end != std::string::npos;
        if (!terminated)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (terminated && !line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = terminated ? end + 1 : end;
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    static const std::string separator = "\n=====\n";
    std::string source = input, destination = input;
    const std::size_t at = input.find(separator);
    if (at != std::string::npos) {
        source = input.substr(0, at + 1);
        destination = input.substr(at + separator.size());
    }
    const std::string sourcePath = quorfuzz::writeScratch("source.ini", source);
    const std::string destinationPath = quorfuzz::writeScratch("destination.ini", destination);
    try {
        util::IniTool::mergeIniFiles(sourcePath, destinationPath);
    } catch (const std::runtime_error &) {
        QUOR_FUZZ_CHECK(readAll(destinationPath) == destination, "destination changed on error");
        return 0;
    }
    const std::string merged = readAll(destinationPath);
    const std::vector<std::string> before = linesOf(destination);
    const std::vector<std::string> after = linesOf(merged);
    std::size_t next = 0;
    for (const std::string &line : before) {
        while (next < after.size() && after[next] != line)
            ++next;
        QUOR_FUZZ_CHECK(next < after.size(), "destination line lost: " + line + "\n--- merged\n"
                                                 + merged);
        ++next;
    }
    return 0;
}
