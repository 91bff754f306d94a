// Support-file reader and both writers. Any bytes must load without a fault. What either writer
// makes of the record must load as complete (a sound file) and read back to a record that the
// writer writes identically (a fixed point after one round), except a date the C library cannot
// format: the writer leaves it empty and the reader then keeps the date it had. The written text
// goes to the same path as the input; the level-1 writer leaves out the level-0 name (a complete
// load names it after the file it reads, a load stopped by a broken block does not).
#include "FuzzCommon.h"

#include "util/support/SupportFile.h"

#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

std::vector<std::string> linesOf(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool isEmptyDate(const std::string &line)
{
    const auto rest = [&](const char *keyword) {
        const std::string k(keyword);
        if (line.compare(0, k.size(), k) != 0)
            return std::string("x");
        std::string r = line.substr(k.size());
        while (!r.empty() && (r.front() == ' ' || r.front() == '\t'))
            r.erase(0, 1);
        return r;
    };
    return rest("PHOTO_DATE") == "\"\"" || rest("IMAGE_DATE").empty();
}

bool hasEmptyDate(const std::string &text)
{
    for (const std::string &line : linesOf(text)) {
        if (isEmptyDate(line))
            return true;
    }
    return false;
}

// Same text line by line, except where the first text has an empty (unwritable) date.
void checkSameText(const std::string &first, const std::string &second, const char *writer)
{
    const std::vector<std::string> a = linesOf(first);
    const std::vector<std::string> b = linesOf(second);
    QUOR_FUZZ_CHECK(a.size() == b.size(),
                    std::string(writer) + "\n--- first\n" + first + "--- second\n" + second);
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && !isEmptyDate(a[i]))
            quorfuzz::fail(writer,
                           "line " + std::to_string(i + 1) + "\n  first:  " + a[i]
                               + "\n  second: " + b[i]);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    ::setenv("TZ", "UTC", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string input = quorfuzz::writeScratch("input.sup", data, size);
    util::SupportFile record;
    util::Failure error;
    record.loadFileChecked(input, &error);
    std::size_t keywords = 0;
    record.forEachKeyword([&](const char *, unsigned, util::SupportFile::ValueKind,
                              const std::string &) { ++keywords; });

    const std::string l1 = record.formatL1SupportFile(input, false, false);
    {
        util::SupportFile again;
        const auto status = again.loadFileChecked(quorfuzz::writeScratch("input.sup", l1), &error);
        QUOR_FUZZ_CHECK(status == util::SupportFile::ReadStatus::Complete || hasEmptyDate(l1),
                        error.text().toStdString() + "\n" + l1);
        QUOR_FUZZ_CHECK(again.getImageLevel() == 1, l1);
        checkSameText(l1, again.formatL1SupportFile(input, false, false), "level-1 writer");
    }
    const std::string l2 = record.formatL2SupportFile();
    {
        util::SupportFile again;
        const auto status = again.loadFileChecked(quorfuzz::writeScratch("input.sup", l2), &error);
        QUOR_FUZZ_CHECK(status == util::SupportFile::ReadStatus::Complete || hasEmptyDate(l2),
                        error.text().toStdString() + "\n" + l2);
        QUOR_FUZZ_CHECK(again.getImageLevel() == 2, l2);
        checkSameText(l2, again.formatL2SupportFile(), "level-2 writer");
    }
    return 0;
}
