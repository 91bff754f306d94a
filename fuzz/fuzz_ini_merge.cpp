// INI merge. The input is a source file, a line "=====" and a destination file (without the
// line, both files are the input). Whatever the bytes, the merge either throws and leaves the
// destination exactly as it was, or keeps every line of the destination, in order (a last line
// without a terminator may gain one); merging the same source again then changes nothing (or
// throws), for a source without regular-expression characters.
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

// Lines with their terminators: each ends after an LF, the last one may have none.
std::vector<std::string> linesOf(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, next - start));
        start = next;
    }
    return lines;
}

// A destination line survives byte for byte; one without a terminator may gain LF or CR LF.
bool survives(const std::string &line, const std::string &merged)
{
    if (merged == line)
        return true;
    if (line.empty() || line.back() == '\n')
        return false;
    return merged == line + "\n" || merged == line + "\r\n";
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
        while (next < after.size() && !survives(line, after[next]))
            ++next;
        QUOR_FUZZ_CHECK(next < after.size(),
                        "destination line lost: " + line + "\n--- merged\n" + merged);
        ++next;
    }
    // Everything the source adds is there now: merging it again changes nothing. (It may throw
    // now: key lines of a section are parsed only where the destination has the section.) Keys
    // are looked up as regular expressions, unescaped, so a key with an expression's special
    // characters ("a.b", "x[1]") may not find itself and is added again: such sources are left
    // out of this check.
    if (source.find_first_of("\\^$.|?*+()[]{}") != std::string::npos)
        return 0;
    try {
        util::IniTool::mergeIniFiles(sourcePath, destinationPath);
    } catch (const std::runtime_error &) {
    }
    QUOR_FUZZ_CHECK(readAll(destinationPath) == merged,
                    "second merge changed\n--- first\n" + merged + "--- second\n"
                        + readAll(destinationPath));
    return 0;
}
