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

// The attributes in the order they stand in a name.
const char *const attributeOrder[] = {"sensor", "date",  "time",   "band",
                                      "angle",  "level", "xcoord", "ycoord"};

} // namespace

int nameCommand(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
    using util::FileSessionNameGenerator;
    FileSessionNameGenerator::Options options;
    options.useExample = cl.isSet("--example");
    options.project = cl.value("--project").toStdString();
    options.flightPlan = cl.value("--flight-plan").toStdString();
    options.lineName = cl.value("--line-name").toStdString();
    options.sensorType = cl.value("--sensor-type").toStdString();
    options.band = cl.value("--band").toStdString();
    options.lineNumber = std::uint32_t(cl.integer("--line-number", options.lineNumber));
    options.serialNumber = std::uint32_t(cl.integer("--serial", options.serialNumber));
    if (cl.isSet("--date-time")) {
        options.dateTime = QDateTime::fromString(cl.value("--date-time"), Qt::ISODate);
        if (!options.dateTime.isValid())
            return cl.usageError(err,
                                 "not an ISO 8601 date and time: '"
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

    if (havePattern && isXmlText(pattern)) {
        // The generator would take text that is not XML for a token pattern and print it.
        QDomDocument document;
        util::Failure failure;
        if (!util::parseXmlText(pattern, document, &failure)) {
            failure.path = QStringLiteral("--pattern");
            return report(err, cl, failure);
        }
    }
    if (!collection.isEmpty()) {
        if (id.isEmpty())
            id = QStringLiteral("Default");
        util::Failure failure;
        if (!FileSessionNameGenerator::loadPattern(collection, id, pattern, &failure))
            return report(err, cl, failure);
    } else if (!havePattern) {
        pattern = FileSessionNameGenerator::loadPattern(
            cl.isSet("--session") ? FileSessionNameGenerator::SessionNaming
                                  : FileSessionNameGenerator::FileNaming);
    }
    if (!isXmlText(pattern)) {
        // The generator reads any other token as a date-time format: "LINE_NAME" would come
        // out as date text, "FOO" as nothing.
        const QStringList unknown = FileSessionNameGenerator::unknownTokens(pattern);
        if (!unknown.isEmpty()) {
            QStringList shown, known;
            for (const QString &token : unknown)
                shown << (token.startsWith('$') ? token : '$' + token + '$');
            for (const QString &token : FileSessionNameGenerator::tokenNames())
                known << '$' + token + '$';
            return cl.failure(
                err,
                std::string(unknown.size() == 1 ? "unknown token " : "unknown tokens ")
                    + shown.join(", ").toStdString() + " in the pattern '" + pattern.toStdString()
                    + "'; the tokens are " + known.join(", ").toStdString()
                    + " and date-time formats such as $yyMMdd$ and $hhmmss$");
        }
    }
    try {
        const FileSessionNameGenerator generator(options, pattern);
        out << generator.createNameFromPattern().toStdString() << "\n";
    } catch (const std::runtime_error &e) {
        return cl.failure(err, e.what());
    }
    return ExitOk;
}

int supnameParse(const CommandLine &cl, std::ostream &out, std::ostream & /*err*/)
{
    const bool json = cl.isSet("--json");
    const QStringList &names = cl.positional();

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

int supnameRename(const CommandLine &cl, std::ostream &out, std::ostream &err)
{
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
            return report(err, cl, failure);
    } else if (!util::readXmlFile(patternFile, document, &failure)) {
        return report(err, cl, failure);
    }

    // A pattern for other names (a file-naming pattern, a whole collection) builds a name of
    // separators alone.
    const QDomElement pattern = document.documentElement();
    QStringList unused = util::SupFilenamePattern::unusedElements(pattern);
    unused.removeDuplicates();
    const std::string source = patternFile.toStdString()
        + (cl.isSet("--id") ? " (pattern " + cl.value("--id").toStdString() + ")" : std::string());
    const char *vocabulary = "a support-file pattern reads Date, Time, Sensor, TileX, TileY, "
                             "Angle, Band and Level with checked=\"2\"";
    if (!unused.isEmpty()) {
        bool anyUsed = false;
        for (QDomElement child = pattern.firstChildElement(); !child.isNull();
             child = child.nextSiblingElement())
            anyUsed = anyUsed || !unused.contains(child.tagName());
        if (!anyUsed)
            return cl.failure(err,
                              source + " takes nothing from support-file names: "
                                  + unused.join(", ").toStdString() + " (" + vocabulary + ")");
        err << "quorutil " << cl.command() << ": " << source << ": warning: takes nothing from "
            << unused.join(", ").toStdString() << " (" << vocabulary << ")\n";
    }

    util::SupFilenamePattern sup(name);
    if (cl.isSet("--ignore-prefix-error"))
        sup.ignoreErrorOnPrefix();
    QString newName;
    if (!sup.createNameFromPattern(document.documentElement(), newName))
        return cl.failure(
            err, "cannot build a name from '" + name.toStdString() + "' with this pattern");
    if (newName.isEmpty())
        return cl.failure(err, source + " builds an empty name from '" + name.toStdString() + "'");
    out << newName.toStdString() << "\n";
    return ExitOk;
}

} // namespace quorutil
