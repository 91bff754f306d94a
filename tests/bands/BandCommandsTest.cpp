// quorutil bands and quorutil products: outputs, exit codes and the one-line failures, with the
// repository's resources as the installation root.

#include "tests/bands/BandsTestUtil.h"
#include "tests/common/ToolRun.h"

#include <QDir>
#include <QTemporaryDir>

#include <gmock/gmock.h>

using quortest::bandsData;
using quortest::runTool;
using quortest::ScopedEnv;

namespace {

struct ToolRow
{
    QStringList args;
    int code;
    std::string out;
    std::string err; // for exit code 2 only the first line is compared
};

void expectRows(const std::vector<ToolRow> &rows)
{
    for (const ToolRow &row : rows) {
        const std::string name = row.args.join(' ').toStdString();
        const quortest::ToolResult r = runTool(row.args);
        EXPECT_EQ(r.code, row.code) << name << ": " << r.err;
        EXPECT_EQ(r.out, row.out) << name;
        if (row.code == 2)
            EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1), row.err) << name;
        else
            EXPECT_EQ(r.err, row.err) << name;
    }
}

} // namespace

// The codes and refusals themselves are the library's rows (and tool/refusals.txt); here the
// output of each subcommand, one refusal of the library in one line, and the argument counts.
TEST(BandCommands, PrintCodesAndRefuseWhatTheLibraryRefuses)
{
    const QString sup = "/data/SN3001_110115_123458_RGBN00A_L1.sup";
    expectRows({
        {{"bands", "ccd", "C:\\data\\img_PANN00A.L1.tif", sup},
         0,
         "C:\\data\\img_PANN00A.L1.tif: ccd=PANN00A colour=PAN\n" + sup.toStdString()
             + ": ccd=RGBN00A colour=nil\n",
         ""},
        {{"bands", "ccd", "redn00a.tif", "GRNB16A"},
         1,
         "redn00a.tif: ccd=nil colour=nil\nGRNB16A: ccd=GRNB16A colour=GRN\n",
         ""},
        {{"bands", "master", "GRNN00A", "PANF27A", "PANN00A"}, 0, "2 PANN00A\n", ""},
        {{"bands", "code", "REDN00A", ""},
         1,
         "",
         "quorutil bands code: '': not a band name (such as REDN00A: RED, GRN, BLU, NIR or PAN, "
         "then F, N or B, two digits and A or B)\n"},
        {{"bands", "split", "NRGBN00A"}, 0, "NIRN00A\nREDN00A\nGRNN00A\nBLUN00A\n", ""},
        {{"bands", "split", "RGXN00A"},
         1,
         "",
         "quorutil bands split: Unknown band letter in image code: RGXN00A\n"},
        {{"bands", "ccd"}, 2, "", "quorutil bands ccd: needs at least one FILE\n"},
        {{"bands", "master"}, 2, "", "quorutil bands master: needs at least one BAND\n"},
        {{"bands", "code"}, 2, "", "quorutil bands code: needs at least one BAND\n"},
        {{"bands", "split", "A", "B"}, 2, "", "quorutil bands split: unexpected argument 'B'\n"},
        {{"bands", "nosuch"}, 2, "", "quorutil bands: unknown subcommand 'nosuch'\n"},
    });
}

TEST(ProductsCommand, ListsTheProductsOfTheInstalledConfiguration)
{
    ScopedEnv develop("QUOR_DEVELOP", quortest::resourcePath("").toUtf8());
    const QString generator = bandsData("generator.xml");
    const std::string config = quortest::resourcePath("etc/products.xml").toStdString();
    expectRows({
        {{"products", "REDN00A", "GRNN00A", "BLUN00A", "NIRN00A", "PANN00A"},
         0,
         "RGBN00A\nNRGN00A\nNRGBN00A\nPANN00A\nREDN00A\nGRNN00A\nBLUN00A\nNIRN00A\n",
         ""},
        {{"products", "--selected", "REDN00A,GRNN00A", "--selected=BLUN00A", "REDN00A", "GRNN00A",
          "BLUN00A", "NIRN00A"},
         0,
         "RGBN00A yes\nNRGN00A no\nNRGBN00A no\nREDN00A yes\nGRNN00A yes\nBLUN00A yes\n"
         "NIRN00A no\n",
         ""},
        // A band no product is made from is a typing error: refused, not an empty answer.
        {{"products", "--selected", "", "PANF27A", "XXX"},
         1,
         "",
         "quorutil products: " + config
             + ": no product is made from XXX (not a band of the map)\n"},
        {{"products", "--json", "PANB14A", "NIRB16A"},
         0,
         "[\n    \"PANB14A\",\n    \"NIRB16A\"\n]\n",
         ""},
        {{"products", "--json", "--selected", "PANN00A", "PANN00A"},
         0,
         "[\n    {\n        \"name\": \"PANN00A\",\n        \"selected\": true\n    }\n]\n",
         ""},
        {{"products", "XXX", "", "-"},
         1,
         "",
         "quorutil products: " + config
             + ": no product is made from XXX, '', - (not bands of the map)\n"},
        {{"products", "--config", generator, "REDN00A", "GRNN00A"}, 0, "RG\n", ""},
        {{"products"}, 2, "", "quorutil products: needs at least one BAND\n"},
        {{"products", "--selected", "PANN00A,NIRN00A", "PANN00A"},
         2,
         "",
         "quorutil products: --selected names a band that is not given: NIRN00A\n"},
    });
}

// A configuration that is not XML or breaks the schema ends in one line naming the file (a
// missing or unreadable one is a row of the tool's failure table); every bad_* map is refused.
TEST(ProductsCommand, RefusesUnreadableAndMalformedConfigurations)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ScopedEnv develop("QUOR_DEVELOP", quortest::resourcePath("").toUtf8());
    const QStringList bad = QDir(bandsData("")).entryList({"bad_*.xml"}, QDir::Files);
    ASSERT_GE(bad.size(), 10);
    for (const QString &file : bad) {
        const QString path = bandsData(file);
        const quortest::ToolResult r = runTool({"products", "--config", path, "PANN00A"});
        EXPECT_EQ(r.code, 1) << file.toStdString();
        EXPECT_EQ(r.out, "") << file.toStdString();
        const std::string prefix = "quorutil products: " + path.toStdString() + ": ";
        EXPECT_THAT(r.err,
                    testing::AnyOf(testing::Eq(prefix + "Can't read config. Invalid xml.\n"),
                                   testing::StartsWith(prefix + "line "),
                                   testing::StartsWith(prefix + "Xml file is invalid: line ")))
            << file.toStdString();
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }

    // A root without the schema cannot check anything.
    ScopedEnv elsewhere("QUOR_DEVELOP", dir.path().toUtf8());
    const quortest::ToolResult r =
        runTool({"products", "--config", bandsData("generator.xml"), "PANN00A"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err,
              "quorutil products: " + bandsData("generator.xml").toStdString()
                  + ": Schema invalid: " + dir.path().toStdString()
                  + "/etc/schemas/products.xsd\n");
}
