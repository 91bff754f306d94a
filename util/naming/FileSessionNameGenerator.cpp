#include "util/naming/FileSessionNameGenerator.h"

#include "util/config/QuorEnvironment.h"
#include "util/files/ReadFile.h"
#include "util/xml/XmlDepthGuard_p.h"
#include "util/xml/XmlFile.h"

#include <QDomDocument>
#include <QDomElement>
#include <QFile>
#include <QRegExp>
#include <QSettings>
#include <QTextStream>

#include <stdexcept>

namespace util {

QString const FileSessionNameGenerator::sTokenDelimiter = QStringLiteral("$");

namespace {

const char *const parseError = "Can't parse naming pattern";

// A piece's position: "-1" when missing, so a missing position is refused like a negative one;
// a present text that is not a number reads as 0.
int positionOf(const QDomElement &element)
{
    return element.attribute(QStringLiteral("pos"), QStringLiteral("-1")).toInt();
}

bool isChecked(const QDomElement &element)
{
    return element.attribute(QStringLiteral("checked"), QStringLiteral("0")).toInt() != 0;
}

QString joined(const QMap<int, QString> &texts)
{
    QString result;
    for (const QString &text : texts)
        result += text;
    return result;
}

// QDateTime::toString writes in the system locale, digits included: Arabic-Indic ones under
// ar_EG, say. Names must not change with the machine they are made on, so the digits are
// brought back to ASCII; month and day names stay those of the locale.
QString formatDateTime(const QDateTime &dateTime, const QString &format)
{
    QString text = dateTime.toString(format);
    for (QChar &c : text) {
        if (c.unicode() >= 0x80 && c.category() == QChar::Number_DecimalDigit)
            c = QLatin1Char(char('0' + c.digitValue()));
    }
    return text;
}

} // namespace

FileSessionNameGenerator::FileSessionNameGenerator(Options const &options)
    : m_options(getOptions(options))
{
}

FileSessionNameGenerator::FileSessionNameGenerator(Options const &options, QString const &pattern)
    : m_options(getOptions(options))
{
    auto document = std::make_unique<QDomDocument>(QStringLiteral("pattern"));
    if (detail::setXmlContent(*document, pattern, false))
        m_document = std::move(document);
    else
        m_tokenPattern = pattern;
}

FileSessionNameGenerator::FileSessionNameGenerator(FileSessionNameGenerator &other)
    : NameGenerator(other)
    , m_document(std::move(other.m_document))
    , m_options(other.m_options)
    , m_tokenPattern(other.m_tokenPattern)
{
}

FileSessionNameGenerator::~FileSessionNameGenerator() = default;

FileSessionNameGenerator::Options FileSessionNameGenerator::getOptions(Options const &options) const
{
    if (!options.useExample)
        return options;
    Options example;
    example.lineNumber = 1;
    example.lineName = "Take";
    example.serialNumber = 30001;
    example.sensorType = "QK17";
    example.dateTime =
        QDateTime::fromString(QStringLiteral("20110115123458"), QStringLiteral("yyyyMMddhhmmss"));
    example.band = "PANF02A";
    example.useExample = false;
    example.project = "Project";
    example.flightPlan = "Plan";
    return example;
}

QString FileSessionNameGenerator::loadPattern(PatternNameType type)
{
    const bool session = type == SessionNaming;
    const QString key =
        session ? QStringLiteral("ZeduvidoSessionNaming") : QStringLiteral("ZeduvidoFileNaming");
    const QString builtIn = session ? QStringLiteral("defaultSessionNaming.xml")
                                    : QStringLiteral("defaultFileNaming.xml");

    const QString configured = getQuorIni().value(QStringLiteral("NamingConfig/") + key).toString();
    // A value that does not name an XML file is the pattern itself.
    if (!configured.isEmpty() && !configured.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive))
        return configured;

    QString id;
    {
        const QSettings user(QStringLiteral("Solvane"), QStringLiteral("QuorIngest"));
        id = user.value(key, QStringLiteral("Default")).toString();
    }

    QString pattern = loadPattern(getFavoritesFile(key), id);
    if (!pattern.isEmpty())
        return pattern;
    // The user's choice belongs to the configured collection; the built-in one only promises
    // a "Default".
    pattern = loadPattern(QStringLiteral(":/Resources/") + builtIn, QStringLiteral("Default"));
    if (!pattern.isEmpty())
        return pattern;
    throw std::runtime_error("Can't load naming configuration.");
}

QString FileSessionNameGenerator::loadPattern(QString const &fileName, QString const &id)
{
    QString pattern;
    loadPattern(fileName, id, pattern, nullptr);
    return pattern;
}

bool FileSessionNameGenerator::loadPattern(QString const &fileName, QString const &id,
                                           QString &pattern, Failure *failure)
{
    pattern.clear();
    QByteArray bytes;
    QDomDocument document(QStringLiteral("PatternCollection"));
    if (!readWholeFile(fileName, bytes, failure)
        || !parseXmlBytes(bytes, document, fileName, failure))
        return false;
    const QDomElement root = document.documentElement();
    if (root.tagName() != QLatin1String("Patterns"))
        return fail(failure,
                    Failure::other(fileName,
                                   QStringLiteral("not a pattern collection (root "
                                                  "element '%1', not 'Patterns')")
                                       .arg(root.tagName())));
    for (QDomElement element = root.firstChildElement(QStringLiteral("FilePattern"));
         !element.isNull(); element = element.nextSiblingElement(QStringLiteral("FilePattern"))) {
        if (element.attribute(QStringLiteral("id")) != id)
            continue;
        QTextStream stream(&pattern);
        element.save(stream, 1);
        stream.flush();
        return true;
    }
    return fail(failure, Failure::other(fileName, QStringLiteral("no pattern '%1'").arg(id)));
}

QString FileSessionNameGenerator::createNameFromPattern() const
{
    if (!m_document && m_tokenPattern.isEmpty())
        throw std::runtime_error("Can't create a name. No pattern given and no document loaded.");
    if (m_document) {
        const QDomElement root = m_document->documentElement();
        if (root.isNull() || root.tagName() != QLatin1String("FilePattern"))
            throw std::runtime_error("Invalid file naming pattern");
        QString name;
        createNameFromPattern(root, name);
        return name;
    }
    return createNameFromTokenString(m_tokenPattern);
}

bool FileSessionNameGenerator::createNameFromPattern(QDomNode const &pattern, QString &name) const
{
    const QDomElement element = pattern.toElement();
    const QString prefix = element.attribute(QStringLiteral("prefix"));
    const QString suffix = element.attribute(QStringLiteral("suffix"));
    const QString separator = element.attribute(QStringLiteral("separator"));
    const unsigned int startNumber =
        static_cast<unsigned int>(element.attribute(QStringLiteral("startnumber")).toInt());
    const bool shortSerial = element.attribute(QStringLiteral("shortserial")).toInt() == 1;

    // Built apart from name, so a pattern error leaves the caller's text alone.
    QMap<int, QString> pieces;
    buildAttributeMap(pattern.firstChildElement(), pieces, startNumber, shortSerial);

    QString result = prefix;
    for (const QString &piece : qAsConst(pieces)) {
        if (piece.isEmpty())
            continue;
        if (!result.isEmpty())
            result += separator;
        result += piece;
    }
    if (!suffix.isEmpty())
        result += separator + suffix;

    // Names end up as file names: anything but letters, digits, marks and '_' becomes the
    // separator, in the values as much as in prefix and suffix.
    result.replace(QRegExp(QStringLiteral("\\W")), separator);
    name = result;
    return true;
}

void FileSessionNameGenerator::buildAttributeMap(QDomElement const &first,
                                                 QMap<int, QString> &pieces,
                                                 unsigned int startNumber, bool shortSerial) const
{
    if (first.isNull())
        return;
    for (QDomElement element = first; !element.isNull(); element = element.nextSiblingElement()) {
        const int pos = positionOf(element);
        if (pos < 0 || pieces.contains(pos))
            throw std::runtime_error(parseError);
        if (!isChecked(element))
            continue;

        const QString tag = element.tagName();
        if (tag == QLatin1String("Flightline")) {
            pieces.insert(pos, QString::fromStdString(m_options.lineName));
        } else if (tag == QLatin1String("Project")) {
            pieces.insert(pos, QString::fromStdString(m_options.project));
        } else if (tag == QLatin1String("Flightplan")) {
            pieces.insert(pos, QString::fromStdString(m_options.flightPlan));
        } else if (tag == QLatin1String("SensorType")) {
            pieces.insert(pos, QString::fromStdString(m_options.sensorType));
        } else if (tag == QLatin1String("SerialNumber")) {
            QString serial = QString::number(m_options.serialNumber);
            if (shortSerial)
                serial = serial.right(3);
            pieces.insert(pos, serial);
        } else if (tag == QLatin1String("Date")) {
            QMap<QString, QString> formats {{QStringLiteral("Year"), QStringLiteral("yyyy")},
                                            {QStringLiteral("Month"), QStringLiteral("MM")},
                                            {QStringLiteral("Day"), QStringLiteral("dd")}};
            addElements(element, pos, pieces, formats);
        } else if (tag == QLatin1String("Time")) {
            QMap<QString, QString> formats {{QStringLiteral("Hour"), QStringLiteral("hh")},
                                            {QStringLiteral("Minute"), QStringLiteral("mm")},
                                            {QStringLiteral("Second"), QStringLiteral("ss")}};
            addElements(element, pos, pieces, formats);
        } else if (tag == QLatin1String("TakeNumber")) {
            pieces.insert(pos, getLineNumber(startNumber));
        } else if (tag == QLatin1String("Band")) {
            pieces.insert(pos, QString::fromStdString(m_options.band));
        }
    }
}

void FileSessionNameGenerator::addElements(QDomElement parent, int pos, QMap<int, QString> &pieces,
                                           QMap<QString, QString> &formats) const
{
    if (parent.isNull())
        return;
    QDomElement child = parent.firstChildElement();
    if (child.isNull())
        return;
    QMap<int, QString> texts;
    for (; !child.isNull(); child = child.nextSiblingElement()) {
        const int childPos = positionOf(child);
        if (childPos < 0 || texts.contains(childPos))
            throw std::runtime_error(parseError);
        if (!isChecked(child))
            continue;
        const auto format = formats.constFind(child.tagName());
        if (format != formats.constEnd())
            texts.insert(childPos, formatDateTime(m_options.dateTime, *format));
    }
    const QString text = joined(texts);
    if (!text.isEmpty())
        pieces.insert(pos, text);
}

QString FileSessionNameGenerator::createNameFromTokenString(QString const &tokens) const
{
    const QChar delimiter = sTokenDelimiter.at(0);
    QString result;
    QString token;
    bool inToken = false;
    for (const QChar c : tokens) {
        if (c != delimiter) {
            (inToken ? token : result) += c;
        } else if (!inToken) {
            token.clear();
            inToken = true;
        } else {
            result += addToken(token);
            inToken = false;
        }
    }
    return result;
}

QString FileSessionNameGenerator::addToken(QString const &token) const
{
    if (token == QLatin1String("PROJECT"))
        return QString::fromStdString(m_options.project);
    if (token == QLatin1String("FLIGHTPLAN"))
        return QString::fromStdString(m_options.flightPlan);
    if (token == QLatin1String("SERIAL"))
        return QString::number(m_options.serialNumber);
    if (token == QLatin1String("ABRVSERIAL"))
        return QString::number(m_options.serialNumber).right(3);
    if (token == QLatin1String("LINENAME"))
        return QString::fromStdString(m_options.lineName);
    if (token == QLatin1String("LINENUMBER"))
        return getLineNumber(1);
    if (token == QLatin1String("SENSORTYPE"))
        return QString::fromStdString(m_options.sensorType);
    if (token == QLatin1String("BAND"))
        return QString::fromStdString(m_options.band);
    if (token.isEmpty() || m_options.dateTime.isNull())
        return QString();
    return formatDateTime(m_options.dateTime, token);
}

QStringList FileSessionNameGenerator::tokenNames()
{
    return {QStringLiteral("PROJECT"),    QStringLiteral("FLIGHTPLAN"),
            QStringLiteral("SERIAL"),     QStringLiteral("ABRVSERIAL"),
            QStringLiteral("LINENAME"),   QStringLiteral("LINENUMBER"),
            QStringLiteral("SENSORTYPE"), QStringLiteral("BAND")};
}

namespace {

// Whether QDateTime::toString would read every letter of format as a field, rather than copy
// it as text: any other letter outside quotes is a typing error in a file-name pattern.
bool isDateTimeFormat(const QString &format)
{
    bool quoted = false;
    for (int i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || !c.isLetter())
            continue;
        if (QStringLiteral("dMyhHmszt").contains(c))
            continue;
        if (c == QLatin1Char('a') || c == QLatin1Char('A')) {
            if (i + 1 < format.size()
                && (format.at(i + 1) == QLatin1Char('p') || format.at(i + 1) == QLatin1Char('P')))
                ++i;
            continue;
        }
        return false;
    }
    return !format.isEmpty();
}

} // namespace

QStringList FileSessionNameGenerator::unknownTokens(QString const &tokenPattern)
{
    const QStringList names = tokenNames();
    const QChar delimiter = sTokenDelimiter.at(0);
    QStringList unknown;
    int open = -1;
    for (int i = 0; i < tokenPattern.size(); ++i) {
        if (tokenPattern.at(i) != delimiter)
            continue;
        if (open < 0) {
            open = i;
            continue;
        }
        const QString token = tokenPattern.mid(open + 1, i - open - 1);
        if (!names.contains(token) && !isDateTimeFormat(token))
            unknown << token;
        open = -1;
    }
    if (open >= 0)
        unknown << tokenPattern.mid(open);
    return unknown;
}

QString FileSessionNameGenerator::getLineNumber(unsigned int offset) const
{
    // Unsigned on purpose: a startnumber of -1 counts one down.
    const std::uint32_t number = m_options.lineNumber + static_cast<std::uint32_t>(offset);
    return QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0'));
}

} // namespace util
