// Support-file names. Any text parses without a fault; a name that parses is rebuilt after a
// pattern that asks for every attribute, and the rebuilt name parses back to the same date,
// time (as dates and times), angle, level and tiles, and the band or its end.
#include "FuzzCommon.h"

#include "util/naming/SupFilenamePattern.h"

#include <QDate>
#include <QDomDocument>
#include <QMap>
#include <QString>
#include <QTime>

namespace {

const QDomDocument &everyAttribute()
{
    static QDomDocument document = [] {
        QDomDocument d;
        d.setContent(QStringLiteral(
            "<Pattern separator=\"_\" prefix=\"SN\">"
            "<Sensor pos=\"0\" checked=\"2\"/><Date pos=\"1\" checked=\"2\">"
            "<Year pos=\"0\" checked=\"2\"/><Month pos=\"1\" checked=\"2\"/>"
            "<Day pos=\"2\" checked=\"2\"/></Date><Time pos=\"2\" checked=\"2\">"
            "<Hour pos=\"0\" checked=\"2\"/><Minute pos=\"1\" checked=\"2\"/>"
            "<Second pos=\"2\" checked=\"2\"/></Time><Band pos=\"3\" checked=\"2\"/>"
            "<Angle pos=\"4\" checked=\"2\"/><Level pos=\"5\" checked=\"2\"/>"
            "<TileX pos=\"6\" checked=\"2\"/><TileY pos=\"7\" checked=\"2\"/></Pattern>"));
        return d;
    }();
    return document;
}

std::string shown(const QMap<QString, QString> &attributes)
{
    std::string text;
    for (auto it = attributes.cbegin(); it != attributes.cend(); ++it)
        text += it.key().toStdString() + "=" + it.value().toStdString() + " ";
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString name =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<int>(size));
    util::SupFilenamePattern pattern(name);
    QMap<QString, QString> attributes;
    const bool parsed = pattern.attributes(attributes);

    QString rebuilt;
    const bool made = pattern.createNameFromPattern(everyAttribute().documentElement(), rebuilt);
    QString again;
    QUOR_FUZZ_CHECK(pattern.createNameFromPattern(everyAttribute().documentElement(), again) == made
                        && again == rebuilt,
                    name.toStdString());
    if (!parsed || !made)
        return 0;

    QMap<QString, QString> back;
    const std::string detail = name.toStdString() + "\n  rebuilt: " + rebuilt.toStdString()
        + "\n  first:   " + shown(attributes);
    QUOR_FUZZ_CHECK(util::SupFilenamePattern(rebuilt).attributes(back), detail);
    // Dates and times are read as Qt reads them ("23+959" is 23:09:59) and written normalised.
    const auto date = [](const QMap<QString, QString> &a) {
        return QDate::fromString(a.value(QStringLiteral("date")), QStringLiteral("yyMMdd"));
    };
    const auto time = [](const QMap<QString, QString> &a) {
        return QTime::fromString(a.value(QStringLiteral("time")), QStringLiteral("hhmmss"));
    };
    QUOR_FUZZ_CHECK(date(back) == date(attributes) && time(back) == time(attributes),
                    detail + "\n  back:    " + shown(back));
    // Letters before an earlier angle code add to the band of a later one ("RNBF02_REDF27" has
    // the band RNBRED); rebuilt as one piece, such a band may read back as its end alone.
    const QString band = back.value(QStringLiteral("band"));
    QUOR_FUZZ_CHECK(!band.isEmpty() && attributes.value(QStringLiteral("band")).endsWith(band),
                    detail + "\n  back:    " + shown(back));
    for (const char *key : {"angle", "level", "xcoord", "ycoord"}) {
        const QString k = QString::fromLatin1(key);
        QUOR_FUZZ_CHECK(back.value(k) == attributes.value(k),
                        detail + "\n  back:    " + shown(back));
    }
    return 0;
}
