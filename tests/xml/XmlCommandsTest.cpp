#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using quortest::dataPath;
using quortest::ScopedEnv;

TEST(XmlCommands, ValidateReportsEachFile)
{
    ScopedEnv develop("QUOR_DEVELOP", quortest::resourcePath("").toUtf8());
    const QString good = dataPath("xml/corpus/tonalcurve/valid_spline.xml");
    const QString bad = dataPath("xml/corpus/tonalcurve/invalid_other_id.xml");
    quortest::ToolResult r;
    r = quortest::runTool({"xml", "validate", "tonalcurve.xsd", good});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, good.toStdString() + ": valid\n");
    r = quortest::runTool({"xml", "validate", "tonalcurve.xsd", good, bad});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, good.toStdString() + ": valid\n" + bad.toStdString() + ": not valid\n");
    // A schema by path does not need the installation.
    ScopedEnv elsewhere("QUOR_DEVELOP", "/nonexistent");
    const QString schema = quortest::resourcePath("etc/schemas/tonalcurve.xsd");
    r = quortest::runTool({"xml", "validate", schema, good});
    EXPECT_EQ(r.code, 0);
    r = quortest::runTool({"xml", "validate", "tonalcurve.xsd", good});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "quorutil xml: Invalid schema file: tonalcurve.xsd\n");
}

TEST(XmlCommands, CompareSaysWhich)
{
    const QString a = dataPath("xml/corpus/products/valid_products.xml");
    const QString b = dataPath("xml/corpus/products/valid_empty_map.xml");
    quortest::ToolResult r;
    r = quortest::runTool({"xml", "compare", a, a});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, a.toStdString() + " and " + a.toStdString() + " are equal\n");
    r = quortest::runTool({"xml", "compare", a, b});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, a.toStdString() + " and " + b.toStdString() + " differ\n");
}

TEST(XmlCommands, WrongArgumentsAreUsageErrors)
{
    quortest::ToolResult r;
    for (const QStringList &args :
         {QStringList {"xml"}, QStringList {"xml", "compare", "a"},
          QStringList {"xml", "validate", "s.xsd"}, QStringList {"xml", "transform", "a"}}) {
        r = quortest::runTool(args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        EXPECT_NE(r.err.find("Usage: quorutil xml validate"), std::string::npos);
    }
    r = quortest::runTool({"xml", "--help"});
    EXPECT_EQ(r.code, 0);
}
