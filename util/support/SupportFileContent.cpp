// The files a support file refers to, resolved the way an operator means them: beside the
// support file, wherever the program that checks them was started.

#include "util/support/SupportFileContent.h"

#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace util {

namespace {

std::string withSlashes(std::string name)
{
    for (char &c : name) {
        if (c == '\\')
            c = '/';
    }
    return name;
}

std::string folderOf(const std::string &path)
{
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

std::string resolve(const std::string &folder, const std::string &name)
{
    const std::string plain = withSlashes(name);
    if (!plain.empty() && plain.front() == '/')
        return plain;
    return folder == "." ? plain : folder + "/" + plain;
}

} // namespace

std::vector<SupportFileReference>
supportFileReferences(const SupportFile &record, const std::vector<SupportFileEntry> &entries,
                      const std::string &supportFilePath)
{
    const std::string folder = folderOf(supportFilePath);
    std::vector<SupportFileReference> references;
    const auto add = [&](const char *what, const std::string &name, bool cut) {
        SupportFileReference r;
        r.what = what;
        r.name = name;
        r.path = resolve(folder, name);
        const QFileInfo info(QFile::decodeName(r.path.c_str()));
        if (cut) {
            r.state = SupportFileReference::Cut;
            r.message = r.what + ": " + name + " was cut at 254 characters";
        } else if (!info.exists()) {
            r.state = SupportFileReference::Missing;
            r.message = r.what + ": " + name + " dosen't exist!";
        } else if (info.isDir()) {
            r.state = SupportFileReference::Folder;
            r.message = r.what + ": " + name + " is a folder";
        } else {
            r.state = SupportFileReference::Present;
        }
        references.push_back(std::move(r));
    };

    // Image entries in the record and image entries of the file correspond one to one, in
    // order: the loader appends one per block it reads.
    std::vector<bool> cutImages;
    for (const SupportFileEntry &entry : entries) {
        if (entry.keyword == "IMAGE_FILE_NAME")
            cutImages.push_back(entry.cut);
    }
    const auto &images = record.getImageMinifications();
    const std::size_t firstFromFile =
        images.size() >= cutImages.size() ? images.size() - cutImages.size() : 0;
    for (std::size_t i = 0; i < images.size(); ++i)
        add("Image file", images[i].fileName, i >= firstFromFile && cutImages[i - firstFromFile]);

    const std::pair<const char *, const std::string *> others[] = {
        {"Original orientation", &record.getOriginalOdfFile()},
        {"Adjusted orientation", &record.getAdjustedOdfFile()},
        {"Original calibration", &record.getOriginalCalibration()},
        {"Adjusted calibration", &record.getAdjustedCalibration()},
    };
    for (const auto &other : others) {
        if (!other.second->empty())
            add(other.first, *other.second, false);
    }
    if (const SupportFileEntry *level0 = findEntry(entries, "LEVEL_0_NAME")) {
        if (!level0->value.empty())
            add("Level 0 name", level0->value, false);
    }
    return references;
}

} // namespace util
