#include "util/tonal/CurveEditor.h"

#include "util/tonal/TonalCurve.h"

#include "tests/tonal/TonalTestUtil.h"

#include <qwt_plot.h>
#include <qwt_plot_curve.h>

#include <gmock/gmock.h>

#include <cmath>
#include <memory>
#include <stdexcept>

using quortest::makeCurve;
using util::CurveEditor;
using util::TonalCurve;

namespace {

// Nodes written "x,y x,y ..." (C-locale numbers).
QPolygonF nodesOf(const QString &text)
{
    QPolygonF nodes;
    for (const QString &node : text.split(' ', Qt::SkipEmptyParts))
        nodes << QPointF(node.section(',', 0, 0).toDouble(), node.section(',', 1, 1).toDouble());
    return nodes;
}

QString textOf(const QPolygonF &nodes)
{
    QStringList parts;
    for (const QPointF &p : nodes)
        parts << QString::number(p.x(), 'g', 17) + ',' + QString::number(p.y(), 'g', 17);
    return parts.join(' ');
}

QString textOf(const CurveEditor &editor, const QString &band)
{
    return textOf(*editor.getNodes(band));
}

// An editor whose "All" curve holds the given nodes.
std::unique_ptr<CurveEditor> editorWith(const QString &nodes, int maxDn = 65536,
                                        const QString &interpolation = "Linear")
{
    auto editor = std::make_unique<CurveEditor>();
    editor->setMaxDn(maxDn);
    editor->specifyCurve("All", nodesOf(nodes), interpolation, false);
    return editor;
}

// Gives the node at index the focus, as a click right on it does.
void focus(CurveEditor &editor, const QString &band, int index)
{
    editor.removeNodeFocus();
    const QPointF node = editor.getNodes(band)->at(index);
    ASSERT_NE(editor.editedNode(band, node, 0.5f), nullptr);
    ASSERT_EQ(editor.editedIndex(), index);
}

} // namespace

// --- the store -------------------------------------------------------------------------------

TEST(CurveEditor, StartsWithTheDefaultAllCurve)
{
    CurveEditor editor;
    EXPECT_EQ(textOf(editor, "All"), "0,0 32768,32768 65536,65536");
    EXPECT_EQ(editor.getInterpolationMethod("All"), "Linear");
    EXPECT_EQ(editor.getMin("All"), 0);
    EXPECT_EQ(editor.getMax(""), 65536);
    // A band without a curve of its own follows "All".
    EXPECT_EQ(editor.getNodes("Red"), editor.getNodes("All"));
    EXPECT_FALSE(editor.hasSpecificCorrection("Red"));
    EXPECT_EQ(editor.recoverAllPlots().size(), 1);
    EXPECT_EQ(editor.editedIndex(), -1);

    // clearCurves starts over with the current maximum level.
    editor.setMaxDn(1001);
    editor.specifyCurve("Red", nodesOf("0,0 10,500 1001,1001"), "Spline", false);
    editor.clearCurves();
    EXPECT_EQ(textOf(editor, "All"), "0,0 500,500 1001,1001");
    EXPECT_EQ(editor.recoverAllPlots().size(), 1);
    EXPECT_EQ(editor.getNodes("Red"), editor.getNodes("All"));
}

TEST(CurveEditor, SpecifiesCurvesFromNormalisedCurves)
{
    CurveEditor editor;
    editor.setMaxDn(1000);
    const struct
    {
        const char *name;
        TonalCurve curve;
        const char *levels;
    } rows[] = {
        {"leading zeros and trailing ones collapse",
         makeCurve(TonalCurve::Gamma, {{0, 0}, {0.1, 0}, {0.5, 0.5}, {0.9, 1}, {1, 1}}),
         "100,0 500,500 900,1000"},
        {"several leading zeros",
         makeCurve(TonalCurve::Linear, {{0, 0}, {0.1, 0}, {0.2, 0}, {1, 1}}), "200,0 1000,1000"},
        {"nothing to collapse", makeCurve(TonalCurve::Spline, {{0, 0.1}, {0.5, 0.4}, {1, 0.9}}),
         "0,100 500,400 1000,900"},
        {"a falling curve stays whole", makeCurve(TonalCurve::Linear, {{0, 1}, {1, 0}}),
         "0,1000 1000,0"},
    };
    for (const auto &row : rows) {
        editor.specifyCurve("Red", row.curve, false);
        EXPECT_EQ(textOf(editor, "Red"), row.levels) << row.name;
        EXPECT_EQ(editor.getInterpolationMethod("Red"), row.curve.getInterpolationString())
            << row.name;
    }
    // An empty id is "All"; an unknown id gets a curve of its own.
    editor.specifyCurve("", nodesOf("0,0 1000,900"), "Linear", false);
    EXPECT_EQ(textOf(editor, "All"), "0,0 1000,900");
    editor.specifyCurve("Pan", nodesOf("0,0 1000,800"), "Linear", false);
    EXPECT_TRUE(editor.hasSpecificCorrection("Pan"));
}

TEST(CurveEditor, SamplesCurvesInTheBoxOfTheirEndNodes)
{
    auto editor = editorWith("1000,2000 3000,6000", 65536);
    QPolygonF out;
    editor->getCurveLookupTable(out, "All", 3);
    EXPECT_EQ(textOf(out), "1000,2000 2000,4000 3000,6000");
    editor->getCurveLookupTable(out, "Red", 300);
    ASSERT_EQ(out.size(), 300);
    EXPECT_EQ(out.first(), QPointF(1000, 2000));
    EXPECT_EQ(out.last(), QPointF(3000, 6000));

    // A gamma curve of exponent 2 through its middle node.
    editor->specifyCurve("All", nodesOf("0,0 500,250 1000,1000"), "Gamma", false);
    editor->getCurveLookupTable(out, "All", 5);
    EXPECT_EQ(textOf(out), "0,0 250,62.5 500,250 750,562.5 1000,1000");

    editor->specifyCurve("Red", nodesOf("0,0 1000,1000"), "Cubic", false);
    try {
        editor->getCurveLookupTable(out, "Red", 10);
        FAIL() << "no exception";
    } catch (const std::runtime_error &e) {
        EXPECT_STREQ(e.what(), "Unable to access curve data for Red");
    }
    editor->specifyCurve("Blue", nodesOf("0,0 300,500 1000,1000 1100,1100 1200,1200 1300,1300"),
                         "Gamma", false);
    EXPECT_THROW(editor->getCurveLookupTable(out, "Blue", 10), std::runtime_error);
}

// --- picking and inserting -------------------------------------------------------------------

TEST(CurveEditorPick, FocusesInsertsOrLetsGo)
{
    auto editor = editorWith("0,0 100,100 200,200", 1000);
    const struct
    {
        const char *name;
        QString band;
        QPointF point;
        float tolerance;
        bool returned;
        const char *nodes; // of the band afterwards
        int index;
    } rows[] = {
        {"a node within the tolerance", "All", {102, 98}, 5, true, "0,0 100,100 200,200", 1},
        {"the first of two nodes in reach", "All", {50, 50}, 100, true, "0,0 100,100 200,200", 0},
        {"the curve within the tolerance",
         "All",
         {50, 53},
         5,
         true,
         "0,0 50,53 100,100 200,200",
         1},
        {"the curve out of reach", "All", {50, 60}, 5, false, "0,0 100,100 200,200", -1},
        {"beside a node, not on it", "All", {100, 110}, 9, false, "0,0 100,100 200,200", -1},
        {"beyond the curve's end", "All", {205, 205}, 4, false, "0,0 100,100 200,200", -1},
        {"the (-1, -1) point", "All", {-1, -1}, 5, false, "0,0 100,100 200,200", -1},
        {"an empty id is All", "", {150, 150}, 5, true, "0,0 100,100 150,150 200,200", 2},
    };
    for (const auto &row : rows) {
        editor->specifyCurve("All", nodesOf("0,0 100,100 200,200"), "Linear", false);
        editor->removeNodeFocus();
        QPointF *node = editor->editedNode(row.band, row.point, row.tolerance);
        EXPECT_EQ(node != nullptr, row.returned) << row.name;
        EXPECT_EQ(textOf(*editor, row.band), row.nodes) << row.name;
        EXPECT_EQ(editor->editedIndex(), row.index) << row.name;
        if (node) {
            EXPECT_EQ(node, &editor->getNodes(row.band)->at(row.index)) << row.name;
        }
    }
}

TEST(CurveEditorPick, GammaCurvesTakeNoNewNodes)
{
    auto editor = editorWith("0,0 500,250 1000,1000", 1000, "Gamma");
    EXPECT_EQ(editor->editedNode("All", {750, 562.5}, 20), nullptr);
    EXPECT_EQ(editor->getNodes("All")->size(), 3);
    EXPECT_NE(editor->editedNode("All", {501, 251}, 20), nullptr);
}

TEST(CurveEditorPick, ABandPickedOnlyForAMissFollowsAllAgain)
{
    auto editor = editorWith("0,0 100,100 200,200", 1000);
    EXPECT_EQ(editor->editedNode("Red", {100, 150}, 5), nullptr);
    EXPECT_EQ(editor->getNodes("Red"), editor->getNodes("All"));
    EXPECT_EQ(editor->recoverAllPlots().size(), 1);

    // A hit keeps the band's own curve, to be dragged.
    ASSERT_NE(editor->editedNode("Red", {100, 100}, 5), nullptr);
    EXPECT_NE(editor->getNodes("Red"), editor->getNodes("All"));
    EXPECT_EQ(editor->editedBand(), "Red");
    editor->moveEditedNode({100, 80});
    EXPECT_EQ(textOf(*editor, "Red"), "0,0 100,80 200,200");
    EXPECT_EQ(textOf(*editor, "All"), "0,0 100,100 200,200");
}

TEST(CurveEditorInsert, CarriesNewAllNodesToBandsOfTheSameCount)
{
    auto editor = editorWith("0,0 100,100 200,200", 1000);
    editor->specifyCurve("Red", nodesOf("0,0 100,80 200,200"), "Linear", false);
    editor->specifyCurve("Green", nodesOf("0,0 50,40 100,80 200,200"), "Linear", false);
    editor->specifyCurve("Blue", nodesOf("0,0 100,100 200,150"), "Linear", false);

    QPointF *node = editor->editedNode("All", {50, 60}, 20);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(*node, QPointF(50, 60));
    EXPECT_EQ(textOf(*editor, "All"), "0,0 50,60 100,100 200,200");
    EXPECT_EQ(textOf(*editor, "Red"), "0,0 50,48 100,80 200,200");
    EXPECT_EQ(textOf(*editor, "Green"), "0,0 50,40 100,80 200,200");
    EXPECT_EQ(textOf(*editor, "Blue"), "0,0 50,60 100,100 200,150");
    // Now every band holds as many nodes as "All" did, and each follows the next node.
    editor->removeNodeFocus();
    ASSERT_NE(editor->editedNode("All", {150, 150}, 20), nullptr);
    EXPECT_EQ(textOf(*editor, "Red"), "0,0 50,48 100,80 150,140 200,200");
    EXPECT_EQ(textOf(*editor, "Green"), "0,0 50,40 100,80 150,140 200,200");
    EXPECT_EQ(textOf(*editor, "Blue"), "0,0 50,60 100,100 150,125 200,150");

    // A flat stretch of "All" gives no vertical fraction; the band keeps the horizontal one.
    auto flat = editorWith("0,100 100,100 200,200", 1000);
    flat->specifyCurve("Red", nodesOf("0,0 100,80 200,200"), "Linear", false);
    ASSERT_NE(flat->editedNode("All", {25, 100}, 20), nullptr);
    EXPECT_EQ(textOf(*flat, "Red"), "0,0 25,20 100,80 200,200");
}

// --- merging a neighbour into the focused node -----------------------------------------------

TEST(CurveEditorMerge, RemovesOneInnerNeighbourWithinTheTolerance)
{
    const struct
    {
        const char *name;
        const char *nodes;
        int focused;
        float tolerance;
        const char *after;
        int index;
    } rows[] = {
        {"neighbour after the focus", "0,0 100,100 115,100 200,200", 1, 20, "0,0 100,100 200,200",
         1},
        {"neighbour before the focus", "0,0 100,100 115,100 200,200", 2, 20, "0,0 115,100 200,200",
         1},
        {"out of reach", "0,0 100,100 115,100 200,200", 1, 15, "0,0 100,100 115,100 200,200", 1},
        {"three nodes stay", "0,0 100,100 200,200", 1, 500, "0,0 100,100 200,200", 1},
        {"end nodes are never merged", "0,0 10,10 100,100 200,200", 1, 20,
         "0,0 10,10 100,100 200,200", 1},
        {"the black point's neighbour", "0,0 10,10 100,100 200,200", 0, 20, "0,0 100,100 200,200",
         1},
        {"one node a call", "0,0 95,100 100,100 105,100 200,200", 2, 20,
         "0,0 100,100 105,100 200,200", 1},
    };
    for (const auto &row : rows) {
        auto editor = editorWith(row.nodes, 1000);
        focus(*editor, "All", row.focused);
        const QPointF focused = editor->getNodes("All")->at(row.focused);
        QPointF *node = editor->editedNode("All", {-1, -1}, row.tolerance);
        EXPECT_EQ(textOf(*editor, "All"), row.after) << row.name;
        EXPECT_EQ(editor->editedIndex(), row.index) << row.name;
        ASSERT_NE(node, nullptr) << row.name;
        if (QString(row.name) != "the black point's neighbour") {
            EXPECT_EQ(*node, focused) << row.name;
        }
    }
}

TEST(CurveEditorMerge, AllMergesTakeBandsOfTheSameCountAlong)
{
    auto editor = editorWith("0,0 100,100 115,100 200,200", 1000);
    editor->specifyCurve("Red", nodesOf("0,0 90,80 120,90 200,200"), "Linear", false);
    editor->specifyCurve("Green", nodesOf("0,0 90,80 200,200"), "Linear", false);
    focus(*editor, "All", 1);
    editor->editedNode("All", {-1, -1}, 20);
    EXPECT_EQ(textOf(*editor, "Red"), "0,0 90,80 200,200");
    EXPECT_EQ(textOf(*editor, "Green"), "0,0 90,80 200,200");
}

// --- dragging: limits and the order of nodes -------------------------------------------------

TEST(CurveEditorDrag, KeepsNodesWithinTheLimits)
{
    for (const QString &line : quortest::tableRows("tonal/editor_drags.txt")) {
        const QStringList cells = line.split('|');
        ASSERT_EQ(cells.size(), 7) << line.toStdString();
        const std::string name = cells[0].trimmed().toStdString();
        auto editor = editorWith(cells[2].trimmed(), cells[1].trimmed().toInt());
        focus(*editor, "All", cells[3].trimmed().toInt());
        editor->moveEditedNode(nodesOf(cells[4].trimmed()).first());
        EXPECT_EQ(textOf(*editor, "All"), textOf(nodesOf(cells[5].trimmed()))) << name;
        EXPECT_EQ(editor->editedIndex(), cells[6].trimmed().toInt()) << name;
    }
}

TEST(CurveEditorDrag, NothingMovesWithoutFocus)
{
    CurveEditor editor;
    editor.moveEditedNode({100, 100});
    EXPECT_EQ(textOf(editor, "All"), "0,0 32768,32768 65536,65536");

    // A removed band takes its focus with it.
    editor.specifyCurve("Red", nodesOf("0,0 100,80 65536,65536"), "Linear", false);
    focus(editor, "Red", 1);
    editor.removeCurve("Red");
    EXPECT_EQ(editor.editedIndex(), -1);
    EXPECT_EQ(editor.editedNode("All", {-1, -1}, 10), nullptr);
    // clearCurves leaves the focus alone: it names the new "All" curve's node.
    focus(editor, "All", 2);
    editor.clearCurves();
    EXPECT_EQ(editor.editedBand(), "All");
    EXPECT_EQ(editor.editedIndex(), 2);
}

TEST(CurveEditorDrag, OrderRepairsOfAllReachBandsOfOneMoreNode)
{
    auto editor = editorWith("0,0 100,100 200,150 300,300", 1000);
    editor->specifyCurve("Red", nodesOf("0,0 100,50 200,100 300,300"), "Linear", false);
    focus(*editor, "All", 1);
    editor->moveEditedNode({250, 120});
    EXPECT_EQ(textOf(*editor, "All"), "0,0 200,150 300,300");
    // Red's node 1 followed (+150, +20), then went with All's.
    EXPECT_EQ(textOf(*editor, "Red"), "0,0 200,100 300,300");
}

// --- carrying "All" edits over to band-specific curves ---------------------------------------

TEST(CurveEditorCarryOver, EndNodesFollowAndKeepTheirDistance)
{
    CurveEditor editor;
    editor.specifyCurve("All", nodesOf("0,0 20000,20000 40000,40000 65536,65536"), "Linear", false);
    editor.specifyCurve("Red", nodesOf("0,0 30000,40000 50000,55000 65536,65536"), "Linear", false);
    editor.specifyCurve("Green", nodesOf("0,0 59995,62000 65536,65536"), "Spline", false);
    editor.specifyCurve("Blue", nodesOf("1000,0 1005,20 65536,65536"), "Linear", false);
    focus(editor, "All", 3);
    editor.moveEditedNode({60000, 100});
    EXPECT_EQ(textOf(editor, "All"), "0,0 20000,20000 40000,40000 60000,65536");
    EXPECT_EQ(textOf(editor, "Red"), "0,0 30000,40000 50000,55000 60000,65536");
    // The white point stops 10 levels right of node 1; node 1 (of another count than All's)
    // rose with All's output at its level, to 10 levels below All's white point.
    EXPECT_EQ(textOf(editor, "Green"), "0,0 59995,65526 60005,65536");
    // The black point keeps 10 levels from node 1 even when All's did not move.
    EXPECT_EQ(textOf(editor, "Blue"), "995,0 1005,20 60000,65536");

    focus(editor, "All", 0);
    editor.moveEditedNode({500, 0});
    EXPECT_EQ(textOf(editor, "Red"), "500,0 30000,40000 50000,55000 60000,65536");
    EXPECT_EQ(textOf(editor, "Green"), "500,0 59995,65526 60005,65536");
    EXPECT_EQ(textOf(editor, "Blue").section(' ', 0, 0), "995,0");
}

TEST(CurveEditorCarryOver, InnerNodesFollowNodeForNodeOrByTheTable)
{
    CurveEditor editor;
    editor.specifyCurve("Red", nodesOf("0,0 30000,20000 65536,65536"), "Linear", false);
    editor.specifyCurve("Green", nodesOf("0,0 16384,16384 40000,30000 65536,65536"), "Linear",
                        false);
    editor.specifyCurve("Blue", nodesOf("0,0 32000,65530 65536,65536"), "Linear", false);
    focus(editor, "All", 1);
    editor.moveEditedNode({32768, 40960});

    // Same node count: the same movement (0, +8192), kept 10 levels inside All's end nodes.
    EXPECT_EQ(textOf(editor, "Red"), "0,0 30000,28192 65536,65536");
    EXPECT_EQ(textOf(editor, "Blue"), "0,0 32000,65526 65536,65536");
    // Other count: the change of All's output at the node's own level. All went from the
    // identity to 1.25 x below the middle; table entry 16 (of 64, step 1024) lies at 16/63, so
    // the output there rose by 65536 * 0.25 * 16/63.
    const QPolygonF green = *editor.getNodes("Green");
    EXPECT_EQ(green[1].x(), 16384);
    EXPECT_NEAR(green[1].y(), 16384 + 65536 * 0.25 * 16 / 63, 0.01);
    // Entry 39 lies right of the middle, where All rises from 0.625 to 1 over the second half.
    const double t = 39.0 / 63;
    EXPECT_NEAR(green[2].y(), 30000 + 65536 * (0.625 + (t - 0.5) * 0.75 - t), 0.02);
}

TEST(CurveEditorCarryOver, EditsOfABandStayInTheBand)
{
    CurveEditor editor;
    editor.specifyCurve("Red", nodesOf("0,0 30000,20000 65536,65536"), "Linear", false);
    focus(editor, "Red", 1);
    editor.moveEditedNode({30000, 25000});
    EXPECT_EQ(textOf(editor, "All"), "0,0 32768,32768 65536,65536");
    EXPECT_EQ(textOf(editor, "Red"), "0,0 30000,25000 65536,65536");
}

// --- interpolation ---------------------------------------------------------------------------

TEST(CurveEditorInterpolation, GammaKeepsThreeNodesAndComesBackAsSevenSamples)
{
    CurveEditor editor;
    editor.specifyCurve("All", nodesOf("0,0 16384,8192 32768,20000 65536,65536"), "Linear", false);
    editor.specifyCurve("Red", nodesOf("0,0 20000,10000 40000,30000 65536,65536"), "Spline", false);
    editor.changeInterpolationMethod("Gamma", "All");
    EXPECT_EQ(textOf(editor, "All"), "0,0 16384,8192 65536,65536");
    EXPECT_EQ(textOf(editor, "Red"), "0,0 20000,10000 65536,65536");
    EXPECT_EQ(editor.getInterpolationMethod("Red"), "Gamma");

    // Back to Linear: the gamma curve sampled at 7 points. All's middle node lies at a quarter
    // of the input range and an eighth of the output range: exponent 1.5.
    editor.changeInterpolationMethod("Linear", "All");
    const QPolygonF all = *editor.getNodes("All");
    ASSERT_EQ(all.size(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_NEAR(all[i].x(), 65536.0 * i / 6, 0.01) << i;
        EXPECT_NEAR(all[i].y(), 65536.0 * std::pow(i / 6.0, 1.5), 0.5) << i;
    }
    EXPECT_EQ(editor.getInterpolationMethod("All"), "Linear");
    EXPECT_EQ(editor.getNodes("Red")->size(), 7);
}

TEST(CurveEditorInterpolation, ABandGetsItsOwnCurveFirst)
{
    CurveEditor editor;
    editor.changeInterpolationMethod("Spline", "Red");
    EXPECT_EQ(editor.getInterpolationMethod("Red"), "Spline");
    EXPECT_EQ(editor.getInterpolationMethod("All"), "Linear");
    EXPECT_TRUE(editor.hasSpecificCorrection("Red"));
    EXPECT_EQ(textOf(editor, "Red"), textOf(editor, "All"));

    editor.changeInterpolationMethod("Gamma", "");
    EXPECT_EQ(editor.getInterpolationMethod("All"), "Linear");
}

// --- gamma -----------------------------------------------------------------------------------

TEST(CurveEditorGamma, PlacesTheMiddleNodeForTheExponent)
{
    const struct
    {
        const char *name;
        const char *interpolation;
        const char *nodes;
        double gamma;
        const char *after;
        double readBack;
    } rows[] = {
        {"exponent 2", "Gamma", "0,0 300,500 1000,1000", 2, "0,0 500,250 1000,1000", 2},
        {"exponent 0.5", "Gamma", "0,0 300,500 1000,1000", 0.5,
         "0,0 500,707.1068115234375 1000,1000", 0.5},
        {"a tiny exponent stops below the top", "Gamma", "0,0 300,500 1000,1000", 0.01,
         "0,0 500,990 1000,1000", std::log(0.99f) / std::log(0.5f)},
        {"a huge exponent stops above the bottom", "Gamma", "0,0 300,500 1000,1000", 50,
         "0,0 500,10 1000,1000", std::log(0.01f) / std::log(0.5f)},
        {"the output scale is maxDn", "Gamma", "200,100 300,500 600,900", 2,
         "200,100 400,250 600,900", std::log(0.1875f) / std::log(0.5f)},
        {"a linear curve", "Linear", "0,0 300,500 1000,1000", 2, "0,0 300,500 1000,1000", 1.0},
        {"four nodes", "Gamma", "0,0 300,500 400,600 1000,1000", 2, "0,0 300,500 400,600 1000,1000",
         1.0},
        {"narrower than 10 levels", "Gamma", "0,0 5,5 9,9", 2, "0,0 5,5 9,9", 1.0},
    };
    for (const auto &row : rows) {
        auto editor = editorWith(row.nodes, 1000, row.interpolation);
        editor->applyGamma(row.gamma, "Red");
        EXPECT_EQ(textOf(*editor, "All"), row.after) << row.name;
        EXPECT_NEAR(editor->getGamma(""), row.readBack, 1e-6) << row.name;
    }
}

TEST(CurveEditorGamma, IsOneForCurvesWithoutAnExponent)
{
    const char *const rows[] = {
        "0,0 1000,1000 500,500", // middle node outside the box
        "0,1000 500,500 1000,0", // falling
        "0,0 0,0 0,0", // no width
    };
    for (const char *nodes : rows) {
        auto editor = editorWith(nodes, 1000, "Gamma");
        EXPECT_EQ(editor->getGamma("All"), 1.0) << nodes;
    }
}

// --- near-infrared scaling -------------------------------------------------------------------

TEST(CurveEditorNir, ScalesTheInfraredInputRange)
{
    CurveEditor editor;
    EXPECT_EQ(editor.getNirScaling(), 1.0);
    editor.setNirScaling(2);
    EXPECT_EQ(textOf(editor, "Infrared"), "0,0 16384,32768 32768,65536");
    EXPECT_EQ(editor.getNirScaling(), 2.0);
    EXPECT_EQ(editor.recoverPlot("Infrared")->title().text(), "Infrared");

    // Relative to the current scaling.
    editor.setNirScaling(4);
    EXPECT_EQ(textOf(editor, "Infrared"), "0,0 8192,32768 16384,65536");
    EXPECT_DOUBLE_EQ(editor.getNirScaling(), 4.0);

    // The visible bands' mean width.
    editor.specifyCurve("Red", nodesOf("0,0 20000,30000 32768,65536"), "Linear", false);
    EXPECT_DOUBLE_EQ(editor.getNirScaling(), (32768 + 65536 + 65536) / 3.0 / 16384);

    editor.setNirScaling(1.0);
    EXPECT_FALSE(editor.hasSpecificCorrection("Infrared"));
    EXPECT_EQ(editor.getNodes("Infrared"), editor.getNodes("All"));
    EXPECT_EQ(editor.getNirScaling(), 1.0);
}

// --- folding identical band curves into "All" ------------------------------------------------

TEST(CurveEditorBandMerge, IdenticalCurvesFoldIntoAll)
{
    CurveEditor editor;
    const QPolygonF all = *editor.getNodes("All");
    const QPolygonF specific = nodesOf("0,0 20000,30000 65536,65536");

    editor.specifyCurve("Red", all, "Linear", true);
    EXPECT_EQ(editor.recoverAllPlots().size(), 1) << "a curve equal to All";

    editor.specifyCurve("Red", all, "Spline", true);
    EXPECT_TRUE(editor.hasSpecificCorrection("Red")) << "another interpolation differs";

    editor.specifyCurve("Red", specific, "Linear", true);
    editor.specifyCurve("Blue", nodesOf("0,0 1,1 65536,65536"), "Linear", true);
    EXPECT_TRUE(editor.hasSpecificCorrection("Red"));
    editor.specifyCurve("Green", specific, "Linear", true);
    EXPECT_EQ(textOf(editor, "All"), textOf(specific)) << "two bands sharing a curve";
    EXPECT_FALSE(editor.hasSpecificCorrection("Red"));
    EXPECT_FALSE(editor.hasSpecificCorrection("Green"));
    EXPECT_TRUE(editor.hasSpecificCorrection("Blue"));
    EXPECT_EQ(editor.recoverAllPlots().size(), 2);

    // Without merge nothing folds.
    editor.specifyCurve("Infrared", specific, "Linear", false);
    EXPECT_EQ(editor.recoverAllPlots().size(), 3);
}

TEST(CurveEditorBandMerge, ASharedCurveWinsOverACopyOfAll)
{
    // Red equals All and Green equals Blue: whatever order the bands are met in, All takes the
    // curve Green and Blue share, and all three follow it.
    for (int run = 0; run < 2; ++run) {
        CurveEditor editor;
        const QPolygonF shared = nodesOf("0,0 10000,30000 65536,65536");
        editor.specifyCurve(run ? "Green" : "Blue", shared, "Spline", false);
        editor.specifyCurve("Red", *editor.getNodes("All"), "Linear", false);
        editor.specifyCurve(run ? "Blue" : "Green", shared, "Spline", true);
        EXPECT_EQ(textOf(editor, "All"), textOf(shared)) << run;
        EXPECT_EQ(editor.getInterpolationMethod("All"), "Spline") << run;
        EXPECT_EQ(editor.recoverAllPlots().size(), 1) << run;
    }
}

// --- plot curves: shared by copies, deleted once ---------------------------------------------

TEST(CurveEditorPlots, CopiesShareAndTheLastOneDeletes)
{
    auto original = std::make_unique<CurveEditor>();
    original->specifyCurve("Red", nodesOf("0,0 100,80 65536,65536"), "Linear", false);
    const QVector<QwtPlotCurve *> plots = original->recoverAllPlots();
    ASSERT_EQ(plots.size(), 2);
    EXPECT_EQ(plots[0]->title().text(), "All");
    EXPECT_EQ(plots[1]->title().text(), "Red");

    CurveEditor copy(*original);
    EXPECT_EQ(copy.recoverAllPlots(), plots);
    CurveEditor assigned;
    assigned = *original;
    assigned = assigned;
    EXPECT_EQ(assigned.recoverAllPlots(), plots);

    // Removing a band in one copy leaves the other copies' plot curve alive.
    copy.removeCurve("Red");
    EXPECT_EQ(copy.recoverAllPlots().size(), 1);
    original.reset();
    EXPECT_EQ(assigned.recoverPlot("Red")->title().text(), "Red"); // ASan: not freed
    copy.clearCurves();
    EXPECT_NE(copy.recoverPlot("All"), plots[0]);
    EXPECT_EQ(assigned.recoverPlot("All")->title().text(), "All");
    assigned = copy; // lets the last holder of the first two plot curves go (LSan: no leak)
    EXPECT_EQ(assigned.recoverAllPlots(), copy.recoverAllPlots());
}

TEST(CurveEditorPlots, AttachesCurvesThatHaveSomethingToDraw)
{
    QwtPlot plot;
    CurveEditor editor;
    editor.specifyCurve("Red", nodesOf("0,0 100,80 65536,65536"), "Linear", false);
    QPolygonF line;
    editor.getCurveLookupTable(line, "All", 300);
    editor.recoverPlot("All")->setSamples(line);
    editor.recoverPlot("Red")->setSamples(QPolygonF() << QPointF(0, 0));

    editor.attachAll(&plot);
    EXPECT_EQ(plot.itemList(QwtPlotItem::Rtti_PlotCurve).size(), 1);
    EXPECT_EQ(editor.recoverPlot("All")->plot(), &plot);
    editor.removeCurve("All");
    EXPECT_TRUE(plot.itemList().isEmpty()) << "a removed curve leaves the plot";

    CurveEditor other;
    other.recoverPlot("All")->setSamples(line);
    other.attachAll(&plot);
    other.detachAll();
    EXPECT_TRUE(plot.itemList().isEmpty());
}
