#include "util/naming/FileSessionNameGenerator.h"

#include "tests/naming/NamingTestUtil.h"

#include <QDir>
#include <QDomDocument>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <random>
#include <stdexcept>

using quortest::cell;
using quortest::namingData;
using util::FileSessionNameGenerator;
using Options = FileSessionNameGenerator::Options;

namespace {

// Options that stand for the example values, whatever their other fields hold.
Options exampleOptions()
{
    Options o;
    o.useExample = true;
    o.project = "Other";
    o.lineNumber = 77;
    o.serialNumber = 5;
    o.band = "NIRB16";
    o.dateTime = QDateTime(QDate(1999, 3, 4), QTime(5, 6, 7));
    return o;
}

// The example values themselves, as fields to change one by one.
Options exampleValues()
{
    Options o;
    o.lineNumber = 1;
    o.lineName = "Take";
    o.serialNumber = 30001;
    o.sensorType = "QK17";
    o.dateTime = QDateTime(QDate(2011, 1, 15), QTime(12, 34, 58));
    o.band = "PANF02A";
    o.project = "Project";
    o.flightPlan = "Plan";
    return o;
}

// The generator's name, or "error: " and the exception's text.
QString nameOf(const FileSessionNameGenerator &generator)
{
    try {
        return generator.createNameFromPattern();
    } catch (const std::runtime_error &e) {
        return QString("error: ") + e.what();
    }
}

QString nameOf(const QString &pattern, const Options &options = exampleOptions())
{
    return nameOf(FileSessionNameGenerator(options, pattern));
}

const QString workedName = "L0_Project_Take_001_20110115_1234_001_PANF02A_raw";
const QString noPattern = "error: Can't create a name. No pattern given and no document loaded.";

} // namespace

TEST(FileSessionNameGenerator, CopyTakesTheDocumentOverAndAFailedNameKeepsTheOutput)
{
    FileSessionNameGenerator xml(exampleOptions(), namingData("worked_file_pattern.xml")),
        xmlCopy(xml);
    EXPECT_EQ(nameOf(xml), noPattern); // the source holds no document any more
    EXPECT_EQ(xmlCopy.createNameFromPattern(), workedName);
    FileSessionNameGenerator token(exampleOptions(), "$BAND$"), tokenCopy(token);
    EXPECT_EQ(token.createNameFromPattern(), "PANF02A"); // a token pattern is copied
    EXPECT_EQ(tokenCopy.createNameFromPattern(), "PANF02A");

    QDomDocument doc;
    doc.setContent(QString("<FilePattern><Band checked='1'/></FilePattern>"));
    QString name = "old";
    EXPECT_THROW(xmlCopy.createNameFromPattern(doc.documentElement(), name), std::runtime_error);
    EXPECT_EQ(name, "old");
}

TEST(FileSessionNameGenerator, NamesOrRefusesEachPatternOfTheTables)
{
    EXPECT_EQ(nameOf(namingData("worked_file_pattern.xml")), workedName);
    Options odd = exampleValues();
    odd.serialNumber = 7;
    odd.lineNumber = 0;
    odd.flightPlan.clear();
    odd.dateTime = QDateTime();
    odd.project = "Lake Area";
    odd.lineName = "Proj/ct Müritz Cafe\u0301 m\u00b2/\u0663!";
    for (const auto &[file, options] :
         {std::pair("patterns_example.txt", exampleOptions()), std::pair("patterns_odd.txt", odd)})
        for (const quortest::TableRow &row : quortest::tableRows(QString("naming/") + file))
            EXPECT_EQ(nameOf(cell(row, 1), options), cell(row, 0)) << row.line;
    // Keywords are case-sensitive: others are date-time formats.
    EXPECT_EQ(nameOf("$project$"),
              QDateTime(QDate(2011, 1, 15), QTime(12, 34, 58)).toString("project"));
}

TEST(FileSessionNameGenerator, SurvivesTruncatedAndRandomPatternTexts)
{
    // Every prefix of a good pattern either names or fails with one of the documented errors.
    const QStringList errors = {noPattern, "error: Can't parse naming pattern",
                                "error: Invalid file naming pattern"};
    const QString full = namingData("worked_file_pattern.xml");
    for (int length = 0; length <= full.size(); ++length) {
        const QString name = nameOf(full.left(length));
        EXPECT_TRUE(!name.startsWith("error") || errors.contains(name)) << name.toStdString();
    }
    std::mt19937 random(5);
    const QString alphabet = "$<>/=\" _FilePatrnosckd01yMhm";
    for (int round = 0; round < 2000; ++round) {
        QString text;
        for (int i = random() % 40; i > 0; --i)
            text += alphabet.at(random() % alphabet.size());
        nameOf(text);
    }
}

TEST(FileSessionNameGenerator, LoadPatternGivesTheFirstPatternWithTheIdOrAnEmptyText)
{
    const QDir data(quortest::dataPath("naming"));
    const QString twins = data.filePath("twins.XML");
    EXPECT_EQ(nameOf(FileSessionNameGenerator::loadPattern(twins, "Twin")), "first_Project");
    EXPECT_EQ(nameOf(FileSessionNameGenerator::loadPattern(twins, "twin")), "lower_Project");
    QStringList unusable = {twins, data.filePath("missing.xml"), QString(), data.path(),
                            ":/Resources/noSuchNaming.xml"};
    for (const QString &bad : data.entryList({"bad_collection_*"}))
        unusable << data.filePath(bad);
    ASSERT_EQ(unusable.size(), 12);
    for (const QString &path : unusable)
        EXPECT_TRUE(FileSessionNameGenerator::loadPattern(path, "TWIN").isEmpty())
            << path.toStdString();
    // Patterns are not validated on load: broken positions show when naming.
    const QStringList badPatterns = data.entryList({"bad_pattern_*"});
    ASSERT_EQ(badPatterns.size(), 3);
    for (const QString &bad : badPatterns)
        EXPECT_EQ(nameOf(FileSessionNameGenerator::loadPattern(data.filePath(bad), "Default")),
                  "error: Can't parse naming pattern")
            << bad.toStdString();
}

TEST(FileSessionNameGenerator, ShippedCollectionsLoadWhenWholeAndNameWithEveryPattern)
{
    QTemporaryDir dir;
    const QString cut = dir.filePath("cut.xml");
    for (const QString &file : {quortest::resourcePath("etc/ZeduvidoFileNaming.xml"),
                                quortest::resourcePath("etc/ZeduvidoSessionNaming.xml"),
                                QString(":/Resources/defaultFileNaming.xml"),
                                QString(":/Resources/defaultSessionNaming.xml")}) {
        const QByteArray full = quortest::readFile(file);
        QStringList ids;
        auto match = QRegularExpression("<FilePattern id=\"(\\w+)\"").globalMatch(full);
        while (match.hasNext())
            ids << match.next().captured(1);
        EXPECT_TRUE(ids.contains("Default") && ids.size() >= (file.startsWith(":") ? 1 : 3));
        // An unclosed document is not XML, so only a cut that keeps the closing tag loads.
        for (int length = 0; length <= full.size(); length += length + 5 < full.size() ? 5 : 1) {
            quortest::writeFile(cut, full.left(length));
            const bool whole = full.left(length).contains("</Patterns>");
            for (const QString &id : whole ? ids : QStringList("Default")) {
                const QString name = nameOf(FileSessionNameGenerator::loadPattern(cut, id));
                EXPECT_TRUE(whole ? !name.isEmpty() && !name.startsWith("error")
                                  : name == noPattern)
                    << file.toStdString() << " " << length << " " << name.toStdString();
            }
        }
    }
}

// Makes the settings object of the process; the other fallbacks: NameCommands.*EveryFallback.
TEST(FileSessionNameGenerator, LoadPatternTakesATokenPatternAloneAndFailsWithoutACollection)
{
    QTemporaryDir dir;
    quortest::writeFile(dir.filePath("quor.ini"),
                        "[NamingConfig]\nZeduvidoSessionNaming=none.xml\n"
                        "ZeduvidoFileNaming=$PROJECT$.xmlish\n");
    const quortest::ScopedEnv ini("QUOR_INI", dir.filePath("quor.ini").toUtf8());
    QStringList results;
    Q_CLEANUP_RESOURCE(quor); // not even the built-in collections
    for (int type : {0, 1, 7}) { // session, file, and any other value for file naming
        try {
            results << FileSessionNameGenerator::loadPattern(
                FileSessionNameGenerator::PatternNameType(type));
        } catch (const std::runtime_error &e) {
            results << e.what();
        }
    }
    Q_INIT_RESOURCE(quor);
    EXPECT_EQ(
        results,
        QStringList({"Can't load naming configuration.", "$PROJECT$.xmlish", "$PROJECT$.xmlish"}));
}

// Token patterns checked before use: tests/data/naming/pattern_checks.txt.
TEST(FileSessionNameGenerator, TellsUnknownTokensFromKeywordsAndFormats)
{
    for (const quortest::TableRow &row : quortest::tableRows("naming/pattern_checks.txt", "tokens"))
        EXPECT_EQ(FileSessionNameGenerator::unknownTokens(QString::fromStdString(row[0]))
                      .join(',')
                      .toStdString(),
                  row[1])
            << row.line;
    // Each listed token name is one the generator fills in from the options.
    Options options;
    options.project = "p";
    options.flightPlan = "f";
    options.lineName = "l";
    options.sensorType = "s";
    options.band = "b";
    options.serialNumber = 7;
    for (const QString &token : FileSessionNameGenerator::tokenNames()) {
        const FileSessionNameGenerator generator(options, '$' + token + '$');
        EXPECT_FALSE(generator.createNameFromPattern().isEmpty()) << token.toStdString();
    }
}
