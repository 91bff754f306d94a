#include "util/naming/FileSessionNameGenerator.h"

#include "tests/naming/NamingSandbox.h"

#include <QDir>
#include <QDomDocument>

#include <gtest/gtest.h>

#include <stdexcept>

using quortest::collectionXml;
using util::FileSessionNameGenerator;

namespace {

const QString fileKey = QStringLiteral("ZeduvidoFileNaming");
const QString sessionKey = QStringLiteral("ZeduvidoSessionNaming");

// The name a loaded pattern makes, which tells the patterns of the tests apart by prefix.
QString nameOf(const QString &pattern)
{
    FileSessionNameGenerator::Options options;
    options.useExample = true;
    return FileSessionNameGenerator(options, pattern).createNameFromPattern();
}

QString builtInName(const char *collection)
{
    return nameOf(FileSessionNameGenerator::loadPattern(QStringLiteral(":/Resources/") + collection,
                                                        QStringLiteral("Default")));
}

} // namespace

class FileSessionNameGeneratorLoadPattern : public quortest::NamingSandbox
{
};

TEST_F(FileSessionNameGeneratorLoadPattern, ReturnsTheSelectedPatternAsXml)
{
    const QString file = writeCollection(
        "c.xml",
        collectionXml(
            {{"Default", "D"}, {"Twin", "first"}, {"Twin", "second"}, {"twin", "lower"}}));

    const QString twin = FileSessionNameGenerator::loadPattern(file, "Twin");
    QDomDocument doc;
    ASSERT_TRUE(doc.setContent(twin)) << twin.toStdString();
    EXPECT_EQ(doc.documentElement().tagName(), "FilePattern");
    EXPECT_EQ(doc.documentElement().attribute("id"), "Twin");
    EXPECT_EQ(nameOf(twin), "first_Project") << "the first of two equal ids wins";
    EXPECT_EQ(nameOf(FileSessionNameGenerator::loadPattern(file, "twin")), "lower_Project");
    EXPECT_TRUE(FileSessionNameGenerator::loadPattern(file, "TWIN").isEmpty());
}

TEST_F(FileSessionNameGeneratorLoadPattern, GivesAnEmptyTextForUnusableCollections)
{
    const struct
    {
        const char *name;
        QString path;
    } rows[] = {
        {"missing file", m_dir.filePath("missing.xml")},
        {"empty path", QString()},
        {"directory", m_dir.path()},
        {"unknown id", writeCollection("a.xml", collectionXml({{"Other", "o"}}))},
        {"wrong root", writeCollection("b.xml", collectionXml({{"Default", "d"}}, "Collection"))},
        {"empty file", writeCollection("c.xml", QByteArray())},
        {"missing resource", ":/Resources/noSuchNaming.xml"},
        {"bad: truncated", quortest::dataPath("naming/bad_collection_truncated.xml")},
        {"bad: not XML", quortest::dataPath("naming/bad_collection_not_xml.xml")},
        {"bad: wrong root", quortest::dataPath("naming/bad_collection_wrong_root.xml")},
        {"bad: nested patterns", quortest::dataPath("naming/bad_collection_nested.xml")},
        {"bad: binary", quortest::dataPath("naming/bad_collection_binary.xml")},
    };
    for (const auto &row : rows)
        EXPECT_TRUE(FileSessionNameGenerator::loadPattern(row.path, "Default").isEmpty())
            << row.name;
}

TEST_F(FileSessionNameGeneratorLoadPattern, BadPatternsInACollectionFailWhenNaming)
{
    // Collections are not validated on load: a pattern with broken positions loads and then
    // fails with the naming error.
    for (const char *file :
         {"naming/bad_pattern_missing_pos.xml", "naming/bad_pattern_duplicate_pos.xml",
          "naming/bad_pattern_negative_child_pos.xml"}) {
        const QString pattern =
            FileSessionNameGenerator::loadPattern(quortest::dataPath(file), "Default");
        ASSERT_FALSE(pattern.isEmpty()) << file;
        try {
            nameOf(pattern);
            ADD_FAILURE() << file << " named without error";
        } catch (const std::runtime_error &e) {
            EXPECT_STREQ(e.what(), "Can't parse naming pattern") << file;
        }
    }
}

TEST_F(FileSessionNameGeneratorLoadPattern, ShippedCollectionsNameWithEveryPattern)
{
    const QStringList files = {quortest::resourcePath("etc/ZeduvidoFileNaming.xml"),
                               quortest::resourcePath("etc/ZeduvidoSessionNaming.xml"),
                               ":/Resources/defaultFileNaming.xml",
                               ":/Resources/defaultSessionNaming.xml"};
    for (const QString &file : files) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
        QDomDocument doc;
        ASSERT_TRUE(doc.setContent(&f)) << file.toStdString();
        int count = 0;
        for (QDomElement p = doc.documentElement().firstChildElement("FilePattern"); !p.isNull();
             p = p.nextSiblingElement("FilePattern"), ++count) {
            const QString id = p.attribute("id");
            const QString name = nameOf(FileSessionNameGenerator::loadPattern(file, id));
            EXPECT_FALSE(name.isEmpty()) << file.toStdString() << " " << id.toStdString();
        }
        EXPECT_FALSE(FileSessionNameGenerator::loadPattern(file, "Default").isEmpty())
            << file.toStdString();
        EXPECT_GE(count, file.startsWith(":") ? 1 : 3) << file.toStdString();
    }
    EXPECT_EQ(builtInName("defaultFileNaming.xml"),
              "Project_Take_30001_20110115_123458_001_PANF02A");
    EXPECT_EQ(builtInName("defaultSessionNaming.xml"), "Project_30001_20110115_1234");
}

TEST_F(FileSessionNameGeneratorLoadPattern, TakesATokenPatternFromTheSettingsFile)
{
    // The root has no collections at all: the value is returned without reading any file.
    setNamingConfig(fileKey, "$PROJECT$_$LINENAME$");
    EXPECT_EQ(FileSessionNameGenerator::loadPattern(FileSessionNameGenerator::FileNaming),
              "$PROJECT$_$LINENAME$");
    setNamingConfig(sessionKey, "Session-$yyyy$.xmlish");
    EXPECT_EQ(FileSessionNameGenerator::loadPattern(FileSessionNameGenerator::SessionNaming),
              "Session-$yyyy$.xmlish");
}

TEST_F(FileSessionNameGeneratorLoadPattern, ReadsTheCollectionNamedInTheSettingsFile)
{
    for (const QString &file : {QStringLiteral("cfg/mine.xml"), QStringLiteral("cfg/MINE.XML")}) {
        const QString path = writeCollection(file, collectionXml({{"Default", "configured"}}));
        setNamingConfig(fileKey, path);
        EXPECT_EQ(
            nameOf(FileSessionNameGenerator::loadPattern(FileSessionNameGenerator::FileNaming)),
            "configured_Project")
            << file.toStdString();
    }
}

TEST_F(FileSessionNameGeneratorLoadPattern, ReadsTheRootCollectionsByDefault)
{
    writeCollection("root/etc/ZeduvidoFileNaming.xml", collectionXml({{"Default", "rootfile"}}));
    writeCollection("root/etc/ZeduvidoSessionNaming.xml",
                    collectionXml({{"Default", "rootsession"}}));
    EXPECT_EQ(nameOf(FileSessionNameGenerator::loadPattern(FileSessionNameGenerator::FileNaming)),
              "rootfile_Project");
    EXPECT_EQ(
        nameOf(FileSessionNameGenerator::loadPattern(FileSessionNameGenerator::SessionNaming)),
        "rootsession_Project");
    // Any other value means file naming.
    EXPECT_EQ(nameOf(FileSessionNameGenerator::loadPattern(
                  static_cast<FileSessionNameGenerator::PatternNameType>(7))),
              "rootfile_Project");
}

TEST_F(FileSessionNameGeneratorLoadPattern, FollowsTheUsersSelection)
{
    writeCollection("root/etc/ZeduvidoFileNaming.xml",
                    collectionXml({{"Default", "default"}, {"Mine", "mine"}}));
    writeCollection("root/etc/ZeduvidoSessionNaming.xml",
                    collectionXml({{"Default", "sdefault"}, {"Mine", "smine"}}));
    selectPattern(fileKey, "Mine");
    EXPECT_EQ(nameOf(FileSessionNameGenerator::loadPattern(FileSessionNameGenerator::FileNaming)),
              "mine_Project");
    // Each configuration keeps its own selection.
    EXPECT_EQ(
        nameOf(FileSessionNameGenerator::loadPattern(FileSessionNameGenerator::SessionNaming)),
        "sdefault_Project");
}

TEST_F(FileSessionNameGeneratorLoadPattern, FallsBackToTheBuiltInDefault)
{
    const QString builtInFile = builtInName("defaultFileNaming.xml");
    const QString builtInSession = builtInName("defaultSessionNaming.xml");
    const auto loadFile = [] {
        return nameOf(FileSessionNameGenerator::loadPattern(FileSessionNameGenerator::FileNaming));
    };

    // No collection in the root.
    EXPECT_EQ(loadFile(), builtInFile);
    EXPECT_EQ(
        nameOf(FileSessionNameGenerator::loadPattern(FileSessionNameGenerator::SessionNaming)),
        builtInSession);

    // A selected id that the collection lacks: the built-in Default, not the collection's.
    writeCollection("root/etc/ZeduvidoFileNaming.xml", collectionXml({{"Default", "rootfile"}}));
    selectPattern(fileKey, "Gone");
    EXPECT_EQ(loadFile(), builtInFile);

    // The user's id is not tried in the built-in collection either.
    selectPattern(fileKey, "Default");
    EXPECT_EQ(loadFile(), "rootfile_Project");

    // A key present with an empty value names no file, whatever the root holds.
    setNamingConfig(fileKey, QString());
    EXPECT_EQ(loadFile(), builtInFile);

    // A configured collection that is missing.
    setNamingConfig(fileKey, m_dir.filePath("nowhere.xml"));
    EXPECT_EQ(loadFile(), builtInFile);
}

TEST_F(FileSessionNameGeneratorLoadPattern, FailsWithoutAnyCollection)
{
    Q_CLEANUP_RESOURCE(quor);
    std::string message;
    try {
        FileSessionNameGenerator::loadPattern(FileSessionNameGenerator::FileNaming);
    } catch (const std::runtime_error &e) {
        message = e.what();
    }
    Q_INIT_RESOURCE(quor);
    EXPECT_EQ(message, "Can't load naming configuration.");

    // A token pattern needs no collection at all.
    setNamingConfig(sessionKey, "$BAND$");
    Q_CLEANUP_RESOURCE(quor);
    QString pattern;
    EXPECT_NO_THROW(
        pattern = FileSessionNameGenerator::loadPattern(FileSessionNameGenerator::SessionNaming));
    Q_INIT_RESOURCE(quor);
    EXPECT_EQ(pattern, "$BAND$");
}

TEST_F(FileSessionNameGeneratorLoadPattern, SurvivesTruncatedCollections)
{
    const QByteArray full =
        quortest::readFile(quortest::resourcePath("etc/ZeduvidoFileNaming.xml"));
    const QString path = m_dir.filePath("cut.xml");
    for (int length = 0; length <= full.size(); length += 3) {
        const QByteArray cut = full.left(length);
        quortest::writeFile(path, cut);
        // An unclosed document is not XML, so only a cut that keeps the closing tag loads.
        const bool whole = cut.contains("</Patterns>");
        for (const char *id : {"Default", "Archive"}) {
            const QString pattern = FileSessionNameGenerator::loadPattern(path, id);
            EXPECT_EQ(pattern.isEmpty(), !whole) << length;
            if (!pattern.isEmpty()) {
                EXPECT_FALSE(nameOf(pattern).isEmpty()) << length;
            }
        }
    }
}
