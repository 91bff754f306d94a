#include "tests/common/TestUtil.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

namespace quortest {

ScopedEnv::ScopedEnv(const char *name, const QByteArray &value)
    : m_name(name)
    , m_old(qgetenv(name))
    , m_hadValue(qEnvironmentVariableIsSet(name))
{
    qputenv(name, value);
}

ScopedEnv::ScopedEnv(const char *name)
    : m_name(name)
    , m_old(qgetenv(name))
    , m_hadValue(qEnvironmentVariableIsSet(name))
{
    qunsetenv(name);
}

ScopedEnv::~ScopedEnv()
{
    if (m_hadValue)
        qputenv(m_name.constData(), m_old);
    else
        qunsetenv(m_name.constData());
}

CaptureFd::CaptureFd(int fd)
    : m_fd(fd)
    , m_saved(-1)
    , m_tmp(std::tmpfile())
{
    if (!m_tmp)
        throw std::runtime_error("cannot create capture file");
    std::fflush(nullptr);
    m_saved = ::dup(fd);
    ::dup2(::fileno(m_tmp), fd);
}

CaptureFd::~CaptureFd()
{
    stop();
    if (m_tmp)
        std::fclose(m_tmp);
}

void CaptureFd::stop()
{
    if (m_saved < 0)
        return;
    std::fflush(nullptr);
    ::dup2(m_saved, m_fd);
    ::close(m_saved);
    m_saved = -1;
    std::rewind(m_tmp);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, m_tmp)) > 0)
        m_text.append(buf, n);
}

std::string CaptureFd::text()
{
    stop();
    return m_text;
}

QString dataPath(const QString &relative)
{
    return QDir(QStringLiteral(QUOR_TEST_DATA_DIR)).filePath(relative);
}

QString resourcePath(const QString &relative)
{
    return QDir(QStringLiteral(QUOR_SOURCE_DIR "/resources")).filePath(relative);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return f.readAll();
}

QStringList tableLines(const QString &relative)
{
    QStringList rows;
    for (const QString &line : QString::fromUtf8(readFile(dataPath(relative))).split('\n')) {
        if (!line.trimmed().isEmpty() && !line.startsWith('#'))
            rows << line;
    }
    if (rows.isEmpty())
        throw std::runtime_error(relative.toStdString() + " has no rows");
    return rows;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace quortest
