// The curve editor while the user drags: one moveEditedNode of an "All" node with four
// band-specific curves (two of the same node count as "All", which follow node for node, two of
// another count, which follow through 64-entry lookup tables), and getCurveLookupTable at 300
// samples, which draws a band and measures the distance to the curve on every press.
// Target: under 0.5 ms each, so that dragging stays fluid.

#include "util/tonal/CurveEditor.h"

#include "bench/BenchMain.h"

#include <QPolygonF>

#include <benchmark/benchmark.h>

namespace {

QPolygonF nodes(std::initializer_list<std::pair<double, double>> points)
{
    QPolygonF polygon;
    for (const auto &p : points)
        polygon << QPointF(p.first, p.second);
    return polygon;
}

// "All" with five nodes, Red and Green with five of their own, Blue and Infrared with four.
util::CurveEditor fourBandEditor(const QString &interpolation)
{
    util::CurveEditor editor;
    editor.specifyCurve(
        "All", nodes({{0, 0}, {12000, 9000}, {30000, 33000}, {48000, 52000}, {65536, 65536}}),
        interpolation, false);
    editor.specifyCurve(
        "Red", nodes({{0, 0}, {11000, 8000}, {29000, 31000}, {47000, 53000}, {65536, 65536}}),
        interpolation, false);
    editor.specifyCurve(
        "Green", nodes({{500, 0}, {13000, 9500}, {31000, 34000}, {49000, 52500}, {65000, 65536}}),
        interpolation, false);
    editor.specifyCurve("Blue", nodes({{0, 0}, {20000, 15000}, {40000, 45000}, {65536, 65536}}),
                        interpolation, false);
    editor.specifyCurve("Infrared", nodes({{0, 0}, {15000, 20000}, {35000, 45000}, {60000, 65536}}),
                        interpolation, false);
    return editor;
}

// Drags All's middle node back and forth between two places, one move an iteration.
void DragAllNode(benchmark::State &state, const QString &interpolation)
{
    util::CurveEditor editor = fourBandEditor(interpolation);
    editor.editedNode("All", QPointF(30000, 33000), 1.0f);
    bool odd = false;
    for (auto _ : state) {
        odd = !odd;
        editor.moveEditedNode(odd ? QPointF(31000, 35000) : QPointF(30000, 33000));
        benchmark::DoNotOptimize(editor.getNodes("Red")->constData());
    }
}
BENCHMARK_CAPTURE(DragAllNode, linear, QStringLiteral("Linear"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DragAllNode, spline, QStringLiteral("Spline"))->Unit(benchmark::kMicrosecond);

void LookupTable300(benchmark::State &state, const QString &interpolation)
{
    util::CurveEditor editor = fourBandEditor(interpolation);
    if (interpolation == QLatin1String("Gamma"))
        editor.specifyCurve("Red", nodes({{1000, 0}, {30000, 20000}, {64000, 65536}}), "Gamma",
                            false);
    QPolygonF line;
    for (auto _ : state) {
        editor.getCurveLookupTable(line, "Red", 300);
        benchmark::DoNotOptimize(line.constData());
    }
    state.SetItemsProcessed(state.iterations() * 300);
}
BENCHMARK_CAPTURE(LookupTable300, linear, QStringLiteral("Linear"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LookupTable300, spline, QStringLiteral("Spline"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LookupTable300, gamma, QStringLiteral("Gamma"))->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
