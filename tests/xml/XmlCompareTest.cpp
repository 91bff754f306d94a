#include "util/xml/XmlCompare.h"
#include "util/xml/XmlValidator.h"

#include "tests/common/TestUtil.h"

#include <QDir>
#include <QDomNode>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <tuple>

#include <gtest/gtest.h>

using quortest::dataPath;

namespace {

// Writes both texts into a fresh folder and compares them (a null text: no such file).
bool compareTexts(const QByteArray &a, const QByteArray &b)
{
    QTemporaryDir dir;
    if (!a.isNull())
        quortest::writeFile(dir.filePath("a.xml"), a);
    if (!b.isNull())
        quortest::writeFile(dir.filePath("b.xml"), b);
    return util::compareXMLfiles(dir.filePath("a.xml"), dir.filePath("b.xml"));
}

} // namespace

TEST(XmlCompare, ComparesContentRegardlessOfOrder)
{
    // Name, the two documents (null: no such file), whether they compare equal.
    const std::tuple<const char *, QByteArray, QByteArray, bool> rows[] = {
        {"order", "<r x='1' y='2'><a p='q' s='t'/><b>1</b><c k='v'/></r>",
         "<r y='2' x='1'><c k='v'/><a s='t' p='q'/><b>1</b></r>", true},
        {"first match kept", "<r><a k='1'><b/></a><a k='1'><c/></a></r>",
         "<r><a k='1'><c/></a><a k='1'><b/></a></r>", false},
        {"prolog and epilog", "<?xml version='1.0'?><!--1--><r/>", "<r/><!--2-->", true},
        {"comments inside", "<r><!--1--></r>", "<r><!--2--></r>", false},
        {"text blank", "<r><a>one</a></r>", "<r><a> one</a></r>", false},
        {"tag case", "<r><a/></r>", "<r><A/></r>", false},
        {"attribute value", "<r k='1'/>", "<r k='2'/>", false},
        {"attribute missing", "<r k='1' m='2'/>", "<r k='1'/>", false},
        {"attributes run together",
         "<e aaaaaaaaa='' b='' c='' d='' e='' f='' g='' h='' i='' j='' k='' l='' m='' n='' o=''"
         " p='' q='' r='' s=''/>",
         "<e aaaaaaaaa0:1:b0:1:c0:1:d0:1:e0:1:f0:1:g0:1:h0:1:i0:1:j0:1:k0:1:l0:1:m0:1:n0:1:o0:1:p"
         "0:1:q0:1:r0:1:s=''/>",
         false},
        {"PI by data", "<r><?p d?></r>", "<r><?q d?></r>", true},
        {"one child more", "<r><a/></r>", "<r><a/><a/></r>", false},
        {"CDATA is not text", "<r><![CDATA[x]]></r>", "<r>x</r>", false},
        {"character references", "<r>&#65;</r>", "<r>A</r>", true},
        {"both unreadable", QByteArray(), QByteArray(), true},
        {"both not well formed", "<r>", "<<", true},
        {"unreadable", QByteArray(), "<r/>", false},
        {"empty file", "", "<r/>", false},
    };
    for (const auto &[name, a, b, equal] : rows) {
        EXPECT_EQ(compareTexts(a, b), equal) << name;
        EXPECT_EQ(compareTexts(b, a), equal) << name << " (swapped)";
    }
}

// Missing, bad_* and truncated documents are not valid and equal only themselves; random byte
// edits crash neither the comparison nor the validator.
TEST(XmlCompare, BadAndMutatedDocumentsCrashNeitherItNorTheValidator)
{
    const util::XmlValidator validator("tonalcurve.xsd", quortest::resourcePath("etc/schemas"));
    const QByteArray valid = quortest::readFile(dataPath("xml/corpus/tonalcurve/valid_spline.xml"));
    EXPECT_FALSE(validator.validate(dataPath("xml/absent.xml")));
    EXPECT_FALSE(validator.validate(QDomNode()));
    for (const QString &name : QDir(dataPath("xml")).entryList({"bad_*"}, QDir::Files)) {
        const QByteArray bad = quortest::readFile(dataPath("xml/" + name));
        EXPECT_FALSE(validator.validate(dataPath("xml/" + name))) << name.toStdString();
        EXPECT_FALSE(validator.validate(bad)) << name.toStdString();
        EXPECT_TRUE(compareTexts(bad, bad)) << name.toStdString();
        EXPECT_FALSE(compareTexts(bad, valid)) << name.toStdString();
        EXPECT_FALSE(compareTexts(valid, bad)) << name.toStdString();
    }
    ASSERT_TRUE(validator.validate(valid));
    for (int size = 0; size < valid.trimmed().size(); ++size)
        EXPECT_FALSE(validator.validate(valid.left(size))) << size;
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
