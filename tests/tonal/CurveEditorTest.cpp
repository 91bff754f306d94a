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
using quortest::nodesOf;
using quortest::textOf;
using util::CurveEditor;
using util::TonalCurve;

namespace {

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

// The sessions of tests/data/tonal/editor_sessions.txt: picking, inserting, merging, dragging,
// carrying edits of "All" over to the bands, interpolation, gamma and folding bands into "All".
// The file's head lists the steps.
TEST(CurveEditor, Sessions)
{
    const auto bandOf = [](const QString &word) { return word == "\"\"" ? QString() : word; };
    std::unique_ptr<CurveEditor> editor;
    std::string session;
    int steps = 0;
    for (const QString &line : quortest::tableLines("tonal/editor_sessions.txt")) {
        const QStringList w = line.split(' ', Qt::SkipEmptyParts);
        const QString op = w[0];
        const QString band = bandOf(w.value(1));
        const std::string where = session + ": " + line.toStdString();
        if (op == "==") {
            session = line.mid(3).toStdString();
            editor = std::make_unique<CurveEditor>();
            continue;
        }
        ASSERT_TRUE(editor) << where;
        ++steps;
        if (op == "maxDn") {
            editor->setMaxDn(w[1].toInt());
        } else if (op == "curve" || op == "merge") {
            editor->specifyCurve(band, nodesOf(w.mid(3).join(' ')), w[2], op == "merge");
        } else if (op == "normalised") {
            editor->specifyCurve(band, quortest::parseCurve(w[2], w.mid(3).join(' ')), false);
        } else if (op == "focus") {
            focus(*editor, band, w[2].toInt());
        } else if (op == "unfocus") {
            editor->removeNodeFocus();
        } else if (op == "pick") {
            ASSERT_EQ(w.size(), 6) << where;
            QPointF *node = editor->editedNode(band, nodesOf(w[2]).first(), w[3].toFloat());
            const int index = w[5] == "none" ? -1 : w[5].toInt();
            EXPECT_EQ(editor->editedIndex(), index) << where;
            if (index < 0) {
                EXPECT_EQ(node, nullptr) << where;
            } else {
                ASSERT_NE(node, nullptr) << where;
                ASSERT_LT(index, editor->getNodes(band)->size()) << where;
                EXPECT_EQ(node, &editor->getNodes(band)->at(index)) << where;
            }
        } else if (op == "move") {
            editor->moveEditedNode(nodesOf(w[1]).first());
        } else if (op == "delete") {
            ASSERT_EQ(w.size(), 3) << where;
            EXPECT_EQ(editor->removeEditedNode(), w[2] == "yes") << where;
            EXPECT_EQ(editor->editedIndex(), -1) << where;
        } else if (op == "interp") {
            editor->changeInterpolationMethod(w[2], band);
        } else if (op == "applyGamma") {
            editor->applyGamma(w[2].toDouble(), band);
        } else if (op == "remove") {
            editor->removeCurve(band);
        } else if (op == "clear") {
            editor->clearCurves();
        } else if (op == "expect") {
            QStringList nodes = w.mid(2);
            QString actual = textOf(*editor, band);
            if (nodes.last() == "...") {
                nodes.removeLast();
                actual = actual.section(' ', 0, nodes.size() - 1);
            }
            EXPECT_EQ(actual, nodes.join(' ')) << where;
        } else if (op == "follows") {
            EXPECT_EQ(editor->getNodes(band), editor->getNodes("All")) << where;
        } else if (op == "separate") {
            EXPECT_NE(editor->getNodes(band), editor->getNodes("All")) << where;
        } else if (op == "own") {
            EXPECT_EQ(editor->hasSpecificCorrection(band), w[2] == "yes") << where;
        } else if (op == "method") {
            EXPECT_EQ(editor->getInterpolationMethod(band), w[2]) << where;
        } else if (op == "focused") {
            EXPECT_EQ(editor->editedIndex(), w[1].toInt()) << where;
            if (w.size() > 2) {
                EXPECT_EQ(editor->editedBand(), bandOf(w[2])) << where;
            }
        } else if (op == "plots") {
            EXPECT_EQ(editor->recoverAllPlots().size(), w[1].toInt()) << where;
        } else if (op == "gamma" && w.size() > 3) {
            EXPECT_NEAR(editor->getGamma(band), w[2].toDouble(), w[3].toDouble()) << where;
        } else if (op == "gamma") {
            EXPECT_EQ(editor->getGamma(band), w[2].toDouble()) << where;
        } else {
            ADD_FAILURE() << "unknown step: " << where;
        }
    }
    EXPECT_GT(steps, 200);
}

TEST(CurveEditorDrag, KeepsNodesWithinTheLimits)
{
    for (const quortest::TableRow &row : quortest::tableRows("tonal/editor_drags.txt")) {
        const auto cell = [&](int i) { return QString::fromStdString(row[i]).trimmed(); };
        auto editor = editorWith(cell(2), cell(1).toInt());
        focus(*editor, "All", cell(3).toInt());
        editor->moveEditedNode(nodesOf(cell(4)).first());
        EXPECT_EQ(textOf(*editor, "All"), textOf(nodesOf(cell(5)))) << row.line;
        EXPECT_EQ(editor->editedIndex(), cell(6).toInt()) << row.line;
    }
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
