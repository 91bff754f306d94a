// A progress reporter that throws cancels applyTonalCurves: the exception comes through, the
// reader threads are joined, and the output keeps its old content. The Python module cancels
// this way on Ctrl+C.

#include "tests/common/TestUtil.h"
#include "tests/imagery/ImageryTestUtil.h"

#include "util/imagery/ApplyCurves.h"
#include "util/progress/ProgressInterface.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <stdexcept>

using namespace quortest;

namespace {

struct Cancelled : std::runtime_error
{
    Cancelled()
        : std::runtime_error("cancelled")
    {
    }
};

// Throws once the given number of rows is done; counts what it saw.
struct CancellingReporter : util::ProgressInterface
{
    double after;
    double last = 0;
    int ends = 0;
    explicit CancellingReporter(double rows)
        : after(rows)
    {
    }
    void amountDone(double rows) override
    {
        last = rows;
        if (rows >= after)
            throw Cancelled();
    }
    void finished(const char *) override { ++ends; }
};

TEST(ApplyCurvesCancel, AThrowingReporterStopsTheRunAndTheOldOutputStays)
{
    QTemporaryDir dir;
    RasterShape shape;
    shape.width = 64;
    shape.height = 512;
    shape.bands = 3;
    shape.creationOptions = QStringList {"BLOCKYSIZE=8"};
    const QString in = dir.filePath("in.tif"), out = dir.filePath("out.tif");
    makeRaster(in, shape, [](int b, int x, int y) { return unsigned(b * 100 + x + y); });
    util::RasterCurves curves;
    ASSERT_TRUE(curves.load(dataPath("imagery/spline.xml")));
    for (const int threads : {1, 2, 4}) {
        writeFile(out, "the old output");
        CancellingReporter progress(64);
        util::ApplyCurvesOptions options;
        options.setThreads(threads);
        EXPECT_THROW(util::applyTonalCurves(in, out, curves, options, &progress), Cancelled)
            << threads;
        EXPECT_GE(progress.last, 64);
        EXPECT_LT(progress.last, 512);
        EXPECT_EQ(progress.ends, 1);
        EXPECT_EQ(readFile(out), "the old output");
        EXPECT_EQ(filesIn(dir.path()), (QStringList {"in.tif", "out.tif"}));
    }
}

} // namespace
