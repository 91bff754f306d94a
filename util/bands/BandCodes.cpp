#include "util/bands/BandCodes.h"

#include <stdexcept>

namespace util {

namespace {

void requireBandName(const std::string &band)
{
    if (band.size() < 4)
        throw std::runtime_error("Band name too short: " + band);
}

// The CCD number of a band name: the two characters at positions 4 and 5. Anything but
// digits there (a four-letter colour puts the direction letter at 4) reads as 0.
int ccdNumber(const std::string &band)
{
    const std::string digits = band.size() > 4 ? band.substr(4, 2) : std::string();
    if (digits.empty())
        return 0;
    int number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return 0;
        number = number * 10 + (c - '0');
    }
    return number;
}

bool contains(const std::string &text, const char *part)
{
    return text.find(part) != std::string::npos;
}

const char *colourOfLetter(char letter)
{
    switch (letter) {
    case 'P':
        return "PAN";
    case 'N':
        return "NIR";
    case 'R':
        return "RED";
    case 'G':
        return "GRN";
    case 'B':
        return "BLU";
    default:
        return nullptr;
    }
}

} // namespace

unsigned int masterBand(const std::vector<std::string> &bands)
{
    std::vector<unsigned int> pan, green;
    for (unsigned int i = 0; i < bands.size(); ++i) {
        requireBandName(bands[i]);
        if (contains(bands[i], "PAN"))
            pan.push_back(i);
        else if (contains(bands[i], "GRN"))
            green.push_back(i);
    }
    for (const std::vector<unsigned int> *list : {&pan, &green}) {
        for (const unsigned int i : *list) {
            if (ccdNumber(bands[i]) < 5)
                return i;
        }
    }
    if (!pan.empty())
        return pan.front();
    if (!green.empty())
        return green.front();
    for (unsigned int i = 0; i < bands.size(); ++i) {
        if (ccdNumber(bands[i]) < 5)
            return i;
    }
    return 0;
}

unsigned int masterBand(const QStringList &bands)
{
    std::vector<std::string> names;
    names.reserve(bands.size());
    for (const QString &band : bands)
        names.push_back(band.toStdString());
    return masterBand(names);
}

int getNIRChannel(const std::string &band)
{
    return contains(band, "NIR") ? 0 : -1;
}

int getNIRChannel(const std::vector<std::string> &bands)
{
    for (std::size_t i = 0; i < bands.size(); ++i) {
        if (contains(bands[i], "NIR"))
            return static_cast<int>(i);
    }
    return -1;
}

std::string createImageCode(const std::vector<std::string> &bands)
{
    if (bands.empty())
        return std::string();
    if (bands.size() == 1)
        return bands.front();
    std::string code;
    for (const std::string &band : bands) {
        requireBandName(band);
        code += band.front();
    }
    return code + bands.front().substr(3);
}

void splitImageCode(const std::string &code, std::vector<std::string> &bands)
{
    if (code.size() < 4)
        throw std::runtime_error("Image code too short: " + code);
    const std::string suffix = code.substr(code.size() - 4);
    const std::string prefix = code.substr(0, code.size() - 4);
    bands.clear();
    for (const char *single : {"PAN", "NIR", "RED", "GRN", "BLU"}) {
        if (prefix == single) {
            bands.push_back(code);
            return;
        }
    }
    for (const char letter : prefix) {
        const char *colour = colourOfLetter(letter);
        if (!colour)
            throw std::runtime_error("Unknown band letter in image code: " + code);
        bands.push_back(colour + suffix);
    }
}

bool isCcdBandName(const std::string &name)
{
    if (name.size() != 7)
        return false;
    const std::string colour = name.substr(0, 3);
    const bool knownColour =
        colour == "RED" || colour == "GRN" || colour == "BLU" || colour == "NIR" || colour == "PAN";
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    return knownColour && (name[3] == 'F' || name[3] == 'N' || name[3] == 'B') && digit(name[4])
        && digit(name[5]) && (name[6] == 'A' || name[6] == 'B');
}

namespace {

// An image code as createImageCode makes it: band letters, then direction, CCD number and line
// letter (RGBN00A, PNB14A).
bool isImageCode(const std::string &code)
{
    if (code.size() < 5)
        return false;
    const std::string suffix = code.substr(code.size() - 4);
    for (std::size_t i = 0; i + 4 < code.size(); ++i) {
        if (std::string("PNRGB").find(code[i]) == std::string::npos)
            return false;
    }
    return isCcdBandName("RED" + suffix);
}

} // namespace

bool bandsShareLine(const std::vector<std::string> &bands, std::string *why)
{
    const auto refuse = [why](std::string text) {
        if (why)
            *why = std::move(text);
        return false;
    };
    if (bands.empty())
        return refuse("no band");
    if (bands.size() == 1 && isImageCode(bands.front()))
        return true; // its own code
    for (const std::string &band : bands) {
        const std::string shown = band.empty() ? "''" : band;
        if (!isCcdBandName(band))
            return refuse(shown
                          + ": not a band name (such as REDN00A: RED, GRN, BLU, NIR or PAN, "
                            "then F, N or B, two digits and A or B)");
        if (band.substr(3) != bands.front().substr(3))
            return refuse(band + ": not on the line of " + bands.front() + " (" + band.substr(3)
                          + " is not " + bands.front().substr(3) + ")");
    }
    return true;
}

} // namespace util
