#include "util/support/SupportFileIO_p.h"

#include "util/files/AtomicWrite.h"
#include "util/files/Failure.h"
#include "util/files/ReadFile_p.h"

#include <QFile>

namespace util {
namespace detail {

namespace {

bool fail(std::string *error, std::string text)
{
    if (error)
        *error = std::move(text);
    return false;
}

} // namespace

bool readWholeFile(const std::string &path, std::string &out, std::string *error)
{
    if (path.empty()) {
        out.clear();
        return fail(error, "Can't open: no file name");
    }
    int code = 0;
    switch (readInput(path.c_str(), out, maxSupportFileSize, true, &code)) {
    case ReadOutcome::Ok:
        return true;
    case ReadOutcome::CannotOpen:
        return fail(error, path + ": " + systemReason(code).toStdString());
    case ReadOutcome::CannotRead:
        return fail(error, path + ": " + systemReason(code).toStdString());
    case ReadOutcome::NotRegular:
        return fail(error, path + ": not a regular file");
    case ReadOutcome::TooLarge:
        break;
    }
    return fail(error,
                path + ": larger than " + sizeText(maxSupportFileSize) + ", no support file");
}

bool writeWholeFile(const std::string &path, std::string_view text, Failure *failure)
{
    return writeFileAtomically(QFile::decodeName(path.c_str()), text.data(), text.size(), failure);
}

} // namespace detail
} // namespace util
