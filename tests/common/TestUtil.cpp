#include "tests/common/TestUtil.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

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

namespace {

// The text a table cell stands for; see TableRow.
std::string unescape(const std::string &cell)
{
    std::string out;
    for (std::size_t i = 0; i < cell.size(); ++i) {
        // "{c*N}": c, N times.
        const std::size_t close = cell[i] == '{' ? cell.find('}', i) : std::string::npos;
        const bool repeat = close != std::string::npos && close > i + 3 && cell[i + 2] == '*'
            && cell.find_first_not_of("0123456789", i + 3) == close;
        if (repeat) {
            out.append(std::stoul(cell.substr(i + 3, close - i - 3)), cell[i + 1]);
            i = close;
        } else if (cell[i] != '\\' || i + 1 == cell.size()) {
            out += cell[i];
        } else if (cell[++i] == 'x') {
            out += static_cast<char>(std::stoi(cell.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            static const std::string from = "nrtvfs0", to {"\n\r\t\v\f \0", 7};
            const std::size_t at = from.find(cell[i]);
            out += at == std::string::npos ? cell[i] : to[at];
        }
    }
    return out;
}

} // namespace

std::vector<TableRow> tableRows(const QString &relative, const std::string &kind)
{
    std::vector<TableRow> rows;
    for (const QString &text : tableLines(relative)) {
        const QByteArray line = text.toUtf8();
        const QList<QByteArray> parts = line.split('|');
        TableRow row {line.toStdString(), {}};
        for (int i = 0; i < parts.size(); ++i) {
            const QByteArray &cell = parts[i];
            const int from = i > 0 && cell.startsWith(' ') ? 1 : 0;
            const int to =
                i + 1 < parts.size() && cell.endsWith(' ') ? cell.size() - 1 : cell.size();
            row.cells.push_back(unescape(cell.mid(from, to - from).toStdString()));
        }
        if (kind.empty() || row.cells[0] == kind) {
            row.cells.erase(row.cells.begin(), row.cells.begin() + (kind.empty() ? 0 : 1));
            rows.push_back(std::move(row));
        }
    }
    EXPECT_FALSE(rows.empty()) << relative.toStdString() << " has no rows of kind '" << kind << "'";
    return rows;
}

} // namespace quortest
