#include "util/tonal/TonalCurve.h"
#include "util/tonal/TonalCurveFile.h"

#include "tests/tonal/TonalTestUtil.h"

#include <QDir>
#include <QDomDocument>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <stdexcept>

using quortest::dataPath;
using quortest::makeCurve;
using testing::ThrowsMessage;
using util::TonalCurve;

namespace {

QDomElement parseElement(QDomDocument &document, const QString &text)
{
    EXPECT_TRUE(document.setContent(text)) << text.toStdString();
    return document.documentElement();
}

} // namespace

// Written by appendTo and read back (through text, validated against the installed schema),
// every interpolation and coordinate comes back bit for bit.
TEST(TonalCurve, RoundTripsThroughXml)
{
    const double nasty[] = {0.1,
                            1.0 / 3.0,
                            1e-300,
                            -0.5,
                            123456.789,
                            1.0 / 65536.0,
                            0.30000000000000004,
                            5e-324,
                            1.7976931348623157e308};
    for (const auto interpolation : {TonalCurve::Linear, TonalCurve::Spline, TonalCurve::Gamma}) {
        TonalCurve curve(interpolation);
        for (std::size_t i = 0; i < std::size(nasty); ++i)
            curve.addNode(nasty[i], nasty[std::size(nasty) - 1 - i]);
        TonalCurve empty(interpolation);

        QDomDocument document;
        QDomElement root = document.createElement("Settings");
        document.appendChild(root);
        curve.appendTo(root, 7);
        empty.appendTo(root, -3);

        QDomDocument reread;
        ASSERT_TRUE(reread.setContent(document.toByteArray()));
        const QDomElement first = reread.documentElement().firstChildElement();
        EXPECT_EQ(first.tagName(), "Corrector");
        EXPECT_EQ(first.attribute("position"), "7");
        EXPECT_EQ(first.attribute("id"), "TonalCurve");
        EXPECT_EQ(first.attribute("version"), "1.0");
        EXPECT_EQ(first.attribute("interpolation"), curve.getInterpolationString());
        const TonalCurve back(first, true);
        EXPECT_EQ(back, curve);
        ASSERT_EQ(back.getNodes().size(), curve.getNodes().size());
        for (int i = 0; i < back.getNodes().size(); ++i) {
            EXPECT_EQ(back.getNodes()[i].x(), curve.getNodes()[i].x()) << i;
            EXPECT_EQ(back.getNodes()[i].y(), curve.getNodes()[i].y()) << i;
        }
        const QDomElement second = first.nextSiblingElement();
        EXPECT_EQ(second.attribute("position"), "-3");
        EXPECT_FALSE(second.hasChildNodes());
        EXPECT_EQ(TonalCurve(second, true), empty);
    }
}

// Only "position" orders nodes: document order, depth, gaps and negative values do not matter;
// what is absent or not a number reads as 0.
TEST(TonalCurve, OrdersNodesByPosition)
{
    QDomDocument document;
    const TonalCurve curve(parseElement(document, R"(<Corrector interpolation="Spline">
            <Node x="0.9" y="0.8" position="12"/>
            <Group><Node x="0.1" y="0.2" position="-4"/></Group>
            <Node x="0.5" y="0.6" position="3"/>
            <Node x="zero" position="7"/>
            <Node x="0.7" y="1e-2" position="x"/>
        </Corrector>)"),
                           false);
    EXPECT_EQ(curve.getInterpolation(), TonalCurve::Spline);
    EXPECT_EQ(
        curve,
        makeCurve(TonalCurve::Spline, {{0.1, 0.2}, {0.7, 0.01}, {0.5, 0.6}, {0, 0}, {0.9, 0.8}}));
}

TEST(TonalCurve, RefusesBadElementsWithTheirMessages)
{
    for (const quortest::TableRow &row : quortest::tableRows("tonal/bad_corrector_elements.txt")) {
        QDomDocument document;
        const QDomElement element = parseElement(document, QString::fromStdString(row[3]));
        EXPECT_THAT([&] { TonalCurve(element, row[1] == "yes"); },
                    ThrowsMessage<std::runtime_error>(testing::StrEq(row[2])))
            << row.line;
    }
}

// Validation gives the schema's verdict on the shared corpus; without it, what the schema
// refuses may still read.
TEST(TonalCurve, ValidatesAgainstTheInstalledSchema)
{
    const QDir corpus(dataPath("xml/corpus/tonalcurve"));
    const QStringList files = corpus.entryList({"*.xml"}, QDir::Files);
    ASSERT_GE(files.size(), 10);
    for (const QString &name : files) {
        QDomDocument document;
        if (!document.setContent(quortest::readFile(corpus.filePath(name))))
            continue;
        const QDomElement element = document.documentElement();
        if (name.startsWith("valid_")) {
            EXPECT_NO_THROW(TonalCurve(element, true)) << name.toStdString();
        } else {
            EXPECT_THAT([&] { TonalCurve(element, true); },
                        ThrowsMessage<std::runtime_error>(
                            testing::StrEq("Not a valid TonalCurve dom element")))
                << name.toStdString();
        }
    }
    QDomDocument document;
    EXPECT_NO_THROW(TonalCurve(
        parseElement(
            document,
            R"(<Corrector interpolation="Gamma"><Nest><Node x="0.5" y="0.5" position="0"/></Nest></Corrector>)"),
        false));
}

TEST(TonalCurve, SchemaThatCannotLoadPassesItsErrorThrough)
{
    QTemporaryDir root;
    quortest::ScopedEnv develop("QUOR_DEVELOP", root.path().toUtf8());
    QDomDocument document;
    const QDomElement element = parseElement(document, R"(<Corrector interpolation="Linear"/>)");
    EXPECT_THAT(
        [&] { TonalCurve(element, true); },
        ThrowsMessage<std::runtime_error>(testing::StrEq("Invalid schema file: tonalcurve.xsd")));
    EXPECT_NO_THROW(TonalCurve(element, false));
}

TEST(TonalCurve, InterpolationNamesAndEquality)
{
    TonalCurve curve;
    EXPECT_EQ(curve.getInterpolation(), TonalCurve::Linear);
    EXPECT_EQ(curve.getInterpolationString(), "Linear");
    curve.setInterpolation(TonalCurve::Interpolation(7));
    EXPECT_EQ(curve.getInterpolation(), TonalCurve::Interpolation(7));
    EXPECT_EQ(curve.getInterpolationString(), "Gamma");
    EXPECT_NE(curve, TonalCurve(TonalCurve::Gamma)); // stored unchanged, not mapped to Gamma

    curve.setInterpolation(TonalCurve::Spline);
    for (const char *bad : {"spline", "GAMMA", "", "Linear "})
        EXPECT_THAT([&] { curve.setInterpolationString(bad); },
                    ThrowsMessage<std::runtime_error>(testing::StrEq("Unknown interpolation")))
            << bad;
    EXPECT_EQ(curve.getInterpolation(), TonalCurve::Spline);

    curve.addNode(0.5, 0.5);
    curve.addNode(0.5, 0.5);
    curve.addNode(0.1, 0.9);
    EXPECT_EQ(curve.getNodes(), (QVector<QPointF> {{0.5, 0.5}, {0.5, 0.5}, {0.1, 0.9}}));
    const TonalCurve copy = curve;
    EXPECT_EQ(copy, curve);
    EXPECT_NE(copy, makeCurve(TonalCurve::Spline, {{0.5, 0.5}, {0.1, 0.9}, {0.5, 0.5}}));
    EXPECT_NE(copy, makeCurve(TonalCurve::Linear, {{0.5, 0.5}, {0.5, 0.5}, {0.1, 0.9}}));
    curve.clearNodes();
    EXPECT_TRUE(curve.getNodes().isEmpty());
    EXPECT_EQ(curve.getInterpolation(), TonalCurve::Spline);
    EXPECT_EQ(copy.getNodes().size(), 3); // the copy detached
}

TEST(TonalCurveFile, ReadsTheFirstCorrectorOfAFile)
{
    TonalCurve curve;
    util::Failure error;
    ASSERT_TRUE(
        util::readTonalCurveFile(dataPath("tonal/corrector_spline.xml"), curve, true, &error))
        << error.text().toStdString();
    EXPECT_EQ(
        curve,
        makeCurve(TonalCurve::Spline, {{0, 0}, {0.25, 0.4}, {0.5, 0.7}, {0.75, 0.88}, {1, 1}}));
    EXPECT_TRUE(util::holdsTonalCurve(dataPath("tonal/corrector_gamma.xml")));
    EXPECT_FALSE(util::holdsTonalCurve(dataPath("tonal/bpf_bands.xml")));
    EXPECT_FALSE(util::holdsTonalCurve(dataPath("tonal/bad_corrector_truncated.xml")));
    EXPECT_FALSE(util::holdsTonalCurve(dataPath("tonal/no-such-file.xml")));

    const TonalCurve before = curve;
    const QString missing = dataPath("tonal/no-such-file.xml");
    EXPECT_FALSE(util::readTonalCurveFile(missing, curve, false, &error));
    EXPECT_EQ(error.text(), missing + ": No such file or directory");
    const QString bpf = dataPath("tonal/bpf_bands.xml");
    EXPECT_FALSE(util::readTonalCurveFile(bpf, curve, false, &error));
    EXPECT_EQ(error.text(), bpf + ": holds no Corrector element");
    const QString dup = dataPath("tonal/bad_corrector_duplicate_position.xml");
    EXPECT_FALSE(util::readTonalCurveFile(dup, curve, false, &error));
    EXPECT_EQ(error.text(), dup + ": TonalCurve: Duplicate point found");
    const QString truncated = dataPath("tonal/bad_corrector_truncated.xml");
    EXPECT_FALSE(util::readTonalCurveFile(truncated, curve));
    EXPECT_EQ(curve, before);
}
