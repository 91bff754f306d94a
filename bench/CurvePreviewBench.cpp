// The curve editor over an image while a node is dragged: what one step of the drag costs with a
// 1024 x 1024, four-band, 16-bit preview. A step rebuilds one lookup table a band from the curve
// and looks every sample up (CurvePreviewWidget::setCurves); the whole frame adds the plot's
// redraw and the preview's repaint, driven by a mouse move on the canvas as a user makes it.
// Target: 33 ms a frame (30 frames a second), offscreen.

#include "bench/BenchMain.h"
#include "util/tonal/CurveEditor.h"
#include "util/tonal/CurveEditorWidget.h"
#include "util/tonal/CurveEditorWindow.h"
#include "util/tonal/CurvePreviewWidget.h"
#include "util/tonal/ImagePreviewData.h"

#include <qwt_plot.h>
#include <qwt_plot_canvas.h>

#include <QApplication>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

namespace {

// Samples spread over the lower half of the 16-bit range, as a dark airborne scene's are; a
// cheap generator so that neighbouring pixels differ and the table lookups scatter.
util::ImagePreviewData scene(int side)
{
    util::ImagePreviewData image;
    image.width = side;
    image.height = side;
    image.maxValue = 65535;
    image.bandNames = QStringList {"RED", "GRN", "BLU", "NIR"};
    std::uint32_t state = 12345;
    for (int b = 0; b < 4; ++b) {
        QVector<quint16> samples(side * side);
        for (int i = 0; i < samples.size(); ++i) {
            state = state * 1664525u + 1013904223u;
            const int x = i % side;
            const int y = i / side;
            const double base = 8000 + 6000 * std::sin(x * 0.01 + b) * std::cos(y * 0.013);
            samples[i] = quint16(std::max(0.0, base + (state >> 20) - 2048.0 + b * 3000));
        }
        image.samples << samples;
    }
    return image;
}

util::CurveEditor editorWith(double middleY, const QString &interpolation)
{
    util::CurveEditor editor;
    editor.specifyCurve("All",
                        QPolygonF() << QPointF(1500, 0) << QPointF(9000, middleY)
                                    << QPointF(20000, 50000) << QPointF(32000, 65536),
                        interpolation, false);
    editor.specifyCurve("Infrared",
                        QPolygonF()
                            << QPointF(1000, 0) << QPointF(15000, middleY) << QPointF(45000, 65536),
                        interpolation, false);
    return editor;
}

// The preview's part of a drag step: new curves, four tables, a million pixels.
void PreviewSetCurves(benchmark::State &state, const QString &interpolation)
{
    util::CurvePreviewWidget preview;
    preview.setImage(scene(int(state.range(0))));
    const util::CurveEditor a = editorWith(30000, interpolation);
    const util::CurveEditor b = editorWith(34000, interpolation);
    bool odd = false;
    for (auto _ : state) {
        odd = !odd;
        preview.setCurves(odd ? a : b);
        benchmark::DoNotOptimize(preview.picture().constBits());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
}
BENCHMARK_CAPTURE(PreviewSetCurves, linear, QStringLiteral("Linear"))
    ->Arg(512)
    ->Arg(1024)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PreviewSetCurves, spline, QStringLiteral("Spline"))
    ->Arg(1024)
    ->Unit(benchmark::kMillisecond);

// A whole frame: a mouse move on the canvas drags All's middle node, the widget redraws its
// plot, the preview follows and is painted (at 500 x 500 on screen).
void DragFrame(benchmark::State &state)
{
    util::CurveEditorWindow window;
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.resize(1300, 620);
    window.show();
    window.setImage(scene(1024));
    QApplication::processEvents();
    QwtPlot *plot = window.editorWidget()->findChild<QwtPlot *>();
    QWidget *canvas = plot->canvas();
    const auto pixel = [plot](double x, double y) {
        return QPoint(int(plot->transform(QwtPlot::xBottom, x)),
                      int(plot->transform(QwtPlot::yLeft, y)));
    };
    const auto send = [canvas](QEvent::Type type, const QPoint &pos, Qt::MouseButtons buttons) {
        QMouseEvent event(type, pos, canvas->mapToGlobal(pos),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(canvas, &event);
    };
    send(QEvent::MouseButtonPress, pixel(32768, 32768), Qt::LeftButton);
    bool odd = false;
    for (auto _ : state) {
        odd = !odd;
        send(QEvent::MouseMove, pixel(odd ? 30000 : 34000, odd ? 38000 : 30000), Qt::LeftButton);
        window.previewWidget()->repaint();
    }
    send(QEvent::MouseButtonRelease, pixel(32768, 32768), Qt::NoButton);
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(DragFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    // Widgets need a GUI application; no display is needed for the measurement.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return runBenchmarks<QApplication>(argc, argv);
}
