// Band and image codes: CCD names in file names, the master band, the near-infrared band and
// image codes both ways. The rows live in tests/data/bands.

#include "util/bands/BandCodes.h"
#include "util/bands/VynString.h"

#include "tests/bands/BandsTestUtil.h"

#include <gmock/gmock.h>

#include <stdexcept>

using quortest::bandsTable;
using quortest::joined;
using quortest::nameList;

TEST(VynString, FindsCcdNameAndColourInTheBaseName)
{
    const auto rows = bandsTable("ccd_names.txt");
    ASSERT_GE(rows.size(), 15);
    for (const QStringList &row : rows) {
        ASSERT_EQ(row.size(), 3) << row.join('|').toStdString();
        const std::string path = row[0].toStdString();
        EXPECT_EQ(util::VynString::getCcdNaming(path), row[1].toStdString()) << path;
        EXPECT_EQ(util::VynString::getShortColorCode(path), row[2].toStdString()) << path;
    }
}

TEST(MasterBand, PrefersSmallPanThenSmallGreenThenPanGreenSmallFirst)
{
    const auto rows = bandsTable("master_bands.txt");
    ASSERT_GE(rows.size(), 10);
    for (const QStringList &row : rows) {
        const std::vector<std::string> bands = nameList(row[0]);
        const unsigned int expected = row[1].toUInt();
        EXPECT_EQ(util::masterBand(bands), expected) << joined(bands);
        QStringList qbands;
        for (const std::string &band : bands)
            qbands << QString::fromStdString(band);
        EXPECT_EQ(util::masterBand(qbands), expected) << joined(bands) << " (QStringList)";
    }
}

TEST(GetNIRChannel, FindsNirAnywhereInTheName)
{
    struct Row
    {
        std::vector<std::string> bands;
        int index;
        std::vector<int> each; // getNIRChannel of each name alone
    };
    const Row rows[] = {
        {{}, -1, {}},
        {{"REDN00A", "GRNN00A"}, -1, {-1, -1}},
        {{"REDN00A", "NIRN00A", "NIRB16A"}, 1, {-1, 0, 0}},
        {{"NRGBN00A", "xNIRx"}, 1, {-1, 0}}, // NRGB does not spell NIR
        {{"nirn00a", "PANNIR", "NI"}, 1, {-1, 0, -1}},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(util::getNIRChannel(row.bands), row.index) << joined(row.bands);
        for (std::size_t i = 0; i < row.bands.size(); ++i)
            EXPECT_EQ(util::getNIRChannel(row.bands[i]), row.each[i]) << row.bands[i];
    }
}

TEST(ImageCode, CreatesAndSplitsCodes)
{
    const auto rows = bandsTable("image_codes.txt");
    ASSERT_GE(rows.size(), 10);
    for (const QStringList &row : rows) {
        ASSERT_EQ(row.size(), 3) << row.join('|').toStdString();
        const std::vector<std::string> bands = nameList(row[1]);
        const std::string code = row[2].toStdString();
        if (row[0] != "split") {
            EXPECT_EQ(util::createImageCode(bands), code) << joined(bands);
        }
        if (row[0] != "create") {
            std::vector<std::string> split = {"left over"};
            util::splitImageCode(code, split);
            EXPECT_EQ(split, bands) << code;
        }
    }
}

TEST(ImageCode, RefusesShortNamesAndUnknownLetters)
{
    const auto rows = bandsTable("bad_codes.txt");
    ASSERT_GE(rows.size(), 8);
    for (const QStringList &row : rows) {
        ASSERT_EQ(row.size(), 4) << row.join('|').toStdString();
        const std::vector<std::string> args = nameList(row[1]);
        const std::string name = row.join(" | ").toStdString();
        const std::vector<std::string> before = {"untouched"};
        std::vector<std::string> bands = before;
        try {
            if (row[0] == "split")
                util::splitImageCode(args.empty() ? std::string() : args.front(), bands);
            else if (row[0] == "master")
                util::masterBand(args);
            else
                util::createImageCode(args);
            ADD_FAILURE() << name << ": nothing thrown";
        } catch (const std::runtime_error &e) {
            EXPECT_EQ(QString(e.what()).trimmed(), row[3]) << name;
        }
        if (row[0] == "split") {
            EXPECT_EQ(bands, row[2] == "untouched" ? before : nameList(row[2])) << name;
        }
    }
}

// tests/data/bands/shared_lines.txt
TEST(ImageCode, TellsBandsOfOneLineFromBandsOfSeveral)
{
    for (const quortest::TableRow &row : quortest::tableRows("bands/shared_lines.txt")) {
        std::vector<std::string> bands;
        for (const QString &band : QString::fromStdString(row[1]).split(' ', Qt::SkipEmptyParts))
            bands.push_back(band.toStdString());
        std::string why = "untouched";
        EXPECT_EQ(util::bandsShareLine(bands, &why), row[0] == "true") << row.line;
        if (row[0] == "true") {
            EXPECT_EQ(why, "untouched") << row.line;
        } else {
            EXPECT_EQ(why.rfind(row[2], 0), 0u) << row.line << ": " << why;
        }
        EXPECT_EQ(util::bandsShareLine(bands), row[0] == "true") << row.line;
    }
}
