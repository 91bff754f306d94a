#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Report.h"
#include "tools/quorutil/Tool.h"

#include "util/naming/FileSessionNameGenerator.h"
#include "util/naming/SupFilenamePattern.h"
#include "util/xml/XmlFile.h"

#include <QDateTime>
#include <QDomDocument>
#include <QFileInfo>
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
    "  --pattern TEXT       an XML FilePattern element (text starting with '<') or a token\n"
    "                       pattern ($PROJECT$_$yyMMdd$)\n"
    "  --collection FILE    a pattern collection; --id picks the pattern (default \"Default\")\n"
    "  --example            use the example values instead of the options below\n"
    "  --date-time ISO8601  acquisition date and time (without it, names carry no date)\n";

const char *const supnameParseUsage =
    "Usage: quorutil supname parse NAME... [--json]\n"
    "Prints the attributes read from each support-file name (sensor, date, time, band, angle,\n"
    "level, tile coordinates), or that the name is not readable; exit code 1 when any name is\n"
    "not readable. NAME may be a path and carry an extension (.sup, .tif): only the file name\n"
    "without its extension is read.\n";

const char *const supnameRenameUsage =
    "Usage: quorutil supname rename NAME --pattern-file XML [--id ID] [--ignore-prefix-error]\n"
    "Prints the name that the pattern builds from NAME: the XML file's root element, or with\n"
    "--id the pattern of that id in a pattern collection.\n"
    "  --ignore-prefix-error  accept a NAME that cannot be read\n";

const std::string supnameUsage = std::string(supnameParseUsage) + "\n" + supnameRenameUsage;

// Token patterns make file names, which never hold '<'; such text is meant as XML.
bool isXmlText(const QString &pattern)
{
    return pattern.trimmed().startsWith(QLatin1Char('<'));
}

// The name to read from a path or file name: no folder, and no extension (a last part after
// a dot that holds no "_"), so SN3001_110115_123458_RGBN00AL2_012_034.sup keeps its tiles.
QString supportFileName(const QString &argument)
{
    const QString name = QFileInfo(argument).fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0 && !name.midRef(dot).contains(QLatin1Char('_')))
        return name.left(dot);
    return name;
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
    CommandLine cl("name", nameUsage,
                   {{"--session"}, {"--example"}, {"--pattern", nullptr, true},
                    {"--collection", nullptr, true}, {"--id", nullptr, true},
                    {"--project", nullptr, true}, {"--flight-plan", nullptr, true},
                    {"--line-name", nullptr, true}, {"--line-number", nullptr, true},
                    {"--serial", nullptr, true}, {"--sensor-type", nullptr, true},
                    {"--band", nullptr, true}, {"--date-time", nullptr, true}});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    if (!cl.positional().isEmpty())
        return cl.usageError(err, "unexpected argument '" + cl.positional().first().toStdString()
                                 + "'");

    FileSessionNameGenerator::Options options;
    options.useExample = cl.isSet("--example");
    options.project = cl.value("--project").toStdString();
    options.flightPlan = cl.value("--flight-plan").toStdString();
    options.lineName = cl.value("--line-name").toStdString();
    options.sensorType = cl.value("--sensor-type").toStdString();
    options.band = cl.value("--band").toStdString();
    for (const char *option : {"--line-number", "--serial"}) {
        std::uint32_t &field =
            option == std::string("--serial") ? options.serialNumber : options.lineNumber;
        if (cl.isSet(option) && !parseUnsigned(cl.value(option), field))
            return cl.usageError(err, std::string(option)
                                     + " needs a whole number from 0 to 4294967295");
    }
    if (cl.isSet("--date-time")) {
        options.dateTime = QDateTime::fromString(cl.value("--date-time"), Qt::ISODate);
        if (!options.dateTime.isValid())
            return cl.usageError(err, "not an ISO 8601 date and time: '"
                                     + cl.value("--date-time").toStdString() + "'");
    }

    const bool havePattern = cl.isSet("--pattern");
    QString pattern = cl.value("--pattern");
    const QString collection = cl.value("--collection");
    QString id = cl.value("--id");
    if (havePattern && cl.isSet("--collection"))
        return cl.usageError(err, "--pattern and --collection exclude each other");
    if (cl.isSet("--id") && collection.isEmpty())
        return cl.usageError(err, "--id needs --collection");
    if (havePattern && pattern.isEmpty())
        return cl.usageError(err, "--pattern needs a non-empty value");
    if (cl.isSet("--collection") && collection.isEmpty())
        return cl.usageError(err, "--collection needs a non-empty value");

    if (havePattern && isXmlText(pattern)) {
        // The generator would take text that is not XML for a token pattern and print it.
        QDomDocument document;
        util::Failure failure;
        if (!util::parseXmlText(pattern, document, &failure)) {
            failure.path = QStringLiteral("--pattern");
            return report(err, cl.command(), failure);
        }
    }
    if (!collection.isEmpty()) {
        if (id.isEmpty())
            id = QStringLiteral("Default");
        util::Failure failure;
        if (!FileSessionNameGenerator::loadPattern(collection, id, pattern, &failure))
            return report(err, cl.command(), failure);
    } else if (!havePattern) {
        pattern = FileSessionNameGenerator::loadPattern(
            cl.isSet("--session") ? FileSessionNameGenerator::SessionNaming
                                  : FileSessionNameGenerator::FileNaming);
    }
    try {
        const FileSessionNameGenerator generator(options, pattern);
        out << generator.createNameFromPattern().toStdString() << "\n";
    } catch (const std::runtime_error &e) {
        return cl.failure(err, e.what());
    }
    return ExitOk;
}

namespace {

int supnameParse(const QStringList &args, std::ostream &out, std::ostream &err)
{
    CommandLine cl("supname parse", supnameParseUsage, {{"--json"}});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    const bool json = cl.isSet("--json");
    const QStringList &names = cl.positional();
    if (names.isEmpty())
        return cl.usageError(err, "needs at least one name");

    bool allReadable = true;
    QJsonArray results;
    for (const QString &name : names) {
        QMap<QString, QString> attributes;
        const bool readable =
            util::SupFilenamePattern(supportFileName(name)).attributes(attributes);
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
    CommandLine cl("supname rename", supnameRenameUsage,
                   {{"--pattern-file", nullptr, true}, {"--id", nullptr, true},
                    {"--ignore-prefix-error"}});
    int code = ExitOk;
    if (!cl.parse(args, out, err, &code))
        return code;
    if (cl.positional().size() != 1 || cl.value("--pattern-file").isEmpty())
        return cl.usageError(err, "needs one NAME and --pattern-file");
    const QString name = cl.positional().first();
    const QString patternFile = cl.value("--pattern-file");

    // A collection and an id, or a file whose root element is the pattern.
    QDomDocument document;
    util::Failure failure;
    if (cl.isSet("--id")) {
        QString text;
        if (!util::FileSessionNameGenerator::loadPattern(patternFile, cl.value("--id"), text,
                                                         &failure)
            || !util::parseXmlText(text, document, &failure))
            return report(err, cl.command(), failure);
    } else if (!util::readXmlFile(patternFile, document, &failure)) {
        return report(err, cl.command(), failure);
    }

    util::SupFilenamePattern sup(name);
    if (cl.isSet("--ignore-prefix-error"))
        sup.ignoreErrorOnPrefix();
    QString newName;
    if (!sup.createNameFromPattern(document.documentElement(), newName))
        return cl.failure(err, "cannot build a name from '" + name.toStdString()
                                   + "' with this pattern");
    out << newName.toStdString() << "\n";
    return ExitOk;
}

} // namespace

int supnameCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    return dispatchSubcommand("supname", supnameUsage,
                              {{"parse", supnameParse}, {"rename", supnameRename}}, args, out,
                              err);
}

} // namespace quorutil
