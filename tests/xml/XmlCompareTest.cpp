#include "util/xml/XmlCompare.h"

#include "tests/common/TestUtil.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using quortest::dataPath;
using quortest::readFile;
using quortest::writeFile;

namespace {

// Writes both texts into a fresh folder and compares them (a null text: no such file).
bool compareTexts(const QByteArray &a, const QByteArray &b)
{
    QTemporaryDir dir;
    const QString fileA = dir.filePath("a.xml");
    const QString fileB = dir.filePath("b.xml");
    if (!a.isNull())
        writeFile(fileA, a);
    if (!b.isNull())
        writeFile(fileB, b);
    return util::compareXMLfiles(fileA, fileB);
}

// The comparison exactly as described, pairing by a quadratic search, to check the fast one.
bool shallowEqual(const QDomNode &a, const QDomNode &b)
{
    if (a.nodeType() != b.nodeType() || a.nodeValue() != b.nodeValue())
        return false;
    if (a.isElement() && a.toElement().tagName() != b.toElement().tagName())
        return false;
    const QDomNamedNodeMap attrsA = a.attributes(), attrsB = b.attributes();
    if (attrsA.count() != attrsB.count())
        return false;
    for (int i = 0; i < attrsA.count(); ++i) {
        const QDomNode attr = attrsA.item(i);
        const QDomNode other = attrsB.namedItem(attr.nodeName());
        if (other.isNull() || other.nodeValue() != attr.nodeValue())
            return false;
    }
    return true;
}

bool referenceDeepEqual(const QDomNode &a, const QDomNode &b)
{
    if (!shallowEqual(a, b))
        return false;
    QList<QDomNode> pool;
    for (QDomNode c = b.firstChild(); !c.isNull(); c = c.nextSibling())
        pool << c;
    QList<QPair<QDomNode, QDomNode>> pairs;
    for (QDomNode c = a.firstChild(); !c.isNull(); c = c.nextSibling()) {
        int found = -1;
        for (int i = 0; i < pool.size() && found < 0; ++i) {
            if (shallowEqual(c, pool[i]))
                found = i;
        }
        if (found < 0)
            return false;
        pairs.append({c, pool.takeAt(found)});
    }
    if (!pool.isEmpty())
        return false;
    for (const auto &pair : pairs) {
        if (!referenceDeepEqual(pair.first, pair.second))
            return false;
    }
    return true;
}

// Two elements whose attribute lists differ (nineteen short ones against one long one) but
// whose names, values and lengths, written one after the other, give the same characters.
QByteArray attributesRunTogether(bool split)
{
    const QByteArray names = "bcdefghijklmnopqrs";
    QByteArray element = split ? "<e aaaaaaaaa=\"\"" : "<e aaaaaaaaa0:";
    for (int i = 0; i < names.size(); ++i) {
        if (split)
            element += QByteArray(" ") + names[i] + "=\"\"";
        else
            element += QByteArray(i ? "0:1:" : "1:") + names[i];
    }
    return element + (split ? "/>" : "=\"\"/>");
}

// Small random trees from a tiny vocabulary, so that shallow matches abound.
void randomChildren(QDomDocument &doc, QDomNode parent, QRandomGenerator &random, int depth)
{
    const int count = depth > 2 ? 0 : random.bounded(4);
    for (int i = 0; i < count; ++i) {
        const QString word = random.bounded(2) ? "x" : "y";
        switch (random.bounded(8)) {
        case 0:
        case 1:
            parent.appendChild(doc.createTextNode(word));
            continue;
        case 2:
            parent.appendChild(doc.createComment(word));
            continue;
        case 3:
            parent.appendChild(doc.createCDATASection(word));
            continue;
        case 4: // the target is not compared, only the data
            parent.appendChild(
                doc.createProcessingInstruction(random.bounded(2) ? "p" : "q", word));
            continue;
        }
        QDomElement e = doc.createElement(random.bounded(2) ? "a" : "b");
        if (random.bounded(2))
            e.setAttribute("k", random.bounded(2));
        if (random.bounded(3) == 0)
            e.setAttribute("m", "v");
        parent.appendChild(e);
        randomChildren(doc, e, random, depth + 1);
    }
}

// Shuffles the children of every element, and sometimes changes one attribute or text.
void disturb(QDomNode node, QRandomGenerator &random)
{
    QList<QDomNode> children;
    for (QDomNode c = node.firstChild(); !c.isNull(); c = c.nextSibling())
        children << c;
    for (const QDomNode &c : children)
        node.removeChild(c);
    for (int i = children.size() - 1; i > 0; --i)
        children.swapItemsAt(i, random.bounded(i + 1));
    for (const QDomNode &c : children) {
        node.appendChild(c);
        if (c.isCharacterData() && random.bounded(12) == 0)
            c.toCharacterData().setData("z");
        if (c.isElement() && random.bounded(12) == 0)
            c.toElement().setAttribute("k", 7);
        disturb(c, random);
    }
}

} // namespace

TEST(XmlCompare, ComparesContentRegardlessOfOrder)
{
    const struct
    {
        const char *name;
        QByteArray a;
        QByteArray b;
        bool equal;
    } rows[] = {
        {"identical", "<r><a k=\"1\">t</a></r>", "<r><a k=\"1\">t</a></r>", true},
        {"attribute order", "<r x=\"1\" y=\"2\"><a p=\"q\" s=\"t\"/></r>",
         "<r y=\"2\" x=\"1\"><a s=\"t\" p=\"q\"/></r>", true},
        {"child order", "<r><a/><b>1</b><c k=\"v\"/></r>", "<r><c k=\"v\"/><a/><b>1</b></r>", true},
        {"nested child order", "<r><a><x/><y/></a><a><z/></a></r>",
         "<r><a><z/></a><a><y/><x/></a></r>", false},
        {"declarations are not compared", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r/>",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<r/>", true},
        {"comments outside the root are not compared", "<!-- one --><r/>", "<r/><!-- two -->",
         true},
        {"comments inside the root are", "<r><!-- one --></r>", "<r><!-- two --></r>", false},
        {"text differs", "<r><a>one</a></r>", "<r><a>One</a></r>", false},
        {"white space in text counts", "<r><a>one</a></r>", "<r><a> one</a></r>", false},
        {"tag case", "<r><a/></r>", "<r><A/></r>", false},
        {"root tag", "<r/>", "<s/>", false},
        {"attribute lists that run together", attributesRunTogether(false),
         attributesRunTogether(true), false},
        {"processing instructions compare by data", "<r><?p d?></r>", "<r><?q d?></r>", true},
        {"attribute value", "<r k=\"1\"/>", "<r k=\"2\"/>", false},
        {"attribute missing", "<r k=\"1\" m=\"2\"/>", "<r k=\"1\"/>", false},
        {"attribute renamed", "<r k=\"1\"/>", "<r K=\"1\"/>", false},
        {"one child more in the second", "<r><a/></r>", "<r><a/><a/></r>", false},
        {"one child more in the first", "<r><a/><a/></r>", "<r><a/></r>", false},
        {"first shallow match is taken without backtracking",
         "<r><a k=\"1\"><b/></a><a k=\"1\"><c/></a></r>",
         "<r><a k=\"1\"><c/></a><a k=\"1\"><b/></a></r>", false},
        {"CDATA is not text", "<r><![CDATA[x]]></r>", "<r>x</r>", false},
        {"entities are expanded", "<r>&amp;&#65;</r>", "<r><![CDATA[]]>&amp;A</r>", false},
        {"character references equal their text", "<r>&#65;</r>", "<r>A</r>", true},
        {"both unreadable", QByteArray(), QByteArray(), true},
        {"both not well formed", "<r>", "<<", true},
        {"unreadable against readable", QByteArray(), "<r/>", false},
        {"readable against unreadable", "<r/>", QByteArray(), false},
        {"empty file against readable", "", "<r/>", false},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(compareTexts(row.a, row.b), row.equal) << row.name;
        EXPECT_EQ(compareTexts(row.b, row.a), row.equal) << row.name << " (swapped)";
    }
}

TEST(XmlCompare, PairsLikeTheQuadraticSearch)
{
    QRandomGenerator random(4242);
    int equalCases = 0;
    for (int round = 0; round < 400; ++round) {
        QDomDocument a;
        QDomElement root = a.createElement("r");
        a.appendChild(root);
        randomChildren(a, root, random, 0);
        const QByteArray textA = a.toByteArray(-1);
        QDomDocument b;
        ASSERT_TRUE(b.setContent(textA));
        disturb(b.documentElement(), random);
        const QByteArray textB = b.toByteArray(-1);

        QDomDocument parsedA, parsedB;
        ASSERT_TRUE(parsedA.setContent(textA));
        ASSERT_TRUE(parsedB.setContent(textB));
        const bool expected =
            referenceDeepEqual(parsedA.documentElement(), parsedB.documentElement());
        equalCases += expected;
        EXPECT_EQ(compareTexts(textA, textB), expected) << textA.toStdString() << "\n"
                                                        << textB.toStdString();
    }
    // Both outcomes must have been exercised.
    EXPECT_GT(equalCases, 50);
    EXPECT_LT(equalCases, 350);
}

TEST(XmlCompare, BadFilesDoNotCrashAndEqualThemselves)
{
    const QString valid = dataPath("xml/corpus/tonalcurve/valid_spline.xml");
    const QStringList files = QDir(dataPath("xml")).entryList({"bad_*"}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString &name : files) {
        const QString file = dataPath("xml/" + name);
        EXPECT_TRUE(util::compareXMLfiles(file, file)) << name.toStdString();
        EXPECT_FALSE(util::compareXMLfiles(file, valid)) << name.toStdString();
        EXPECT_FALSE(util::compareXMLfiles(valid, file)) << name.toStdString();
    }
}

TEST(XmlCompare, MutatedDocumentsDoNotCrash)
{
    const QByteArray valid = readFile(dataPath("xml/corpus/products/valid_products.xml"));
    QRandomGenerator random(99);
    for (int round = 0; round < 200; ++round) {
        QByteArray mutated = valid.left(random.bounded(valid.size() + 1));
        for (int e = random.bounded(4); e > 0 && !mutated.isEmpty(); --e)
            mutated[random.bounded(mutated.size())] = static_cast<char>(random.bounded(256));
        EXPECT_TRUE(compareTexts(mutated, mutated)) << round;
        compareTexts(valid, mutated);
    }
}
