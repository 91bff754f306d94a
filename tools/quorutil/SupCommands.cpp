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

const char *const showUsage =
    "Usage: quorutil sup show FILE... [--json] [--force]\n"
    "\n"
    "Prints the detected level and every keyword's value of each support file.\n"
    "  --json    a JSON array with one object per file: \"file\" and one member per keyword\n"
    "  --force   also show files that are damaged, empty or of an unsupported level (the\n"
    "            problem still goes to stderr, but the exit code stays 0)\n";

const char *const exportUsage =
    "Usage: quorutil sup export FILE --level 1|2 -o OUT [--relative-names] [--no-level0-name]\n"
    "                           [--force]\n"
    "\n"
    "Reads FILE and writes it as a level-1 or level-2 support file to OUT (\"-\": standard\n"
    "output). OUT is replaced only when the whole file could be written.\n"
    "  --relative-names   image file names relative to the folder of OUT (level 1)\n"
    "  --no-level0-name   leave out the LEVEL_0_NAME line (level 1)\n"
    "  --force            export a damaged FILE as far as it could be read\n";

const char *const checkUsage =
    "Usage: quorutil sup check FILE... [--quiet] [--json]\n"
    "\n"
    "Checks that every file each support file refers to exists: its image files, orientation\n"
    "and calibration files and level-0 image. Names are tested as stored, so relative ones\n"
    "against the current folder. One line per missing file, naming the support file; exit\n"
    "code 1 when any file is missing or a support file cannot be read.\n"
    "  --quiet   print nothing; only the exit code tells\n"
    "  --json    a JSON array with one object per support file: \"file\", \"valid\" and\n"
    "            \"missing\" (the messages), or \"error\" when it could not be read\n";

const std::string supUsage = std::string("Usage: quorutil sup show FILE... [--json] [--force]\n")
    + "       quorutil sup export FILE --level 1|2 -o OUT|- [--relative-names] "
      "[--no-level0-name] [--force]\n"
      "       quorutil sup check FILE... [--quiet] [--json]\n"
      "\n"
      "Run 'quorutil sup SUBCOMMAND --help' for details.\n";

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
        err << "quorutil " << cl.command() << ": " << failure.text().toStdString()
            << " (--force: used as read)\n";
        return true;
    }
    report(err, cl.command(), failure);
    return false;
}

int showCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    CommandLine cl("sup show", showUsage, {{"--json"}, {"--force"}});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    if (cl.positional().isEmpty())
        return cl.usageError(err, "needs at least one FILE");
    const bool json = cl.isSet("--json");
    const bool force = cl.isSet("--force");

    int result = ExitOk;
    QJsonArray objects;
    bool first = true;
    for (const QString &file : cl.positional()) {
        SupportFile record;
        if (!load(cl, file, force, record, err)) {
            result = ExitFailure;
            continue;
        }
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

int exportCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    CommandLine cl("sup export", exportUsage,
                   {{"--level", nullptr, true},
                    {"--output", "-o", true},
                    {"--relative-names"},
                    {"--no-level0-name"},
                    {"--force"}});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    if (cl.positional().size() != 1)
        return cl.usageError(err, cl.positional().isEmpty() ? "needs a FILE" : "takes one FILE");
    const QString input = cl.positional().first();
    const QString levelText = cl.value("--level");
    if (levelText.isEmpty())
        return cl.usageError(err, "needs --level 1 or --level 2");
    if (levelText != QLatin1String("1") && levelText != QLatin1String("2"))
        return cl.usageError(err, "--level must be 1 or 2, not '" + levelText.toStdString() + "'");
    const int level = levelText.toInt();
    const QString output = cl.value("--output");
    if (output.isEmpty())
        return cl.usageError(err, "needs -o OUT");
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
        return report(err, cl.command(), failure);
    return ExitOk;
}

int checkCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    CommandLine cl("sup check", checkUsage, {{"--quiet", "-q"}, {"--json"}});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    if (cl.positional().isEmpty())
        return cl.usageError(err, "needs at least one FILE");
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
                report(err, cl.command(), failure);
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

} // namespace

int supCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    return dispatchSubcommand("sup", supUsage, {{"show", showCommand}, {"export", exportCommand}, {"check", checkCommand}},
                              args, out, err);
}

} // namespace quorutil
