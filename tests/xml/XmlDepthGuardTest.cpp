#include "util/bands/ProductBandMapper.h"
#include "util/files/Failure.h"
#include "util/naming/FileSessionNameGenerator.h"
#include "util/support/LikFile.h"
#include "util/tonal/BpfConverter.h"
#include "util/tonal/TonalCurve.h"
#include "util/tonal/TonalCurveFile.h"
#include "util/xml/XmlCompare.h"
#include "util/xml/XmlFile.h"
#include "util/xml/XmlValidator.h"

#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"

#include <QBuffer>
#include <QDir>
#include <QDomDocument>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstring>
#include <tuple>

#include <gtest/gtest.h>

using quortest::dataPath;

namespace {

const int limit = 256;

// depth levels of open, then as many closes, after prolog.
QByteArray nested(int depth, const QByteArray &open = "<a>", const QByteArray &close = "</a>",
                  const QByteArray &prolog = QByteArray())
{
    return prolog + open.repeated(depth) + close.repeated(depth);
}

bool parses(const QByteArray &text)
{
    QDomDocument document;
    return util::parseXmlText(QString::fromUtf8(text), document);
}

} // namespace

// Each way of nesting elements counts, each decoy does not: at the limit a document is read,
// one level more is refused, and 25,000 levels (which overflow the DOM parser's stack) are
// refused without a crash.
TEST(XmlDepthGuard, RefusesOneLevelBeyondTheLimitHoweverTheNestingIsWritten)
{
    const QByteArray subset = "<!DOCTYPE a [<!-- it's --><!ATTLIST a x CDATA '>'>]>";
    // Name, open, close, prolog.
    const std::tuple<const char *, QByteArray, QByteArray, QByteArray> rows[] = {
        {"plain", "<a>", "</a>", ""},
        {"attribute values hold > and />", "<a x='/>' y=\">\">", "</a >", ""},
        {"blanks and line breaks", "<a\n\t>", "</a\n>", "<?xml version='1.0'?>\n"},
        {"comments, PIs, CDATA between", "<a><!--<b>--><?p <b>?><![CDATA[<b>]]>", "</a>", ""},
        {"after an internal DTD subset with quotes", "<a>", "</a>", subset},
        {"empty elements beside", "<b/><c x='1' /><a>", "</a>", "<r>"},
    };
    for (const auto &[name, open, close, prolog] : rows) {
        const int root = prolog == "<r>" ? 1 : 0; // the root element takes one level
        const QByteArray epilog = root ? "</r>" : "";
        EXPECT_TRUE(parses(nested(limit - root, open, close, prolog) + epilog)) << name;
        EXPECT_FALSE(parses(nested(limit + 1 - root, open, close, prolog) + epilog)) << name;
        EXPECT_FALSE(parses(nested(25000, open, close, prolog))) << name;
    }
    // Decoys: markup inside comments, CDATA and attribute values nests nothing.
    for (const QByteArray &decoy : {"<!--" + QByteArray("<a>").repeated(5000) + "-->",
                                    "<![CDATA[" + QByteArray("<a>").repeated(5000) + "]]>",
                                    "<?pi " + QByteArray("<a>").repeated(5000) + "?>"})
        EXPECT_TRUE(parses("<r>" + decoy + "</r>")) << decoy.left(12).toStdString();
    // Entities of the internal subset nest what their replacement text holds, however written.
    const QByteArray inner = QByteArray("<b>").repeated(limit) + QByteArray("</b>").repeated(limit);
    EXPECT_FALSE(parses("<!DOCTYPE r [<!ENTITY e \"" + inner + "\">]><r>&e;</r>"));
    const QByteArray escaped =
        QByteArray("&#60;b>").repeated(limit) + QByteArray("&#60;/b>").repeated(limit);
    EXPECT_FALSE(parses("<!DOCTYPE r [<!ENTITY e \"" + escaped + "\">]><r>&e;</r>"));
    EXPECT_TRUE(parses("<!DOCTYPE r [<!ENTITY e \"<b/>\">]><r>&e;&amp;&#60;</r>"));
}

// Below the limit the guarded reader gives the DOM parser's own verdict, tree and message.
TEST(XmlDepthGuard, AgreesWithTheDomParserOnEverythingNotTooDeep)
{
    QStringList files;
    for (const QString dir : {"xml", "xml/corpus/products", "xml/corpus/tonalcurve", "naming"})
        for (const QString &name : QDir(dataPath(dir)).entryList({"*.xml", "*.XML"}, QDir::Files))
            files << dataPath(dir + "/" + name);
    ASSERT_GT(files.size(), 30);
    QRandomGenerator random(17);
    QList<QByteArray> texts;
    for (const QString &file : files) {
        const QByteArray text = quortest::readFile(file);
        texts << text;
        for (int round = 0; round < 20; ++round) {
            QByteArray mutated = text.left(random.bounded(text.size() + 1));
            for (int e = random.bounded(3); e > 0 && !mutated.isEmpty(); --e)
                mutated[random.bounded(mutated.size())] = "<>/!?-[]'\"&;ab"[random.bounded(14)];
            texts << mutated;
        }
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("doc.xml");
    for (const QByteArray &text : texts) {
        // May legitimately be refused: too deep, or entities expanding beyond their bound.
        if (text.count('<') > limit || text.contains("&l9;"))
            continue;
        QDomDocument expected, fromText, fromFile;
        QString message;
        int line = 0, column = 0;
        const bool ok = expected.setContent(text, false, &message, &line, &column);
        quortest::writeFile(path, text);
        util::Failure failure;
        EXPECT_EQ(util::readXmlFile(path, fromFile, &failure), ok) << text.toStdString();
        EXPECT_EQ(fromFile.toString(), expected.toString()) << text.toStdString();
        if (!ok) {
            EXPECT_EQ(
                failure.text(),
                QString("%1: line %2, column %3: %4").arg(path).arg(line).arg(column).arg(message));
        }
    }
}

// Every entry point of the library that reads XML goes through the guard.
TEST(XmlDepthGuard, EveryReaderOfTheLibraryRefusesDeepDocuments)
{
    QTemporaryDir dir;
    const auto file = [&](const QString &name, const QByteArray &text) {
        quortest::writeFile(dir.filePath(name), text);
        return dir.filePath(name);
    };
    // Too deep a document is one of the crowds below, which every reader refuses.
    const QString atLimit = file("limit.xml", nested(limit));
    const QString atLimit2 = file("limit2.xml", nested(limit));
    const QString atLimitOther =
        file("other.xml", nested(limit - 1).replace("</a></a>", "</a><b/></a>"));

    EXPECT_TRUE(util::compareXMLfiles(atLimit, atLimit2));
    EXPECT_FALSE(util::compareXMLfiles(atLimit, atLimitOther));

    util::FileSessionNameGenerator::Options example;
    example.useExample = true;
    // At the limit a collection loads, and its pattern is written out and read back whole.
    const QString deepest =
        file("deepest.xml",
             "<Patterns><FilePattern id='Default' prefix='p'>"
                 + nested(limit - 2, "<Project pos='0' checked='1'>", "</Project>")
                 + "</FilePattern></Patterns>");
    EXPECT_EQ(util::FileSessionNameGenerator(
                  example, util::FileSessionNameGenerator::loadPattern(deepest, "Default"))
                  .createNameFromPattern(),
              "pProject");
    // Too deep to be XML, so a token pattern: the text comes back as it is.
    const QString deepText = QString::fromUtf8(nested(25000, "<FilePattern>", "</FilePattern>"));
    EXPECT_EQ(util::FileSessionNameGenerator(example, deepText).createNameFromPattern(), deepText);

    const QString schemaDir = dir.filePath("schemas");
    QDir().mkpath(schemaDir);
    quortest::writeFile(schemaDir + "/rec.xsd",
                        "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema'><xs:element "
                        "name='a'><xs:complexType><xs:sequence><xs:element ref='a' minOccurs='0'/>"
                        "</xs:sequence></xs:complexType></xs:element></xs:schema>");
    const util::XmlValidator validator("rec.xsd", schemaDir);
    EXPECT_TRUE(validator.validate(atLimit));
    EXPECT_FALSE(validator.validate(file("over.xml", nested(limit + 1))));
    QDomDocument built; // deeper than any parsed tree, built by hand
    QDomNode node = built.appendChild(built.createElement("a"));
    for (int i = 0; i < limit; ++i)
        node = node.appendChild(built.createElement("a"));
    EXPECT_FALSE(validator.validate(built.documentElement()));
}

namespace {

// Documents just beyond each bound, and just within it; made here, since some are megabytes.
struct Crowd
{
    const char *name;
    QByteArray over;
    QByteArray within;
    QString message; // what the guard says about over
};

QByteArray entityDocument(const QByteArray &value, int references, const QByteArray &more = "")
{
    return "<!DOCTYPE Corrector [<!ENTITY a \"" + value + "\">" + more + "]><Corrector>"
        + QByteArray("&a;").repeated(references) + "</Corrector>";
}

std::vector<Crowd> crowds()
{
    const QByteArray x4000(4000, 'x');
    const QByteArray attributes = [] {
        QByteArray text;
        for (int i = 0; i < 256; ++i)
            text += " a" + QByteArray::number(i) + "='1'";
        return text;
    }();
    // Ten levels of ten references each: 10^10 characters from a few hundred bytes.
    QByteArray laughs = "<!DOCTYPE Corrector [<!ENTITY l0 \"lol\">";
    for (int i = 1; i < 10; ++i)
        laughs += "<!ENTITY l" + QByteArray::number(i) + " \""
            + ("&l" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
    laughs += "]><Corrector>&l9;</Corrector>";
    const QString expansion = "entity references that expand to more than 1048576 characters";
    const QString nodes = "more than 200000 elements, attributes and other nodes";
    return {
        {"elements nested too deep", nested(25000), nested(limit),
         "elements nested deeper than 256 levels"},
        // 262 references of 4,000 characters are 1,048,000: within; one more is not.
        {"one long entity, many references", entityDocument(x4000, 263), entityDocument(x4000, 262),
         expansion},
        {"references in attribute values count too",
         "<!DOCTYPE r [<!ENTITY a \"" + x4000 + "\">]><r a='" + QByteArray("&a;").repeated(263)
             + "'/>",
         "<!DOCTYPE r [<!ENTITY a \"" + x4000 + "\">]><r a='" + QByteArray("&a;").repeated(262)
             + "'/>",
         expansion},
        {"nested entities (billion laughs)", laughs, entityDocument("lol", 1), expansion},
        {"entities that refer to each other",
         "<!DOCTYPE r [<!ENTITY a \"&b;\"><!ENTITY b \"&a;\">]><r>&a;</r>",
         "<!DOCTYPE r [<!ENTITY a \"&b;\"><!ENTITY b \"x\">]><r>&a;</r>", expansion},
        // The root and 99,999 children, two nodes each, are the limit.
        {"elements", "<r>" + QByteArray("<a/>").repeated(100000) + "</r>",
         "<r>" + QByteArray("<a/>").repeated(99999) + "</r>", nodes},
        {"comments", "<r>" + QByteArray("<!---->").repeated(100000) + "</r>",
         "<r>" + QByteArray("<!---->").repeated(99999) + "</r>", nodes},
        {"attributes on one element", "<r" + attributes + " b='2'/>", "<r" + attributes + "/>",
         "an element with more than 256 attributes"},
        {"parameter entities", entityDocument("x", 1, "<!ENTITY % p \"\">"),
         entityDocument("x", 1, "<!ATTLIST Corrector p CDATA '%'>"),
         "parameter entities are not read"},
    };
}

} // namespace

// Entity expansion, the number of nodes and attributes are bounded before the DOM parser sees a
// document: just beyond a bound it is refused with the reason, at the bound it is read.
TEST(XmlLimits, RefusesEachCrowdJustBeyondItsBound)
{
    for (const Crowd &crowd : crowds()) {
        QDomDocument document;
        util::Failure error;
        EXPECT_FALSE(util::parseXmlText(QString::fromUtf8(crowd.over), document, &error))
            << crowd.name;
        EXPECT_TRUE(error.reason.contains(crowd.message))
            << crowd.name << ": " << error.text().toStdString();
        EXPECT_TRUE(util::parseXmlText(QString::fromUtf8(crowd.within), document, &error))
            << crowd.name << ": " << error.text().toStdString();
    }
}

// What makes no node is not counted: predefined and character references, plain text.
TEST(XmlLimits, CountsOnlyWhatMakesNodes)
{
    QDomDocument document;
    util::Failure error;
    EXPECT_TRUE(util::parseXmlText("<r a='&amp;&lt;'>"
                                       + QString("&amp;&lt;&#60;&#x3c;x").repeated(150000) + "</r>",
                                   document, &error))
        << error.text().toStdString();
}

// Every reader of the library refuses them, with its own documented outcome and at once.
TEST(XmlLimits, EveryReaderOfTheLibraryRefusesThem)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("crowd.xml"), other = dir.filePath("other.xml");
    const QString schemaDir = dir.filePath("schemas");
    QDir().mkpath(schemaDir);
    quortest::writeFile(schemaDir + "/any.xsd",
                        "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema'>"
                        "<xs:element name='Corrector'/><xs:element name='r'/></xs:schema>");
    const util::XmlValidator validator("any.xsd", schemaDir);
    for (const Crowd &crowd : crowds()) {
        quortest::writeFile(path, crowd.over);
        quortest::writeFile(other, crowd.over);
        EXPECT_FALSE(util::compareXMLfiles(
            path, quortest::dataPath("xml/corpus/tonalcurve/valid_spline.xml")))
            << crowd.name;
        EXPECT_TRUE(util::compareXMLfiles(path, other)) << crowd.name; // neither has a root
        EXPECT_FALSE(validator.validate(path)) << crowd.name;
        EXPECT_FALSE(validator.validate(crowd.over)) << crowd.name;
        EXPECT_EQ(util::FileSessionNameGenerator::loadPattern(path, "Default"), QString())
            << crowd.name;
        util::TonalCurve curve;
        util::Failure error;
        EXPECT_FALSE(util::readTonalCurveFile(path, curve, false, &error)) << crowd.name;
        EXPECT_TRUE(error.reason.contains(crowd.message))
            << crowd.name << ": " << error.text().toStdString();
        EXPECT_THROW(util::BpfConverter {path}, std::runtime_error) << crowd.name;
        EXPECT_THROW(util::LikFile::createFromLikFile(path.toStdString()), std::runtime_error)
            << crowd.name;
        QBuffer buffer(&const_cast<QByteArray &>(crowd.over));
        buffer.open(QIODevice::ReadOnly);
        EXPECT_THROW(util::ProductBandMapper {&buffer}, std::runtime_error) << crowd.name;
    }
}

// Beyond 16 MiB a document is not decoded at all.
TEST(XmlLimits, RefusesMoreThanSixteenMebibytesUndecoded)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("big.xml");
    const QByteArray head = "<Corrector><!--", tail = "--></Corrector>";
    const int limit = 16 << 20;
    quortest::writeFile(path, head + QByteArray(limit + 1 - head.size() - tail.size(), 'x') + tail);
    QDomDocument document;
    util::Failure error;
    EXPECT_FALSE(util::readXmlFile(path, document, &error));
    EXPECT_EQ(error.text(), path + ": line 1, column 1: more than 16 MiB of XML");
    quortest::writeFile(path, head + QByteArray(limit - head.size() - tail.size(), 'x') + tail);
    EXPECT_TRUE(util::readXmlFile(path, document, &error)) << error.text().toStdString();
}

TEST(XmlCommands, NameTheInputTheyCannotRead)
{
    QTemporaryDir dir;
    const QString good = dataPath("xml/corpus/tonalcurve/valid_spline.xml");
    const QString missing = dir.filePath("missing.xml"), deep = dir.filePath("deep.xml");
    quortest::writeFile(deep, nested(25000));
    const QString garbage = dataPath("xml/schemas/garbage.xsd");
    // Arguments, standard error; each fails with exit 1 and nothing on standard output.
    // Missing, unreadable and malformed documents are rows of the tool's failure table; here
    // the depth limit and the schema, which is no document of the table.
    const std::pair<QStringList, QString> rows[] = {
        {{"compare", deep, deep},
         "compare: " + deep + ": line 1, column 769: elements nested deeper than 256 levels"},
        // A schema that does not compile is named with its first complaint, in one line.
        {{"validate", garbage, good},
         "validate: Invalid schema file: " + garbage + ": line 1, column 1: Start tag expected."},
        {{"validate", missing, good},
         "validate: Invalid schema file: " + missing + ": No such file or directory"},
    };
    for (const auto &[args, err] : rows) {
        const quortest::ToolResult r = quortest::runTool(QStringList {"xml"} + args);
        EXPECT_EQ(r.code, 1) << args.join(' ').toStdString();
        EXPECT_EQ(r.out, "") << args.join(' ').toStdString();
        EXPECT_EQ(r.err, ("quorutil xml " + err + "\n").toStdString());
    }
}
