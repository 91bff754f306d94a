// Product combinations: which products a band list allows, with and without selection flags,
// over the rows of available.txt and over the shipped configuration.

#include "util/bands/ProductGenerator.h"
#include "util/bands/ProductCombinations_p.h"

#include "tests/bands/BandsTestUtil.h"

#include <QFile>

#include <gmock/gmock.h>

#include <memory>

using quortest::bandsData;

namespace {

std::unique_ptr<util::ProductGenerator> generatorFor(const QString &path, const QStringList &bands)
{
    QFile device(path);
    if (!device.open(QIODevice::ReadOnly))
        return nullptr;
    return std::make_unique<util::ProductGenerator>(&device, bands);
}

QStringList commaList(const std::string &cell)
{
    return cell.empty() ? QStringList() : QString::fromStdString(cell).split(',');
}

} // namespace

TEST(ProductGenerator, AllowsTheDocumentedProducts)
{
    for (const quortest::TableRow &row : quortest::tableRows("bands/available.txt")) {
        const QStringList bands = commaList(row[1]);
        const QStringList expected = commaList(row[3]);
        auto generator = generatorFor(bandsData("generator.xml"), bands);
        ASSERT_TRUE(generator);
        if (row[2] == "-") {
            EXPECT_EQ(generator->getAvailableProducts(), expected) << row.line;
            continue;
        }
        const QStringList selected = row[2] == "none" ? QStringList() : commaList(row[2]);
        QList<QPair<QString, bool>> given;
        for (const QString &band : bands)
            given << qMakePair(band, selected.contains(band));
        QStringList flagged;
        for (const auto &product : generator->getAvailableProducts(given))
            flagged << product.first + (product.second ? "=yes" : "=no");
        EXPECT_EQ(flagged, expected) << row.line;
    }
}

// The flagged form replaces the band list for later calls; the plain form of a generator made
// with other bands then answers for the new ones.
TEST(ProductGenerator, FlaggedFormReplacesTheBandList)
{
    auto generator = generatorFor(bandsData("generator.xml"), {"PANN00A"});
    ASSERT_TRUE(generator);
    EXPECT_EQ(generator->getAvailableProducts(), QStringList {"PAN"});
    const QList<QPair<QString, bool>> given = {
        {"NIRN00A", true}, {"REDN00A", false}, {"GRNN00A", true}};
    const QList<QPair<QString, bool>> expected = {{"CIR", false}, {"RG", false}, {"NIR", true}};
    EXPECT_EQ(generator->getAvailableProducts(given), expected);
    EXPECT_EQ(generator->getAvailableProducts(), (QStringList {"CIR", "RG", "NIR"}));
    EXPECT_EQ(generator->getAvailableProducts(QList<QPair<QString, bool>>()),
              (QList<QPair<QString, bool>>()));
    EXPECT_EQ(generator->getAvailableProducts(), QStringList());

    const util::ProductGenerator copy(*generator); // copies keep map and bands
    util::ProductGenerator assigned = copy;
    generator.reset();
    EXPECT_EQ(assigned.getProductList().size(), 15u);
}

// The candidates around each red-green pair, in order: x r g and x r g y for every x of the
// rest (the empty entry last), then the single bands.
TEST(ProductGenerator, CandidatesComeInTheDocumentedOrder)
{
#ifdef QUOR_TEST_SEAMS
    using L = QStringList;
    EXPECT_EQ(util::testseam::productCombinations({"BLU", "REDx", "GRNy"}),
              (QVector<L> {{"BLU", "REDx", "GRNy"},
                           {"BLU", "REDx", "GRNy", ""},
                           {"", "REDx", "GRNy"},
                           {"", "REDx", "GRNy", "BLU"},
                           {"BLU"},
                           {"REDx"},
                           {"GRNy"}}));
    // Reds outside, greens inside; each pair's rest keeps the other red and green.
    const QVector<L> two = util::testseam::productCombinations({"GRN1", "RED1", "RED2"});
    ASSERT_EQ(two.size(), 2 * (2 + 2) + 3);
    EXPECT_EQ(two[0], (L {"RED2", "RED1", "GRN1"}));
    EXPECT_EQ(two[4], (L {"RED1", "RED2", "GRN1"}));
    EXPECT_EQ(two.mid(8), (QVector<L> {{"GRN1"}, {"RED1"}, {"RED2"}}));
    // A repeated band stands for its first copy; the second copy stays in the rest.
    const QVector<L> repeated = util::testseam::productCombinations({"RED", "GRN", "RED"});
    ASSERT_EQ(repeated.size(), 2 * 4 + 3);
    EXPECT_EQ(repeated[0], (L {"RED", "RED", "GRN"}));
    EXPECT_EQ(repeated[4], (L {"RED", "RED", "GRN"}));
    EXPECT_TRUE(util::testseam::productCombinations({}).isEmpty());
#else
    GTEST_SKIP() << "needs QUOR_TEST_SEAMS";
#endif
}

// The shipped configuration offers each line's products from that line's bands.
TEST(ProductGenerator, ShippedConfigurationOffersEachLinesProducts)
{
    const QString shipped = quortest::resourcePath("etc/products.xml");
    const QStringList nadir = {"REDN00A", "GRNN00A", "BLUN00A", "NIRN00A", "PANN00A"};
    const QStringList nadirProducts = {"RGBN00A", "NRGN00A", "NRGBN00A", "PANN00A",
                                       "REDN00A", "GRNN00A", "BLUN00A",  "NIRN00A"};
    auto generator = generatorFor(shipped, nadir);
    ASSERT_TRUE(generator);
    EXPECT_EQ(generator->getProductList().size(), 24u);
    EXPECT_EQ(generator->getAvailableProducts(), nadirProducts);

    QStringList all;
    for (const char *line : {"N00A", "F16A", "B16A"}) {
        for (const char *colour : {"RED", "GRN", "BLU", "NIR"})
            all << QString(colour) + line;
    }
    all << "PANN00A"
        << "PANF27A"
        << "PANB14A";
    generator = generatorFor(shipped, all);
    EXPECT_EQ(generator->getAvailableProducts().size(), 24);

    // Without the nadir blue: colour infrared, panchromatic and the other single bands.
    generator = generatorFor(shipped, {"NIRN00A", "REDN00A", "GRNN00A", "PANN00A", "BLUF16A"});
    EXPECT_EQ(generator->getAvailableProducts(),
              (QStringList {"NRGN00A", "PANN00A", "REDN00A", "GRNN00A", "NIRN00A", "BLUF16A"}));
}
