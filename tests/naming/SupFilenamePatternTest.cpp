#include "util/naming/SupFilenamePattern.h"

#include "tests/naming/NamingTestUtil.h"

#include <QDate>
#include <QDomDocument>
#include <QRegularExpression>
#include <QTime>

#include <random>

using quortest::namingTable;
using util::SupFilenamePattern;

namespace {

const QString ortho = "SN3001_110115_123458_PANF02AL1_012_034_ortho";

// The attributes as "key=value ..." in key order, or "unreadable".
QString attributesOf(const QString &held)
{
    QMap<QString, QString> attributes {{"stale", "x"}};
    if (!SupFilenamePattern(held).attributes(attributes))
        return "unreadable";
    QStringList text;
    for (auto it = attributes.begin(); it != attributes.end(); ++it)
        text << it.key() + "=" + it.value();
    return text.join(' ');
}

// The name appended to name, after "refused: " when the result is false. "!" before the held
// name calls ignoreErrorOnPrefix() first.
QString rename(const QString &held, const QString &patternXml, QString name = QString())
{
    SupFilenamePattern sup(held.startsWith('!') ? held.mid(1) : held);
    if (held.startsWith('!'))
        sup.ignoreErrorOnPrefix();
    QDomDocument doc;
    EXPECT_TRUE(doc.setContent(patternXml)) << patternXml.toStdString();
    return sup.createNameFromPattern(doc.documentElement(), name) ? name : "refused: " + name;
}

QString workedPattern()
{
    return quortest::namingData("worked_sup_pattern.xml");
}

} // namespace

TEST(SupFilenamePattern, BuildsTheWorkedExampleNames)
{
    EXPECT_EQ(rename(ortho, workedPattern()), "AB_110115_1234_3001_PANF02AL1_012_034_ortho");
    EXPECT_EQ(rename(ortho, R"(<Pattern separator="_" prefix="AB" suffix="ortho"/>)"),
              "AB_SN3001_110115_123458_PANF02AL1_012_034_ortho_ortho");
}

TEST(SupFilenamePattern, ReadsTheAttributesOfReadableNamesOnly)
{
    for (const QStringList &row : namingTable("supnames.txt"))
        EXPECT_EQ(attributesOf(row.value(1)), row.at(0)) << row.value(1).toStdString();
    EXPECT_EQ(attributesOf(""), "unreadable");
    for (const QStringList &row : namingTable("bad_supnames.txt")) {
        EXPECT_EQ(attributesOf(row.at(0)), "unreadable") << row.at(0).toStdString();
        EXPECT_TRUE(rename(row.at(0), workedPattern()).startsWith("refused: "));
    }
}

TEST(SupFilenamePattern, ReadsDatesAndTimesAsQtDoes)
{
    const auto check = [](const QString &date, const QString &time) {
        const QString held = "SN3001_" + date + "_" + time + "_PANF02A";
        const bool valid = QDate::fromString(date, "yyMMdd").isValid()
            && QTime::fromString(time, "hhmmss").isValid();
        EXPECT_EQ(attributesOf(held) != "unreadable", valid) << held.toStdString();
    };
    // "yy" reads as 19yy, so 29 February of year 00 is no date, while that of 96 is.
    for (const char *date :
         {"", "1", "11011", "1101155", "11 015", "+11015", "1101a5", "٠٠٠٠٠٠", "310299", "000229",
          "960229", "000230", "991231", "000000", "990001", "991301", "110100"})
        check(date, "123458");
    for (const char *time : {"240000", "235960", "235959", "000000", "006000", "12345"})
        check("110115", time);
    std::mt19937 random(3);
    for (int round = 0; round < 3000; ++round)
        check(QString("%1").arg(random() % 1000000, 6, 10, QChar('0')),
              QString("%1").arg(random() % 250000, 6, 10, QChar('0')));
}

TEST(SupFilenamePattern, ArrangesThePiecesThePatternAsksFor)
{
    for (const QStringList &row : namingTable("renames.txt"))
        EXPECT_EQ(rename(row.value(2, ortho), row.value(1)), row.at(0))
            << row.join(" <- ").toStdString();
}

TEST(SupFilenamePattern, AppendsToTheOutputOnlyWhenItSucceeds)
{
    EXPECT_EQ(rename(ortho, R"(<P separator="_"><Sensor pos="0" checked="2"/></P>)", "3001"),
              "3001_3001");
    // A checked band piece without a value, or no held name: nothing appended, whatever the flag.
    EXPECT_EQ(
        rename("!SN3001_110115_123458_RGBN00A_L1",
               R"(<P separator="_"><Band pos="0" checked="2"/><Level pos="1" checked="2"/></P>)",
               "kept"),
        "refused: kept");
    EXPECT_EQ(rename("!", R"(<P prefix="AB"/>)", "kept"), "refused: kept");
}

TEST(SupFilenamePattern, SurvivesRandomNames)
{
    // Names put together from realistic and broken parts, then cut or garbled at random.
    std::mt19937 random(11);
    const QStringList parts = {"SN3001", "110115", "123458", "PANF02AL1", "RGBN00A",   "012", "034",
                               "ortho",  "",       "F02A",   "NIRB16",    "126000",    "L1",  "B",
                               "P",      "N00",    "991231", "QK123456",  "REDGRNF27B"};
    const QString garble = "_0129PANRGBFLN", pattern = workedPattern();
    const QRegularExpression sane(R"(^angle=\S+ band=\S+ date=\S{6} level=.* time=\S{6}( |$))");
    int readable = 0;
    for (int round = 0; round < 20000; ++round) {
        QStringList picked;
        for (int i = random() % 9; i > 0; --i)
            picked << parts.at(random() % parts.size());
        QString held = picked.join('_');
        if (!held.isEmpty() && random() % 3 == 0)
            held[int(random() % held.size())] = garble.at(random() % garble.size());
        if (!held.isEmpty() && random() % 3 == 0)
            held.truncate(random() % held.size());
        const QString attributes = attributesOf(held);
        if (attributes != "unreadable") {
            ++readable;
            EXPECT_TRUE(sane.match(attributes).hasMatch()) << held.toStdString();
        }
        rename(held, pattern);
    }
    EXPECT_GT(readable, 20);
}
