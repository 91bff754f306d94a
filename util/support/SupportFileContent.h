#pragma once

/// \file
/// What a support file itself holds, and the files it refers to.
///
/// What a support file itself holds, as opposed to the record's defaults: a record lists every
/// field, and a field the file does not mention keeps its default (ELLIPSOID NAD_83, a date of
/// "now"). Programs that show or convert files tell the two apart with these functions.
/// \ingroup support

#include "util/UtilExport.h"
#include "util/files/Failure.h"
#include "util/support/SupportFile.h"

#include <QString>

#include <string>
#include <vector>

namespace util {

/// One keyword whose value a load stored in the record.
/// \ingroup support
struct SupportFileEntry
{
    std::string keyword; ///< as SupportFile::forEachKeyword spells it ("IMAGE_DATE")
    std::string value; ///< the value's text in the file: quotes removed, blanks trimmed
    int line = 0; ///< 1-based line of the keyword
    bool cut = false; ///< a rest-of-line value (an image name, IMAGE_ID) cut at 254 characters
};

/// Loads path into record exactly as SupportFile::loadFileChecked does and lists in *entries
/// (replaced, in file order) every keyword whose value the loader stored. A keyword of another
/// level, a value the loader refused and an empty date are not listed. "IMAGE_LEVEL" is listed
/// when the level came from the file. Each image-file block is one "IMAGE_FILE_NAME" entry
/// whose value is the image name. "LEVEL_0_NAME" keeps the name the file holds, although the
/// loader stores the support file's own path in the record. For a file that is not Complete,
/// *failure (when given) says why, as loadFileChecked does.
/// \param[in,out] record the record to load into; not reset first
/// \param path the support file
/// \param[out] entries receives the entries when given; may be null
/// \param[out] failure receives the failure when given (its reason empty for a complete
/// read); may be null
/// \return how the load went, as loadFileChecked tells it
UTIL_EXPORT SupportFile::ReadStatus loadSupportFileContent(SupportFile &record,
                                                           const std::string &path,
                                                           std::vector<SupportFileEntry> *entries,
                                                           Failure *failure = nullptr);

/// The entry of keyword (as spelled in the entries), or nullptr; the last one when the file
/// repeats it, as the loader keeps the last value.
/// \param entries the entries of a load
/// \param keyword the keyword, in upper case as the entries spell it
/// \return the entry, pointing into entries; nullptr when the keyword is not listed
UTIL_EXPORT const SupportFileEntry *findEntry(const std::vector<SupportFileEntry> &entries,
                                              const std::string &keyword);

/// One file that a support file refers to.
/// \ingroup support
struct SupportFileReference
{
    /// What stands at the file's path.
    enum State {
        Present, ///< a file (or a link to one) at path
        Missing, ///< nothing at path
        Folder, ///< a folder at path, not a file
        Cut, ///< the name was cut at 254 characters: whatever path holds, it is not the file
    };
    std::string what; ///< "Image file", "Original orientation", ..., "Level 0 name"
    std::string name; ///< as the support file holds it
    std::string path; ///< name resolved against the support file's folder, with '/' separators
    State state = Missing; ///< what stands at path
    /// For anything but Present: one line naming what and name; for Missing the record's own
    /// message ("Image file: <name> dosen't exist!").
    std::string message;
};

/// Every file the support file at supportFilePath refers to, in the order
/// SupportFile::isValid checks them. They are the image files, the original and adjusted
/// orientation and calibration, then the level-0 image that the file names (from entries,
/// since the record holds the support file's own path there). Relative names are resolved
/// against the folder of supportFilePath, not the current folder; a backslash counts as a
/// folder separator.
/// \param record the record loaded from the support file
/// \param entries the entries of that load (loadSupportFileContent())
/// \param supportFilePath the support file, as it was loaded
/// \return one reference per file named, in that order (empty names of the orientation,
/// calibration and level-0 files are left out)
UTIL_EXPORT std::vector<SupportFileReference>
supportFileReferences(const SupportFile &record, const std::vector<SupportFileEntry> &entries,
                      const std::string &supportFilePath);

} // namespace util
