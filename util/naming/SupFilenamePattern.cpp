#include "util/naming/SupFilenamePattern.h"

#include <QDate>
#include <QDomElement>
#include <QDomNode>
#include <QLocale>
#include <QRegExp>
#include <QTime>

namespace util {

QString const SupFilenamePattern::sPartDelimiter = QStringLiteral("_");

namespace {

const Qt::CheckState checkedState = Qt::Checked;

int positionOf(const QDomElement &element)
{
    return element.attribute(QStringLiteral("pos")).toInt();
}

// Only the check box's "checked" state counts; a partly checked box (1) does not.
bool isChecked(const QDomElement &element)
{
    return element.attribute(QStringLiteral("checked")).toInt() == checkedState;
}

bool isBandLetter(QChar c)
{
    switch (c.unicode()) {
    case 'R':
    case 'G':
    case 'B':
    case 'N':
    case 'P':
        return true;
    default:
        return false;
    }
}

// Compiled once per thread: building a QRegExp looks the pattern up in Qt's global engine
// cache, which costs more than the match. Matching stores captures in the object, hence one set
// per thread rather than one shared set.
struct Expressions
{
    QRegExp level {QStringLiteral("(L1|L2)")};
    QRegExp angle {QStringLiteral("(N00|B16|B14|F02|F27)")};
    QRegExp bandName {QStringLiteral("^(RED|GRN|BLU|NIR|PAN)")};
    QRegExp sensor {QStringLiteral("(\\d{4,5}$)")};
    QRegExp tile {QStringLiteral("(^\\d{3,3}$)")};
};

Expressions &expressions()
{
    thread_local Expressions compiled;
    return compiled;
}

// Names carry six ASCII digits almost always; those are read directly, since
// QDate/QTime::fromString build a whole parser on each call and would dominate the parse.
// Any other text goes to Qt's parser, so the outcome is the same either way.
bool sixDigits(const QString &text, int (&values)[3])
{
    if (text.size() != 6)
        return false;
    for (int i = 0; i < 6; ++i) {
        const ushort c = text.at(i).unicode();
        if (c < '0' || c > '9')
            return false;
    }
    for (int i = 0; i < 3; ++i)
        values[i] = (text.at(2 * i).unicode() - '0') * 10 + (text.at(2 * i + 1).unicode() - '0');
    return true;
}

QDate readDate(const QString &text)
{
    int v[3];
    if (sixDigits(text, v))
        return QDate(1900 + v[0], v[1], v[2]); // "yy" reads as 19yy
    return QDate::fromString(text, QStringLiteral("yyMMdd"));
}

QTime readTime(const QString &text)
{
    int v[3];
    if (sixDigits(text, v))
        return QTime(v[0], v[1], v[2]);
    return QTime::fromString(text, QStringLiteral("hhmmss"));
}

struct Format
{
    const char *child;
    const char *format;
};

// The date or time piece: the checked children written in their formats, in the order of their
// own positions, without separator. Written in the C locale, since the system locale may write
// other digits than ASCII.
template<typename Value>
QString dateTimePiece(const QDomElement &parent, const Format (&formats)[3], const Value &value)
{
    QMap<int, QString> texts;
    for (const Format &f : formats) {
        const QDomElement child = parent.firstChildElement(QLatin1String(f.child));
        if (!child.isNull() && isChecked(child))
            texts.insert(positionOf(child), QLocale::c().toString(value, QLatin1String(f.format)));
    }
    QString result;
    for (const QString &text : qAsConst(texts))
        result += text;
    return result;
}

} // namespace

SupFilenamePattern::SupFilenamePattern(QString const &name)
    : m_name(name)
{
}

SupFilenamePattern::SupFilenamePattern(SupFilenamePattern const &other) = default;
SupFilenamePattern &SupFilenamePattern::operator=(SupFilenamePattern const &other) = default;
SupFilenamePattern::~SupFilenamePattern() = default;

void SupFilenamePattern::ignoreErrorOnPrefix()
{
    m_ignoreError = true;
}

bool SupFilenamePattern::attributes(QMap<QString, QString> &attributes) const
{
    return splitAttributes(m_name, attributes);
}

bool SupFilenamePattern::splitAttributes(QString const &name, QMap<QString, QString> &attributes)
{
    attributes.clear();
    const QStringList parts = name.split(sPartDelimiter, Qt::KeepEmptyParts);
    if (parts.size() < 3)
        return false;

    const int index = findBandAndAngle(parts, attributes);
    if (index < 2)
        return false;

    const QString &time = parts.at(index - 1);
    if (!readTime(time).isValid())
        return false;
    attributes.insert(QStringLiteral("time"), time);

    if (!extractDate(parts, index - 2, attributes))
        return false;

    QRegExp &sensor = expressions().sensor;
    for (int i = 0; i < index - 2; ++i) {
        const QString &part = parts.at(i);
        if (part.size() < 4)
            continue;
        if (sensor.indexIn(part) != -1) {
            attributes.insert(QStringLiteral("sensor"), sensor.cap(1));
            break;
        }
    }

    if (index + 1 >= parts.size())
        return true;
    QRegExp &tile = expressions().tile;
    if (tile.indexIn(parts.at(index + 1)) != -1 && index + 2 < parts.size()
        && tile.indexIn(parts.at(index + 2)) != -1) {
        attributes.insert(QStringLiteral("xcoord"), parts.at(index + 1));
        attributes.insert(QStringLiteral("ycoord"), parts.at(index + 2));
    }
    return true;
}

int SupFilenamePattern::findBandAndAngle(QStringList const &parts,
                                         QMap<QString, QString> &attributes)
{
    QString angle;
    QStringList bands;
    QString level;
    for (int i = 0; i < parts.size(); ++i) {
        extractBandAndAngle(parts.at(i), angle, bands, level);
        if (!bands.isEmpty() && !angle.isEmpty()) {
            attributes.insert(QStringLiteral("band"), bands.join(QString()));
            attributes.insert(QStringLiteral("angle"), angle);
            attributes.insert(QStringLiteral("level"), level);
            return i;
        }
    }
    return -1;
}

void SupFilenamePattern::extractBandAndAngle(QString const &part, QString &angle,
                                             QStringList &bands, QString &level)
{
    Expressions &e = expressions();
    QRegExp &levelExp = e.level;
    level = levelExp.indexIn(part) != -1 ? levelExp.cap(1) : QString();

    QRegExp &angleExp = e.angle;
    QRegExp &bandName = e.bandName;
    for (int p = angleExp.indexIn(part); p != -1;
         p = angleExp.indexIn(part, p + angleExp.matchedLength())) {
        const bool lineLetter = part.size() >= p + 4
            && (part.at(p + 3) == QLatin1Char('A') || part.at(p + 3) == QLatin1Char('B'));
        angle = part.mid(p, lineLetter ? 4 : 3);

        if (p >= 3 && bandName.indexIn(part, p - 3, QRegExp::CaretAtOffset) == p - 3) {
            bands.append(bandName.cap(1));
            return;
        }
        for (int i = p - 1; i >= 0 && isBandLetter(part.at(i)); --i)
            bands.prepend(QString(part.at(i)));
    }
}

bool SupFilenamePattern::extractDate(QStringList const &parts, int index,
                                     QMap<QString, QString> &attributes)
{
    const QString &date = parts.at(index);
    if (!readDate(date).isValid())
        return false;
    attributes.insert(QStringLiteral("date"), date);
    return true;
}

bool SupFilenamePattern::createNameFromPattern(QDomNode const &pattern, QString &name) const
{
    if (m_name.isEmpty())
        return false;

    QMap<QString, QString> attributes;
    const bool ok = splitAttributes(m_name, attributes);

    const QDomElement element = pattern.toElement();
    const QString separator = element.attribute(QStringLiteral("separator"));
    const QString prefix = element.attribute(QStringLiteral("prefix"));
    const QString suffix = element.attribute(QStringLiteral("suffix"));
    const bool hasPieces = pattern.hasChildNodes();

    QMap<int, QString> pieces;
    if (hasPieces && ok) {
        static const Format dateFormats[3] = {{"Year", "yy"}, {"Month", "MM"}, {"Day", "dd"}};
        static const Format timeFormats[3] = {{"Hour", "hh"}, {"Minute", "mm"}, {"Second", "ss"}};

        const QDomElement date = pattern.firstChildElement(QStringLiteral("Date"));
        if (!date.isNull()) {
            const QDate value = readDate(attributes.value(QStringLiteral("date")));
            pieces.insert(positionOf(date), dateTimePiece(date, dateFormats, value));
        }
        const QDomElement time = pattern.firstChildElement(QStringLiteral("Time"));
        if (!time.isNull()) {
            const QTime value = readTime(attributes.value(QStringLiteral("time")));
            pieces.insert(positionOf(time), dateTimePiece(time, timeFormats, value));
        }

        static const char *const plain[][2] = {
            {"Sensor", "sensor"}, {"TileX", "xcoord"}, {"TileY", "ycoord"}};
        for (const auto &entry : plain) {
            const QDomElement child = pattern.firstChildElement(QLatin1String(entry[0]));
            const QString value = attributes.value(QLatin1String(entry[1]));
            if (!child.isNull() && isChecked(child) && !value.isEmpty())
                pieces.insert(positionOf(child), value);
        }

        if (!addBandAndAngle(pattern, attributes, pieces))
            return false;
    }

    name += prefix;
    if (!hasPieces) {
        if (!name.isEmpty())
            name += separator;
        name += m_name;
    } else {
        for (const QString &piece : qAsConst(pieces)) {
            if (!name.isEmpty())
                name += separator;
            name += piece;
        }
    }
    if (!name.isEmpty() && !suffix.isEmpty())
        name += separator;
    name += suffix;
    return m_ignoreError || ok;
}

QStringList SupFilenamePattern::unusedElements(QDomNode const &pattern)
{
    static const char *const parts[][4] = {{"Date", "Year", "Month", "Day"},
                                           {"Time", "Hour", "Minute", "Second"}};
    static const char *const plain[] = {"Sensor", "TileX", "TileY", "Angle", "Band", "Level"};
    QStringList unused;
    for (QDomElement child = pattern.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        const QString tag = child.tagName();
        bool used = false;
        bool known = false;
        for (const auto &entry : parts) {
            if (tag != QLatin1String(entry[0]))
                continue;
            known = true;
            for (int i = 1; i < 4 && !used; ++i) {
                const QDomElement sub = child.firstChildElement(QLatin1String(entry[i]));
                used = !sub.isNull() && isChecked(sub);
            }
        }
        for (const char *name : plain) {
            if (tag == QLatin1String(name)) {
                known = true;
                used = isChecked(child);
            }
        }
        // Only the first of a tag counts; a second one is never read.
        if (known && used && child.previousSiblingElement(tag).isNull())
            continue;
        unused << tag;
    }
    return unused;
}

bool SupFilenamePattern::addBandAndAngle(QDomNode const &pattern,
                                         QMap<QString, QString> &attributes,
                                         QMap<int, QString> &pieces) const
{
    static const char *const bandPieces[][2] = {
        {"Angle", "angle"}, {"Band", "band"}, {"Level", "level"}};
    QMap<int, QString> own;
    for (const auto &entry : bandPieces) {
        const QDomElement child = pattern.firstChildElement(QLatin1String(entry[0]));
        if (child.isNull() || !isChecked(child))
            continue;
        const QString value = attributes.value(QLatin1String(entry[1]));
        if (value.isEmpty())
            return false;
        own.insert(positionOf(child), value);
    }

    if (own.size() == 3) {
        // Three pieces close together read as one band code such as PANF02AL1; the test allows
        // one free position among them (3, 5, 6), since other pieces may sit between.
        // Positions come from the file unchecked, so the arithmetic must not overflow at the
        // ends of the int range.
        bool together = true;
        qint64 counter = own.firstKey();
        for (auto it = own.constBegin(); it != own.constEnd(); ++it, ++counter) {
            if (qint64(it.key()) - 1 > counter) {
                together = false;
                break;
            }
        }
        if (together) {
            QString code;
            for (const QString &text : qAsConst(own))
                code += text;
            pieces.insert(own.firstKey(), code);
            return true;
        }
    }
    // One or two pieces, or three spread apart: each at its own position, so a checked piece
    // never silently disappears from the name.
    for (auto it = own.constBegin(); it != own.constEnd(); ++it)
        pieces.insert(it.key(), it.value());
    return true;
}

} // namespace util
