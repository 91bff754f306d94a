#include "util/support/SupportFileIO_p.h"

#include "util/files/AtomicWrite.h"
#include "util/files/Failure.h"
#include "util/files/ReadFile_p.h"

#include <QFile>

#include <cerrno>

namespace util {
namespace detail {

bool readWholeFile(const std::string &path, std::string &out, Failure *failure)
{
    out.clear();
    const QString name = QFile::decodeName(path.c_str());
    if (path.empty())
        return fail(failure, Failure::system(ENOENT, name));
    int code = 0;
    switch (readInput(path.c_str(), out, maxSupportFileSize, true, &code)) {
    case ReadOutcome::Ok:
        return true;
    case ReadOutcome::CannotOpen:
    case ReadOutcome::CannotRead:
        return fail(failure, Failure::system(code, name));
    case ReadOutcome::NotRegular:
        return fail(failure, Failure::other(name, QStringLiteral("not a regular file")));
    case ReadOutcome::TooLarge:
        break;
    }
    return fail(failure,
                Failure::other(name,
                               QStringLiteral("larger than %1, no support file")
                                   .arg(QString::fromStdString(sizeText(maxSupportFileSize)))));
}

bool writeWholeFile(const std::string &path, std::string_view text, Failure *failure)
{
    return writeFileAtomically(QFile::decodeName(path.c_str()), text.data(), text.size(), failure);
}

} // namespace detail
} // namespace util
