// quorutil sup: show support files, export them as level 1 or level 2.
//
// The field listing comes from SupportFile::forEachKeyword, which walks the library's keyword
// table: a keyword added there shows up here without a change to this file.

#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Report.h"
#include "tools/quorutil/Tool.h"

#include "util/files/AtomicWrite.h"
#include "util/strings/NumberFormat.h"
#include "util/support/SupportFile.h"
#include "util/support/SupportFileContent.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <ctime>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace quorutil {

namespace {

using util::SupportFile;

const char *levelName(int level)
{
    switch (level) {
    case 0:
        return "raw sensor image";
    case 1:
        return "rectified image";
    case 2:
        return "orthophoto";
    default:
        return "unsupported";
    }
}

const char *sectionTitle(unsigned levels)
{
    switch (levels) {
    case 7:
        return "Every level";
    case 3:
        return "Levels 0 and 1";
    case 2:
        return "Level 1";
    case 4:
        return "Level 2";
    default:
        return nullptr;
    }
}

// Seconds since 1970 as local time; numeric strftime fields and %Z do not depend on the locale.
std::string dateText(const std::string &seconds)
{
    tzset();
    const std::time_t t = static_cast<std::time_t>(std::stoll(seconds));
    std::tm tm;
    char buf[64];
    if (localtime_r(&t, &tm) && std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S %Z", &tm))
        return std::string(buf) + " (" + seconds + ")";
    return seconds;
}

// ISO 8601 in local time with its numeric offset: the wall-clock time the file writes, and
// where on the time line it lies under the time zone it was read with.
QString isoDate(const std::string &seconds)
{
    tzset();
    const std::time_t t = static_cast<std::time_t>(std::stoll(seconds));
    std::tm tm;
    char buf[64];
    if (!localtime_r(&t, &tm) || !std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm))
        return QString::fromStdString(seconds);
    const long offset = tm.tm_gmtoff;
    const long minutes = (offset < 0 ? -offset : offset) / 60;
    char zone[32];
    std::snprintf(zone, sizeof zone, "%c%02ld:%02ld", offset < 0 ? '-' : '+', minutes / 60,
                  minutes % 60);
    return QString::fromLatin1(buf) + QString::fromLatin1(zone);
}

// A record with what its file held: the keywords read, and the values as written where the
// record keeps something else (the loader puts the file's own path in LEVEL_0_NAME).
struct Content
{
    SupportFile record;
    std::vector<util::SupportFileEntry> entries;
    std::set<std::string> present;

    bool holds(const char *keyword) const { return present.count(keyword) != 0; }
    std::string value(const char *keyword, const std::string &recordValue) const
    {
        if (std::string(keyword) == "LEVEL_0_NAME") {
            const util::SupportFileEntry *entry = util::findEntry(entries, keyword);
            return entry ? entry->value : std::string();
        }
        return recordValue;
    }
};

// Whether the loader of the record's level reads keyword at all.
bool readAtLevel(unsigned levels, int level)
{
    return level >= 0 && level <= 2 && (levels & (1u << level)) != 0;
}

void printRecord(const Content &c, bool defaults, std::ostream &out)
{
    const SupportFile &record = c.record;
    const int level = record.getImageLevel();
    out << "  Level: " << std::to_string(level) << " (" << levelName(level)
        << (c.holds("IMAGE_LEVEL") ? "" : "; the file names no level") << ")\n";
    unsigned section = ~0u;
    int absent = 0;
    record.forEachKeyword([&](const char *keyword, unsigned levels, SupportFile::ValueKind kind,
                              const std::string &recordValue) {
        const char *title = sectionTitle(levels);
        if (!title || !readAtLevel(levels, level))
            return; // IMAGE_LEVEL (the level above), or a keyword this level does not read
        const bool inFile = c.holds(keyword);
        if (!inFile) {
            ++absent;
            if (!defaults)
                return;
        }
        if (levels != section) {
            out << "  " << title << "\n";
            section = levels;
        }
        const std::string value = c.value(keyword, recordValue);
        std::string line = std::string("    ") + keyword;
        line.resize(std::max<std::size_t>(line.size() + 1, 28), ' ');
        switch (kind) {
        case SupportFile::ValueKind::Date:
            line += dateText(value);
            break;
        case SupportFile::ValueKind::ImageFiles:
            line += value + (value == "1" ? " file" : " files");
            break;
        default:
            line += value;
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        if (!inFile)
            line += " (not in the file)";
        out << line << "\n";
        if (kind == SupportFile::ValueKind::ImageFiles) {
            for (const auto &image : record.getImageMinifications())
                out << "      level " << std::to_string(image.level) << ": \"" << image.fileName
                    << "\", " << std::to_string(image.lines) << " lines x "
                    << std::to_string(image.samples) << " samples\n";
        }
    });
    if (absent && !defaults)
        out << "  Not in the file: " << std::to_string(absent)
            << (absent == 1 ? " keyword" : " keywords")
            << " (the reader's defaults apply; --defaults lists them)\n";
}

QJsonValue jsonNumbers(const std::string &text)
{
    QJsonArray values;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        double value = 0;
        util::parseDouble(std::string_view(text).substr(at, end - at), value);
        values.append(value); // a non-finite value comes out as null
        at = end + 1;
    }
    return values.size() == 1 ? values.first() : QJsonValue(values);
}

// One member per keyword the file holds, and "present": those keywords in file order.
QJsonObject jsonRecord(const Content &c)
{
    const SupportFile &record = c.record;
    QJsonObject object;
    record.forEachKeyword([&](const char *keyword, unsigned, SupportFile::ValueKind kind,
                              const std::string &recordValue) {
        if (!c.holds(keyword))
            return;
        const std::string value = c.value(keyword, recordValue);
        QJsonValue json;
        switch (kind) {
        case SupportFile::ValueKind::Text:
            // 8-bit text; invalid UTF-8 becomes U+FFFD.
            json = QString::fromStdString(value);
            break;
        case SupportFile::ValueKind::Integer:
            json = static_cast<qint64>(std::stoll(value));
            break;
        case SupportFile::ValueKind::Date:
            json = isoDate(value);
            break;
        case SupportFile::ValueKind::Numbers:
            json = jsonNumbers(value);
            break;
        case SupportFile::ValueKind::Flag:
            json = value == "TRUE";
            break;
        case SupportFile::ValueKind::ImageFiles: {
            QJsonArray images;
            for (const auto &image : record.getImageMinifications()) {
                images.append(QJsonObject {
                    {"level", image.level},
                    {"fileName", QString::fromStdString(image.fileName)},
                    {"lines", image.lines},
                    {"samples", image.samples},
                });
            }
            json = images;
            break;
        }
        }
        object.insert(QLatin1String(keyword), json);
    });
    QJsonArray present;
    std::set<std::string> listed;
    for (const util::SupportFileEntry &entry : c.entries) {
        if (listed.insert(entry.keyword).second)
            present.append(QString::fromStdString(entry.keyword));
    }
    object.insert("present", present);
    return object;
}

// Loads file into c. False (after printing the one line, and with it in *why) when the command
// must treat the file as failed; damaged files pass with force, their problem printed all the
// same.
bool load(const CommandLine &cl, const QString &file, bool force, Content &c, std::ostream &err,
          QString *why = nullptr)
{
    util::Failure failure;
    const SupportFile::ReadStatus status = util::loadSupportFileContent(
        c.record, QFile::encodeName(file).toStdString(), &c.entries, &failure);
    for (const util::SupportFileEntry &entry : c.entries)
        c.present.insert(entry.keyword);
    if (status == SupportFile::ReadStatus::Complete)
        return true;
    if (status == SupportFile::ReadStatus::Damaged && force) {
        cl.failure(err, failure.text().toStdString() + " (--force: used as read)");
        return true;
    }
    if (why)
        *why = failure.text();
    report(err, cl, failure);
    return false;
}

// The text without the lines of the given keywords (each line of the writer starts with its
// keyword).
std::string withoutLines(const std::string &text, const std::vector<std::string> &keywords)
{
    std::string kept;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size() - 1);
        const std::string line = text.substr(at, end - at + 1);
        bool drop = false;
        for (const std::string &keyword : keywords)
            drop = drop || line.rfind(keyword + ' ', 0) == 0 || line.rfind(keyword + '\n', 0) == 0;
        if (!drop)
            kept += line;
        at = end + 1;
    }
    return kept;
}

// The keywords of the format that stand in text (the writer's output) without being in the
// file: the reader's defaults, written as values.
std::vector<std::string> writtenDefaults(const Content &c, const std::string &text)
{
    std::set<std::string> words;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = text.find_first_not_of(" \t\n", at);
        if (start == std::string::npos)
            break;
        const std::size_t end = std::min(text.find_first_of(" \t\n", start), text.size());
        std::string word = text.substr(start, end - start);
        std::transform(word.begin(), word.end(), word.begin(),
                       [](unsigned char ch) { return char(std::toupper(ch)); });
        words.insert(word);
        at = end;
    }
    std::vector<std::string> defaults;
    c.record.forEachKeyword(
        [&](const char *keyword, unsigned, SupportFile::ValueKind, const std::string &) {
            const std::string k = keyword;
            if (k != "IMAGE_LEVEL" && words.count(k) && !c.holds(keyword))
                defaults.push_back(k);
        });
    return defaults;
}

// A folder given to check: its support files (.sup in any case), sorted; below it too when
// recursive.
QStringList supportFilesIn(const QString &folder, bool recursive)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot,
                    recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.endsWith(QLatin1String(".sup"), Qt::CaseInsensitive))
            files << path;
    }
    files.sort();
    return files;
}

} // namespace

int supShow(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    const bool json = cl.isSet("--json");
    const bool force = cl.isSet("--force");
    const bool defaults = cl.isSet("--defaults");

    int result = ExitOk;
    QJsonArray objects;
    bool first = true;
    for (int i = 0; i < cl.positional().size(); ++i) {
        const QString &file = cl.positional().at(i);
        Content c;
        QString why;
        if (!load(cl, cl.inputPath(i), force, c, err, &why)) {
            result = ExitFailure;
            // The same entry as sup check gives: the file and what went wrong.
            if (json)
                objects.append(QJsonObject {{"file", file}, {"error", why}});
            continue;
        }
        if (json) {
            QJsonObject object = jsonRecord(c);
            object.insert("file", file);
            objects.append(object);
        } else {
            if (!first)
                out << "\n";
            first = false;
            out << file.toStdString() << "\n";
            printRecord(c, defaults, out);
        }
    }
    if (json)
        out << QJsonDocument(objects).toJson(QJsonDocument::Indented).toStdString();
    out.flush();
    return result;
}

int supExport(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    const QString input = cl.positional().first();
    const int level = cl.value("--level").toInt();
    const QString output = cl.value("--output");
    const bool relativeNames = cl.isSet("--relative-names");
    const bool level0Name = !cl.isSet("--no-level0-name");
    if (level == 2 && (relativeNames || !level0Name))
        return cl.usageError(err, "--relative-names and --no-level0-name apply to --level 1 only");

    Content c;
    if (!load(cl, input, cl.isSet("--force"), c, err))
        return ExitFailure;
    SupportFile &record = c.record;
    if (record.getImageLevel() < 0 || record.getImageLevel() > 2)
        return cl.failure(err,
                          input.toStdString() + ": unsupported image level "
                              + std::to_string(record.getImageLevel()) + ", nothing read");
    // The lineage: a level-0 file is itself what a level-1 file names; any other file names
    // its level-0 image, or none.
    if (record.getImageLevel() != 0) {
        const util::SupportFileEntry *named = util::findEntry(c.entries, "LEVEL_0_NAME");
        record.setL0ImageName(named ? named->value : std::string());
    }

    const std::string outPath = QFile::encodeName(output).toStdString();
    std::string text = level == 1 ? record.formatL1SupportFile(outPath, level0Name, relativeNames)
                                  : record.formatL2SupportFile();
    // Dates the file does not give are not made up: the writer would write the time of the
    // run.
    std::vector<std::string> leftOut;
    for (const char *date : {"PHOTO_DATE", "IMAGE_DATE"}) {
        if (!c.holds(date) && text.find(std::string("\n") + date + " ") != std::string::npos)
            leftOut.push_back(date);
    }
    text = withoutLines(text, leftOut);
    const std::vector<std::string> defaults = writtenDefaults(c, text);
    const auto listed = [](const std::vector<std::string> &words) {
        std::string joined;
        for (const std::string &word : words)
            joined += (joined.empty() ? "" : ", ") + word;
        return joined;
    };
    if (!leftOut.empty())
        err << "quorutil " << cl.command() << ": " << input.toStdString() << ": " << listed(leftOut)
            << " not in the file: left out, not made up\n";
    if (!defaults.empty())
        err << "quorutil " << cl.command() << ": " << input.toStdString()
            << ": not in the file, written as the reader's defaults: " << listed(defaults) << "\n";

    if (output == QLatin1String("-")) {
        // Relative image names are then relative to the current folder.
        out << text;
        return ExitOk; // a write that failed is reported when standard output is closed
    }
    util::Failure failure;
    if (!util::writeFileAtomically(output, text.data(), text.size(), &failure))
        return report(err, cl, failure);
    return ExitOk;
}

int supCheck(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    const bool quiet = cl.isSet("--quiet");
    const bool json = cl.isSet("--json") && !quiet;
    const bool recursive = cl.isSet("--recursive");

    int result = ExitOk;
    QStringList files;
    for (const QString &argument : cl.positional()) {
        if (!QFileInfo(argument).isDir()) {
            files << argument;
            continue;
        }
        const QStringList found = supportFilesIn(argument, recursive);
        if (found.isEmpty()) {
            result = ExitFailure;
            if (!quiet)
                cl.failure(err,
                           argument.toStdString() + ": no support file (.sup) in it"
                               + (recursive ? "" : " (--recursive looks below it)"));
        }
        files << found;
    }

    QJsonArray objects;
    for (const QString &file : files) {
        Content c;
        util::Failure failure;
        const std::string path = QFile::encodeName(file).toStdString();
        QJsonObject object;
        object.insert("file", file);
        if (util::loadSupportFileContent(c.record, path, &c.entries, &failure)
            != SupportFile::ReadStatus::Complete) {
            result = ExitFailure;
            if (json) {
                object.insert("error", failure.text());
                objects.append(object);
            }
            if (!quiet)
                report(err, cl, failure);
            continue;
        }
        QJsonArray missing, messages;
        for (const util::SupportFileReference &r :
             util::supportFileReferences(c.record, c.entries, path)) {
            if (r.state == util::SupportFileReference::Present)
                continue;
            result = ExitFailure;
            missing.append(QFile::decodeName(r.path.c_str()));
            messages.append(QString::fromStdString(r.message));
            if (!json && !quiet)
                out << file.toStdString() << ": " << r.message
                    << (r.path != r.name ? " (" + r.path + ")" : std::string()) << "\n";
        }
        if (json) {
            object.insert("valid", missing.isEmpty());
            object.insert("missing", missing);
            object.insert("messages", messages);
            objects.append(object);
        }
    }
    if (json)
        out << QJsonDocument(objects).toJson(QJsonDocument::Indented).toStdString();
    out.flush();
    return result;
}

} // namespace quorutil
