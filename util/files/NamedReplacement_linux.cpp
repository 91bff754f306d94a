#include "util/files/NamedReplacement.h"

#include "util/files/Failure.h"
#include "util/files/FileReplace_p.h"
#include "util/files/UniqueFd_p.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace util {

struct NamedReplacement::Private
{
    QString path;
    std::string local;
    // The replacement of path itself when it may be renamed into place; otherwise a scratch
    // file's replacement that is never committed (its destructor removes the temporary file).
    std::unique_ptr<detail::FileReplacement> stage;
    bool direct = false;
    mode_t restoreMode = 0;
    bool restore = false;
    std::string writeFile;
};

NamedReplacement::NamedReplacement(const QString &path)
    : d(new Private)
{
    d->path = path;
    d->local = QFile::encodeName(path).toStdString();
}

NamedReplacement::~NamedReplacement() = default;

QString NamedReplacement::writePath() const
{
    return QFile::decodeName(QByteArray::fromStdString(d->writeFile));
}

bool NamedReplacement::open(Failure *failure)
{
    int error = 0;
    if (d->local.empty())
        return fail(failure, Failure::system(ENOENT, d->path));
    if (!detail::FileReplacement::checkDestination(d->local, &error))
        return fail(failure, Failure::system(error, d->path));
    d->stage.reset(new detail::FileReplacement);
    if (!d->stage->open(d->local, 0, 0666, &error))
        return fail(failure, Failure::system(error, d->path));
    if (d->stage->kind() == detail::FileReplacement::Atomic) {
        d->direct = true;
        d->writeFile = d->stage->temporaryPath();
        // Dressed as a read-only original, the file would refuse its own writer.
        struct stat st;
        if (::fstat(d->stage->fd(), &st) == 0 && !(st.st_mode & S_IWUSR)) {
            d->restoreMode = st.st_mode & 07777;
            d->restore = ::fchmod(d->stage->fd(), d->restoreMode | S_IWUSR) == 0;
        }
        return true;
    }
    // Rewritten in place at commit: until then nothing of the destination changes, so the
    // writer gets a scratch file in the temporary folder.
    d->stage.reset(new detail::FileReplacement);
    static std::atomic<int> counter {0};
    const QString scratch = QDir::tempPath()
        + QStringLiteral("/quor-%1-%2-%3")
              .arg(::getpid())
              .arg(counter++)
              .arg(QFileInfo(d->path).fileName().left(100));
    if (!d->stage->open(QFile::encodeName(scratch).toStdString(), 0, 0600, &error)
        || d->stage->kind() != detail::FileReplacement::Atomic) {
        d->stage.reset();
        return fail(failure, Failure::system(error ? error : EEXIST, scratch));
    }
    d->writeFile = d->stage->temporaryPath();
    return true;
}

bool NamedReplacement::commit(Failure *failure)
{
    if (!d->stage)
        return fail(failure, Failure::system(EBADF, d->path));
    int error = 0;
    if (d->direct) {
        if (d->restore)
            (void)::fchmod(d->stage->fd(), d->restoreMode);
        // The writer wrote through a descriptor of its own; commit() cuts at our position.
        if (::lseek(d->stage->fd(), 0, SEEK_END) < 0 || !d->stage->commit(false, &error)) {
            if (!error)
                error = errno;
            d->stage.reset();
            return fail(failure, Failure::system(error, d->path));
        }
        d->stage.reset();
        return true;
    }

    detail::UniqueFd in(::open(d->writeFile.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st;
    if (!in || ::fstat(in.get(), &st) != 0) {
        error = errno;
        d->stage.reset();
        return fail(failure, Failure::system(error, d->path));
    }
    detail::FileReplacement out;
    bool ok = out.open(d->local, std::uint64_t(st.st_size), 0666, &error);
    std::vector<char> buffer(ok ? 1 << 20 : 0);
    while (ok) {
        const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0 || ((error = errno), false);
            break;
        }
        if (!detail::writeAll(out.fd(), buffer.data(), std::size_t(n))) {
            error = errno;
            ok = false;
        }
    }
    ok = ok && out.commit(false, &error);
    d->stage.reset();
    return ok || fail(failure, Failure::system(error, d->path));
}

} // namespace util
