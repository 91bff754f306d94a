#include "util/xml/XmlCompare.h"
#include "util/xml/XmlValidator.h"

#include "tests/common/TestUtil.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <tuple>

#include <gtest/gtest.h>

using quortest::dataPath;

namespace {

bool compareTexts(const QByteArray &a, const QByteArray &b)
{
    QTemporaryDir dir;
    quortest::writeFile(dir.filePath("a.xml"), a);
    quortest::writeFile(dir.filePath("b.xml"), b);
    return util::compareXMLfiles(dir.filePath("a.xml"), dir.filePath("b.xml"));
}

} // namespace

TEST(XmlCompare, ComparesContentRegardlessOfOrder)
{
    const auto read = [](const char *f) { return quortest::readFile(dataPath("xml/") + f); };
    // Name, the two documents, whether they compare equal.
    const std::tuple<const char *, QByteArray, QByteArray, bool> rows[] = {
        {"order", "<r x='1' y='2'><a p='q' s='t'/><b>1</b><c k='v'/></r>",
         "<r y='2' x='1'><c k='v'/><a s='t' p='q'/><b>1</b></r>", true},
        {"first match kept", "<r><a k='1'><b/></a><a k='1'><c/></a></r>",
         "<r><a k='1'><c/></a><a k='1'><b/></a></r>", false},
        {"prolog and epilog", "<?xml version='1.0'?><!--1--><r/>", "<r/><!--2-->", true},
        {"comments inside", "<r><!--1--></r>", "<r><!--2--></r>", false},
        {"text blank", "<r><a>one</a></r>", "<r><a> one</a></r>", false},
        {"attribute missing", "<r k='1' m='2'/>", "<r k='1'/>", false},
        {"attributes run together", read("compare/run_together_split.xml"),
         read("compare/run_together_joined.xml"), false},
        {"one child more", "<r><a/></r>", "<r><a/><a/></r>", false},
        // Each child of one side is paired with a child of the other once only.
        {"a child paired twice", "<r><x/><x/></r>", "<r><x/><y/></r>", false},
        {"twins against a twin and a stranger", "<r><x k='1'/><y/><x k='1'/></r>",
         "<r><x k='1'/><y/><y/></r>", false},
        {"repeated children in another order", "<r><x/><y/><x/><y/></r>",
         "<r><y/><y/><x/><x/></r>", true},
        {"CDATA is not text", "<r><![CDATA[x]]></r>", "<r>x</r>", false},
        {"both not well formed", "<r>", "<<", true},
    };
    for (const auto &[name, a, b, equal] : rows) {
        EXPECT_EQ(compareTexts(a, b), equal) << name;
        EXPECT_EQ(compareTexts(b, a), equal) << name << " (swapped)";
    }
}

// Missing and bad_* files are invalid and equal only themselves; mutations crash neither tool.
TEST(XmlCompare, BadAndMutatedDocumentsCrashNeitherItNorTheValidator)
{
    const util::XmlValidator validator("tonalcurve.xsd", quortest::resourcePath("etc/schemas"));
    const QString absent = dataPath("xml/absent.xml"),
                  spline = dataPath("xml/corpus/tonalcurve/valid_spline.xml");
    const QByteArray valid = quortest::readFile(spline);
    EXPECT_TRUE(util::compareXMLfiles(absent, dataPath("xml/absent2.xml")));
    EXPECT_FALSE(validator.validate(absent));
    for (const QString &name : QDir(dataPath("xml")).entryList({"bad_*"}, QDir::Files)) {
        const QByteArray bad = quortest::readFile(dataPath("xml/" + name));
        EXPECT_FALSE(validator.validate(dataPath("xml/" + name))) << name.toStdString();
        EXPECT_FALSE(validator.validate(bad)) << name.toStdString();
        EXPECT_TRUE(compareTexts(bad, bad)) << name.toStdString();
        EXPECT_FALSE(compareTexts(bad, valid)) << name.toStdString();
    }
    QRandomGenerator random(7);
    for (int round = 0; round < 300; ++round) {
        QByteArray mutated = valid.left(random.bounded(valid.size() + 1));
        for (int e = random.bounded(4); e > 0 && !mutated.isEmpty(); --e)
            mutated[random.bounded(mutated.size())] = static_cast<char>(random.bounded(256));
        validator.validate(mutated); // either verdict; it must simply return
        EXPECT_TRUE(compareTexts(mutated, mutated)) << round;
        compareTexts(valid, mutated);
    }
}
