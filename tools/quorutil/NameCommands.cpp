#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Tool.h"

#include "util/naming/FileSessionNameGenerator.h"
#include "util/naming/SupFilenamePattern.h"

#include <QDateTime>
#include <QDomDocument>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <ostream>
#include <stdexcept>

namespace quorutil {

namespace {

const char *const nameUsage =
    "Usage: quorutil name [--session] [--pattern TEXT | --collection FILE [--id ID]] [--example]\n"
    "                     [--project P] [--flight-plan F] [--line-name L] [--line-number N]\n"
    "                     [--serial N] [--sensor-type T] [--band B] [--date-time ISO8601]\n"
    "\n"
    "Prints the file name (with --session the session name) that a naming pattern gives.\n"
    "Without --pattern or --collection the configured pattern is used, as the applications\n"
    "use it: a token pattern in quor.ini [NamingConfig], else the user's selected pattern of\n"
    "the configured collection, else the built-in default.\n"
    "  --pattern TEXT       an XML FilePattern element or a token pattern ($PROJECT$_$yyMMdd$)\n"
    "  --collection FILE    a pattern collection; --id picks the pattern (default \"Default\")\n"
    "  --example            use the example values instead of the options below\n"
    "  --date-time ISO8601  acquisition date and time (without it, names carry no date)\n";

const char *const supnameUsage =
    "Usage: quorutil supname parse NAME... [--json]\n"
    "       quorutil supname rename NAME --pattern-file XML [--ignore-prefix-error]\n"
    "\n"
    "parse   prints the attributes read from each support-file name (sensor, date, time,\n"
    "        band, angle, level, tile coordinates), or that the name is not readable;\n"
    "        exit code 1 when any name is not readable.\n"
    "rename  prints the name that the pattern (the XML file's root element) builds from NAME;\n"
    "        --ignore-prefix-error accepts a NAME that cannot be read.\n";

int usageError(std::ostream &err, const char *command, const std::string &message,
               const char *usage)
{
    err << "quorutil " << command << ": " << message << "\n\n" << usage;
    return ExitUsage;
}

bool parseUnsigned(const QString &text, std::uint32_t &value)
{
    bool ok = false;
    const uint parsed = text.toUInt(&ok, 10);
    if (ok)
        value = parsed;
    return ok;
}

// The attributes in the order they stand in a name.
const char *const attributeOrder[] = {"sensor", "date",  "time",   "band",
                                      "angle",  "level", "xcoord", "ycoord"};

} // namespace

int nameCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    using util::FileSessionNameGenerator;
    FileSessionNameGenerator::Options options;
    bool session = false;
    bool havePattern = false;
    QString pattern;
    QString collection;
    QString id;

    const QStringList valued = {"--pattern",     "--collection", "--id",          "--project",
                                "--flight-plan", "--line-name",  "--line-number", "--serial",
                                "--sensor-type", "--band",       "--date-time"};
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == "--help" || arg == "-h") {
            out << nameUsage;
            return ExitOk;
        }
        if (arg == "--session") {
            session = true;
            continue;
        }
        if (arg == "--example") {
            options.useExample = true;
            continue;
        }
        if (!valued.contains(arg))
            return usageError(err, "name", "unknown argument '" + arg.toStdString() + "'",
                              nameUsage);
        if (i + 1 >= args.size())
            return usageError(err, "name", arg.toStdString() + " needs a value", nameUsage);
        const QString value = args.at(++i);
        if (arg == "--pattern") {
            pattern = value;
            havePattern = true;
        } else if (arg == "--collection") {
            collection = value;
        } else if (arg == "--id") {
            id = value;
        } else if (arg == "--project") {
            options.project = value.toStdString();
        } else if (arg == "--flight-plan") {
            options.flightPlan = value.toStdString();
        } else if (arg == "--line-name") {
            options.lineName = value.toStdString();
        } else if (arg == "--sensor-type") {
            options.sensorType = value.toStdString();
        } else if (arg == "--band") {
            options.band = value.toStdString();
        } else if (arg == "--line-number" || arg == "--serial") {
            std::uint32_t &field = arg == "--serial" ? options.serialNumber : options.lineNumber;
            if (!parseUnsigned(value, field))
                return usageError(err, "name",
                                  arg.toStdString() + " needs a whole number from 0 to 4294967295",
                                  nameUsage);
        } else if (arg == "--date-time") {
            options.dateTime = QDateTime::fromString(value, Qt::ISODate);
            if (!options.dateTime.isValid())
                return usageError(err, "name",
                                  "not an ISO 8601 date and time: '" + value.toStdString() + "'",
                                  nameUsage);
        }
    }
    if (havePattern && !collection.isEmpty())
        return usageError(err, "name", "--pattern and --collection exclude each other", nameUsage);
    if (!id.isEmpty() && collection.isEmpty())
        return usageError(err, "name", "--id needs --collection", nameUsage);
    if (havePattern && pattern.isEmpty())
        return usageError(err, "name", "--pattern needs a non-empty value", nameUsage);

    try {
        if (!collection.isEmpty()) {
            if (id.isEmpty())
                id = QStringLiteral("Default");
            pattern = FileSessionNameGenerator::loadPattern(collection, id);
            if (pattern.isEmpty()) {
                err << "quorutil name: no pattern '" << id.toStdString() << "' in "
                    << collection.toStdString() << "\n";
                return ExitFailure;
            }
        } else if (!havePattern) {
            pattern = FileSessionNameGenerator::loadPattern(
                session ? FileSessionNameGenerator::SessionNaming
                        : FileSessionNameGenerator::FileNaming);
        }
        const FileSessionNameGenerator generator(options, pattern);
        out << generator.createNameFromPattern().toStdString() << "\n";
    } catch (const std::runtime_error &e) {
        err << "quorutil name: " << e.what() << "\n";
        return ExitFailure;
    }
    return ExitOk;
}

namespace {

int supnameParse(const QStringList &args, std::ostream &out, std::ostream &err)
{
    bool json = false;
    QStringList names;
    for (const QString &arg : args) {
        if (arg == "--json")
            json = true;
        else if (arg.startsWith("--"))
            return usageError(err, "supname", "unknown argument '" + arg.toStdString() + "'",
                              supnameUsage);
        else
            names << arg;
    }
    if (names.isEmpty())
        return usageError(err, "supname", "parse needs at least one name", supnameUsage);

    bool allReadable = true;
    QJsonArray results;
    for (const QString &name : names) {
        QMap<QString, QString> attributes;
        const bool readable = util::SupFilenamePattern(name).attributes(attributes);
        allReadable = allReadable && readable;
        // A name given up half way leaves what was read so far; none of it describes the name.
        if (!readable)
            attributes.clear();
        if (json) {
            QJsonObject values;
            for (auto it = attributes.constBegin(); it != attributes.constEnd(); ++it)
                values.insert(it.key(), it.value());
            QJsonObject entry;
            entry.insert("name", name);
            entry.insert("readable", readable);
            entry.insert("attributes", values);
            results.append(entry);
            continue;
        }
        out << name.toStdString() << ":";
        if (!readable) {
            out << " not readable\n";
            continue;
        }
        for (const char *key : attributeOrder) {
            if (attributes.contains(key))
                out << " " << key << "=" << attributes.value(key).toStdString();
        }
        out << "\n";
    }
    if (json)
        out << QJsonDocument(results).toJson(QJsonDocument::Indented).toStdString();
    return allReadable ? ExitOk : ExitFailure;
}

int supnameRename(const QStringList &args, std::ostream &out, std::ostream &err)
{
    QString name;
    QString patternFile;
    bool ignorePrefixError = false;
    bool haveName = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == "--ignore-prefix-error") {
            ignorePrefixError = true;
        } else if (arg == "--pattern-file") {
            if (i + 1 >= args.size())
                return usageError(err, "supname", "--pattern-file needs a value", supnameUsage);
            patternFile = args.at(++i);
        } else if (arg.startsWith("--") || haveName) {
            return usageError(err, "supname", "unexpected argument '" + arg.toStdString() + "'",
                              supnameUsage);
        } else {
            name = arg;
            haveName = true;
        }
    }
    if (!haveName || patternFile.isEmpty())
        return usageError(err, "supname", "rename needs a NAME and --pattern-file", supnameUsage);

    QFile file(patternFile);
    if (!file.open(QIODevice::ReadOnly)) {
        err << "quorutil supname: cannot read " << patternFile.toStdString() << "\n";
        return ExitFailure;
    }
    QDomDocument document;
    QString message;
    int line = 0;
    if (!document.setContent(&file, false, &message, &line)) {
        err << "quorutil supname: " << patternFile.toStdString()
            << " is not XML: " << message.toStdString() << " (line " << line << ")\n";
        return ExitFailure;
    }

    util::SupFilenamePattern sup(name);
    if (ignorePrefixError)
        sup.ignoreErrorOnPrefix();
    QString newName;
    if (!sup.createNameFromPattern(document.documentElement(), newName)) {
        err << "quorutil supname: cannot build a name from '" << name.toStdString()
            << "' with this pattern\n";
        return ExitFailure;
    }
    out << newName.toStdString() << "\n";
    return ExitOk;
}

} // namespace

int supnameCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    if (args.isEmpty())
        return usageError(err, "supname", "missing subcommand", supnameUsage);
    const QString sub = args.first();
    if (sub == "--help" || sub == "-h") {
        out << supnameUsage;
        return ExitOk;
    }
    if (sub == "parse")
        return supnameParse(args.mid(1), out, err);
    if (sub == "rename")
        return supnameRename(args.mid(1), out, err);
    return usageError(err, "supname", "unknown subcommand '" + sub.toStdString() + "'",
                      supnameUsage);
}

} // namespace quorutil
