// Lookup tables of the default size (65536 entries): a linear curve, a 10-node spline and a
// gamma curve built afresh each time, and a request the converter answers from its stored table.
// Targets: at most 1 ms (linear), 2 ms (spline), 2 ms (gamma) and 1 us (stored table), one core.

#include "util/tonal/TonalCurve.h"
#include "util/tonal/TonalCurveConverter.h"

#include "bench/BenchMain.h"

#include <benchmark/benchmark.h>

namespace {

util::TonalCurve curveOf(util::TonalCurve::Interpolation interpolation,
                         std::initializer_list<std::pair<double, double>> nodes)
{
    util::TonalCurve curve(interpolation);
    for (const auto &node : nodes)
        curve.addNode(node.first, node.second);
    return curve;
}

const util::TonalCurve linear =
    curveOf(util::TonalCurve::Linear, {{0, 0}, {0.2, 0.3}, {0.5, 0.6}, {0.8, 0.85}, {1, 1}});
const util::TonalCurve spline =
    curveOf(util::TonalCurve::Spline, {{0, 0}, {0.1, 0.15}, {0.2, 0.3}, {0.3, 0.42}, {0.4, 0.52},
                                       {0.5, 0.6}, {0.6, 0.68}, {0.75, 0.8}, {0.9, 0.93}, {1, 1}});
const util::TonalCurve gamma =
    curveOf(util::TonalCurve::Gamma, {{0, 0}, {0.5, 0.35}, {1, 1}});

// Alternating between two sizes defeats the stored table, so every iteration builds one.
void build(benchmark::State &state, const util::TonalCurve &curve)
{
    util::TonalCurveConverter converter;
    bool odd = false;
    for (auto _ : state) {
        odd = !odd;
        benchmark::DoNotOptimize(converter.getLUT(curve, odd ? 65536 : -1).data());
    }
    state.SetItemsProcessed(state.iterations() * 65536);
}

void LinearTable(benchmark::State &state)
{
    build(state, linear);
}
BENCHMARK(LinearTable)->Unit(benchmark::kMicrosecond);

void SplineTable10Nodes(benchmark::State &state)
{
    build(state, spline);
}
BENCHMARK(SplineTable10Nodes)->Unit(benchmark::kMicrosecond);

void GammaTable(benchmark::State &state)
{
    build(state, gamma);
}
BENCHMARK(GammaTable)->Unit(benchmark::kMicrosecond);

// The caller's copy of the curve (a separate node vector) is compared node by node.
void StoredTable(benchmark::State &state)
{
    util::TonalCurveConverter converter;
    converter.getLUT(spline, 65536);
    util::TonalCurve request(util::TonalCurve::Spline);
    for (const QPointF &p : spline.getNodes())
        request.addNode(p.x(), p.y());
    for (auto _ : state)
        benchmark::DoNotOptimize(converter.getLUT(request, 65536).data());
}
BENCHMARK(StoredTable)->Unit(benchmark::kNanosecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
