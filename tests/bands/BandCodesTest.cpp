// Band and image codes: CCD names in file names, the master band, the near-infrared band and
// image codes both ways. The rows live in tests/data/bands.

#include "util/bands/BandCodes.h"
#include "util/bands/VynString.h"

#include "tests/bands/BandsTestUtil.h"

#include <gmock/gmock.h>

#include <stdexcept>

using quortest::nameList;
using quortest::TableRow;
using quortest::tableRows;
using testing::PrintToString;

TEST(VynString, FindsCcdNameAndColourInTheBaseName)
{
    for (const TableRow &row : tableRows("bands/ccd_names.txt")) {
        EXPECT_EQ(util::VynString::getCcdNaming(row[0]), row[1]) << row.line;
        EXPECT_EQ(util::VynString::getShortColorCode(row[0]), row[2]) << row.line;
    }
}

TEST(MasterBand, PrefersSmallPanThenSmallGreenThenPanGreenSmallFirst)
{
    for (const TableRow &row : tableRows("bands/master_bands.txt")) {
        const std::vector<std::string> bands = nameList(row[0]);
        const unsigned int expected = std::stoul(row[1]);
        EXPECT_EQ(util::masterBand(bands), expected) << row.line;
        QStringList qbands;
        for (const std::string &band : bands)
            qbands << QString::fromStdString(band);
        EXPECT_EQ(util::masterBand(qbands), expected) << row.line << " (QStringList)";
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
        EXPECT_EQ(util::getNIRChannel(row.bands), row.index) << PrintToString(row.bands);
        for (std::size_t i = 0; i < row.bands.size(); ++i)
            EXPECT_EQ(util::getNIRChannel(row.bands[i]), row.each[i]) << row.bands[i];
    }
}

TEST(ImageCode, CreatesAndSplitsCodes)
{
    for (const TableRow &row : tableRows("bands/image_codes.txt")) {
        const std::vector<std::string> bands = nameList(row[1]);
        if (row[0] != "split") {
            EXPECT_EQ(util::createImageCode(bands), row[2]) << row.line;
        }
        if (row[0] != "create") {
            std::vector<std::string> split = {"left over"};
            util::splitImageCode(row[2], split);
            EXPECT_EQ(split, bands) << row.line;
        }
    }
}

TEST(ImageCode, RefusesShortNamesAndUnknownLetters)
{
    for (const TableRow &row : tableRows("bands/bad_codes.txt")) {
        const std::vector<std::string> args = nameList(row[1]);
        const std::vector<std::string> before = {"untouched"};
        std::vector<std::string> bands = before;
        try {
            if (row[0] == "split")
                util::splitImageCode(args.empty() ? std::string() : args.front(), bands);
            else if (row[0] == "master")
                util::masterBand(args);
            else
                util::createImageCode(args);
            ADD_FAILURE() << row.line << ": nothing thrown";
        } catch (const std::runtime_error &e) {
            EXPECT_EQ(QString(e.what()).trimmed().toStdString(), row[3]) << row.line;
        }
        if (row[0] == "split") {
            EXPECT_EQ(bands, row[2] == "untouched" ? before : nameList(row[2])) << row.line;
        }
    }
}

// tests/data/bands/shared_lines.txt
TEST(ImageCode, TellsBandsOfOneLineFromBandsOfSeveral)
{
    for (const TableRow &row : tableRows("bands/shared_lines.txt")) {
        const std::vector<std::string> bands = nameList(row[1]);
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
