#include "util/naming/FileSessionNameGenerator.h"

#include "tests/common/TestUtil.h"

#include <QDomDocument>

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <stdexcept>

using util::FileSessionNameGenerator;
using Options = util::FileSessionNameGenerator::Options;

namespace {

Options exampleOptions()
{
    Options o;
    o.useExample = true;
    return o;
}

QString nameFrom(const QString &pattern, const Options &options = exampleOptions())
{
    return FileSessionNameGenerator(options, pattern).createNameFromPattern();
}

std::string errorOf(const QString &pattern, const Options &options = exampleOptions())
{
    try {
        nameFrom(pattern, options);
    } catch (const std::runtime_error &e) {
        return e.what();
    }
    return "(no error)";
}

const char *const workedExample = R"(
<FilePattern id="x" prefix="L0" separator="_" suffix="raw" startnumber="0" shortserial="1">
  <Project pos="0" checked="1"/>
  <Flightplan pos="1" checked="0"/>
  <Flightline pos="2" checked="1"/>
  <SerialNumber pos="3" checked="1"/>
  <Date pos="4" checked="1">
    <Year pos="0" checked="1"/><Month pos="1" checked="1"/><Day pos="2" checked="1"/>
  </Date>
  <Time pos="5" checked="1">
    <Hour pos="0" checked="1"/><Minute pos="1" checked="1"/><Second pos="2" checked="0"/>
  </Time>
  <TakeNumber pos="6" checked="1"/>
  <Band pos="7" checked="1"/>
</FilePattern>)";

} // namespace

TEST(FileSessionNameGenerator, KeepsXmlAsDocumentAndOtherTextAsTokenPattern)
{
    const FileSessionNameGenerator xml(Options(), workedExample);
    EXPECT_TRUE(xml.hasPatternDocument());
    EXPECT_TRUE(xml.tokenPattern().isEmpty());

    const FileSessionNameGenerator token(Options(), "$BAND$");
    EXPECT_FALSE(token.hasPatternDocument());
    EXPECT_EQ(token.tokenPattern(), "$BAND$");

    const FileSessionNameGenerator empty {Options(), QString()};
    EXPECT_FALSE(empty.hasPatternDocument());
    EXPECT_TRUE(empty.tokenPattern().isEmpty());
}

TEST(FileSessionNameGenerator, ExampleOptionsReplaceEveryField)
{
    Options a = exampleOptions();
    Options b = exampleOptions();
    b.project = "Other";
    b.lineNumber = 77;
    b.serialNumber = 5;
    b.dateTime = QDateTime(QDate(1999, 3, 4), QTime(5, 6, 7));
    b.band = "NIRB16";

    const Options used = FileSessionNameGenerator(b).options();
    EXPECT_EQ(used.lineNumber, 1u);
    EXPECT_EQ(used.lineName, "Take");
    EXPECT_EQ(used.serialNumber, 30001u);
    EXPECT_EQ(used.sensorType, "QK17");
    EXPECT_EQ(used.dateTime, QDateTime(QDate(2011, 1, 15), QTime(12, 34, 58)));
    EXPECT_EQ(used.band, "PANF02A");
    EXPECT_FALSE(used.useExample);
    EXPECT_EQ(used.project, "Project");
    EXPECT_EQ(used.flightPlan, "Plan");

    const QString tokens = "$PROJECT$$FLIGHTPLAN$$SERIAL$$LINENAME$$LINENUMBER$$SENSORTYPE$$BAND$"
                           "$yyyyMMddhhmmss$";
    EXPECT_EQ(nameFrom(tokens, a), nameFrom(tokens, b));
    EXPECT_EQ(nameFrom(workedExample, a), nameFrom(workedExample, b));
}

TEST(FileSessionNameGenerator, CopyTakesTheDocumentOver)
{
    FileSessionNameGenerator source(exampleOptions(), workedExample);
    FileSessionNameGenerator copy(source);
    EXPECT_TRUE(copy.hasPatternDocument());
    EXPECT_FALSE(source.hasPatternDocument());
    EXPECT_EQ(copy.createNameFromPattern(), "L0_Project_Take_001_20110115_1234_001_PANF02A_raw");
    EXPECT_EQ(copy.options().project, "Project");

    FileSessionNameGenerator tokenSource(exampleOptions(), "$BAND$");
    FileSessionNameGenerator tokenCopy(tokenSource);
    EXPECT_EQ(tokenSource.tokenPattern(), "$BAND$");
    EXPECT_EQ(tokenCopy.createNameFromPattern(), "PANF02A");
}

TEST(FileSessionNameGenerator, BuildsTheWorkedExampleNames)
{
    EXPECT_EQ(nameFrom(workedExample), "L0_Project_Take_001_20110115_1234_001_PANF02A_raw");
    EXPECT_EQ(nameFrom("$PROJECT$_$yyMMdd$_$LINENUMBER$.$BAND$"), "Project_110115_002.PANF02A");

    Options lake;
    lake.project = "Lake Area";
    lake.band = "PANF02A";
    EXPECT_EQ(nameFrom(R"(<FilePattern separator="-"><Project pos="0" checked="1"/>
                          <Band pos="1" checked="1"/></FilePattern>)",
                       lake),
              "Lake-Area-PANF02A");
}

TEST(FileSessionNameGenerator, NamesAPatternNodeHeldElsewhere)
{
    QDomDocument doc;
    ASSERT_TRUE(doc.setContent(QString(workedExample)));
    const FileSessionNameGenerator generator(exampleOptions());
    QString name = "old";
    EXPECT_TRUE(generator.createNameFromPattern(doc.documentElement(), name));
    EXPECT_EQ(name, "L0_Project_Take_001_20110115_1234_001_PANF02A_raw");
}

struct XmlRow
{
    const char *name;
    const char *pattern;
    QString expected;
    std::function<void(Options &)> change = {};
};

TEST(FileSessionNameGenerator, BuildsNamesFromXmlPatterns)
{
    const XmlRow rows[] = {
        {"no pieces: prefix, separator, suffix",
         R"(<FilePattern prefix="A" separator="_" suffix="z"/>)", "A_z"},
        {"no prefix, no checked piece, suffix",
         R"(<FilePattern separator="_" suffix="end"><Project pos="0" checked="0"/></FilePattern>)",
         "_end"},
        {"checked=true reads as unchecked",
         R"(<FilePattern separator="_"><Project pos="0" checked="true"/><Band pos="1" checked="1"/></FilePattern>)",
         "PANF02A"},
        {"any non-zero checked counts",
         R"(<FilePattern separator="_"><Project pos="0" checked="2"/><Band pos="1" checked="-1"/></FilePattern>)",
         "Project_PANF02A"},
        {"empty pos is position 0",
         R"(<FilePattern separator="_"><Band pos="1" checked="1"/><Project pos="" checked="1"/></FilePattern>)",
         "Project_PANF02A"},
        {"pieces go in by position, not file order",
         R"(<FilePattern separator="_"><Band pos="9" checked="1"/><Flightplan pos="3" checked="1"/><SensorType pos="5" checked="1"/></FilePattern>)",
         "Plan_QK17_PANF02A"},
        {"shortserial keeps the last three digits",
         R"(<FilePattern shortserial="1"><SerialNumber pos="0" checked="1"/></FilePattern>)", "456",
         [](Options &o) { o.serialNumber = 123456; }},
        {"shortserial leaves a short number whole",
         R"(<FilePattern shortserial="1"><SerialNumber pos="0" checked="1"/></FilePattern>)", "7",
         [](Options &o) { o.serialNumber = 7; }},
        {"shortserial other than 1 keeps the whole number",
         R"(<FilePattern shortserial="2"><SerialNumber pos="0" checked="1"/></FilePattern>)",
         "123456", [](Options &o) { o.serialNumber = 123456; }},
        {"take number has three digits",
         R"(<FilePattern><TakeNumber pos="0" checked="1"/></FilePattern>)", "000",
         [](Options &o) { o.lineNumber = 0; }},
        {"take number adds startnumber",
         R"(<FilePattern startnumber="41"><TakeNumber pos="0" checked="1"/></FilePattern>)", "042",
         [](Options &o) { o.lineNumber = 1; }},
        {"take number wider than three digits",
         R"(<FilePattern><TakeNumber pos="0" checked="1"/></FilePattern>)", "1234",
         [](Options &o) { o.lineNumber = 1234; }},
        {"startnumber -1 counts one down",
         R"(<FilePattern startnumber="-1"><TakeNumber pos="0" checked="1"/></FilePattern>)", "004",
         [](Options &o) { o.lineNumber = 5; }},
        {"all-unchecked Date leaves its position free",
         R"(<FilePattern separator="_"><Date pos="0" checked="1"><Year pos="0" checked="0"/></Date><Project pos="0" checked="1"/></FilePattern>)",
         "Project"},
        {"Date and Time children number apart",
         R"(<FilePattern separator="_"><Date pos="0" checked="1"><Day pos="0" checked="1"/><Year pos="1" checked="1"/></Date><Time pos="1" checked="1"><Hour pos="0" checked="1"/></Time></FilePattern>)",
         "152011_12"},
        {"unknown child of Date adds nothing",
         R"(<FilePattern><Date pos="0" checked="1"><Week pos="0" checked="1"/><Day pos="1" checked="1"/></Date></FilePattern>)",
         "15"},
        {"empty value adds no separator",
         R"(<FilePattern separator="_" prefix="p"><Project pos="0" checked="1"/><Band pos="1" checked="1"/></FilePattern>)",
         "p_PANF02A", [](Options &o) { o.project.clear(); }},
        {"unknown element contributes nothing",
         R"(<FilePattern separator="_"><Colour pos="0" checked="1"/><Band pos="1" checked="1"/></FilePattern>)",
         "PANF02A"},
        {"non-word characters become the separator",
         R"(<FilePattern prefix="a.b" separator="_" suffix="c d"><Project pos="0" checked="1"/></FilePattern>)",
         "a_b_Proj_ct_c_d", [](Options &o) { o.project = "Proj/ct"; }},
        {"without separator non-word characters vanish",
         R"(<FilePattern><Project pos="0" checked="1"/><Band pos="1" checked="1"/></FilePattern>)",
         "LakeAreaPANF02A", [](Options &o) { o.project = "Lake Area!"; }},
        {"letters beyond ASCII are word characters",
         R"(<FilePattern separator="-"><Project pos="0" checked="1"/></FilePattern>)",
         QString::fromUtf8("Müritz-Süd"), [](Options &o) { o.project = "Müritz Süd"; }},
        {"combining marks and other numbers are word characters",
         R"(<FilePattern separator="-"><Project pos="0" checked="1"/></FilePattern>)",
         QString::fromUtf8("Cafe\u0301-m\u00b2-\u0663"),
         [](Options &o) { o.project = "Cafe\u0301 m\u00b2/\u0663"; }},
        {"no date-time gives no Date piece",
         R"(<FilePattern separator="_"><Date pos="0" checked="1"><Year pos="0" checked="1"/></Date><Band pos="1" checked="1"/></FilePattern>)",
         "PANF02A", [](Options &o) { o.dateTime = QDateTime(); }},
    };
    for (const XmlRow &row : rows) {
        Options options = exampleOptions();
        if (row.change) {
            options = FileSessionNameGenerator(options).options();
            row.change(options);
        }
        EXPECT_EQ(nameFrom(row.pattern, options), row.expected) << row.name;
    }
}

TEST(FileSessionNameGenerator, RefusesBadPositions)
{
    const struct
    {
        const char *name;
        const char *pattern;
    } rows[] = {
        {"missing pos", R"(<FilePattern><Project checked="1"/></FilePattern>)"},
        {"missing pos on an unchecked piece",
         R"(<FilePattern><Project checked="0"/></FilePattern>)"},
        {"negative pos", R"(<FilePattern><Band pos="-3" checked="1"/></FilePattern>)"},
        {"missing pos on an unknown element", R"(<FilePattern><Colour/></FilePattern>)"},
        {"two checked pieces at one position",
         R"(<FilePattern><Project pos="1" checked="1"/><Band pos="1" checked="1"/></FilePattern>)"},
        {"checked piece, then unchecked at its position",
         R"(<FilePattern><Project pos="2" checked="1"/><Band pos="2" checked="0"/></FilePattern>)"},
        {"empty value still holds its position",
         R"(<FilePattern><Flightline pos="0" checked="1"/><Band pos="0" checked="1"/></FilePattern>)"},
        {"two Year children at one position",
         R"(<FilePattern><Date pos="0" checked="1"><Year pos="0" checked="1"/><Year pos="0" checked="1"/></Date></FilePattern>)"},
        {"checked child, then unchecked at its position",
         R"(<FilePattern><Time pos="0" checked="1"><Hour pos="1" checked="1"/><Minute pos="1" checked="0"/></Time></FilePattern>)"},
        {"child without pos",
         R"(<FilePattern><Time pos="0" checked="1"><Hour checked="1"/></Time></FilePattern>)"},
    };
    Options options = exampleOptions();
    options = FileSessionNameGenerator(options).options();
    options.lineName.clear();
    for (const auto &row : rows)
        EXPECT_EQ(errorOf(row.pattern, options), "Can't parse naming pattern") << row.name;

    // The clash depends on the order: an unchecked piece first takes no position.
    EXPECT_EQ(
        nameFrom(
            R"(<FilePattern><Band pos="2" checked="0"/><Project pos="2" checked="1"/></FilePattern>)"),
        "Project");
    EXPECT_EQ(
        nameFrom(
            R"(<FilePattern><Time pos="0" checked="1"><Hour pos="1" checked="0"/><Minute pos="1" checked="1"/></Time></FilePattern>)"),
        "34");
    // Children of an unchecked Date are not examined.
    EXPECT_EQ(nameFrom(R"(<FilePattern><Date pos="0" checked="0"><Year/></Date></FilePattern>)"),
              "");
}

TEST(FileSessionNameGenerator, FailedNameLeavesTheOutputAlone)
{
    QDomDocument doc;
    ASSERT_TRUE(doc.setContent(QStringLiteral(
        R"(<FilePattern prefix="x"><Project pos="1" checked="1"/><Band pos="1" checked="1"/></FilePattern>)")));
    const FileSessionNameGenerator generator(exampleOptions());
    QString name = "before";
    EXPECT_THROW(generator.createNameFromPattern(doc.documentElement(), name), std::runtime_error);
    EXPECT_EQ(name, "before");
}

TEST(FileSessionNameGenerator, ReportsMissingAndInvalidPatterns)
{
    EXPECT_EQ(errorOf(QString()), "Can't create a name. No pattern given and no document loaded.");
    EXPECT_EQ(errorOf(QString(), Options()),
              "Can't create a name. No pattern given and no document loaded.");
    EXPECT_EQ(errorOf(R"(<Patterns><FilePattern id="Default"/></Patterns>)"),
              "Invalid file naming pattern");
    EXPECT_EQ(errorOf("<Band pos=\"0\" checked=\"1\"/>"), "Invalid file naming pattern");
    // A generator without any pattern text cannot name on its own either.
    EXPECT_THROW(FileSessionNameGenerator(exampleOptions()).createNameFromPattern(),
                 std::runtime_error);
}

TEST(FileSessionNameGenerator, ReplacesTokens)
{
    const struct
    {
        const char *name;
        QString pattern;
        QString expected;
    } rows[] = {
        {"every keyword",
         "$PROJECT$|$FLIGHTPLAN$|$SERIAL$|$ABRVSERIAL$|$LINENAME$|$SENSORTYPE$|$BAND$",
         "Project|Plan|30001|001|Take|QK17|PANF02A"},
        {"token form adds one to the take", "$LINENUMBER$", "002"},
        {"date-time format token", "$yyyy-MM-dd hh:mm:ss$", "2011-01-15 12:34:58"},
        {"text outside tokens is kept whole", "a b/c.d", "a b/c.d"},
        {"open token is dropped", "ABC$PROJECT", "ABC"},
        {"empty token", "$$", ""},
        {"empty token between text", "a$$b", "ab"},
        {"keywords are case-sensitive", "$project$",
         QDateTime(QDate(2011, 1, 15), QTime(12, 34, 58)).toString("project")},
    };
    for (const auto &row : rows)
        EXPECT_EQ(nameFrom(row.pattern), row.expected) << row.name;

    Options plain; // take 0 unless set
    plain.serialNumber = 42;
    EXPECT_EQ(nameFrom("$LINENUMBER$", plain), "001");
    EXPECT_EQ(nameFrom("$ABRVSERIAL$", plain), "42");
    EXPECT_EQ(nameFrom("x$yyyy$y", plain), "xy") << "no date-time gives an empty date";
}

TEST(FileSessionNameGenerator, SurvivesTruncatedAndRandomPatternTexts)
{
    // Every prefix of a good pattern either names or fails with one of the documented errors.
    const QString full = QString(workedExample).trimmed();
    for (int length = 0; length <= full.size(); ++length) {
        try {
            nameFrom(full.left(length));
        } catch (const std::runtime_error &e) {
            const std::string what = e.what();
            EXPECT_TRUE(what == "Can't parse naming pattern"
                        || what == "Invalid file naming pattern"
                        || what == "Can't create a name. No pattern given and no document loaded.")
                << what << " at length " << length;
        }
    }

    std::mt19937 random(5);
    const QString alphabet = "$<>/=\" _FilePatrnosckd01yMhm";
    for (int round = 0; round < 2000; ++round) {
        QString text;
        const int length = random() % 40;
        for (int i = 0; i < length; ++i)
            text += alphabet.at(random() % alphabet.size());
        try {
            nameFrom(text);
        } catch (const std::runtime_error &) {
        }
    }
}
