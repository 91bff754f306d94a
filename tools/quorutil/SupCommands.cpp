// quorutil sup: show support files, export them as level 1 or level 2.
//
// The field listing comes from SupportFile::forEachKeyword, which walks the library's keyword
// table: a keyword added there shows up here without a change to this file.

#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Report.h"
#include "tools/quorutil/Tool.h"

#include "util/strings/NumberFormat.h"
#include "util/support/SupportFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <ctime>
#include <ostream>
#include <string>

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
    const std::time_t t = static_cast<std::time_t>(std::stoll(seconds));
    std::tm tm;
    char buf[64];
    if (localtime_r(&t, &tm) && std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S %Z", &tm))
        return std::string(buf) + " (" + seconds + ")";
    return seconds;
}

void printRecord(const SupportFile &record, std::ostream &out)
{
    out << "  Level: " << std::to_string(record.getImageLevel()) << " ("
        << levelName(record.getImageLevel()) << ")\n";
    unsigned section = ~0u;
    record.forEachKeyword([&](const char *keyword, unsigned levels, SupportFile::ValueKind kind,
                              const std::string &value) {
        const char *title = sectionTitle(levels);
        if (!title)
            return; // IMAGE_LEVEL: the level above
        if (levels != section) {
            out << "  " << title << "\n";
            section = levels;
        }
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
        out << line << "\n";
        if (kind == SupportFile::ValueKind::ImageFiles) {
            for (const auto &image : record.getImageMinifications())
                out << "      level " << std::to_string(image.level) << ": \"" << image.fileName
                    << "\", " << std::to_string(image.lines) << " lines x "
                    << std::to_string(image.samples) << " samples\n";
        }
    });
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

QJsonObject jsonRecord(const SupportFile &record)
{
    QJsonObject object;
    record.forEachKeyword(
        [&](const char *keyword, unsigned, SupportFile::ValueKind kind, const std::string &value) {
            QJsonValue json;
            switch (kind) {
            case SupportFile::ValueKind::Text:
                // 8-bit text; invalid UTF-8 becomes U+FFFD.
                json = QString::fromStdString(value);
                break;
            case SupportFile::ValueKind::Integer:
            case SupportFile::ValueKind::Date:
                json = static_cast<qint64>(std::stoll(value));
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
    return object;
}

// Loads file into record. False (after printing the one line) when the command must treat the
// file as failed; damaged files pass with force, their problem printed all the same.
bool load(const CommandLine &cl, const QString &file, bool force, SupportFile &record,
          std::ostream &err)
{
    util::Failure failure;
    const SupportFile::ReadStatus status =
        record.loadFileChecked(QFile::encodeName(file).toStdString(), &failure);
    if (status == SupportFile::ReadStatus::Complete)
        return true;
    if (status == SupportFile::ReadStatus::Damaged && force) {
        cl.failure(err, failure.text().toStdString() + " (--force: used as read)");
        return true;
    }
    report(err, cl, failure);
    return false;
}

} // namespace

int supShow(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    const bool json = cl.isSet("--json");
    const bool force = cl.isSet("--force");

    int result = ExitOk;
    QJsonArray objects;
    bool first = true;
    for (int i = 0; i < cl.positional().size(); ++i) {
        const QString &file = cl.positional().at(i);
        SupportFile record;
        if (!load(cl, cl.inputPath(i), force, record, err)) {
            result = ExitFailure;
            continue;
        }
        // The reader names the file it read as the level-0 image; standard input is "-".
        if (cl.inputPath(i) != file)
            record.setL0ImageName("-");
        if (json) {
            QJsonObject object = jsonRecord(record);
            object.insert("file", file);
            objects.append(object);
        } else {
            if (!first)
                out << "\n";
            first = false;
            out << file.toStdString() << "\n";
            printRecord(record, out);
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

    SupportFile record;
    if (!load(cl, input, cl.isSet("--force"), record, err))
        return ExitFailure;
    if (record.getImageLevel() < 0 || record.getImageLevel() > 2)
        return cl.failure(err,
                          input.toStdString() + ": unsupported image level "
                              + std::to_string(record.getImageLevel()) + ", nothing read");

    const std::string outPath = QFile::encodeName(output).toStdString();
    if (output == QLatin1String("-")) {
        // Relative image names are then relative to the current folder.
        out << (level == 1 ? record.formatL1SupportFile(outPath, level0Name, relativeNames)
                           : record.formatL2SupportFile());
        out.flush();
        return out ? ExitOk : cl.failure(err, "Can't write to standard output");
    }
    util::Failure failure;
    const bool written = level == 1
        ? record.exportL1SupportFile(outPath, level0Name, relativeNames, &failure)
        : record.exportL2SupportFile(outPath, &failure);
    if (!written)
        return report(err, cl, failure);
    return ExitOk;
}

int supCheck(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    const bool quiet = cl.isSet("--quiet");
    const bool json = cl.isSet("--json") && !quiet;

    int result = ExitOk;
    QJsonArray objects;
    for (const QString &file : cl.positional()) {
        SupportFile record;
        util::Failure failure;
        QJsonObject object;
        object.insert("file", file);
        if (record.loadFileChecked(QFile::encodeName(file).toStdString(), &failure)
            != SupportFile::ReadStatus::Complete) {
            result = ExitFailure;
            if (json) {
                object.insert("error", failure.text());
                objects.append(object);
            } else if (!quiet) {
                report(err, cl, failure);
            }
            continue;
        }
        const std::vector<std::string> missing = record.missingFiles();
        if (!missing.empty())
            result = ExitFailure;
        if (json) {
            QJsonArray messages;
            for (const std::string &message : missing)
                messages.append(QString::fromStdString(message));
            object.insert("valid", missing.empty());
            object.insert("missing", messages);
            objects.append(object);
        } else if (!quiet) {
            for (const std::string &message : missing)
                out << file.toStdString() << ": " << message << "\n";
        }
    }
    if (json)
        out << QJsonDocument(objects).toJson(QJsonDocument::Indented).toStdString();
    out.flush();
    return result;
}

} // namespace quorutil
