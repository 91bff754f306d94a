#include "util/tonal/BpfConverter.h"
#include "util/tonal/TonalCurveConverter.h"

#include "tests/tonal/TonalTestUtil.h"

#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <stdexcept>

using quortest::dataPath;
using quortest::makeCurve;
using testing::ThrowsMessage;
using util::BpfConverter;
using util::TonalCurve;

// One file with every case rule: tag names in any case, attribute names exact, "composite"
// bands skipped unread, the last type and max value counting, points in file order.
TEST(BpfConverter, ReadsBandsWithTheCaseRules)
{
    const BpfConverter bpf(dataPath("tonal/bpf_bands.xml"));
    EXPECT_EQ(bpf.getBands(), (QStringList{"BLU", "GRN", "RED", "red"}));
    EXPECT_EQ(bpf.getCurve("RED"),
              makeCurve(TonalCurve::Linear, {{0, 0}, {128 / 255.0, 100 / 255.0}, {1, 1}}));
    EXPECT_EQ(bpf.getCurve("red"), makeCurve(TonalCurve::Spline, {{0, 0},
                                                                  {2048 / 4095.0, 3000 / 4095.0},
                                                                  {1, 1},
                                                                  {0, 0}}));
    EXPECT_EQ(bpf.getCurve("GRN"),
              makeCurve(TonalCurve::Spline, {{1, 0}, {0, 0.5}, {0, 0.7}, {0, 0}}));
    const TonalCurve blue = bpf.getCurve("BLU");
    EXPECT_TRUE(blue.getNodes().isEmpty());
    util::TonalCurveConverter converter;
    EXPECT_THAT([&] { converter.getLUT(blue, -1); },
                ThrowsMessage<std::runtime_error>(
                    testing::StrEq("Need 2 points at minimum for interpolation")));

    for (const char *band : {"Red", "composite", "Composite", ""})
        EXPECT_THAT([&] { bpf.getCurve(band); },
                    ThrowsMessage<std::runtime_error>(
                        testing::StrEq(std::string("Band not found in bpf file: ") + band)));

    const BpfConverter copy = bpf;
    QTemporaryDir dir;
    quortest::writeFile(dir.filePath("empty.bpf"), "<bpf/>");
    BpfConverter assigned(dir.filePath("empty.bpf"));
    assigned = copy;
    EXPECT_EQ(assigned.getBands(), bpf.getBands());
    EXPECT_EQ(assigned.getCurve("RED"), bpf.getCurve("RED"));
}

TEST(BpfConverter, EmptyRootsAndCompositeOnlyFilesHoldNoBands)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("composite.bpf");
    for (const char *text : {"<bpf/>", "<bpf><other band='RED'/><!-- x --></bpf>",
                             "<x><break_points band='composite'/></x>",
                             "<x><Break_Points band='CoMpOsItE'><max_value>0</max_value></Break_Points></x>"}) {
        quortest::writeFile(file, text);
        EXPECT_TRUE(BpfConverter(file).getBands().isEmpty()) << text;
    }
}

// Every bad_bpf_* file fails with its documented message, ending with the file name.
TEST(BpfConverter, RefusesBadFilesWithTheirMessages)
{
    int checked = 0;
    for (const quortest::TableRow &row : quortest::tableRows("tonal/bad_files.txt")) {
        if (row[0].rfind("bad_bpf_", 0) != 0)
            continue;
        const QString file = dataPath(QString::fromStdString("tonal/" + row[0]));
        const QString message = QString::fromStdString(row[3]).replace("$F", file);
        EXPECT_THAT([&] { BpfConverter {file}; },
                    ThrowsMessage<std::runtime_error>(testing::StrEq(message.toStdString())))
            << row.line;
        ++checked;
    }
    EXPECT_GE(checked, 12);
    const QString missing = dataPath("tonal/no-such.bpf");
    EXPECT_THAT([&] { BpfConverter{missing}; },
                ThrowsMessage<std::runtime_error>(
                    testing::StrEq("Unable to read bpf file: " + missing.toStdString())));
    QTemporaryDir dir;
    EXPECT_THAT([&] { BpfConverter{dir.path()}; },
                ThrowsMessage<std::runtime_error>(
                    testing::StrEq("Unable to read bpf file: " + dir.path().toStdString())));
}
