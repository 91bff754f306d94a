#include "util/tonal/TonalCurveConverter.h"

#include "tests/tonal/TonalTestUtil.h"

#include <gmock/gmock.h>

#include <cmath>
#include <stdexcept>
#include <vector>

using quortest::makeCurve;
using util::TonalCurve;
using util::TonalCurveConverter;

namespace {

// A natural cubic spline through ascending nodes, from the second derivatives M (M0 = Mn = 0)
// solved by the tridiagonal (Thomas) algorithm.
class NaturalSpline
{
public:
    explicit NaturalSpline(const std::vector<QPointF> &p)
        : p(p)
        , m(p.size(), 0.0)
    {
        const std::size_t n = p.size() - 1;
        std::vector<double> h(n), a(n + 1), b(n + 1), c(n + 1), d(n + 1);
        for (std::size_t i = 0; i < n; ++i)
            h[i] = p[i + 1].x() - p[i].x();
        for (std::size_t i = 1; i < n; ++i) {
            a[i] = h[i - 1];
            b[i] = 2 * (h[i - 1] + h[i]);
            c[i] = h[i];
            d[i] = 6 * ((p[i + 1].y() - p[i].y()) / h[i] - (p[i].y() - p[i - 1].y()) / h[i - 1]);
        }
        for (std::size_t i = 2; i < n; ++i) {
            const double w = a[i] / b[i - 1];
            b[i] -= w * c[i - 1];
            d[i] -= w * d[i - 1];
        }
        for (std::size_t i = n - 1; i >= 1; --i)
            m[i] = (d[i] - (i + 1 < n ? c[i] * m[i + 1] : 0.0)) / b[i];
    }

    double operator()(double x) const
    {
        std::size_t i = 0;
        while (i + 2 < p.size() && x > p[i + 1].x())
            ++i;
        const double h = p[i + 1].x() - p[i].x();
        const double l = p[i + 1].x() - x, r = x - p[i].x();
        return m[i] * l * l * l / (6 * h) + m[i + 1] * r * r * r / (6 * h)
            + (p[i].y() / h - m[i] * h / 6) * l + (p[i + 1].y() / h - m[i + 1] * h / 6) * r;
    }

private:
    std::vector<QPointF> p;
    std::vector<double> m;
};

double clampUnit(double v)
{
    return v > 0 ? (v < 1 ? v : 1) : 0;
}

} // namespace

// The rows of tests/data/tonal/lut_rows.txt: edge rows of every generator and every message.
TEST(TonalCurveConverter, GeneratorRows)
{
    for (const quortest::TableRow &f : quortest::tableRows("tonal/lut_rows.txt")) {
        const std::string &name = f[0], &error = f[5];
        const TonalCurve curve =
            quortest::parseCurve(QString::fromStdString(f[1]), QString::fromStdString(f[2]));
        const int samples = std::stoi(f[3]);
        TonalCurveConverter converter;
        if (!error.empty()) {
            EXPECT_THAT([&] { converter.getLUT(curve, samples); },
                        testing::ThrowsMessage<std::runtime_error>(testing::StrEq(error)))
                << name;
            continue;
        }
        std::vector<float> table;
        try {
            table = converter.getLUT(curve, samples);
        } catch (const std::exception &e) {
            ADD_FAILURE() << name << " threw " << e.what();
            continue;
        }
        EXPECT_EQ(table.size(), std::size_t(samples < 0 ? 65536 : samples)) << name;
        for (const QString &entry : QString::fromStdString(f[4]).split(' ', Qt::SkipEmptyParts)) {
            const std::size_t index = entry.section('=', 0, 0).toULong();
            ASSERT_LT(index, table.size()) << name;
            EXPECT_NEAR(table[index], entry.section('=', 1).toDouble(), 1e-6)
                << name << " entry " << index;
        }
    }
}

// Entry i of the linear identity is i/(n-1) to float precision; entry i of the default table
// lies at i/65536, so the last one is short of 1.
TEST(TonalCurveConverter, IdentityTablesAreExact)
{
    TonalCurveConverter converter;
    const TonalCurve identity = makeCurve(TonalCurve::Linear, {{0, 0}, {1, 1}});
    for (const int n : {2, 10, 256, 1000, 4097}) {
        const std::vector<float> table = converter.getLUT(identity, n);
        for (int i = 0; i < n; ++i)
            ASSERT_FLOAT_EQ(table[std::size_t(i)], float(double(i) / (n - 1))) << n << " " << i;
    }
    const std::vector<float> &full = converter.getLUT(identity, -1);
    ASSERT_EQ(full.size(), 65536u);
    for (int i = 0; i < 65536; ++i)
        ASSERT_EQ(full[std::size_t(i)], float(i / 65536.0)) << i;

    // gamma 2 at the default size: entry i is (i/65536)^2
    const std::vector<float> &square =
        converter.getLUT(makeCurve(TonalCurve::Gamma, {{0, 0}, {0.5, 0.25}, {1, 1}}), -1);
    for (int i = 0; i < 65536; i += 97)
        ASSERT_NEAR(square[std::size_t(i)], std::pow(i / 65536.0, 2.0), 1e-6) << i;
}

// The spline table agrees with a textbook natural spline, clamped to [0, 1], and stays in it
// where the spline overshoots.
TEST(TonalCurveConverter, SplineAgreesWithNaturalSpline)
{
    const std::vector<std::vector<QPointF>> nodeSets = {
        {{0, 0}, {0.5, 0.95}, {1, 1}},
        {{0, 0},
         {0.1, 0.3},
         {0.15, 0.1},
         {0.3, 0.5},
         {0.42, 0.45},
         {0.5, 0.62},
         {0.61, 0.7},
         {0.8, 0.95},
         {0.9, 0.9},
         {1, 1}},
        {{0, 0.1}, {0.05, 0.9}, {0.06, 0.05}, {0.5, 0.5}, {1, 0.8}},
        {{0, 0}, {0.2, 0.3}, {0.4, 0.45}, {0.6, 0.62}, {0.8, 0.8}, {1, 1}},
    };
    for (std::size_t k = 0; k < nodeSets.size(); ++k) {
        TonalCurve curve(TonalCurve::Spline);
        for (const QPointF &p : nodeSets[k])
            curve.addNode(p.x(), p.y());
        const NaturalSpline reference(nodeSets[k]);
        TonalCurveConverter converter;
        for (const int n : {-1, 1001}) {
            const std::vector<float> &table = converter.getLUT(curve, n);
            const double step = n < 0 ? 1.0 / 65536 : 1.0 / (n - 1);
            bool overshoots = false;
            for (std::size_t i = 0; i < table.size(); ++i) {
                const double exact = reference(double(i) * step);
                overshoots |= exact > 1 || exact < 0;
                ASSERT_NEAR(table[i], clampUnit(exact), 1e-5) << "set " << k << " entry " << i;
                ASSERT_GE(table[i], 0.0f);
                ASSERT_LE(table[i], 1.0f);
            }
            if (k == 0 || k == 2) {
                EXPECT_TRUE(overshoots) << "set " << k << " should overshoot";
            }
        }
    }
}

// The stored table is handed back untouched (a mark written into it survives) for the same
// curve and size; any change, a negative size or a failed curve builds it again.
TEST(TonalCurveConverter, CachesTheLastTable)
{
    const TonalCurve curve = makeCurve(TonalCurve::Linear, {{0, 0}, {1, 1}});
    TonalCurveConverter converter;
    const auto mark = [](const std::vector<float> &table) {
        const_cast<std::vector<float> &>(table)[1] = -42.0f;
    };
    const std::vector<float> &first = converter.getLUT(curve, 256);
    mark(first);
    const std::vector<float> &again = converter.getLUT(TonalCurve(curve), 256);
    EXPECT_EQ(&again, &first);
    EXPECT_EQ(again[1], -42.0f) << "same curve and size must not recompute";

    TonalCurveConverter copy(converter);
    EXPECT_EQ(copy.getLUT(curve, 256)[1], -42.0f) << "a copy keeps the stored table";
    mark(copy.getLUT(curve, 256));
    const_cast<std::vector<float> &>(copy.getLUT(curve, 256))[1] = 7.0f;
    EXPECT_EQ(converter.getLUT(curve, 256)[1], -42.0f) << "copies own their tables";
    TonalCurveConverter assigned;
    assigned = converter;
    EXPECT_EQ(assigned.getLUT(curve, 256)[1], -42.0f);

    EXPECT_NEAR(converter.getLUT(curve, 257)[1], 1.0 / 256, 1e-7) << "other size";
    mark(converter.getLUT(curve, 257));
    TonalCurve spline = curve;
    spline.setInterpolation(TonalCurve::Spline);
    EXPECT_EQ(converter.getLUT(spline, 257)[1], 0.0f) << "other interpolation";
    mark(converter.getLUT(spline, 257));
    EXPECT_NEAR(
        converter.getLUT(makeCurve(TonalCurve::Spline, {{0, 0}, {0.5, 0.5}, {1, 1}}), 257)[1],
        1.0 / 256, 1e-7)
        << "other nodes";

    const std::vector<float> &byDefault = converter.getLUT(curve, -1);
    mark(byDefault);
    EXPECT_NEAR(converter.getLUT(curve, -1)[1], 1.0 / 65536, 1e-9) << "negative sizes rebuild";
    mark(byDefault);
    EXPECT_NEAR(converter.getLUT(curve, -7)[1], 1.0 / 65536, 1e-9);
    mark(byDefault);
    EXPECT_EQ(converter.getLUT(curve, 65536)[1], -42.0f) << "65536 is what a negative stored";

    const TonalCurve bad = makeCurve(TonalCurve::Gamma, {{0, 0}, {0.3, 0.2}, {0.6, 0.5}, {1, 1}});
    for (int attempt = 0; attempt < 2; ++attempt)
        EXPECT_THROW(converter.getLUT(bad, 65536), std::runtime_error) << attempt;
    EXPECT_NEAR(converter.getLUT(curve, 65536)[1], 1.0 / 65535, 1e-9);
}

// What the generators leave unreached (the input level passing 1 by rounding, or the linear
// nodes ending left of 1) holds the curve's end, never an earlier curve's values.
TEST(TonalCurveConverter, UnreachedEntriesHoldTheCurvesEnd)
{
    TonalCurveConverter converter;
    const TonalCurve identity = makeCurve(TonalCurve::Linear, {{0, 0}, {1, 1}});
    const TonalCurve shortCurve = makeCurve(TonalCurve::Linear, {{0, 0}, {0.5, 0.8}});
    EXPECT_THAT(converter.getLUT(identity, 5), testing::ElementsAre(0, 0.25, 0.5, 0.75, 1));
    EXPECT_THAT(converter.getLUT(shortCurve, 5), testing::ElementsAre(0, 0.4f, 0.8f, 0.8f, 0.8f));

    // 10 entries: nine additions of 1/9 pass 1, so the last entry is never reached by the walk.
    const std::vector<float> &ten = converter.getLUT(identity, 10);
    EXPECT_EQ(ten[9], 1.0f);
    const TonalCurve beyond = makeCurve(TonalCurve::Linear, {{0, 0}, {0.5, 0.25}, {3, 1}});
    EXPECT_FLOAT_EQ(converter.getLUT(beyond, 10)[9], 0.25f + 0.5f * 0.75f / 2.5f);
    const TonalCurve spline = makeCurve(TonalCurve::Spline, {{0, 0}, {0.5, 0.7}, {1, 0.9}});
    const std::vector<float> &splined = converter.getLUT(spline, 10);
    EXPECT_FLOAT_EQ(splined[9], 0.9f);
    EXPECT_LT(splined[8], 0.9f);
}

// Wild nodes (not a number, infinities, huge or coincident levels) give some table, never a
// crash or undefined behaviour.
TEST(TonalCurveConverter, WildNodesNeverCrash)
{
    const double nan = std::nan(""), inf = HUGE_VAL;
    const std::vector<std::vector<std::pair<double, double>>> sets = {
        {{0, 0}, {nan, 0.5}, {1, 1}},
        {{0, nan}, {0.5, 0.5}, {1, 1}},
        {{-inf, 0}, {0.5, 0.5}, {inf, 1}},
        {{0, 0}, {1e-310, 1e308}, {1, -1e308}},
        {{0.5, 0}, {0.5, 1}, {0.5, 0.5}},
        {{1, 1}, {0.5, 0.5}, {0, 0}},
        {{0, 0}, {1e300, 0.5}, {2e300, 1}},
        {{0, 0}, {0, 0.5}, {0, 1}},
        {{-1e308, -1e308}, {0, 1e308}, {1e308, 1e308}},
        {{0, 0}, {0.5, 1e-300}, {1e-300, 1}},
    };
    for (const auto &set : sets) {
        for (const auto interpolation :
             {TonalCurve::Linear, TonalCurve::Spline, TonalCurve::Gamma}) {
            TonalCurve curve(interpolation);
            for (const auto &node : set)
                curve.addNode(node.first, node.second);
            TonalCurveConverter converter;
            for (const int n : {1, 2, 17}) {
                try {
                    EXPECT_EQ(converter.getLUT(curve, n).size(), std::size_t(n));
                } catch (const std::runtime_error &) {
                }
            }
        }
    }
}
