#pragma once

#include <QFile>
#include <QProcess>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace filetest {

// Makes a file undeletable while alive. Root ignores permissions, so as root the file gets the
// immutable attribute; other users lose write permission on its directory.
struct Undeletable
{
    Undeletable(const QString &dir, const QString &file)
        : dir(QFile::encodeName(dir))
        , file(file)
    {
        ok = asRoot ? QProcess::execute("chattr", {"+i", file}) == 0
                    : ::chmod(this->dir.constData(), 0555) == 0;
    }
    ~Undeletable()
    {
        if (ok && asRoot)
            QProcess::execute("chattr", {"-i", file});
        else if (ok)
            ::chmod(dir.constData(), 0755);
    }
    int expectedError() const { return asRoot ? EPERM : EACCES; }

    const QByteArray dir;
    const QString file;
    const bool asRoot = ::geteuid() == 0;
    bool ok = false;
};

} // namespace filetest
