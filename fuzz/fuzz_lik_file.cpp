// Image link files. Any bytes either read or throw std::runtime_error; an image path that was
// read is written to a new link file and reads back unchanged.
// Dictionary: fuzz/xml.dict.
#include "FuzzCommon.h"

#include "util/support/LikFile.h"

#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string input = quorfuzz::writeScratch("input.lik", data, size);
    util::LikFile link;
    try {
        link = util::LikFile::createFromLikFile(input);
    } catch (const std::runtime_error &) {
        return 0;
    }
    const std::string image = link.imgFilePath();
    const std::string copy = quorfuzz::scratchDir() + "/copy.lik";
    util::LikFile written(image, copy);
    try {
        written.write();
    } catch (const std::runtime_error &e) {
        // The path came out of a link file, so it can go into one.
        quorfuzz::fail("write", image + "\n" + e.what());
    }
    try {
        QUOR_FUZZ_CHECK(util::LikFile::createFromLikFile(copy).imgFilePath() == image, image);
    } catch (const std::runtime_error &e) {
        quorfuzz::fail("read back", image + "\n" + e.what());
    }
    return 0;
}
