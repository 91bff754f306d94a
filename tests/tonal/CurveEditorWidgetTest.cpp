#include "util/tonal/CurveEditorWidget.h"
#include "util/tonal/CurveEditor.h"
#include "util/tonal/CurveEditorWindow.h"
#include "util/tonal/TonalCurve.h"
#include "util/tonal/TonalCurveFile.h"

#include "tests/common/ToolRun.h"
#include "tests/tonal/EditorTestUtil.h"
#include "tests/tonal/TonalTestUtil.h"

#include <qwt_plot.h>
#include <qwt_plot_canvas.h>

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gmock/gmock.h>

#include <cmath>

using quortest::dataPath;
using quortest::runTool;
using quortest::textOf;
using util::CurveEditor;
using util::CurveEditorWidget;
using util::CurveEditorWindow;

using quortest::drag;
using quortest::key;
using quortest::levelsOf;
using quortest::pixelOf;
using quortest::pixelsNear;
using quortest::ShownWindow;
using quortest::toleranceAt;

TEST(CurveEditorWidget, MouseDragsMoveNodesAsTheModelSays)
{
    ShownWindow shown;
    CurveEditorWidget *widget = shown.window.editorWidget();
    QSignalSpy edited(widget, &CurveEditorWidget::edited);
    CurveEditor model = widget->editor();

    const struct
    {
        const char *name;
        QString band;
        QPointF from; // levels
        QVector<QPointF> through;
    } rows[] = {
        {"the middle node up and left", "All", {32768, 32768}, {{30000, 36000}, {20000, 45000}}},
        {"a new node on the curve", "All", {42768, 55268}, {{45000, 50000}}},
        {"the white point left, carrying Red along", "All", {65536, 65536}, {{62000, 60000}}},
        {"the black point of Red alone", "Red", {0, 0}, {{3000, 5000}}},
        {"onto a neighbour, which merges", "All", {20000, 45000}, {{44800, 49800}}},
    };
    int edits = 0;
    for (const auto &row : rows) {
        widget->setBand(row.band);
        model.removeNodeFocus();
        QVector<QPoint> path {pixelOf(shown.plot, row.from)};
        for (const QPointF &p : row.through)
            path << pixelOf(shown.plot, p);

        // The model, driven with the same levels the widget reads off the canvas: the node moves
        // by the pointer's movement.
        const QString before = textOf(*model.getNodes(row.band));
        const QPointF press = levelsOf(shown.plot, path.first());
        const QPointF *picked =
            model.editedNode(row.band, press, toleranceAt(shown.plot, path.first()));
        ASSERT_NE(picked, nullptr) << row.name;
        const QPointF node = *picked;
        for (int i = 1; i < path.size(); ++i)
            model.moveEditedNode(node + (levelsOf(shown.plot, path[i]) - press));
        model.editedNode(model.editedBand(), QPointF(-1, -1), toleranceAt(shown.plot, path.last()));

        drag(shown.canvas, path);
        EXPECT_NE(textOf(*model.getNodes(row.band)), before) << row.name;
        for (const QString &band : QStringList {"All", "Red", "Green"}) {
            EXPECT_EQ(textOf(*widget->editor().getNodes(band)), textOf(*model.getNodes(band)))
                << row.name << " " << band.toStdString();
        }
        EXPECT_EQ(edited.count(), ++edits) << row.name;
    }

    // A press away from every node and the curve changes nothing and tells nothing.
    widget->setBand("All");
    drag(shown.canvas, {pixelOf(shown.plot, {60000, 2000}), pixelOf(shown.plot, {61000, 3000})});
    EXPECT_EQ(textOf(*widget->editor().getNodes("All")), textOf(*model.getNodes("All")));
    EXPECT_EQ(edited.count(), edits);
}

TEST(CurveEditorWidget, KeysSelectAndNudgeNodes)
{
    ShownWindow shown;
    CurveEditorWidget *widget = shown.window.editorWidget();
    QSignalSpy edited(widget, &CurveEditorWidget::edited);

    key(shown.canvas, Qt::Key_PageUp); // the black point
    key(shown.canvas, Qt::Key_PageUp); // the middle node
    EXPECT_EQ(widget->editor().editedIndex(), 1);
    key(shown.canvas, Qt::Key_Right);
    key(shown.canvas, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(textOf(*widget->editor().getNodes("All")), "0,0 33024,32769 65536,65536");
    key(shown.canvas, Qt::Key_PageUp);
    key(shown.canvas, Qt::Key_Left); // the white point, 256 levels left
    EXPECT_EQ(textOf(*widget->editor().getNodes("All")), "0,0 33024,32769 65280,65536");
    EXPECT_EQ(edited.count(), 3);
    key(shown.canvas, Qt::Key_Escape);
    key(shown.canvas, Qt::Key_Left);
    EXPECT_EQ(edited.count(), 3);
}

TEST(CurveEditorWidget, ControlsChangeTheBandsCurve)
{
    ShownWindow shown;
    CurveEditorWidget *widget = shown.window.editorWidget();
    QSignalSpy edited(widget, &CurveEditorWidget::edited);
    const auto boxes = widget->findChildren<QComboBox *>();
    ASSERT_EQ(boxes.size(), 2);
    QComboBox *bandBox = boxes[0];
    QComboBox *methodBox = boxes[1];
    auto *gammaBox = widget->findChild<QDoubleSpinBox *>("gamma");
    auto *nirBox = widget->findChild<QDoubleSpinBox *>("nirScaling");
    ASSERT_TRUE(gammaBox && nirBox);

    // Keyboard: the band selector down to Green, the interpolation down twice to Gamma.
    key(bandBox, Qt::Key_Down);
    key(bandBox, Qt::Key_Down);
    EXPECT_EQ(widget->band(), "Green");
    EXPECT_FALSE(gammaBox->isEnabled());
    key(methodBox, Qt::Key_Down);
    key(methodBox, Qt::Key_Down);
    EXPECT_EQ(widget->editor().getInterpolationMethod("Green"), "Gamma");
    EXPECT_EQ(widget->editor().getInterpolationMethod("All"), "Linear");
    EXPECT_TRUE(gammaBox->isEnabled());
    gammaBox->setValue(2.0);
    EXPECT_NEAR(widget->editor().getGamma("Green"), 2.0, 1e-6);
    EXPECT_EQ(widget->editor().getGamma("All"), 1.0);

    nirBox->setValue(2.0);
    EXPECT_DOUBLE_EQ(widget->editor().getNirScaling(), 2.0);
    EXPECT_EQ(edited.count(), 4); // Spline, Gamma, the exponent, the scaling

    // Back to Linear: the gamma curve sampled at 7 nodes stays Green's own.
    key(methodBox, Qt::Key_Up);
    key(methodBox, Qt::Key_Up);
    EXPECT_EQ(widget->editor().getInterpolationMethod("Green"), "Linear");
    EXPECT_TRUE(widget->editor().hasSpecificCorrection("Green")); // 7 nodes of the gamma curve
}

// --- the window: files and undo --------------------------------------------------------------

TEST(CurveEditorWindow, SavesAndOpensEveryBandsCurve)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("curves.xml");
    CurveEditorWindow window;
    QString error;
    ASSERT_TRUE(window.importBreakPoints(dataPath("tonal/sample_rgbn.xml"), &error))
        << error.toStdString();
    CurveEditor editor = window.editorWidget()->editor();
    // The break points' 12-bit range stays the curves' range, on screen and in the file.
    ASSERT_EQ(editor.getMaxDn(), 4095);
    EXPECT_EQ(textOf(*editor.getNodes("Red")).section(' ', -1), "4095,4095");
    editor.setNirScaling(1.5);
    editor.specifyCurve(
        "All", QPolygonF() << QPointF(300, 0) << QPointF(1900, 1250) << QPointF(3700, 4095),
        "Spline", false);
    window.editorWidget()->setEditor(editor);
    ASSERT_TRUE(window.saveFile(file, &error)) << error.toStdString();
    EXPECT_EQ(window.fileName(), file);
    EXPECT_THAT(quortest::readFile(file).toStdString(),
                testing::HasSubstr("<TonalCurves maxDn=\"4095\">"));

    CurveEditorWindow reopened;
    ASSERT_TRUE(reopened.openFile(file, &error)) << error.toStdString();
    const CurveEditor &back = reopened.editorWidget()->editor();
    EXPECT_EQ(back.getMaxDn(), 4095);
    EXPECT_EQ(back.getBandIds(), editor.getBandIds());
    for (const QString &band : editor.getBandIds()) {
        EXPECT_EQ(textOf(*back.getNodes(band)), textOf(*editor.getNodes(band)))
            << band.toStdString();
        EXPECT_EQ(back.getInterpolationMethod(band), editor.getInterpolationMethod(band));
    }
    EXPECT_FALSE(reopened.canUndo());

    // A reader of one curve takes All's, pinned at 0 and 1.
    util::TonalCurve all;
    ASSERT_TRUE(util::readTonalCurveFile(file, all));
    EXPECT_EQ(all.getNodes().size(), 5);
    EXPECT_EQ(all.getNodes().first(), QPointF(0, 0));
    EXPECT_EQ(all.getNodes().last(), QPointF(1, 1));

    // A file holding one Corrector sets All.
    ASSERT_TRUE(reopened.openFile(dataPath("tonal/corrector_gamma.xml"), &error));
    EXPECT_EQ(back.getBandIds(), QStringList {"All"});
    EXPECT_EQ(back.getInterpolationMethod("All"), "Gamma");
}

TEST(CurveEditorWindow, RefusesFilesItCannotRead)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing.xml");
    CurveEditorWindow window;
    const QString before = textOf(*window.editorWidget()->editor().getNodes("All"));
    for (const quortest::TableRow &row : quortest::tableRows("tonal/editor_bad_files.txt")) {
        const QString name = QString::fromStdString(row[0]);
        const QString file = name == "missing.xml" ? missing : dataPath("tonal/" + name);
        const QString expected = QString::fromStdString(row[1]).replace("$F", file);
        QString error;
        EXPECT_FALSE(window.openFile(file, &error)) << row.line;
        EXPECT_TRUE(error.startsWith(expected)) << error.toStdString();
        EXPECT_EQ(textOf(*window.editorWidget()->editor().getNodes("All")), before);
    }
    QString error;
    EXPECT_FALSE(window.saveFile(dir.path(), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(CurveEditorWindow, UndoesAndRedoesEdits)
{
    ShownWindow shown;
    CurveEditorWindow &window = shown.window;
    const QString original = textOf(*window.editorWidget()->editor().getNodes("All"));
    EXPECT_FALSE(window.canUndo());

    drag(shown.canvas, {pixelOf(shown.plot, {32768, 32768}), pixelOf(shown.plot, {20000, 40000})});
    const QString first = textOf(*window.editorWidget()->editor().getNodes("All"));
    ASSERT_NE(first, original);
    window.editorWidget()->setBand("Red");
    drag(shown.canvas, {pixelOf(shown.plot, {0, 0}), pixelOf(shown.plot, {4000, 0})});
    ASSERT_TRUE(window.editorWidget()->editor().hasSpecificCorrection("Red"));
    EXPECT_TRUE(window.isWindowModified());

    window.undo();
    EXPECT_FALSE(window.editorWidget()->editor().hasSpecificCorrection("Red"));
    EXPECT_EQ(textOf(*window.editorWidget()->editor().getNodes("All")), first);
    window.undo();
    EXPECT_EQ(textOf(*window.editorWidget()->editor().getNodes("All")), original);
    EXPECT_FALSE(window.canUndo());
    EXPECT_FALSE(window.isWindowModified());
    window.redo();
    window.redo();
    EXPECT_TRUE(window.editorWidget()->editor().hasSpecificCorrection("Red"));
    EXPECT_FALSE(window.canRedo());

    // An edit after an undo starts from what the window shows.
    window.undo();
    drag(shown.canvas, {pixelOf(shown.plot, {65536, 65536}), pixelOf(shown.plot, {60000, 65536})});
    window.undo();
    EXPECT_EQ(textOf(*window.editorWidget()->editor().getNodes("All")), first);
    EXPECT_FALSE(window.editorWidget()->editor().hasSpecificCorrection("Red"));
}

// --- quorutil curves -------------------------------------------------------------------------

// The window as it shows a file, drawn into a picture: every band's curve in its colour, the
// selected one drawn heavier.
TEST(CurveCommands, DrawsTheWindowIntoAPicture)
{
    QTemporaryDir dir;
    const QString png = dir.filePath("shot.png");
    const quortest::ToolResult r =
        runTool({"curves", dataPath("tonal/sample_rgbn.xml"), "--band", "Red", "--screenshot", png,
                 "--width", "900", "--height=640"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    const QImage image(png);
    ASSERT_EQ(image.size(), QSize(900, 640));
    EXPECT_GT(pixelsNear(image, QColor(200, 30, 30)), 800) << "the selected Red curve";
    for (const QColor &colour : {QColor(30, 150, 30), QColor(30, 60, 210), QColor(140, 40, 140)})
        EXPECT_GT(pixelsNear(image, colour), 300) << colour.name().toStdString();
}

TEST(CurveCommands, FailsInOneLineWithoutADisplay)
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral(QUOR_BUILD_ROOT_DIR "/quorutil"), {"curves"});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 1);
    EXPECT_EQ(tool.readAllStandardError().toStdString(),
              "quorutil curves: no display to open the window on (DISPLAY, WAYLAND_DISPLAY and "
              "QT_QPA_PLATFORM are unset)\n");
    EXPECT_EQ(tool.readAllStandardOutput(), QByteArray());
}
