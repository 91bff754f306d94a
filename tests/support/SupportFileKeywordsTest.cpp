// The keyword table against the tests' own list of keywords (tests/data/support/keywords.txt):
// the same keywords and levels both ways, every field of the record reachable through one, each
// keyword read at its levels and nowhere else, and the listing that the tool prints from.

#include "tests/common/TestUtil.h"
#include "tests/support/SupportTestUtil.h"
#include "util/support/SupportFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <set>

using quortest::KeywordRow;
using quortest::writeText;
using util::SupportFile;

namespace {

std::string levelDigits(unsigned levels)
{
    std::string digits;
    for (int level = 0; level < 3; ++level) {
        if (levels & (1u << level))
            digits += static_cast<char>('0' + level);
    }
    return digits.empty() ? "-" : digits;
}

struct Listed
{
    std::string levels;
    SupportFile::ValueKind kind;
    std::string value;
};

std::map<std::string, Listed> listing(const SupportFile &record)
{
    std::map<std::string, Listed> keywords;
    record.forEachKeyword([&](const char *keyword, unsigned levels, SupportFile::ValueKind kind,
                              const std::string &value) {
        EXPECT_TRUE(keywords.emplace(keyword, Listed {levelDigits(levels), kind, value}).second)
            << "listed twice: " << keyword;
    });
    return keywords;
}

// The names of the fields in "name=value; name=value".
std::vector<std::string> fieldNames(const std::string &expected)
{
    std::vector<std::string> names;
    for (const auto &field : quortest::parseFields(expected))
        names.push_back(field.first);
    return names;
}

// The same fields as they stand in record.
std::string fieldsOf(const SupportFile &record, const std::vector<std::string> &names)
{
    std::string text;
    for (const auto &[name, value] : quortest::supportFileFields(record)) {
        if (std::find(names.begin(), names.end(), name) != names.end())
            text += (text.empty() ? "" : "; ") + name + "=" + value;
    }
    return text;
}

} // namespace

TEST(SupportFileKeywords, TableHoldsExactlyTheReferenceKeywordsAtTheirLevels)
{
    const std::vector<KeywordRow> reference = quortest::referenceKeywords();
    ASSERT_GT(reference.size(), 70u);
    const std::map<std::string, Listed> table = listing(SupportFile());
    for (const KeywordRow &row : reference) {
        const auto it = table.find(row.keyword);
        if (it == table.end())
            ADD_FAILURE() << "the table lacks " << row.keyword;
        else
            EXPECT_EQ(it->second.levels, row.levels) << row.keyword;
    }
    for (const auto &[keyword, listed] : table) {
        EXPECT_TRUE(std::any_of(reference.begin(), reference.end(),
                                [&](const KeywordRow &row) { return row.keyword == keyword; }))
            << "the table has " << keyword << ", which keywords.txt does not know";
    }
}

TEST(SupportFileKeywords, EveryFieldOfTheRecordHasAKeyword)
{
    std::set<std::string> reached;
    for (const KeywordRow &row : quortest::referenceKeywords()) {
        for (const std::string &name : fieldNames(row.expected))
            reached.insert(name);
    }
    for (const auto &field : quortest::supportFileFields(SupportFile()))
        EXPECT_EQ(reached.count(field.first), 1u) << field.first << " has no keyword";
}

TEST(SupportFileKeywords, EachKeywordIsReadAtItsLevelsAndSkippedAtTheOthers)
{
    QTemporaryDir dir;
    for (const KeywordRow &row : quortest::referenceKeywords()) {
        if (row.levels == "-")
            continue; // IMAGE_LEVEL: the detection tests
        const std::vector<std::string> names = fieldNames(row.expected);
        for (int level = 0; level < 3; ++level) {
            // In lower case, and followed by a keyword every level reads.
            std::string keyword = row.keyword;
            std::transform(keyword.begin(), keyword.end(), keyword.begin(), ::tolower);
            const bool quality = row.keyword == "QUALITY";
            const std::string text = "support_file d\nIMAGE_LEVEL " + std::to_string(level) + "\n"
                + keyword + " " + row.value + (quality ? "\nSTATUS 9\n" : "\nQUALITY 9\n");
            SupportFile r;
            const std::string before = fieldsOf(r, names);
            r.loadFile(writeText(dir, "k.sup", text));
            const bool reads = row.levels.find(static_cast<char>('0' + level)) != std::string::npos;
            const std::string want = reads ? row.expected : before;
            EXPECT_TRUE(quortest::hasFields(r, want)) << row.keyword << " at level " << level;
            if (row.keyword != "LEVEL_0_NAME") {
                EXPECT_EQ(quality ? r.getStatus() : r.getQuality(), 9)
                    << row.keyword << " at level " << level;
            }
        }
    }
}

TEST(SupportFileKeywords, ListingGivesValuesAsTheFileHoldsThem)
{
    QTemporaryDir dir;
    SupportFile r;
    r.loadFile(writeText(dir, "l.sup", quortest::tableRows("support/listing.txt", "file")[0][0]));
    const std::map<std::string, Listed> listed = listing(r);
    const char *const kinds[] = {"Text", "Integer", "Numbers", "Flag", "Date", "ImageFiles"};
    for (const quortest::TableRow &row : quortest::tableRows("support/listing.txt", "listed")) {
        ASSERT_EQ(listed.count(row[0]), 1u) << row.line;
        EXPECT_EQ(kinds[static_cast<int>(listed.at(row[0]).kind)], row[1]) << row.line;
        EXPECT_EQ(listed.at(row[0]).value, row[2]) << row.line;
    }
}

// Every word of every enumeration reads back as its value: a word added to a list is read.
TEST(SupportFileKeywords, EveryEnumerationWordReadsBackAsItsValue)
{
    QTemporaryDir dir;
    const auto check = [&](const char *keyword, auto getter, auto typeTag) {
        using Enum = decltype(typeTag);
        int count = 1;
        while (count < 100
               && std::string(SupportFile::keyword(static_cast<Enum>(count)))
                   != SupportFile::keyword(static_cast<Enum>(0)))
            ++count;
        EXPECT_GT(count, 2) << keyword;
        for (int value = count - 1; value >= 0; --value) {
            SupportFile r;
            r.loadFile(writeText(dir, "e.sup",
                                 std::string("IMAGE_LEVEL 1\n") + keyword + " "
                                     + SupportFile::keyword(static_cast<Enum>(value)) + "\n"));
            EXPECT_EQ(static_cast<int>((r.*getter)()), value) << keyword;
        }
    };
    check("SENSOR_TYPE", &SupportFile::getSensorType, SupportFile::SensorType {});
    check("VIEW_OF_LINE", &SupportFile::getViewOfLine, SupportFile::ViewOfLine {});
    check("RADIOMETRIC_PROPERTY", &SupportFile::getRadiometricProperty,
          SupportFile::RadiometricProperty {});
    check("CORRECTION", &SupportFile::getCorrection, SupportFile::CorrectionType {});
}
