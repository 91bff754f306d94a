#include "tools/quorutil/Tool.h"

#include "tests/common/TestUtil.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>

using quortest::dataPath;
using quortest::ScopedEnv;

namespace {

int runTool(const QStringList &args, std::string &out, std::string &err)
{
    std::ostringstream o, e;
    const int code = quorutil::run(args, o, e);
    out = o.str();
    err = e.str();
    return code;
}

} // namespace

TEST(XmlCommands, ValidateReportsEachFile)
{
    ScopedEnv develop("QUOR_DEVELOP", quortest::resourcePath("").toUtf8());
    const QString good = dataPath("xml/corpus/tonalcurve/valid_spline.xml");
    const QString bad = dataPath("xml/corpus/tonalcurve/invalid_other_id.xml");
    std::string out, err;
    EXPECT_EQ(runTool({"xml", "validate", "tonalcurve.xsd", good}, out, err), 0);
    EXPECT_EQ(out, good.toStdString() + ": valid\n");
    EXPECT_EQ(runTool({"xml", "validate", "tonalcurve.xsd", good, bad}, out, err), 1);
    EXPECT_EQ(out, good.toStdString() + ": valid\n" + bad.toStdString() + ": not valid\n");
    // A schema by path does not need the installation.
    ScopedEnv elsewhere("QUOR_DEVELOP", "/nonexistent");
    const QString schema = quortest::resourcePath("etc/schemas/tonalcurve.xsd");
    EXPECT_EQ(runTool({"xml", "validate", schema, good}, out, err), 0);
    EXPECT_EQ(runTool({"xml", "validate", "tonalcurve.xsd", good}, out, err), 1);
    EXPECT_EQ(err, "quorutil xml: Invalid schema file: tonalcurve.xsd\n");
}

TEST(XmlCommands, CompareSaysWhich)
{
    const QString a = dataPath("xml/corpus/products/valid_products.xml");
    const QString b = dataPath("xml/corpus/products/valid_empty_map.xml");
    std::string out, err;
    EXPECT_EQ(runTool({"xml", "compare", a, a}, out, err), 0);
    EXPECT_EQ(out, a.toStdString() + " and " + a.toStdString() + " are equal\n");
    EXPECT_EQ(runTool({"xml", "compare", a, b}, out, err), 1);
    EXPECT_EQ(out, a.toStdString() + " and " + b.toStdString() + " differ\n");
}

TEST(XmlCommands, WrongArgumentsAreUsageErrors)
{
    std::string out, err;
    for (const QStringList &args :
         {QStringList {"xml"}, QStringList {"xml", "compare", "a"},
          QStringList {"xml", "validate", "s.xsd"}, QStringList {"xml", "transform", "a"}}) {
        EXPECT_EQ(runTool(args, out, err), 2) << args.join(' ').toStdString();
        EXPECT_NE(err.find("Usage: quorutil xml validate"), std::string::npos);
    }
    EXPECT_EQ(runTool({"xml", "--help"}, out, err), 0);
}
