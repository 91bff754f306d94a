#include "tests/files/FileTestUtil.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filetest {

namespace {

bool setImmutable(const QString &path, bool on, QString *reason)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    if (!ok && reason)
        *reason = QString("the file system refuses the immutable attribute (%1)")
                      .arg(QString::fromLocal8Bit(std::strerror(errno)));
    ::close(fd);
    return ok;
}

} // namespace

Undeletable::Undeletable(const QString &dir, const QString &file)
    : m_dir(dir)
    , m_file(file)
    , m_asRoot(::geteuid() == 0)
{
    if (m_asRoot)
        m_ok = setImmutable(file, true, &m_reason);
    else if (!(m_ok = ::chmod(QFile::encodeName(dir).constData(), 0555) == 0))
        m_reason = "cannot take write permission from " + dir;
}

Undeletable::~Undeletable()
{
    if (!m_ok)
        return;
    if (m_asRoot)
        setImmutable(m_file, false, nullptr);
    else
        ::chmod(QFile::encodeName(m_dir).constData(), 0755);
}

} // namespace filetest
