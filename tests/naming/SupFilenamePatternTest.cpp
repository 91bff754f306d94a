#include "util/naming/SupFilenamePattern.h"

#include "tests/naming/NamingTestUtil.h"

#include <QDate>
#include <QDomDocument>
#include <QRegularExpression>
#include <QTime>

#include <random>

using quortest::cell;
using quortest::TableRow;
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

} // namespace

TEST(SupFilenamePattern, ReadsTheAttributesOfReadableNamesOnly)
{
    for (const TableRow &row : quortest::tableRows("naming/supnames.txt"))
        EXPECT_EQ(attributesOf(cell(row, 1)), cell(row, 0)) << row.line;
    EXPECT_EQ(attributesOf(""), "unreadable");
    for (const QString &name : quortest::tableLines("naming/bad_supnames.txt")) {
        EXPECT_EQ(attributesOf(name), "unreadable") << name.toStdString();
        EXPECT_TRUE(
            rename(name, quortest::namingData("worked_sup_pattern.xml")).startsWith("refused: "));
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
    for (const TableRow &row : quortest::tableRows("naming/dates.txt"))
        check(cell(row, 0), cell(row, 1));
    std::mt19937 random(3);
    for (int round = 0; round < 3000; ++round)
        check(QString("%1").arg(random() % 1000000, 6, 10, QChar('0')),
              QString("%1").arg(random() % 250000, 6, 10, QChar('0')));
}

TEST(SupFilenamePattern, RebuildsNamesAfterEachPatternOfTheTable)
{
    EXPECT_EQ(rename(ortho, quortest::namingData("worked_sup_pattern.xml")),
              "AB_110115_1234_3001_PANF02AL1_012_034_ortho");
    for (const TableRow &row : quortest::tableRows("naming/renames.txt"))
        EXPECT_EQ(rename(cell(row, 2, ortho), cell(row, 1), cell(row, 3)), cell(row, 0))
            << row.line;
}

TEST(SupFilenamePattern, SurvivesRandomNames)
{
    // Names put together from realistic and broken parts, then cut or garbled at random.
    std::mt19937 random(11);
    const QStringList parts = QString("SN3001 110115 123458 PANF02AL1 RGBN00A 012 034 ortho  F02A "
                                      "NIRB16 126000 L1 B P N00 991231 QK123456 REDGRNF27B")
                                  .split(' ');
    const QString pattern = quortest::namingData("worked_sup_pattern.xml");
    const QRegularExpression sane(R"(^angle=\S+ band=\S+ date=\S{6} level=.* time=\S{6}( |$))");
    int readable = 0;
    for (int round = 0; round < 20000; ++round) {
        QStringList picked;
        for (int i = random() % 9; i > 0; --i)
            picked << parts.at(random() % parts.size());
        QString held = picked.join('_');
        if (!held.isEmpty() && random() % 3 == 0)
            held[int(random() % held.size())] = QString("_0129PANRGBFLN").at(random() % 14);
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

// Elements a support-file pattern takes nothing from: tests/data/naming/pattern_checks.txt.
TEST(SupFilenamePattern, NamesThePatternElementsItTakesNothingFrom)
{
    for (const quortest::TableRow &row :
         quortest::tableRows("naming/pattern_checks.txt", "unused")) {
        QDomDocument document;
        ASSERT_TRUE(document.setContent(QString::fromStdString(row[0]))) << row.line;
        EXPECT_EQ(util::SupFilenamePattern::unusedElements(document.documentElement())
                      .join(',')
                      .toStdString(),
                  row[1])
            << row.line;
    }
}
