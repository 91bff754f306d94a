#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <string>
#include <vector>

namespace quortest {

/// Sets (or unsets) one environment variable for the lifetime of the object, then restores it.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QByteArray &value);
    explicit ScopedEnv(const char *name); // unsets
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    QByteArray m_name;
    QByteArray m_old;
    bool m_hadValue;
};

/// Captures what is written to a file descriptor (1 = stdout, 2 = stderr) while alive.
class CaptureFd
{
public:
    explicit CaptureFd(int fd);
    ~CaptureFd();
    CaptureFd(const CaptureFd &) = delete;
    CaptureFd &operator=(const CaptureFd &) = delete;

    /// Stops capturing (if still capturing) and returns everything written.
    std::string text();

private:
    void stop();
    int m_fd;
    int m_saved;
    std::FILE *m_tmp;
    std::string m_text;
};

/// Path of a file below tests/data (read-only: tests never write into the source tree).
QString dataPath(const QString &relative);
/// Path of a file below the repository's resources/ folder.
QString resourcePath(const QString &relative);

QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);

/// The lines of a table below tests/data, without blank lines and comments (lines starting
/// with "#"); throws when the file cannot be read or holds no row, so no loop over it passes
/// vacuously.
QStringList tableLines(const QString &relative);

/// One row of a table below tests/data: cells are separated by "|" (with one blank on either side
/// ignored), lines starting with "#" are comments, and in a cell "\n", "\r", "\t", "\v", "\f",
/// "\s" (a blank), "\0", "\\", "\xHH" and "{c*N}" (c N times) stand for what they name.
struct TableRow
{
    std::string line; ///< as the file holds it, for messages
    std::vector<std::string> cells;
    const std::string &operator[](std::size_t i) const { return cells.at(i); }
};
/// The rows of the table whose first cell is kind, without that cell (every row when kind is
/// empty); a failure when there are none.
std::vector<TableRow> tableRows(const QString &relative, const std::string &kind = "");

} // namespace quortest
