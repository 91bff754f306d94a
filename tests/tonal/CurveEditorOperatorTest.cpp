// The curve editor as an operator uses it: unsaved changes, deleting nodes, typed levels, the
// level range of what was opened, undo steps, dragging, and falling curves.

#include "util/tonal/CurveEditor.h"
#include "util/tonal/CurveEditorWidget.h"
#include "util/tonal/CurveEditorWindow.h"
#include "util/tonal/ImagePreviewData.h"

#include "tests/tonal/EditorTestUtil.h"
#include "tests/tonal/TonalTestUtil.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <qwt_scale_div.h>

#include <gmock/gmock.h>

using quortest::dataPath;
using quortest::drag;
using quortest::key;
using quortest::pixelOf;
using quortest::ShownWindow;
using quortest::textOf;
using util::CurveEditor;
using util::CurveEditorWidget;
using util::CurveEditorWindow;

namespace {

QString allNodes(const CurveEditorWindow &window)
{
    return textOf(*window.editorWidget()->editor().getNodes("All"));
}

QAction *action(QWidget *window, const QString &text)
{
    for (QAction *a : window->findChildren<QAction *>()) {
        if (a->text() == text)
            return a;
    }
    ADD_FAILURE() << "no action " << text.toStdString();
    return nullptr;
}

// The answers given, and the actions asked about.
struct Prompt
{
    CurveEditorWindow::UnsavedChoice answer = CurveEditorWindow::Cancel;
    QStringList asked;

    CurveEditorWindow::SavePrompt function()
    {
        return [this](const QString &action) {
            asked << action;
            return answer;
        };
    }
};

} // namespace

TEST(CurveEditorWindow, AsksBeforeUnsavedChangesAreLost)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("curves.xml");
    ShownWindow shown;
    CurveEditorWindow &window = shown.window;
    Prompt prompt;
    window.setSavePrompt(prompt.function());
    ASSERT_TRUE(window.saveFile(file));
    EXPECT_TRUE(window.windowTitle().startsWith("curves.xml[*]"))
        << window.windowTitle().toStdString();

    // Nothing to lose: no question.
    EXPECT_TRUE(window.maybeSave("close"));
    EXPECT_TRUE(prompt.asked.isEmpty());

    drag(shown.canvas, {pixelOf(shown.plot, {32768, 32768}), pixelOf(shown.plot, {20000, 40000})});
    const QString edited = allNodes(window);
    EXPECT_TRUE(window.isWindowModified());
    EXPECT_TRUE(window.hasUnsavedChanges());

    // Cancel: Quit (Ctrl+Q), Open and Import leave the window and the edit as they are.
    for (const QString text : {"&Quit", "&Open...", "&Import break points..."}) {
        QAction *a = action(&window, text);
        ASSERT_TRUE(a);
        a->trigger();
        EXPECT_TRUE(window.isVisible()) << text.toStdString();
        EXPECT_EQ(allNodes(window), edited) << text.toStdString();
    }
    EXPECT_EQ(prompt.asked, QStringList({"close", "open", "import"}));
    EXPECT_EQ(action(&window, "&Quit")->shortcut(), QKeySequence(QKeySequence::Quit));

    // Save: the file gets the edit, and the window closes.
    prompt.answer = CurveEditorWindow::Save;
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.hasUnsavedChanges());
    CurveEditorWindow reopened;
    ASSERT_TRUE(reopened.openFile(file));
    EXPECT_EQ(allNodes(reopened), edited);

    // Discard: closes and the file stays as it was.
    window.show();
    window.undo();
    ASSERT_TRUE(window.hasUnsavedChanges());
    prompt.answer = CurveEditorWindow::Discard;
    EXPECT_TRUE(window.close());
    ASSERT_TRUE(reopened.openFile(file));
    EXPECT_EQ(allNodes(reopened), edited);
    EXPECT_EQ(prompt.asked.size(), 5);
}

TEST(CurveEditorWidget, DeletesInnerNodesOnly)
{
    ShownWindow shown;
    CurveEditorWindow &window = shown.window;
    CurveEditorWidget *widget = window.editorWidget();
    QSignalSpy edited(widget, &CurveEditorWidget::edited);
    const QString original = allNodes(window);
    const QPointF inserted(16384, 16384);
    const auto insert = [&] {
        drag(shown.canvas, {pixelOf(shown.plot, inserted)});
        ASSERT_EQ(widget->editor().getNodes("All")->size(), 4);
    };

    // Delete and Backspace on the selected node.
    for (const int k : {int(Qt::Key_Delete), int(Qt::Key_Backspace)}) {
        insert();
        key(shown.canvas, k);
        EXPECT_EQ(allNodes(window), original) << k;
    }
    // A right-click on it.
    insert();
    widget->editor(); // the focus stays on the new node; the click needs none
    quortest::rightClick(shown.canvas, pixelOf(shown.plot, inserted));
    EXPECT_EQ(allNodes(window), original);
    // Dragging it off the plot, past the left axis.
    insert();
    drag(shown.canvas,
         {pixelOf(shown.plot, inserted), pixelOf(shown.plot, {10000, 16384}),
          QPoint(-30, pixelOf(shown.plot, inserted).y())});
    EXPECT_EQ(allNodes(window), original);
    EXPECT_EQ(edited.count(), 8); // four insertions, four deletions
    EXPECT_EQ(shown.canvas->cursor().shape(), Qt::CrossCursor);

    // The end nodes and the last inner node stay, whatever the way.
    key(shown.canvas, Qt::Key_PageUp); // the black point
    key(shown.canvas, Qt::Key_Delete);
    quortest::rightClick(shown.canvas, pixelOf(shown.plot, {65536, 65536}));
    quortest::rightClick(shown.canvas, pixelOf(shown.plot, {32768, 32768}));
    drag(shown.canvas,
         {pixelOf(shown.plot, {65536, 65536}), QPoint(shown.canvas->width() + 40, 10)});
    EXPECT_EQ(widget->editor().getNodes("All")->size(), 3);
    EXPECT_EQ(widget->editor().getNodes("All")->last(), QPointF(65536, 65536));
    EXPECT_EQ(edited.count(), 8);

    // Each deletion is one undo step.
    window.undo();
    EXPECT_EQ(widget->editor().getNodes("All")->size(), 4);
    EXPECT_NEAR(widget->editor().getNodes("All")->at(1).x(), inserted.x(), 200);
    EXPECT_NEAR(widget->editor().getNodes("All")->at(1).y(), inserted.y(), 200);
}

TEST(CurveEditorWidget, TypedLevelsMoveTheSelectedNode)
{
    ShownWindow shown;
    CurveEditorWidget *widget = shown.window.editorWidget();
    auto *input = widget->findChild<QDoubleSpinBox *>("inputLevel");
    auto *output = widget->findChild<QDoubleSpinBox *>("outputLevel");
    ASSERT_TRUE(input && output);
    EXPECT_FALSE(input->isEnabled()); // nothing selected

    key(shown.canvas, Qt::Key_PageUp);
    key(shown.canvas, Qt::Key_PageUp); // the middle node
    EXPECT_TRUE(output->isEnabled());
    EXPECT_EQ(input->value(), 32768);
    input->setValue(20000);
    output->setValue(45000);
    EXPECT_EQ(allNodes(shown.window), "0,0 20000,45000 65536,65536");
    // The editing rules hold for typed levels too.
    output->setValue(65536);
    EXPECT_EQ(allNodes(shown.window), "0,0 20000,65526 65536,65536");
    EXPECT_EQ(output->value(), 65526);

    // An end node: its input level only.
    key(shown.canvas, Qt::Key_PageUp);
    EXPECT_FALSE(output->isEnabled());
    input->setValue(60000);
    EXPECT_EQ(allNodes(shown.window), "0,0 20000,65526 60000,65536");
    EXPECT_EQ(input->maximum(), 65536);

    // Each typed level is a step of its own.
    shown.window.undo();
    shown.window.undo();
    EXPECT_EQ(allNodes(shown.window), "0,0 20000,45000 65536,65536");
}

TEST(CurveEditorWindow, KeepsTheLevelRangeOfBreakPoints)
{
    ShownWindow shown;
    CurveEditorWindow &window = shown.window;
    ASSERT_TRUE(window.openFile(dataPath("tonal/sample_rgbn.xml")));
    CurveEditorWidget *widget = window.editorWidget();
    EXPECT_EQ(widget->editor().getMaxDn(), 4095);
    EXPECT_EQ(shown.plot->axisScaleDiv(QwtPlot::xBottom).upperBound(), 4095);
    EXPECT_EQ(shown.plot->axisScaleDiv(QwtPlot::yLeft).upperBound(), 4095);
    // Typed levels are on the same scale.
    widget->setBand("Red");
    key(shown.canvas, Qt::Key_PageDown); // Red's white point
    auto *input = widget->findChild<QDoubleSpinBox *>("inputLevel");
    EXPECT_EQ(input->maximum(), 4095);
    EXPECT_EQ(input->value(), 4095);
    // A nudge is 1/256 of that range.
    key(shown.canvas, Qt::Key_Left);
    EXPECT_NEAR(widget->editor().getNodes("Red")->last().x(), 4095 - 4095.0 / 256, 1e-3);

    // An image of another depth, opened next, leaves the opened curves as they are, even with
    // nothing edited since.
    ASSERT_TRUE(window.openFile(dataPath("tonal/sample_rgbn.xml")));
    const QString opened = allNodes(window);
    util::ImagePreviewData image;
    image.width = image.height = 2;
    image.maxValue = 255;
    image.samples = {{0, 50, 100, 255}};
    ASSERT_TRUE(window.setImage(image));
    EXPECT_EQ(widget->editor().getMaxDn(), 4095);
    EXPECT_EQ(allNodes(window), opened);
}

TEST(CurveEditorWindow, NudgesOfOneNodeAreOneUndoStep)
{
    ShownWindow shown;
    CurveEditorWindow &window = shown.window;
    const QString original = allNodes(window);
    drag(shown.canvas, {pixelOf(shown.plot, {32768, 32768}), pixelOf(shown.plot, {30000, 36000})});
    const QString dragged = allNodes(window);
    key(shown.canvas, Qt::Key_Escape);
    key(shown.canvas, Qt::Key_PageUp); // the black point
    key(shown.canvas, Qt::Key_PageUp); // the middle node again
    for (int i = 0; i < 10; ++i)
        key(shown.canvas, i % 2 ? Qt::Key_Up : Qt::Key_Right);
    const QString nudged = allNodes(window);
    ASSERT_NE(nudged, dragged);
    // Another node's nudges are a step of their own.
    key(shown.canvas, Qt::Key_PageUp);
    key(shown.canvas, Qt::Key_Left);
    key(shown.canvas, Qt::Key_Left);

    window.undo();
    EXPECT_EQ(allNodes(window), nudged);
    window.undo();
    EXPECT_EQ(allNodes(window), dragged);
    window.undo();
    EXPECT_EQ(allNodes(window), original);
    EXPECT_FALSE(window.canUndo());
    window.redo();
    window.redo();
    EXPECT_EQ(allNodes(window), nudged);

    // A save splits them: the state saved stays one undo step away.
    QTemporaryDir dir;
    ASSERT_TRUE(window.saveFile(dir.filePath("c.xml")));
    key(shown.canvas, Qt::Key_Escape);
    key(shown.canvas, Qt::Key_PageUp);
    key(shown.canvas, Qt::Key_PageUp);
    key(shown.canvas, Qt::Key_Down);
    key(shown.canvas, Qt::Key_Down);
    window.undo();
    EXPECT_EQ(allNodes(window), nudged);
    EXPECT_FALSE(window.isWindowModified());
}

TEST(CurveEditorWidget, ANodeDraggedStraightUpKeepsItsInputLevel)
{
    ShownWindow shown;
    CurveEditorWidget *widget = shown.window.editorWidget();
    // Picked right on it, and picked a few pixels off it: the pointer moves straight up.
    const QPoint node = pixelOf(shown.plot, {32768, 32768});
    for (const QPoint &offset : {QPoint(0, 0), QPoint(-3, 2), QPoint(4, -1)}) {
        const QPoint press = node + offset;
        drag(shown.canvas, {press, press - QPoint(0, 20), press - QPoint(0, 60)});
        EXPECT_EQ(widget->editor().getNodes("All")->at(1).x(), 32768) << offset.x();
        shown.window.undo();
    }
}

TEST(CurveEditorWidget, NamesFallingCurves)
{
    ShownWindow shown;
    CurveEditorWidget *widget = shown.window.editorWidget();
    EXPECT_EQ(widget->statusText(), "");
    CurveEditor editor = widget->editor();
    editor.specifyCurve("Red",
                        QPolygonF() << QPointF(0, 0) << QPointF(20000, 40000)
                                    << QPointF(40000, 20000) << QPointF(65536, 65536),
                        "Linear", false);
    widget->setEditor(editor);
    // Where the drawn curve (300 samples) falls: within a sample's width of the nodes.
    const QStringList words = widget->statusText().split(' ');
    ASSERT_GE(words.size(), 7) << widget->statusText().toStdString();
    EXPECT_EQ(words.mid(0, 4).join(' '), "Red falls from input");
    EXPECT_NEAR(words[4].toDouble(), 20000, 65536 / 299.0);
    EXPECT_NEAR(words[6].section(':', 0, 0).toDouble(), 40000, 65536 / 299.0);
    EXPECT_THAT(widget->statusText().toStdString(), testing::HasSubstr("inverts contrast"));
    EXPECT_TRUE(widget->findChild<QLabel *>("status")->isVisible());

    editor.specifyCurve(
        "All", QPolygonF() << QPointF(0, 65536) << QPointF(30000, 30000) << QPointF(65536, 0),
        "Spline", false);
    editor.removeCurve("Red");
    widget->setEditor(editor);
    EXPECT_THAT(widget->statusText().toStdString(),
                testing::StartsWith("All falls from input 0 to 65536"));
    editor.clearCurves();
    widget->setEditor(editor);
    EXPECT_EQ(widget->statusText(), "");
    EXPECT_FALSE(widget->findChild<QLabel *>("status")->isVisible());
}
