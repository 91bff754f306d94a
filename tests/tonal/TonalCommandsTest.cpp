#include "util/tonal/TonalBands_p.h"
#include "util/tonal/TonalCurveConverter.h"
#include "util/tonal/TonalCurveFile.h"

#include "tests/common/ToolRun.h"
#include "tests/tonal/TonalTestUtil.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <cstring>

using quortest::dataPath;
using quortest::runTool;

namespace {

// "<exit code>|<stdout>|<stderr>" of one run in this process.
std::string run(const QStringList &args)
{
    const quortest::ToolResult r = runTool(args);
    return std::to_string(r.code) + "|" + r.out + "|" + r.err;
}

const QString splineFile = dataPath("tonal/corrector_spline.xml");
const QString gammaFile = dataPath("tonal/corrector_gamma.xml");
const QString bandsFile = dataPath("tonal/bpf_bands.xml");

} // namespace

TEST(TonalCommands, PrintsAndWritesTables)
{
    EXPECT_EQ(run({"lut", gammaFile, "--samples", "5"}), "0|0\n0.0625\n0.25\n0.5625\n1\n|");
    EXPECT_EQ(run({"lut", gammaFile, "--samples=3", "--format", "csv"}),
              "0|index,input,output\n0,0,0\n1,0.5,0.25\n2,1,1\n|");
    EXPECT_EQ(run({"lut", bandsFile, "--band", "RED", "--samples", "2"}), "0|0\n1\n|");

    const quortest::ToolResult full = runTool({"lut", gammaFile});
    EXPECT_EQ(full.code, 0);
    EXPECT_EQ(std::count(full.out.begin(), full.out.end(), '\n'), 65536);

    QTemporaryDir dir;
    const QString out = dir.filePath("table.bin");
    EXPECT_EQ(run({"lut", splineFile, "--format", "binary", "-o", out}), "0||");
    const QByteArray bytes = quortest::readFile(out);
    ASSERT_EQ(bytes.size(), 65536 * 4);
    util::TonalCurveConverter converter;
    util::TonalCurve curve;
    ASSERT_TRUE(util::readTonalCurveFile(splineFile, curve));
    const std::vector<float> &table = converter.getLUT(curve, -1);
    for (int i = 0; i < 65536; i += 1023) {
        const auto *b = reinterpret_cast<const unsigned char *>(bytes.constData()) + 4 * i;
        const std::uint32_t bits = b[0] | b[1] << 8 | b[2] << 16 | std::uint32_t(b[3]) << 24;
        float value;
        std::memcpy(&value, &bits, 4);
        ASSERT_EQ(value, table[std::size_t(i)]) << i;
    }
}

// Every malformed curve file gives its one line and exit code; none crashes the tool.
TEST(TonalCommands, BadFilesGiveOneLine)
{
    const std::vector<quortest::TableRow> rows = quortest::tableRows("tonal/bad_files.txt");
    ASSERT_GE(rows.size(), 18u);
    for (const quortest::TableRow &row : rows) {
        const QString file = dataPath(QString::fromStdString("tonal/" + row[0]));
        const quortest::ToolResult r = runTool({"lut", file, "--samples", "16"});
        EXPECT_EQ(r.code, std::stoi(row[1])) << row.line;
        EXPECT_EQ(r.err, QString::fromStdString(row[2]).replace("$F", file).toStdString() + "\n")
            << row.line;
        EXPECT_EQ(r.out, "") << row.line;
    }
}

TEST(TonalCommands, StatsShowRangeReachAndMonotony)
{
    QTemporaryDir dir;
    const QString falling = dir.filePath("falling.xml");
    quortest::writeFile(falling, R"(<Corrector interpolation="Linear">
        <Node x="0.2" y="0.1" position="0"/><Node x="0.4" y="0.6" position="1"/>
        <Node x="0.6" y="0.4" position="2"/><Node x="0.8" y="0.9" position="3"/></Corrector>)");
    EXPECT_EQ(run({"lut", falling, "--samples", "11", "--stats"}),
              "0|" + falling.toStdString()
                  + ": Linear, 4 nodes, 11 entries\n"
                    "  range: -0.4 .. 0.9\n"
                    "  outside the nodes: 2 entries below input 0.2, 2 above input 0.8\n"
                    "  monotonic: no, 1 falling stretch, the first from input 0.4 to 0.6 "
                    "(output 0.6 to 0.4)\n|");
    EXPECT_EQ(run({"lut", gammaFile, "--stats"}),
              "0|" + gammaFile.toStdString()
                  + ": Gamma, 3 nodes, 65536 entries\n"
                    "  range: 0 .. 0.9999695\n"
                    "  outside the nodes: none\n"
                    "  monotonic: yes\n|");
    const quortest::ToolResult r =
        runTool({"lut", bandsFile, "--band", "GRN", "--stats", "--samples", "101"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_THAT(r.out, testing::HasSubstr("band GRN: Spline, 4 nodes, 101 entries\n"));
}

TEST(TonalCommands, ShowsTheBandsOfABreakPointFile)
{
    EXPECT_EQ(run({"bpf", "show", bandsFile}),
              "0|" + bandsFile.toStdString()
                  + ": 4 bands\n" // in file order
                    "band RED: Linear, 3 nodes\n  0 0\n  0.501960784 0.392156863\n  1 1\n"
                    "band red: Spline, 4 nodes\n  0 0\n  0.5001221 0.732600733\n  1 1\n  0 0\n"
                    "band GRN: Spline, 4 nodes\n  1 0\n  0 0.5\n  0 0.7\n  0 0\n"
                    "band BLU: Linear, 0 nodes\n|");
    const quortest::ToolResult r = runTool({"bpf", "show", bandsFile, "--json"});
    ASSERT_EQ(r.code, 0);
    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    EXPECT_EQ(json["file"].toString(), bandsFile);
    const QJsonArray list = json["bands"].toArray();
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list[0].toObject()["band"].toString(), "RED");
    EXPECT_EQ(list[0].toObject()["nodes"].toArray()[1].toArray()[1].toDouble(), 100 / 255.0);
    EXPECT_EQ(run({"bpf", "show", dataPath("tonal/bad_bpf_no_band.xml")}).substr(0, 2), "1|");
}

namespace {

// Columns and rows of the pixels of one exact colour.
struct Pixels
{
    int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
    int count = 0;
};

Pixels find(const QImage &image, QRgb colour)
{
    Pixels p;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xffffff) == (colour & 0xffffff)) {
                p.left = std::min(p.left, x);
                p.right = std::max(p.right, x);
                p.top = std::min(p.top, y);
                p.bottom = std::max(p.bottom, y);
                ++p.count;
            }
    return p;
}

} // namespace

// The picture has the size asked for, and the curve's pixels lie where the table says: the
// curve runs from (0, 0) to (1, 1), so its extent gives the canvas' scale, and every column of
// it must hold a curve pixel near the row of the table's value there.
TEST(TonalCommands, PlotsTheCurveWhereTheTableSays)
{
    QTemporaryDir dir;
    for (const QString &file : {splineFile, gammaFile}) {
        const QString png = dir.filePath("plot.png");
        const quortest::ToolResult r =
            runTool({"lut", file, "--plot", png, "--width", "640", "--height", "480"});
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, "");
        QImage image;
        ASSERT_TRUE(image.load(png, "PNG"));
        EXPECT_EQ(image.size(), QSize(640, 480));

        // A curve without a band name is drawn in the colour of the editor's "All".
        const QRgb colour = util::detail::bandColour(QString()).rgb();
        const Pixels curvePixels = find(image, colour);
        ASSERT_GT(curvePixels.count, 300) << file.toStdString();
        const int width = curvePixels.right - curvePixels.left;
        const int height = curvePixels.bottom - curvePixels.top;
        ASSERT_GT(width, 400);
        ASSERT_GT(height, 250);

        util::TonalCurve curve;
        ASSERT_TRUE(util::readTonalCurveFile(file, curve));
        util::TonalCurveConverter converter;
        const std::vector<float> &table = converter.getLUT(curve, -1);
        int checked = 0;
        for (int x = curvePixels.left + 2; x <= curvePixels.right - 2; x += 3) {
            const double input = double(x - curvePixels.left) / width;
            const double output = table[std::size_t(std::min(65535.0, input * 65536))];
            // the slope widens the band of rows one column covers
            const double before = table[std::size_t(std::max(0.0, (input - 1.5 / width) * 65536))];
            const double after =
                table[std::size_t(std::min(65535.0, (input + 1.5 / width) * 65536))];
            const int row = curvePixels.bottom - int(std::lround(output * height));
            const int spread = 3 + int(std::ceil(std::abs(after - before) * height));
            bool near = false;
            for (int y = std::max(0, row - spread); y <= std::min(image.height() - 1, row + spread);
                 ++y)
                near |= (image.pixel(x, y) & 0xffffff) == (colour & 0xffffff);
            EXPECT_TRUE(near) << file.toStdString() << " column " << x << " row " << row;
            ++checked;
        }
        EXPECT_GT(checked, 100);
    }
}

TEST(TonalCommands, PlotsEveryBandInItsColour)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("rgb.bpf");
    quortest::writeFile(file, R"(<bpf>
        <break_points band="RED"><max_value>255</max_value><point x="0" y="0"/><point x="255" y="200"/></break_points>
        <break_points band="GRN"><max_value>255</max_value><point x="0" y="30"/><point x="255" y="255"/></break_points>
        <break_points band="BLU"><type>spline</type><max_value>255</max_value><point x="0" y="0"/>
            <point x="100" y="160"/><point x="255" y="255"/></break_points></bpf>)");
    const QString png = dir.filePath("rgb.png");
    const quortest::ToolResult r = runTool({"lut", file, "--plot", png});
    ASSERT_EQ(r.code, 0) << r.err;
    QImage image;
    ASSERT_TRUE(image.load(png));
    EXPECT_EQ(image.size(), QSize(800, 600));
    // The colours the editor draws Red, Green and Blue in.
    const QRgb red = util::detail::bandColour("Red").rgb();
    const QRgb green = util::detail::bandColour("Green").rgb();
    for (const QRgb colour : {red, green, util::detail::bandColour("Blue").rgb()})
        EXPECT_GT(find(image, colour).count, 300) << std::hex << colour;

    // --band draws one band only
    EXPECT_EQ(run({"lut", file, "--band", "GRN", "--plot", png, "--width=300", "--height=200"}),
              "0||");
    ASSERT_TRUE(image.load(png));
    EXPECT_EQ(image.size(), QSize(300, 200));
    EXPECT_GT(find(image, green).count, 100);
    EXPECT_EQ(find(image, red).count, 0);

    EXPECT_EQ(run({"lut", file, "--plot", dir.path()}).substr(0, 2), "1|");
}
