// World files. Any bytes read without a fault; six numbers that read are written and read back
// to the same text (the writer's fixed notation is a fixed point after one round), and moving
// and rescaling the grid stay defined for any values read.
#include "FuzzCommon.h"

#include "util/support/WorldFile.h"

#include <fstream>
#include <iterator>

namespace {

std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string input = quorfuzz::writeScratch("input.tfw", data, size);
    util::WorldFile world(input);
    if (!world.isValid())
        return 0;
    // Precisions from the input's first byte, as a caller might pick them.
    const unsigned coordinates = size ? data[0] % 20 : 6;
    const unsigned cells = size ? (data[0] / 20) % 20 : 10;
    const std::string first = quorfuzz::scratchDir() + "/first.tfw";
    const std::string second = quorfuzz::scratchDir() + "/second.tfw";
    QUOR_FUZZ_CHECK(world.saveAs(first, coordinates, cells), first);
    util::WorldFile again(first);
    QUOR_FUZZ_CHECK(again.isValid(), readAll(first));
    QUOR_FUZZ_CHECK(again.saveAs(second, coordinates, cells), second);
    QUOR_FUZZ_CHECK(readAll(first) == readAll(second),
                    "--- first\n" + readAll(first) + "--- second\n" + readAll(second));

    world.applyOffset(world.topLeftY(), world.cellSizeX());
    world.minify(world.rotX());
    world.minify(2.0);
    return 0;
}
