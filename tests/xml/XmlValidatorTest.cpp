#include "util/xml/XmlValidator.h"

#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"

#include <QDir>
#include <QDomDocument>
#include <QProcess>
#include <QStandardPaths>

#include <gmock/gmock.h>

#include <memory>
#include <stdexcept>
#include <thread>
#include <tuple>

using quortest::dataPath;
using quortest::ScopedEnv;

namespace {
const QString schemaDir = quortest::resourcePath("etc/schemas");
} // namespace

// File, buffer and DOM node all get xmllint's verdict, which the file's name states; so do copies
// that outlive their original. Schemas load by bare name from the root, and bad ones throw.
TEST(XmlValidator, AgreesWithXmllintOnTheCorpus)
{
    {
        ScopedEnv develop("QUOR_DEVELOP"); // the build tree's root beside the test binary
        EXPECT_NO_THROW(util::XmlValidator("products.xsd"));
    }
    for (const std::string name : {"missing.xsd", "garbage.xsd", "broken.xsd", "plain.xml", ""})
        EXPECT_THAT([&] { util::XmlValidator(name.c_str(), dataPath("xml/schemas")); },
                    testing::ThrowsMessage<std::runtime_error>("Invalid schema file: " + name));
    const QString xmllint = QStandardPaths::findExecutable("xmllint");
    if (xmllint.isEmpty())
        GTEST_SKIP() << "xmllint is missing (scripts/setup-deps installs libxml2-utils)";
    for (const QString schema : {"tonalcurve.xsd", "products.xsd"}) {
        auto original = std::make_unique<util::XmlValidator>(schema, schemaDir);
        util::XmlValidator validator("products.xsd", schemaDir), copy(*original);
        validator = *original;
        validator = validator;
        original.reset();
        const QDir corpus(dataPath("xml/corpus/" + schema.section('.', 0, 0)));
        const QStringList files = corpus.entryList({"*.xml"}, QDir::Files);
        ASSERT_GE(files.size(), 5);
        for (const QString &name : files) {
            const QString file = corpus.filePath(name);
            QProcess lint;
            lint.start(xmllint, {"--noout", "--nonet", "--schema", schemaDir + "/" + schema, file});
            ASSERT_TRUE(lint.waitForFinished(60000));
            const bool valid = lint.exitStatus() == QProcess::NormalExit && lint.exitCode() == 0;
            EXPECT_EQ(valid, name.startsWith("valid_")) << name.toStdString();
            EXPECT_EQ(validator.validate(file), valid) << name.toStdString();
            EXPECT_EQ(copy.validate(quortest::readFile(file)), valid) << name.toStdString();
            QDomDocument doc; // a node is checked only where the text is well formed
            const bool parsed = doc.setContent(quortest::readFile(file));
            EXPECT_EQ(parsed && copy.validate(doc.documentElement()), valid) << name.toStdString();
        }
    }
}

// Schemas are compiled once per thread; a validator made in a thread that has ended still
// validates, and says what is wrong through QtXmlPatterns' own handler (on standard error).
TEST(XmlValidator, OutlivesTheThreadThatMadeIt)
{
    std::unique_ptr<util::XmlValidator> made;
    std::thread([&] {
        made = std::make_unique<util::XmlValidator>("tonalcurve.xsd", schemaDir);
    }).join();
    quortest::CaptureFd stderrText(2);
    EXPECT_FALSE(made->validate(QByteArray("<TonalCurve bogus='1'/>")));
    EXPECT_THAT(stderrText.text(), testing::HasSubstr("No definition for element TonalCurve"));
    EXPECT_TRUE(made->validate(dataPath("xml/corpus/tonalcurve/valid_spline.xml")));
}

TEST(XmlCommands, ReportEachFileAndExitWithTheVerdict)
{
    const QString good = dataPath("xml/corpus/tonalcurve/valid_spline.xml"),
                  bad = dataPath("xml/corpus/tonalcurve/invalid_other_id.xml"),
                  map = dataPath("xml/corpus/products/valid_empty_map.xml");
    ScopedEnv develop("QUOR_DEVELOP", quortest::resourcePath("").toUtf8());
    const std::tuple<QStringList, int, QString> rows[] = {
        {{"validate", "tonalcurve.xsd", good, bad}, 1, good + ": valid\n"},
        {{"validate", schemaDir + "/products.xsd", map}, 0, map + ": valid\n"},
        {{"compare", good, good}, 0, good + " and " + good + " are equal\n"},
        {{"compare", good, map}, 1, good + " and " + map + " differ\n"},
    };
    for (const auto &[args, code, out] : rows) {
        const quortest::ToolResult r = quortest::runTool(QStringList {"xml"} + args);
        EXPECT_EQ(r.code, code) << r.out;
        EXPECT_EQ(r.out, out.toStdString());
    }
    // An invalid document is named with the line of the schema validator's first complaint.
    const quortest::ToolResult r =
        quortest::runTool({"xml", "validate", "tonalcurve.xsd", bad, good});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, (good + ": valid\n").toStdString());
    EXPECT_EQ(r.err.rfind("quorutil xml validate: " + bad.toStdString() + ": line ", 0), 0u)
        << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.err.find("file://"), std::string::npos) << r.err;
}
