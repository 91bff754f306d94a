// The product-to-band map: what each map (good, odd or broken) gives both ways, and the check
// against the installed products schema.

#include "util/bands/ProductBandMapper.h"
#include "util/bands/ProductsXml_p.h"

#include "tests/bands/BandsTestUtil.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <gmock/gmock.h>

#include <memory>
#include <optional>
#include <stdexcept>

using quortest::bandsData;
using quortest::ScopedEnv;

namespace {

std::string decoded(const QString &cell)
{
    return QUrl::fromPercentEncoding(cell.toUtf8()).toStdString();
}

std::vector<std::string> bandsOf(const QString &cell)
{
    std::vector<std::string> bands;
    for (const QString &band : cell.split('+', Qt::SkipEmptyParts))
        bands.push_back(decoded(band));
    return bands;
}

std::optional<util::ProductBandMapper> mapperFor(const QString &file, std::string *error)
{
    QFile device(bandsData(file));
    EXPECT_TRUE(device.open(QIODevice::ReadOnly)) << file.toStdString();
    try {
        return util::ProductBandMapper(&device);
    } catch (const std::runtime_error &e) {
        *error = e.what();
        return std::nullopt;
    }
}

bool schemaAccepts(const QString &file, QString *error = nullptr)
{
    QFile device(bandsData(file));
    EXPECT_TRUE(device.open(QIODevice::ReadOnly)) << file.toStdString();
    return util::validateProductBandMap(&device, error);
}

} // namespace

// Every map under tests/data/bands, broken ones included, gives the documented products,
// band lists and lookups (also through a copy that outlives the original) and the schema's
// verdict; every bad_* map is a row.
TEST(ProductBandMapper, GivesTheDocumentedMapForEveryFile)
{
    ScopedEnv develop("QUOR_DEVELOP", quortest::resourcePath("").toUtf8());
    QStringList covered;
    for (const quortest::TableRow &row : quortest::tableRows("bands/map_outcomes.txt")) {
        const QString file = QString::fromStdString(row[0]),
                      products = QString::fromStdString(row[1]);
        covered << file;
        std::string error;
        auto original = mapperFor(file, &error);
        if (products.startsWith('!')) {
            EXPECT_FALSE(original) << row.line;
            EXPECT_EQ(error, row[1].substr(1)) << row.line;
        } else if (!original) {
            ADD_FAILURE() << row.line << ": " << error;
        } else {
            util::ProductBandMapper mapper(*original);
            original.reset();
            std::vector<std::string> list;
            for (const QString &product : products.split(';', Qt::SkipEmptyParts)) {
                const std::string productName = decoded(product.section(':', 0, 0));
                list.push_back(productName);
                EXPECT_EQ(mapper.productToBands(productName), bandsOf(product.section(':', 1)))
                    << row.line << " " << productName;
            }
            EXPECT_EQ(mapper.getProductList(), list) << row.line;
            EXPECT_EQ(mapper.productToBands("NOSUCH"), std::vector<std::string>()) << row.line;
            for (const QString &lookup :
                 QString::fromStdString(row[2]).split(';', Qt::SkipEmptyParts))
                EXPECT_EQ(mapper.bandsToProduct(bandsOf(lookup.section('=', 0, 0))),
                          decoded(lookup.section('=', 1)))
                    << row.line << " " << lookup.toStdString();
        }
        QString why;
        EXPECT_EQ(schemaAccepts(file, &why), row[3] == "valid") << row.line;
        EXPECT_EQ(why.isEmpty(), row[3] == "valid") << row.line << ": " << why.toStdString();
    }
    const QStringList bad = QDir(bandsData("")).entryList({"bad_*.xml"}, QDir::Files);
    ASSERT_GE(bad.size(), 10);
    for (const QString &file : bad)
        EXPECT_TRUE(covered.contains(file)) << file.toStdString() << " has no row";
}

TEST(ProductBandMapper, NoDeviceReadsAsNoDocument)
{
    EXPECT_THAT([] { util::ProductBandMapper mapper(nullptr); },
                testing::ThrowsMessage<std::runtime_error>("Can't read config. Invalid xml."));
}

// The shipped configuration is valid, and the schema check names the file's fault.
TEST(ProductBandMapper, SchemaCheckAcceptsTheShippedMapAndExplainsRefusals)
{
    ScopedEnv develop("QUOR_DEVELOP", quortest::resourcePath("").toUtf8());
    QFile shipped(quortest::resourcePath("etc/products.xml"));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    QString error = "untouched";
    EXPECT_TRUE(util::validateProductBandMap(&shipped, &error));
    EXPECT_EQ(error, "untouched");

    EXPECT_FALSE(schemaAccepts("bad_duplicate_names.xml", &error));
    EXPECT_THAT(error.toStdString(), testing::StartsWith("Xml file is invalid: line 4, column "));
    EXPECT_FALSE(schemaAccepts("bad_whitespace_names.xml", &error));
    EXPECT_THAT(error.toStdString(), testing::StartsWith("Xml file is invalid: line 2, column "));
    EXPECT_FALSE(error.contains('<')) << "markup left in " << error.toStdString();

    // Five hundred products are checked; one more is refused before Qt's check, which would
    // take seconds over a few thousand; so are entities that expand beyond their bound.
    const auto products = [](int count) {
        QByteArray map = "<ProductBandMap>";
        for (int i = 0; i < count; ++i)
            map += "<Product name='P" + QByteArray::number(i) + "'><Bands><Band source='B"
                + QByteArray::number(i) + "'/></Bands></Product>";
        return map + "</ProductBandMap>";
    };
    for (const int count : {500, 501}) {
        QByteArray map = products(count);
        QBuffer buffer(&map);
        buffer.open(QIODevice::ReadOnly);
        EXPECT_EQ(util::validateProductBandMap(&buffer, &error), count <= 500) << count;
        if (count > 500) {
            EXPECT_EQ(error, "Xml file is invalid: more than 500 products");
        }
    }
    EXPECT_FALSE(schemaAccepts("bad_entity_expansion.xml", &error));
    EXPECT_THAT(error.toStdString(),
                testing::EndsWith("entity references that expand to more than 1048576 characters"));

    QBuffer closed; // a device that cannot be read is refused, not a crash
    EXPECT_FALSE(util::validateProductBandMap(&closed, &error));
    EXPECT_FALSE(util::validateProductBandMap(nullptr));
}

// A missing or broken schema refuses every map. The compiled schema is kept between checks, but
// one that changes on disk (size or time) is read again.
TEST(ProductBandMapper, SchemaCheckFollowsTheSchemaOnDisk)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    ScopedEnv develop("QUOR_DEVELOP", root.path().toUtf8());
    const QString schema = root.path() + "/etc/schemas/products.xsd";
    const QByteArray shipped =
        quortest::readFile(quortest::resourcePath("etc/schemas/products.xsd"));
    for (const QByteArray &content : {QByteArray(), QByteArray("<xs:schema>broken"), shipped,
                                      shipped, QByteArray("<notaschema/>"), shipped}) {
        if (!content.isNull()) {
            QDir().mkpath(root.path() + "/etc/schemas");
            quortest::writeFile(schema, content);
        }
        QString error;
        EXPECT_EQ(schemaAccepts("generator.xml", &error), content == shipped)
            << content.left(20).toStdString();
        EXPECT_EQ(error, content == shipped ? QString() : "Schema invalid: " + schema)
            << content.left(20).toStdString();
    }
}

// The class's own check throws the two fixed messages.
TEST(ProductBandMapper, ValidateWithSchemaThrowsTheFixedMessages)
{
#ifdef QUOR_TEST_SEAMS
    const auto check = [](const QString &file) {
        QFile device(bandsData(file));
        EXPECT_TRUE(device.open(QIODevice::ReadOnly));
        util::testseam::validateWithProductsSchema(&device);
    };
    {
        ScopedEnv develop("QUOR_DEVELOP", quortest::resourcePath("").toUtf8());
        EXPECT_NO_THROW(check("generator.xml"));
        EXPECT_THAT([&] { check("bad_two_bands_lists.xml"); },
                    testing::ThrowsMessage<std::runtime_error>("Xml file is invalid"));
        EXPECT_THAT([&] { check("bad_truncated.xml"); },
                    testing::ThrowsMessage<std::runtime_error>("Xml file is invalid"));
    }
    QTemporaryDir root;
    ScopedEnv develop("QUOR_DEVELOP", root.path().toUtf8());
    EXPECT_THAT(
        [&] { check("generator.xml"); },
        testing::ThrowsMessage<std::runtime_error>(
            ("Schema invalid: " + root.path() + "/etc/schemas/products.xsd").toStdString()));
#else
    GTEST_SKIP() << "needs QUOR_TEST_SEAMS";
#endif
}
