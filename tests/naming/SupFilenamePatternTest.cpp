#include "util/naming/SupFilenamePattern.h"

#include "tests/common/TestUtil.h"

#include <QDate>
#include <QDomDocument>
#include <QTime>

#include <gtest/gtest.h>

#include <random>

using util::SupFilenamePattern;
using Attributes = QMap<QString, QString>;

namespace {

const QString ortho = QStringLiteral("SN3001_110115_123458_PANF02AL1_012_034_ortho");

// A pattern node from its XML; the document stays alive with the node.
struct Pattern
{
    explicit Pattern(const QString &xml)
    {
        const bool ok = doc.setContent(xml);
        EXPECT_TRUE(ok) << xml.toStdString();
    }
    QDomElement node() const { return doc.documentElement(); }
    QDomDocument doc;
};

std::string describe(const Attributes &a)
{
    std::string text;
    for (auto it = a.begin(); it != a.end(); ++it)
        text += it.key().toStdString() + "=" + it.value().toStdString() + " ";
    return text;
}

const char *const workedPattern = R"(
<Pattern separator="_" prefix="AB" suffix="ortho">
  <Date pos="0"><Year pos="0" checked="2"/><Month pos="1" checked="2"/><Day pos="2" checked="2"/></Date>
  <Time pos="1"><Hour pos="0" checked="2"/><Minute pos="1" checked="2"/></Time>
  <Sensor pos="2" checked="2"/>
  <Band pos="3" checked="2"/>
  <Angle pos="4" checked="2"/>
  <Level pos="5" checked="2"/>
  <TileX pos="6" checked="2"/>
  <TileY pos="7" checked="2"/>
</Pattern>)";

struct Rename
{
    bool ok;
    QString name;
};

Rename rename(const QString &held, const QString &patternXml, bool ignore = false,
              QString name = QString())
{
    SupFilenamePattern sup(held);
    if (ignore)
        sup.ignoreErrorOnPrefix();
    const Pattern pattern(patternXml);
    const bool ok = sup.createNameFromPattern(pattern.node(), name);
    return {ok, name};
}

} // namespace

TEST(SupFilenamePattern, ReadsTheAttributesOfReadableNames)
{
    const struct
    {
        const char *name;
        QString held;
        Attributes expected;
    } rows[] = {
        {"full name",
         ortho,
         {{"band", "PAN"},
          {"angle", "F02A"},
          {"level", "L1"},
          {"time", "123458"},
          {"date", "110115"},
          {"sensor", "3001"},
          {"xcoord", "012"},
          {"ycoord", "034"}}},
        {"level outside the band part does not count",
         "SN3001_110115_123458_RGBN00A_L1",
         {{"band", "RGB"},
          {"angle", "N00A"},
          {"level", ""},
          {"time", "123458"},
          {"date", "110115"},
          {"sensor", "3001"}}},
        {"angle without band is skipped",
         "F02A_SN3001_110115_123458_NIRB16",
         {{"band", "NIR"},
          {"angle", "B16"},
          {"level", ""},
          {"time", "123458"},
          {"date", "110115"},
          {"sensor", "3001"}}},
        {"no sensor from three digits",
         "ab123_x99_110115_123458_PANF02A",
         {{"band", "PAN"},
          {"angle", "F02A"},
          {"level", ""},
          {"time", "123458"},
          {"date", "110115"}}},
        {"one tile part gives no tiles",
         "SN3001_110115_123458_PANF02A_012",
         {{"band", "PAN"},
          {"angle", "F02A"},
          {"level", ""},
          {"time", "123458"},
          {"date", "110115"},
          {"sensor", "3001"}}},
        {"tiles at the end",
         "SN3001_110115_123458_GRNB14B_999_000",
         {{"band", "GRN"},
          {"angle", "B14B"},
          {"level", ""},
          {"time", "123458"},
          {"date", "110115"},
          {"sensor", "3001"},
          {"xcoord", "999"},
          {"ycoord", "000"}}},
        {"tiles need three digits each",
         "X_110115_123458_PANF02AL2_12_034",
         {{"band", "PAN"},
          {"angle", "F02A"},
          {"level", "L2"},
          {"time", "123458"},
          {"date", "110115"}}},
        {"six digits give the last five",
         "SN123456_110115_123458_PANF02A",
         {{"band", "PAN"},
          {"angle", "F02A"},
          {"level", ""},
          {"time", "123458"},
          {"date", "110115"},
          {"sensor", "23456"}}},
        {"five-digit sensor, line letter B",
         "QK30001_110115_000000_NIRB16B",
         {{"band", "NIR"},
          {"angle", "B16B"},
          {"level", ""},
          {"time", "000000"},
          {"date", "110115"},
          {"sensor", "30001"}}},
        {"first part with a number wins",
         "a_9876_SN3001_110115_123458_REDF27",
         {{"band", "RED"},
          {"angle", "F27"},
          {"level", ""},
          {"time", "123458"},
          {"date", "110115"},
          {"sensor", "9876"}}},
        {"level anywhere in the band part",
         "SN3001_110115_235959_L2RGBN00A",
         {{"band", "RGB"},
          {"angle", "N00A"},
          {"level", "L2"},
          {"time", "235959"},
          {"date", "110115"},
          {"sensor", "3001"}}},
        {"band letters",
         "SN3001_110115_123458_NGF27",
         {{"band", "NG"},
          {"angle", "F27"},
          {"level", ""},
          {"time", "123458"},
          {"date", "110115"},
          {"sensor", "3001"}}},
        {"empty parts are kept",
         "SN3001__110115_123458_BLUN00",
         {{"band", "BLU"},
          {"angle", "N00"},
          {"level", ""},
          {"time", "123458"},
          {"date", "110115"},
          {"sensor", "3001"}}},
        {"band and time only",
         "x_110115_123458_PF02_a_b",
         {{"band", "P"}, {"angle", "F02"}, {"level", ""}, {"time", "123458"}, {"date", "110115"}}},
    };
    for (const auto &row : rows) {
        Attributes attributes {{"stale", "x"}};
        EXPECT_TRUE(SupFilenamePattern(row.held).attributes(attributes)) << row.name;
        EXPECT_EQ(attributes, row.expected) << row.name << ": " << describe(attributes);
    }
}

TEST(SupFilenamePattern, RefusesUnreadableNames)
{
    const struct
    {
        const char *name;
        QString held;
    } rows[] = {
        {"empty", ""},
        {"two parts", "110115_PANF02A"},
        {"band part first", "PANF02A_110115_123458_x"},
        {"band part second", "110115_PANF02A_123458"},
        {"time out of range", "SN3001_110115_126000_PANF02A"},
        {"date out of range", "SN3001_111315_123458_PANF02A"},
        {"lower case", "sn3001_110115_123458_pan_f02a"},
        {"no band part", "SN3001_110115_123458_ortho"},
    };
    for (const auto &row : rows) {
        Attributes attributes {{"stale", "x"}};
        EXPECT_FALSE(SupFilenamePattern(row.held).attributes(attributes)) << row.name;
    }

    const QStringList bad =
        QString::fromUtf8(quortest::readFile(quortest::dataPath("naming/bad_supnames.txt")))
            .split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(bad.size(), 10);
    for (const QString &held : bad) {
        Attributes attributes;
        EXPECT_FALSE(SupFilenamePattern(held).attributes(attributes)) << held.toStdString();
        QString name;
        EXPECT_FALSE(
            SupFilenamePattern(held).createNameFromPattern(Pattern(workedPattern).node(), name))
            << held.toStdString();
    }
}

TEST(SupFilenamePattern, ReadsDatesAndTimesAsQtDoes)
{
    // Dates and times must be valid exactly when Qt's own parser says so. "yy" reads as 19yy,
    // so 29 February of year 00 is no date, while that of 96 is.
    std::mt19937 random(3);
    const QStringList oddDates = {"",       "1",      "11011",  "1101155", "11 015", "+11015",
                                  "1101a5", "٠٠٠٠٠٠", "310299", "000229",  "960229", "000230",
                                  "991231", "000000", "990001", "991301",  "110100"};
    const QStringList oddTimes = {"240000", "235960", "235959", "000000", "006000", "12345"};
    const int rounds = 3000;
    for (int round = 0; round < rounds; ++round) {
        QString date = QString("%1").arg(random() % 1000000, 6, 10, QChar('0'));
        QString time = QString("%1").arg(random() % 250000, 6, 10, QChar('0'));
        if (round < oddDates.size()) {
            date = oddDates.at(round);
            time = "123458";
        } else if (round < oddDates.size() + oddTimes.size()) {
            date = "110115";
            time = oddTimes.at(round - oddDates.size());
        }
        const bool expected = QDate::fromString(date, "yyMMdd").isValid()
            && QTime::fromString(time, "hhmmss").isValid();
        Attributes attributes;
        const QString held = "SN3001_" + date + "_" + time + "_PANF02A";
        EXPECT_EQ(SupFilenamePattern(held).attributes(attributes), expected) << held.toStdString();
    }
    // The rebuilt date is the one Qt reads.
    EXPECT_EQ(
        rename(
            QStringLiteral("SN3001_960229_123458_PANF02A"),
            R"(<P><Date pos="0"><Year pos="0" checked="2"/><Day pos="1" checked="2"/></Date></P>)")
            .name,
        "9629");
}

TEST(SupFilenamePattern, BuildsTheWorkedExampleNames)
{
    const Rename pieces = rename(ortho, workedPattern);
    EXPECT_TRUE(pieces.ok);
    EXPECT_EQ(pieces.name, "AB_110115_1234_3001_PANF02AL1_012_034_ortho");

    const Rename around = rename(ortho, R"(<Pattern separator="_" prefix="AB" suffix="ortho"/>)");
    EXPECT_TRUE(around.ok);
    EXPECT_EQ(around.name, "AB_SN3001_110115_123458_PANF02AL1_012_034_ortho_ortho");
}

TEST(SupFilenamePattern, ArrangesThePiecesThePatternAsksFor)
{
    const struct
    {
        const char *name;
        QString held;
        QString pattern;
        QString expected;
    } rows[] = {
        {"checked 1 leaves a piece out", ortho,
         R"(<P separator="_"><Sensor pos="0" checked="1"/><Band pos="1" checked="2"/></P>)", "PAN"},
        {"missing checked leaves a piece out", ortho,
         R"(<P separator="_"><Sensor pos="0"/><Band pos="1" checked="2"/></P>)", "PAN"},
        {"unchecked date children leave an empty piece", ortho,
         R"(<P separator="_"><Sensor pos="0" checked="2"/><Date pos="1"><Year pos="0" checked="0"/></Date><Band pos="2" checked="2"/></P>)",
         "3001__PAN"},
        {"date children in their own order", ortho,
         R"(<P separator="-"><Date pos="0"><Day pos="0" checked="2"/><Month pos="1" checked="2"/><Year pos="2" checked="2"/></Date></P>)",
         "150111"},
        {"time with seconds", ortho,
         R"(<P><Time pos="0"><Second pos="0" checked="2"/><Hour pos="1" checked="2"/></Time></P>)",
         "5812"},
        {"missing sensor and tiles are skipped", "x_110115_123458_PANF02A",
         R"(<P separator="_"><Sensor pos="0" checked="2"/><TileX pos="1" checked="2"/><TileY pos="2" checked="2"/><Band pos="3" checked="2"/></P>)",
         "PAN"},
        {"band and angle at one position: band wins, level apart", ortho,
         R"(<P separator="_"><Angle pos="1" checked="2"/><Band pos="1" checked="2"/><Level pos="2" checked="2"/></P>)",
         "PAN_L1"},
        {"two band pieces go in apart", ortho,
         R"(<P separator="_"><Angle pos="0" checked="2"/><Band pos="1" checked="2"/></P>)",
         "F02A_PAN"},
        {"three band pieces with one gap join", ortho,
         R"(<P separator="_"><Band pos="3" checked="2"/><Angle pos="5" checked="2"/><Level pos="6" checked="2"/><Sensor pos="4" checked="2"/></P>)",
         "PANF02AL1_3001"},
        {"three band pieces joined in position order", ortho,
         R"(<P separator="_"><Level pos="0" checked="2"/><Angle pos="1" checked="2"/><Band pos="3" checked="2"/></P>)",
         "L1F02APAN"},
        {"three band pieces spread apart go in one by one", ortho,
         R"(<P separator="_"><Band pos="3" checked="2"/><Angle pos="6" checked="2"/><Level pos="9" checked="2"/><Sensor pos="4" checked="2"/></P>)",
         "PAN_3001_F02A_L1"},
        {"two gaps are too many", ortho,
         R"(<P separator="_"><Band pos="0" checked="2"/><Angle pos="2" checked="2"/><Level pos="4" checked="2"/></P>)",
         "PAN_F02A_L1"},
        {"a later piece replaces an earlier one", ortho,
         R"(<P separator="_"><Sensor pos="0" checked="2"/><Band pos="0" checked="2"/></P>)", "PAN"},
        {"first element of a name counts", ortho,
         R"(<P separator="_"><Sensor pos="0" checked="0"/><Sensor pos="1" checked="2"/></P>)", ""},
        {"only a text child still counts as pieces", ortho,
         R"(<P prefix="a" separator="_">text</P>)", "a"},
        {"positions at the ends of the number range", ortho,
         R"(<P separator="_"><Band pos="-2147483648" checked="2"/><Angle pos="2147483646" checked="2"/><Level pos="2147483647" checked="2"/></P>)",
         "PAN_F02A_L1"},
        {"three band pieces at the top of the range join", ortho,
         R"(<P separator="_"><Band pos="2147483645" checked="2"/><Angle pos="2147483646" checked="2"/><Level pos="2147483647" checked="2"/></P>)",
         "PANF02AL1"},
        {"non-numeric pos reads as 0", ortho,
         R"(<P separator="_"><Band pos="x" checked="2"/><Sensor pos="1" checked="2"/></P>)",
         "PAN_3001"},
    };
    for (const auto &row : rows) {
        const Rename result = rename(row.held, row.pattern);
        EXPECT_TRUE(result.ok) << row.name;
        EXPECT_EQ(result.name, row.expected) << row.name;
    }
}

TEST(SupFilenamePattern, FailsWhenABandPieceHasNoValue)
{
    const char *const level =
        R"(<P separator="_"><Band pos="0" checked="2"/><Level pos="1" checked="2"/></P>)";
    const Rename result = rename("SN3001_110115_123458_RGBN00A_L1", level, true, "kept");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.name, "kept");

    const Rename empty = rename(QString(), R"(<P prefix="AB"/>)", true, "kept");
    EXPECT_FALSE(empty.ok);
    EXPECT_EQ(empty.name, "kept");
}

TEST(SupFilenamePattern, PutsPrefixAndSuffixAroundUnreadableNames)
{
    const QString held = "notes_about_the_flight";
    const struct
    {
        const char *name;
        QString pattern;
        bool ignore;
        bool ok;
        QString expected;
    } rows[] = {
        {"pieces: refused", workedPattern, false, false, "AB_ortho"},
        {"pieces: accepted", workedPattern, true, true, "AB_ortho"},
        {"pieces, suffix only", R"(<P separator="_" suffix="z"><Band pos="0" checked="2"/></P>)",
         false, false, "z"},
        {"no pieces: refused, still around the held name",
         R"(<P separator="_" prefix="AB" suffix="ortho"/>)", false, false,
         "AB_notes_about_the_flight_ortho"},
        {"no pieces: around the held name", R"(<P separator="_" prefix="AB" suffix="ortho"/>)",
         true, true, "AB_notes_about_the_flight_ortho"},
        {"no pieces, no prefix or suffix", R"(<P separator="_"/>)", true, true, held},
    };
    for (const auto &row : rows) {
        const Rename result = rename(held, row.pattern, row.ignore);
        EXPECT_EQ(result.ok, row.ok) << row.name;
        EXPECT_EQ(result.name, row.expected) << row.name;
    }
}

TEST(SupFilenamePattern, AppendsToWhatTheOutputHolds)
{
    SupFilenamePattern sup(ortho);
    const Pattern pattern(
        R"(<P separator="_"><Sensor pos="0" checked="2"/><Band pos="1" checked="2"/></P>)");
    QString name;
    EXPECT_TRUE(sup.createNameFromPattern(pattern.node(), name));
    EXPECT_TRUE(sup.createNameFromPattern(pattern.node(), name));
    EXPECT_EQ(name, "3001_PAN_3001_PAN");

    // Copies keep the name and the flag.
    SupFilenamePattern unreadable("x");
    unreadable.ignoreErrorOnPrefix();
    SupFilenamePattern copy(unreadable);
    SupFilenamePattern assigned(ortho);
    assigned = unreadable;
    QString a, b;
    EXPECT_TRUE(copy.createNameFromPattern(pattern.node(), a));
    EXPECT_TRUE(assigned.createNameFromPattern(pattern.node(), b));
    EXPECT_EQ(assigned.name(), "x");
}

TEST(SupFilenamePattern, SurvivesRandomNames)
{
    // Names put together from realistic and broken parts, then cut or garbled at random.
    std::mt19937 random(11);
    const QStringList parts = {"SN3001", "110115", "123458", "PANF02AL1", "RGBN00A",   "012", "034",
                               "ortho",  "",       "F02A",   "NIRB16",    "126000",    "L1",  "B",
                               "P",      "N00",    "991231", "QK123456",  "REDGRNF27B"};
    const QString garble = "_0129PANRGBFLN";
    const Pattern pattern(workedPattern);
    int readable = 0;
    for (int round = 0; round < 20000; ++round) {
        QStringList picked;
        const int count = random() % 9;
        for (int i = 0; i < count; ++i)
            picked << parts.at(random() % parts.size());
        QString held = picked.join('_');
        if (!held.isEmpty() && random() % 3 == 0)
            held[int(random() % held.size())] = garble.at(random() % garble.size());
        if (!held.isEmpty() && random() % 3 == 0)
            held.truncate(random() % held.size());

        Attributes attributes;
        if (SupFilenamePattern(held).attributes(attributes)) {
            ++readable;
            EXPECT_FALSE(attributes.value("band").isEmpty()) << held.toStdString();
            EXPECT_FALSE(attributes.value("angle").isEmpty()) << held.toStdString();
            EXPECT_EQ(attributes.value("date").size(), 6) << held.toStdString();
            EXPECT_EQ(attributes.value("time").size(), 6) << held.toStdString();
        }
        QString name;
        SupFilenamePattern(held).createNameFromPattern(pattern.node(), name);
    }
    EXPECT_GT(readable, 20);
}
