// The curve editor over an image: histograms behind the curves, the preview with the curves
// applied, and quorutil curves --image.

#include "util/tonal/CurveEditor.h"
#include "util/tonal/CurveEditorWidget.h"
#include "util/tonal/CurveEditorWindow.h"
#include "util/tonal/CurveHistogram_p.h"
#include "util/tonal/CurvePreviewWidget.h"
#include "util/tonal/ImagePreviewData.h"

#include "tests/common/ToolRun.h"
#include "tests/tonal/EditorTestUtil.h"
#include "tests/tonal/TonalTestUtil.h"

#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <cmath>

using quortest::pixelOf;
using quortest::send;
using quortest::ShownWindow;
using util::CurveEditor;
using util::CurveEditorWidget;
using util::CurvePreviewWidget;
using util::ImagePreviewData;

namespace {

// Four bands (named as files name them) over width x 4 pixels: band b's sample at column x is
// x * maxValue / (width - 1) + b, so every band spans the whole scale and each is told apart.
ImagePreviewData ramps(int width, int maxValue)
{
    ImagePreviewData image;
    image.width = width;
    image.height = 4;
    image.maxValue = maxValue;
    image.bandNames = QStringList {"BLU", "GRN", "RED", "NIR"};
    for (int b = 0; b < 4; ++b) {
        QVector<quint16> samples;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < width; ++x)
                samples << quint16(
                    std::min(maxValue, int(std::lround(double(x) * maxValue / (width - 1))) + b));
        }
        image.samples << samples;
    }
    return image;
}

// The display level of a level-space polyline through nodes (linear between them, held
// outside), the way the curve shows sample v of an image with maxValue.
int expectedDisplay(const QPolygonF &nodes, double maxDn, int v, int maxValue)
{
    const double x = double(v) * maxDn / maxValue;
    double y = x <= nodes.first().x() ? nodes.first().y() : nodes.last().y();
    for (int i = 0; i + 1 < nodes.size(); ++i) {
        if (x > nodes[i].x() && x <= nodes[i + 1].x())
            y = nodes[i].y()
                + (nodes[i + 1].y() - nodes[i].y()) * (x - nodes[i].x())
                    / (nodes[i + 1].x() - nodes[i].x());
    }
    return int(std::lround(y / maxDn * 255));
}

} // namespace

TEST(CurvePreviewWidget, FollowsANodeWhileItIsDragged)
{
    ShownWindow shown;
    ASSERT_TRUE(shown.window.setImage(ramps(256, 65535)));
    CurvePreviewWidget *preview = shown.window.previewWidget();
    ASSERT_TRUE(preview->isVisible());
    const CurveEditorWidget *widget = shown.window.editorWidget();
    QSignalSpy changes(widget, &CurveEditorWidget::curvesChanged);

    const auto check = [&](const char *when) {
        const QImage picture = preview->picture();
        ASSERT_EQ(picture.size(), QSize(256, 4)) << when;
        const CurveEditor &editor = widget->editor();
        for (int x = 0; x < 256; x += 5) {
            const QRgb p = picture.pixel(x, 2);
            const int v = int(std::lround(x * 65535.0 / 255));
            // True colour: red shows band RED (the third), blue band BLU (the first).
            EXPECT_NEAR(
                qRed(p),
                expectedDisplay(*editor.getNodes("Red"), 65536, std::min(65535, v + 2), 65535), 1)
                << when << " x " << x;
            EXPECT_NEAR(qBlue(p), expectedDisplay(*editor.getNodes("Blue"), 65536, v, 65535), 1)
                << when << " x " << x;
        }
    };
    check("identity");

    // Press, move: the preview shows the curve before the button is let go.
    send(shown.canvas, QEvent::MouseButtonPress, pixelOf(shown.plot, {32768, 32768}),
         Qt::LeftButton);
    send(shown.canvas, QEvent::MouseMove, pixelOf(shown.plot, {22000, 48000}), Qt::LeftButton);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_GT(qRed(preview->picture().pixel(100, 0)), 150); // was 100
    check("while dragged");
    send(shown.canvas, QEvent::MouseMove, pixelOf(shown.plot, {40000, 20000}), Qt::LeftButton);
    send(shown.canvas, QEvent::MouseButtonRelease, pixelOf(shown.plot, {40000, 20000}),
         Qt::NoButton);
    EXPECT_EQ(changes.count(), 2);
    check("dropped");

    // A band's own curve reaches that band only; undo reaches the preview too.
    shown.window.editorWidget()->setBand("Red");
    quortest::drag(shown.canvas,
                   {pixelOf(shown.plot, {65536, 65536}), pixelOf(shown.plot, {30000, 65536})});
    ASSERT_TRUE(widget->editor().hasSpecificCorrection("Red"));
    EXPECT_EQ(qRed(preview->picture().pixel(250, 0)), 255); // past the white point (40010)
    check("Red's own curve");
    shown.window.undo();
    check("undone");
    EXPECT_LT(qRed(preview->picture().pixel(250, 0)), 250);
}

TEST(CurvePreviewWidget, ShowsTheCompositeAskedFor)
{
    CurvePreviewWidget preview;
    ImagePreviewData image = ramps(64, 255);
    ASSERT_TRUE(preview.setImage(image));
    const QRgb trueColour = preview.picture().pixel(30, 1);
    preview.setComposite(CurvePreviewWidget::ColourInfrared);
    const QRgb infrared = preview.picture().pixel(30, 1);
    // Samples at column 30: 121 + band index (BLU 0, GRN 1, RED 2, NIR 3).
    EXPECT_EQ(QColor(trueColour), QColor(123, 122, 121));
    EXPECT_EQ(QColor(infrared), QColor(124, 123, 122));

    // Without colour roles: the first three bands; one band: grey.
    image.bandNames = QStringList {"a", "b", "c", "d"};
    ASSERT_TRUE(preview.setImage(image));
    EXPECT_EQ(QColor(preview.picture().pixel(30, 1)), QColor(121, 122, 123));
    image.samples.resize(1);
    image.bandNames = QStringList {"PAN"};
    ASSERT_TRUE(preview.setImage(image));
    EXPECT_EQ(QColor(preview.picture().pixel(30, 1)), QColor(121, 121, 121));

    // What does not fit is refused, and the image shown stays.
    ImagePreviewData bad = image;
    bad.samples[0].removeLast();
    QString reason;
    EXPECT_FALSE(preview.setImage(bad, &reason));
    EXPECT_EQ(reason, "a band does not hold width x height samples");
    bad = image;
    bad.maxValue = 0;
    EXPECT_FALSE(preview.setImage(bad, &reason));
    EXPECT_EQ(preview.picture().size(), QSize(64, 4));
}

TEST(CurveEditorWidget, DrawsTheHistogramsOfTheBandBeingEdited)
{
    ShownWindow shown;
    // A 12-bit image: new curves take its range.
    ImagePreviewData image = ramps(64, 4095);
    // Blue's histogram given: 8 bins, all samples in the second.
    image.histograms << QVector<quint32> {0, 100, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(shown.window.setImage(image));
    CurveEditorWidget *widget = shown.window.editorWidget();
    EXPECT_EQ(widget->editor().getMaxDn(), 4095);
    auto items = shown.plot->itemList(QwtPlotItem::Rtti_PlotUserItem + 17);
    ASSERT_EQ(items.size(), 1);
    auto *histogram = static_cast<util::detail::HistogramItem *>(items.first());

    QVector<int> bands;
    EXPECT_EQ(histogram->shapes(&bands).size(), 4);
    widget->setBand("Blue");
    QVector<QPolygonF> shapes = histogram->shapes(&bands);
    ASSERT_EQ(bands, QVector<int> {0});
    // The second bin spans levels 512..1024 at the top of the plot; the others lie flat.
    const QPolygonF blue = shapes.first();
    ASSERT_EQ(blue.size(), 2 + 2 * 8);
    EXPECT_EQ(blue[3], QPointF(512, 0.9 * 4095));
    EXPECT_EQ(blue[4], QPointF(1024, 0.9 * 4095));
    EXPECT_EQ(blue[5].y(), 0);
    EXPECT_EQ(blue.last(), QPointF(4095, 0));

    // Counted from the samples: one sample a column, so every column's bin holds 4 samples.
    widget->setBand("Infrared");
    shapes = histogram->shapes(&bands);
    ASSERT_EQ(bands, QVector<int> {3});
    double highest = 0;
    int filled = 0;
    for (const QPointF &p : shapes.first()) {
        highest = std::max(highest, p.y());
        filled += p.y() > 0;
    }
    EXPECT_DOUBLE_EQ(highest, 0.9 * 4095);
    EXPECT_EQ(filled, 2 * 64); // 64 columns, 4 samples each, each in a display bin of its own

    // Logarithmic heights lift the small counts.
    ImagePreviewData uneven = ramps(64, 4095);
    uneven.histograms << QVector<quint32> {0, 1000, 10, 0};
    ASSERT_TRUE(widget->setImage(uneven));
    widget->setBand("Blue");
    const double linear = histogram->shapes().first()[5].y();
    widget->setHistogramLogarithmic(true);
    const double logarithmic = histogram->shapes().first()[5].y();
    EXPECT_NEAR(linear, 0.9 * 4095 * 0.01, 1e-6);
    EXPECT_NEAR(logarithmic, 0.9 * 4095 * std::log1p(10) / std::log1p(1000), 1e-6);
}

TEST(CurveCommands, ShowsAnImageBesideTheCurves)
{
    QTemporaryDir dir;
    // Four 16-bit channels, the fourth near infrared; 2000 pixels wide, so it is averaged down.
    QImage picture(2000, 100, QImage::Format_RGBA64);
    picture.fill(QColor::fromRgba64(qRgba64(6000, 12000, 30000, 50000)));
    const QString raster = dir.filePath("scene.png");
    ASSERT_TRUE(picture.save(raster));
    const QString png = dir.filePath("shot.png");
    const quortest::ToolResult r = quortest::runTool(
        {"curves", "--image", raster, "--screenshot", png, "--width", "1000", "--height", "500"});
    ASSERT_EQ(r.code, 0) << r.err;
    const QImage shot(png);
    ASSERT_EQ(shot.size(), QSize(1000, 500));
    // The identity shows the picture's colour in the preview, right of the plot.
    const QColor expected(qRound(6000 / 257.0), qRound(12000 / 257.0), qRound(30000 / 257.0));
    EXPECT_GT(quortest::pixelsNear(shot.copy(700, 0, 300, 500), expected), 2000);
}
