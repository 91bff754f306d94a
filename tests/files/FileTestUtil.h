#pragma once

#include <QFile>
#include <QProcess>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace filetest {

// `Undeletable lock {dir, file};` makes the file undeletable while alive: as root (who ignores
// permissions) by the immutable attribute, otherwise by taking write permission from dir.
struct Undeletable
{
    bool set(bool on) const
    {
        return asRoot ? QProcess::execute("chattr", {on ? "+i" : "-i", file}) == 0
                      : ::chmod(QFile::encodeName(dir).constData(), on ? 0555 : 0755) == 0;
    }
    int expectedError() const { return asRoot ? EPERM : EACCES; }
    ~Undeletable()
    {
        if (ok)
            set(false);
    }

    const QString dir, file;
    const bool asRoot = ::geteuid() == 0;
    const bool ok = set(true);
};

} // namespace filetest
