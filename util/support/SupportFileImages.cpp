// The support file's image list and the check that every file it refers to exists.

#include "util/support/SupportFile.h"

#include "vynfile/vynFile.h"

#include <QDir>
#include <QFile>

#include <cctype>
#include <ctime>
#include <iostream>

namespace util {

namespace {

bool hasSensorFileExtension(const std::string &path)
{
    const std::size_t dot = path.rfind('.');
    const std::string extension = dot == std::string::npos ? path : path.substr(dot + 1);
    if (extension.size() < 3)
        return false;
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(extension[i])) != "VYN"[i])
            return false;
    }
    return true;
}

bool exists(const std::string &name)
{
    return QFile::exists(QString::fromStdString(name));
}

// Runs the checks in order; stops at the first missing file unless all are wanted.
std::vector<std::string> findMissing(const SupportFile &record, bool all)
{
    std::vector<std::string> missing;
    const auto check = [&](const char *what, const std::string &name) {
        if ((all || missing.empty()) && !exists(name))
            missing.push_back(what + name + " dosen't exist!");
    };
    for (const SupportFile::ImageMinification &image : record.getImageMinifications())
        check("Image file: ", image.fileName);
    const std::pair<const char *, const std::string *> references[] = {
        {"Original orientation: ", &record.getOriginalOdfFile()},
        {"Adjusted orientation: ", &record.getAdjustedOdfFile()},
        {"Original calibration: ", &record.getOriginalCalibration()},
        {"Adjusted calibration: ", &record.getAdjustedCalibration()},
        {"Level 0 name: ", &record.getL0ImageName()},
    };
    for (const auto &reference : references) {
        if (!reference.second->empty())
            check(reference.first, *reference.second);
    }
    return missing;
}

} // namespace

bool SupportFile::addImage(const std::string &path, int &lines, int &samples, int level,
                           bool readSensorFile, const std::string &baseDirectory)
{
    if (!hasSensorFileExtension(path))
        return false;
    const std::size_t slash = path.find_last_of("/\\");
    const std::string fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = fileName.rfind('.');
    const std::string baseName = dot == std::string::npos ? fileName : fileName.substr(0, dot);
    if (level == 1) {
        m_imageID = baseName;
        m_imageDate = static_cast<std::int64_t>(std::time(nullptr));
    }
    if (readSensorFile) {
        vynfile::vynFile sensorFile;
        sensorFile.readVYNFile(path);
        lines = sensorFile.lines();
        samples = sensorFile.samples();
    }
    ImageMinification image;
    image.level = level;
    image.fileName = baseDirectory.empty() ? path
                                           : QDir(QString::fromStdString(baseDirectory))
                                                 .relativeFilePath(QString::fromStdString(path))
                                                 .toStdString();
    image.lines = lines;
    image.samples = samples;
    m_imageMinifications.push_back(image);
    return true;
}

bool SupportFile::isValid(bool verbose) const
{
    const std::vector<std::string> missing = findMissing(*this, false);
    if (missing.empty())
        return true;
    if (verbose)
        std::cerr << missing.front() << std::endl;
    return false;
}

std::vector<std::string> SupportFile::missingFiles() const
{
    return findMissing(*this, true);
}

} // namespace util
