#include "util/config/IniTool.h"

#include "util/files/AtomicWrite.h"
#include "util/files/ReadFile.h"
#include "util/files/UniqueFd_p.h"

#include <QFile>
#include <QFileInfo>
#include <QRegExp>

#include <cerrno>
#include <stdexcept>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace util {

namespace {

const char *const anyHeader = "^\\s*\\[";

QRegExp headerOf(const QString &section)
{
    return QRegExp(QStringLiteral("^\\s*\\[") + section + QStringLiteral("\\]\\W*"));
}

// Index of the next line at or after from that contains a header, or the list's size.
int nextHeader(const QStringList &lines, int from)
{
    const QRegExp header(QString::fromLatin1(anyHeader));
    for (int i = from; i < lines.size(); ++i) {
        if (header.indexIn(lines.at(i)) >= 0)
            return i;
    }
    return lines.size();
}

// True when a line in [begin, end) matches rx whole.
bool holdsLine(const QStringList &lines, int begin, int end, const QRegExp &rx)
{
    QRegExp matcher(rx);
    for (int i = begin; i < end; ++i) {
        if (matcher.exactMatch(lines.at(i)))
            return true;
    }
    return false;
}

// The line end a file uses: that of its first terminated line, LF when it has none.
QByteArray lineEndOf(const QStringList &lines)
{
    for (const QString &line : lines) {
        if (line.endsWith(QLatin1Char('\n')))
            return line.endsWith(QLatin1String("\r\n")) ? "\r\n" : "\n";
    }
    return "\n";
}

// The destination opened for reading and writing and locked (flock, exclusive). A merge that
// replaced the file while we waited leaves our descriptor on the old one: then open again.
struct LockedFile
{
    explicit LockedFile(const std::string &path)
    {
        for (int attempt = 0; attempt < 100; ++attempt) {
            fd.reset(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
            struct stat mine, now;
            if (!fd || ::fstat(fd.get(), &mine) != 0) {
                fd.reset();
                return;
            }
            // A FIFO or socket would never end; a device has nothing to merge with.
            if (S_ISFIFO(mine.st_mode) || S_ISSOCK(mine.st_mode)) {
                fd.reset();
                return;
            }
            ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
            int locked;
            while ((locked = ::flock(fd.get(), LOCK_EX)) != 0 && errno == EINTR) { }
            regular = S_ISREG(mine.st_mode);
            if (locked != 0 || !regular)
                return; // not lockable: merged unlocked, as before
            if (::stat(path.c_str(), &now) == 0 && now.st_dev == mine.st_dev
                && now.st_ino == mine.st_ino)
                return;
        }
        fd.reset();
    }

    detail::UniqueFd fd;
    bool regular = false;
};

void parseError()
{
    throw std::runtime_error("Error parsing ini file");
}

} // namespace

void IniTool::mergeIniFiles(std::string const &source, std::string const &destination)
{
    const QString sourcePath = QString::fromStdString(source);
    const QString destinationPath = QString::fromStdString(destination);

    // A folder, a device (/dev/zero never ends) or a file beyond any INI file's size is no
    // source; a pipe is.
    struct stat sourceInfo;
    const bool readable = ::stat(source.c_str(), &sourceInfo) == 0
        && (S_ISFIFO(sourceInfo.st_mode)
            || (S_ISREG(sourceInfo.st_mode)
                && static_cast<std::size_t>(sourceInfo.st_size) <= defaultMaxReadSize));
    QFile sourceFile(sourcePath);
    if (!readable || !sourceFile.open(QIODevice::ReadOnly))
        throw std::runtime_error("Source INI file " + source + " can't be read!");
    // Opened for writing too, so that a read-only destination fails here, before any work;
    // a missing destination must not be created. The lock is held from the read to the end of
    // the write, so that merges into one file take turns and none loses another's additions.
    LockedFile locked(destination);
    QFile destinationFile;
    if (!locked.fd
        || !destinationFile.open(locked.fd.get(), QIODevice::ReadOnly,
                                 QFileDevice::DontCloseHandle))
        throw std::runtime_error("Destination INI file " + destination + " can't be opened!");

    const QStringList sourceLines = readAllLines(sourceFile);
    // A device has no lines of its own to keep (and may never end): it is written through.
    QStringList destinationLines = locked.regular ? readAllLines(destinationFile) : QStringList();
    const QStringList sourceSections = getAllSections(sourceLines);
    const QStringList destinationSections = getAllSections(destinationLines);
    const QByteArray lineEnd = lineEndOf(destinationLines);

    QStringList newSections;
    for (const QString &name : sourceSections) {
        if (destinationSections.contains(name))
            mergeSections(sourceLines, name, destinationLines);
        else
            newSections << name;
    }
    for (const QString &name : newSections)
        addSection(sourceLines, name, destinationLines);
    destinationFile.close();

    // A line without a terminator (the last of either file) that now has a line after it gets
    // the destination's line end, so that no two lines run into one.
    QByteArray bytes;
    for (int i = 0; i < destinationLines.size(); ++i) {
        const QString &line = destinationLines.at(i);
        bytes += line.toLatin1();
        if (i + 1 < destinationLines.size() && !line.endsWith(QLatin1Char('\n')))
            bytes += lineEnd;
    }
    if (!writeFileAtomically(destinationPath, bytes.constData(),
                             static_cast<std::size_t>(bytes.size())))
        throw std::runtime_error("Destination INI file " + destination + " can't be written!");
}

QStringList IniTool::readAllLines(QFile &file)
{
    // A pipe cannot seek and says it is at its end before anything arrived: read it whole.
    if (!file.isSequential())
        file.seek(0);
    const QByteArray bytes = file.readAll();
    QStringList lines;
    for (int start = 0; start < bytes.size();) {
        const int newline = bytes.indexOf('\n', start);
        const int end = newline < 0 ? bytes.size() : newline + 1;
        // Latin-1 from pointer and size: every byte survives, NUL included.
        lines << QString::fromLatin1(bytes.constData() + start, end - start);
        start = end;
    }
    return lines;
}

QStringList IniTool::getAllSections(QStringList const &lines)
{
    const QRegExp header(QStringLiteral("^\\s*\\[.*"));
    QRegExp name(QStringLiteral("^\\s*\\[(\\w+)\\].*"));
    QStringList names;
    for (const QString &line : lines) {
        if (header.indexIn(line) < 0)
            continue;
        names << (name.indexIn(line) >= 0 ? name.cap(1) : QString());
    }
    return names;
}

void IniTool::mergeSections(QStringList const &source, QString const &section,
                            QStringList &destination)
{
    const QRegExp header = headerOf(section);
    const int sourceHeader = source.indexOf(header);
    const int destinationHeader = destination.indexOf(header);
    if (sourceHeader < 0 || destinationHeader < 0)
        parseError();

    const int sourceEnd = nextHeader(source, sourceHeader + 1);
    // The searched range is fixed before any insertion, so lines added here are not seen.
    const int destinationEnd = nextHeader(destination, destinationHeader + 1);
    int insertAt = destinationEnd;
    const QRegExp comment(QStringLiteral("^\\s*;"));

    for (int i = sourceHeader + 1; i < sourceEnd; ++i) {
        const QString &line = source.at(i);
        const QString trimmed = line.trimmed();
        QRegExp present;
        if (comment.indexIn(line) >= 0 || trimmed.isEmpty()) {
            present =
                QRegExp(QStringLiteral("^\\s*") + QRegExp::escape(line) + QStringLiteral("\\W*"));
        } else {
            const QStringList pieces = trimmed.split(QLatin1Char('='), Qt::SkipEmptyParts);
            if (pieces.size() != 2)
                throw std::runtime_error("Can't parse ini file");
            // The key is taken as written, so white space before '=' belongs to it and
            // a key is found by prefix.
            present = QRegExp(QStringLiteral("^\\s*") + pieces.first() + QStringLiteral(".*"));
        }
        if (!holdsLine(destination, destinationHeader, destinationEnd, present))
            destination.insert(insertAt++, line);
    }
}

void IniTool::addSection(QStringList const &source, QString const &section,
                         QStringList &destination)
{
    const int sourceHeader = source.indexOf(headerOf(section));
    if (sourceHeader < 0)
        parseError();
    const int sourceEnd = nextHeader(source, sourceHeader + 1);
    destination << QStringLiteral("\r\n");
    for (int i = sourceHeader; i < sourceEnd; ++i)
        destination << source.at(i);
}

QStringList IniTool::extractSection(QString const &section, QStringList const &lines)
{
    const QRegExp header(QStringLiteral("\\s*\\[") + section + QStringLiteral("\\]\\W*"));
    const int start = lines.indexOf(header);
    if (start < 0)
        return QStringList();
    return lines.mid(start, nextHeader(lines, start + 1) - start);
}

} // namespace util
