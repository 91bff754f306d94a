#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <cerrno>
#include <memory>
#include <string>

#include <sys/mount.h>
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

// A small tmpfs mounted on an existing folder while alive (root only; ok tells).
struct SmallMedium
{
    explicit SmallMedium(const QString &folder, const char *size = "size=1m")
        : path(QFile::encodeName(folder))
        , ok(::mount("tmpfs", path.constData(), "tmpfs", 0, size) == 0)
    {
    }
    ~SmallMedium()
    {
        if (ok)
            ::umount2(path.constData(), MNT_DETACH);
    }
    const QByteArray path;
    const bool ok;
};

// What one run of the real tool in a process of its own gave.
struct Run
{
    int code = -1; // exit code, or -signal when a signal ended it
    std::string out, err;
};

// Runs the real tool; asNobody runs it as uid/gid 65534 (root only: setpriv).
inline Run runProcess(const QString &program, const QStringList &args,
                      const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    Run run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        run.err = "timed out";
        return run;
    }
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

inline Run runToolAsNobody(const QStringList &args)
{
    return runProcess("setpriv",
                      QStringList {"--reuid=65534", "--regid=65534", "--clear-groups", QUOR_TOOL}
                          + args);
}

inline bool chown(const QString &path, uid_t uid, gid_t gid)
{
    return ::lchown(QFile::encodeName(path).constData(), uid, gid) == 0;
}

inline struct stat statOf(const QString &path)
{
    struct stat st
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

} // namespace filetest
