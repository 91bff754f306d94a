#include "util/xml/XmlValidator.h"

#include "tests/common/TestUtil.h"

#include <QDir>
#include <QDomDocument>
#include <QPointF>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QVector>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

using quortest::dataPath;
using quortest::readFile;
using quortest::ScopedEnv;
using quortest::writeFile;

namespace {

std::string constructionError(const QString &schema, const QString &dir = QString())
{
    try {
        if (dir.isNull())
            util::XmlValidator validator(schema);
        else
            util::XmlValidator validator(schema, dir);
    } catch (const std::runtime_error &e) {
        return e.what();
    }
    return "(no error)";
}

QString schemaDir()
{
    return quortest::resourcePath(QStringLiteral("etc/schemas"));
}

QStringList corpus(const QString &schema)
{
    const QDir dir(dataPath(QStringLiteral("xml/corpus/") + schema));
    QStringList files;
    for (const QString &name : dir.entryList({"*.xml"}, QDir::Files, QDir::Name))
        files << dir.filePath(name);
    return files;
}

// A Corrector element written the way the tonal curve writer does it.
QDomElement writtenCurve(QDomDocument &document, const QVector<QPointF> &nodes)
{
    QDomElement root = document.createElement("Curves");
    document.appendChild(root);
    QDomElement corrector = document.createElement("Corrector");
    corrector.setAttribute("position", 3);
    corrector.setAttribute("id", "TonalCurve");
    corrector.setAttribute("interpolation", "Spline");
    corrector.setAttribute("version", "1.0");
    for (int i = 0; i < nodes.size(); ++i) {
        QDomElement node = document.createElement("Node");
        node.setAttribute("x", nodes[i].x());
        node.setAttribute("y", nodes[i].y());
        node.setAttribute("position", i);
        corrector.appendChild(node);
    }
    root.appendChild(corrector);
    return corrector;
}

} // namespace

TEST(XmlValidator, LoadsTheInstallationsSchemasFromTheRoot)
{
    {
        ScopedEnv develop("QUOR_DEVELOP"); // the build tree's root beside the test binary
        EXPECT_NO_THROW(util::XmlValidator("tonalcurve.xsd"));
        EXPECT_NO_THROW(util::XmlValidator("products.xsd"));
    }
    ScopedEnv develop("QUOR_DEVELOP", quortest::resourcePath("").toUtf8());
    const util::XmlValidator validator("products.xsd");
    EXPECT_TRUE(validator.validate(dataPath("xml/corpus/products/valid_products.xml")));
}

TEST(XmlValidator, BadSchemasThrowWithTheBareName)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("garbage.xsd"), "not a schema at all");
    writeFile(dir.filePath("broken.xsd"),
              "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">"
              "<xs:element name=\"a\" type=\"NoSuchType\"/></xs:schema>");
    writeFile(dir.filePath("plain.xml"), "<a/>");
    {
        ScopedEnv develop("QUOR_DEVELOP", dir.path().toUtf8());
        EXPECT_EQ(constructionError("tonalcurve.xsd"), "Invalid schema file: tonalcurve.xsd");
    }
    const struct
    {
        const char *name;
    } rows[] = {{"missing.xsd"}, {"garbage.xsd"}, {"broken.xsd"}, {"plain.xml"}};
    for (const auto &row : rows) {
        EXPECT_EQ(constructionError(row.name, dir.path()),
                  std::string("Invalid schema file: ") + row.name)
            << row.name;
    }
    EXPECT_EQ(constructionError("", dir.path()), "Invalid schema file: ");
}

TEST(XmlValidator, MissingFilesAndEmptyBuffersAreNotValid)
{
    const util::XmlValidator validator("tonalcurve.xsd", schemaDir());
    QTemporaryDir dir;
    EXPECT_FALSE(validator.validate(dir.filePath("absent.xml")));
    EXPECT_FALSE(validator.validate(dir.path()));
    EXPECT_FALSE(validator.validate(QString()));
    EXPECT_FALSE(validator.validate(QByteArray()));
    EXPECT_FALSE(validator.validate(QDomNode()));
}

// The validator must agree with libxml2 on both schemas, and both with the file's name.
TEST(XmlValidator, AgreesWithXmllintOnTheCorpus)
{
    const QString xmllint = QStandardPaths::findExecutable("xmllint");
    if (xmllint.isEmpty())
        GTEST_SKIP() << "xmllint is missing (scripts/setup-deps installs libxml2-utils)";
    for (const QString schema : {"tonalcurve", "products"}) {
        const QString schemaFile = schemaDir() + "/" + schema + ".xsd";
        const util::XmlValidator validator(schema + ".xsd", schemaDir());
        const QStringList files = corpus(schema);
        ASSERT_GE(files.size(), 5);
        for (const QString &file : files) {
            QProcess lint;
            lint.start(xmllint, {"--noout", "--nonet", "--schema", schemaFile, file});
            ASSERT_TRUE(lint.waitForFinished(60000));
            const bool lintValid =
                lint.exitStatus() == QProcess::NormalExit && lint.exitCode() == 0;
            const bool expected = QFileInfo(file).fileName().startsWith("valid_");
            EXPECT_EQ(lintValid, expected) << file.toStdString();
            EXPECT_EQ(validator.validate(file), lintValid) << file.toStdString();
            EXPECT_EQ(validator.validate(readFile(file)), lintValid) << file.toStdString();
        }
    }
}

TEST(XmlValidator, DomNodesGetTheVerdictOfTheirText)
{
    const util::XmlValidator validator("tonalcurve.xsd", schemaDir());
    for (const QString &file : corpus("tonalcurve")) {
        QDomDocument document;
        if (!document.setContent(readFile(file)))
            continue; // not well formed: there is no node to validate
        const bool verdict = validator.validate(readFile(file));
        EXPECT_EQ(validator.validate(document), verdict) << file.toStdString();
        EXPECT_EQ(validator.validate(document.documentElement()), verdict) << file.toStdString();
    }
}

TEST(XmlValidator, AcceptsWhatTheTonalCurveWriterWrites)
{
    const util::XmlValidator validator("tonalcurve.xsd", schemaDir());
    QDomDocument document;
    const QDomElement curve =
        writtenCurve(document, {{0, 0}, {1e-5, 1.0 / 3}, {0.1, 2.5e-12}, {0.75, 0.9}, {1, 1}});
    EXPECT_TRUE(validator.validate(curve));
    QDomDocument empty;
    EXPECT_TRUE(validator.validate(writtenCurve(empty, {})));
    // A whole document of curves is not a curve.
    EXPECT_FALSE(validator.validate(document));
}

TEST(XmlValidator, CopiesValidateOnTheirOwn)
{
    const QByteArray good = readFile(dataPath("xml/corpus/products/valid_products.xml"));
    const QByteArray bad = readFile(dataPath("xml/corpus/products/invalid_empty_bands.xml"));
    auto original = std::make_unique<util::XmlValidator>("products.xsd", schemaDir());
    util::XmlValidator copy(*original);
    util::XmlValidator assigned("tonalcurve.xsd", schemaDir());
    EXPECT_FALSE(assigned.validate(good));
    assigned = *original;
    assigned = assigned;
    original.reset();
    for (const util::XmlValidator *validator : {&copy, &assigned}) {
        EXPECT_TRUE(validator->validate(good));
        EXPECT_FALSE(validator->validate(bad));
    }
}

TEST(XmlValidator, BadFilesAreNotValid)
{
    const util::XmlValidator validator("tonalcurve.xsd", schemaDir());
    const QStringList files = QDir(dataPath("xml")).entryList({"bad_*"}, QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty());
    for (const QString &name : files) {
        const QString file = dataPath("xml/" + name);
        EXPECT_FALSE(validator.validate(file)) << name.toStdString();
        EXPECT_FALSE(validator.validate(readFile(file))) << name.toStdString();
    }
}

TEST(XmlValidator, TruncatedAndMutatedDocumentsNeverCrash)
{
    const util::XmlValidator validator("tonalcurve.xsd", schemaDir());
    const QByteArray valid = readFile(dataPath("xml/corpus/tonalcurve/valid_spline.xml"));
    ASSERT_TRUE(validator.validate(valid));
    for (int size = 0; size < valid.size(); ++size) {
        // The closing tag comes last: any shorter prefix is not a complete document.
        if (size < valid.trimmed().size()) {
            EXPECT_FALSE(validator.validate(valid.left(size))) << size;
        }
    }
    QRandomGenerator random(7);
    for (int round = 0; round < 300; ++round) {
        QByteArray mutated = valid;
        for (int e = 1 + random.bounded(4); e > 0; --e)
            mutated[random.bounded(mutated.size())] = static_cast<char>(random.bounded(256));
        validator.validate(mutated); // either verdict; it must simply return
    }
}
