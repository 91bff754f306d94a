#include "util/config/IniTool.h"

#include "util/files/AtomicWrite.h"
#include "util/files/ReadFile.h"
#include "util/files/UniqueFd_p.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegExp>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <map>
#include <stdexcept>
#include <vector>

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

// The merge below gives exactly the result of getAllSections, mergeSections and addSection
// applied in turn, in time linear in the files for everything but keys written with regular
// expression characters: sections and keys are indexed once instead of being searched for by
// regular expression at each step. The character classes are QRegExp's: \s is QChar::isSpace,
// \w a letter, number, mark or '_'.

bool isWord(QChar c)
{
    return c.isLetterOrNumber() || c.isMark() || c == QLatin1Char('_');
}

int leadingSpace(const QString &line)
{
    int i = 0;
    while (i < line.size() && line.at(i).isSpace())
        ++i;
    return i;
}

// Where the run of non-word characters that ends the text starts.
int trailingNonWord(const QStringRef &text)
{
    int i = text.size();
    while (i > 0 && !isWord(text.at(i - 1)))
        --i;
    return i;
}

// Whether the line holds a header: ^\s*\[
bool isHeader(const QString &line)
{
    const int i = leadingSpace(line);
    return i < line.size() && line.at(i) == QLatin1Char('[');
}

// The name for which headerOf(name) matches the line whole (^\s*\[\w*\]\W*); null when none.
QString exactHeaderName(const QString &line)
{
    int i = leadingSpace(line);
    if (i >= line.size() || line.at(i) != QLatin1Char('['))
        return QString();
    const int start = ++i;
    while (i < line.size() && isWord(line.at(i)))
        ++i;
    if (i >= line.size() || line.at(i) != QLatin1Char(']'))
        return QString();
    if (trailingNonWord(line.midRef(i + 1)) != 0)
        return QString();
    return QString(line.constData() + start, i - start); // "" for "[]", not null
}

// One file's lines with their headers indexed.
struct IndexedLines
{
    explicit IndexedLines(const QStringList &all)
        : lines(all)
        , next(all.size() + 1, all.size())
    {
        for (int i = all.size() - 1; i >= 0; --i)
            next[i] = isHeader(all.at(i)) ? i : next[i + 1];
        for (int i = 0; i < all.size(); ++i) {
            if (next[i] != i)
                continue;
            const QString name = exactHeaderName(all.at(i));
            if (!name.isNull() && !headers.contains(name))
                headers.insert(name, i);
        }
    }

    // The line of the first header that headerOf(name) matches; -1 when none.
    int header(const QString &name) const { return headers.value(name, -1); }
    // The next line at or after from that holds a header, or the number of lines.
    int nextHeader(int from) const { return next[std::min<std::size_t>(from, next.size() - 1)]; }

    const QStringList &lines;
    std::vector<int> next;
    QHash<QString, int> headers;
};

// Characters that make a key a regular expression rather than a text.
bool isPlainKey(const QString &key)
{
    if (key.isEmpty() || key.at(0).isSpace())
        return false;
    for (const QChar c : key) {
        if (QStringLiteral("\\^$.|?*+()[]{}").contains(c))
            return false;
    }
    return true;
}

// The lines of one destination section (from its header) that a source line is looked for in,
// indexed on first use: by the text after the leading blanks for keys, by what is left of a
// comment without its blanks at either end.
class SectionLines
{
public:
    void add(const QString &line)
    {
        m_lines << line;
        m_indexed = false;
    }

    // Whether ^\s*KEY.* matches a line whole, for a plain key (no leading blank).
    bool holdsKey(const QString &key)
    {
        index();
        const auto found = std::lower_bound(m_keys.begin(), m_keys.end(), QStringRef(&key));
        return found != m_keys.end() && found->startsWith(key);
    }

    // Whether ^\s*ESCAPED(LINE)\W* matches a line whole, for a comment line (^\s*;).
    bool holdsComment(const QString &line)
    {
        index();
        const int blanks = leadingSpace(line);
        const QStringRef own = line.midRef(blanks);
        const QStringRef core = own.left(trailingNonWord(own));
        for (auto it = m_comments.constFind(core.toString());
             it != m_comments.constEnd() && it.key() == core; ++it) {
            const QString &candidate = m_lines.at(it.value());
            const int candidateBlanks = leadingSpace(candidate);
            // The candidate's blanks end with the line's own, and its text is the line's and
            // then non-word characters only.
            if (candidateBlanks >= blanks
                && candidate.midRef(candidateBlanks - blanks, blanks) == line.leftRef(blanks)
                && candidate.midRef(candidateBlanks).startsWith(own))
                return true;
        }
        return false;
    }

    // Whether ^\s*ESCAPED(LINE)\W* matches a line whole, for a blank line: the line must be
    // part of a candidate's leading blanks, the candidate non-word characters only. Looked up
    // once for each distinct blank line.
    bool holdsBlank(const QString &line)
    {
        index();
        const auto known = m_blanks.constFind(line);
        if (known != m_blanks.constEnd())
            return known.value();
        bool found = false;
        for (const QString &candidate : qAsConst(m_lines)) {
            if (trailingNonWord(QStringRef(&candidate)) != 0)
                continue;
            const QStringRef blanks = candidate.leftRef(leadingSpace(candidate));
            if (blanks.contains(line)) {
                found = true;
                break;
            }
        }
        m_blanks.insert(line, found);
        return found;
    }

    // The regular expression itself, line by line, for a key that is one.
    bool holds(const QRegExp &rx) const
    {
        QRegExp matcher(rx);
        for (const QString &line : m_lines) {
            if (matcher.exactMatch(line))
                return true;
        }
        return false;
    }

private:
    void index()
    {
        if (m_indexed)
            return;
        m_indexed = true;
        m_keys.clear();
        m_comments.clear();
        m_blanks.clear();
        for (int i = 0; i < m_lines.size(); ++i) {
            const QString &line = m_lines.at(i);
            const QStringRef own = line.midRef(leadingSpace(line));
            m_keys.push_back(own);
            m_comments.insert(own.left(trailingNonWord(own)).toString(), i);
        }
        std::sort(m_keys.begin(), m_keys.end());
    }

    QStringList m_lines;
    bool m_indexed = false;
    std::vector<QStringRef> m_keys;
    QMultiHash<QString, int> m_comments;
    QHash<QString, bool> m_blanks;
};

// The destination: its lines as read, and what the merge adds at the end of each section.
QStringList mergedLines(const QStringList &sourceLines, const QStringList &destinationLines,
                        const QStringList &sourceSections, const QStringList &destinationSections)
{
    const IndexedLines source(sourceLines), destination(destinationLines);
    const QSet<QString> inDestination(destinationSections.begin(), destinationSections.end());
    std::map<int, SectionLines> sections; // by header line
    std::map<int, QStringList> added; // by header line
    const QRegExp comment(QStringLiteral("^\\s*;"));
    QStringList newSections;
    for (const QString &name : sourceSections) {
        if (!inDestination.contains(name)) {
            newSections << name;
            continue;
        }
        const int sourceHeader = source.header(name);
        const int destinationHeader = destination.header(name);
        if (sourceHeader < 0 || destinationHeader < 0)
            parseError();
        const int sourceEnd = source.nextHeader(sourceHeader + 1);
        auto found = sections.find(destinationHeader);
        if (found == sections.end()) {
            found = sections.emplace(destinationHeader, SectionLines()).first;
            const int end = destination.nextHeader(destinationHeader + 1);
            for (int i = destinationHeader; i < end; ++i)
                found->second.add(destinationLines.at(i));
        }
        SectionLines &section = found->second;
        // Lines added for this section by this call are not looked for: the searched range
        // is fixed before any insertion.
        QStringList adding;
        for (int i = sourceHeader + 1; i < sourceEnd; ++i) {
            const QString &line = sourceLines.at(i);
            const QString trimmed = line.trimmed();
            bool present = false;
            if (trimmed.isEmpty()) {
                present = section.holdsBlank(line);
            } else if (comment.indexIn(line) >= 0) {
                present = section.holdsComment(line);
            } else {
                const QStringList pieces = trimmed.split(QLatin1Char('='), Qt::SkipEmptyParts);
                if (pieces.size() != 2)
                    throw std::runtime_error("Can't parse ini file");
                // The key is taken as written, so white space before '=' belongs to it and
                // a key is found by prefix.
                const QString &key = pieces.first();
                present = isPlainKey(key)
                    ? section.holdsKey(key)
                    : section.holds(QRegExp(QStringLiteral("^\\s*") + key + QStringLiteral(".*")));
            }
            if (!present)
                adding << line;
        }
        for (const QString &line : qAsConst(adding))
            section.add(line);
        added[destinationHeader] << adding;
    }

    QStringList merged;
    merged.reserve(destinationLines.size());
    auto nextAddition = added.begin();
    for (int i = 0; i < destinationLines.size(); ++i) {
        merged << destinationLines.at(i);
        // After the last line of a section, what was added to it.
        if (nextAddition != added.end() && destination.nextHeader(i + 1) == i + 1
            && nextAddition->first <= i) {
            merged << nextAddition->second;
            ++nextAddition;
        }
    }
    for (const QString &name : newSections) {
        const int sourceHeader = source.header(name);
        if (sourceHeader < 0)
            parseError();
        merged << QStringLiteral("\r\n");
        for (int i = sourceHeader, end = source.nextHeader(sourceHeader + 1); i < end; ++i)
            merged << sourceLines.at(i);
    }
    return merged;
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
    destinationLines =
        mergedLines(sourceLines, destinationLines, sourceSections, destinationSections);
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
