// Band and image codes. The input is a list of band names, one a line. Any list gives a master
// band and a NIR channel within the list (or the documented outcome) and an image code or the
// documented error; a code that splits again into the bands of the list (a set that shares
// direction, CCD and line letter) is rebuilt into the same code.
#include "FuzzCommon.h"

#include "util/bands/BandCodes.h"

#include <QStringList>

#include <sstream>
#include <stdexcept>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    std::vector<std::string> bands;
    std::istringstream in(input);
    for (std::string line; std::getline(in, line);)
        bands.push_back(line);

    try {
        const unsigned master = util::masterBand(bands);
        QUOR_FUZZ_CHECK(master == 0 || master < bands.size(), input);
        // The Qt list gives the same answer for names that are UTF-8 (others change on the
        // way into a QString).
        QStringList list;
        bool utf8 = true;
        for (const std::string &band : bands) {
            list << QString::fromStdString(band);
            utf8 = utf8 && list.back().toStdString() == band;
        }
        if (utf8)
            QUOR_FUZZ_CHECK(util::masterBand(list) == master, input);
    } catch (const std::runtime_error &) {
    }
    const int nir = util::getNIRChannel(bands);
    QUOR_FUZZ_CHECK(nir >= -1 && nir < static_cast<int>(bands.size()), input);
    for (const std::string &band : bands)
        (void)util::getNIRChannel(band);

    std::string code;
    try {
        code = util::createImageCode(bands);
    } catch (const std::runtime_error &) {
        return 0;
    }
    std::vector<std::string> split;
    try {
        util::splitImageCode(code, split);
    } catch (const std::runtime_error &) {
        return 0;
    }
    if (split == bands)
        QUOR_FUZZ_CHECK(util::createImageCode(split) == code, input);
    // Splitting the input itself as a code.
    if (!bands.empty()) {
        std::vector<std::string> parts;
        try {
            util::splitImageCode(bands.front(), parts);
        } catch (const std::runtime_error &) {
        }
    }
    return 0;
}
